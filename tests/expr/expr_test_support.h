#pragma once

#include <memory>

#include "expr/environment.h"
#include "expr/format_settings.h"
#include "expr/memory_dataset.h"

namespace quillon::test {

// Fixed conventions for expected texts: "." decimal point, "," thousands.
inline void UseFixedFormats(char decimalSeparator = '.') {
    TQRFormatSettings settings;
    settings.decimalSeparator = decimalSeparator;
    settings.thousandSeparator = ',';
    settings.shortDateFormat = "%d.%m.%Y";
    settings.timeFormat = "%H:%M:%S";
    SetFormatSettings(settings);
}

// Two small datasets: Orders (one field of every kind) and Customers (Name only).
struct SampleData {
    TQRMemoryDataset orders{"Orders"};
    TQRMemoryDataset customers{"Customers"};
    TQRDatasetList list{&orders, &customers};

    SampleData() {
        orders.AddField("Qty", ftInteger);
        orders.AddField("Amount", ftFloat);
        orders.AddField("Name", ftString);
        orders.AddField("Paid", ftBoolean);
        orders.AddField("Shipped", ftDate);
        orders.AddField("Photo", ftBlob);
        orders.AddField("Unit-Price", ftCurrency);
        orders.AddField("Size, mm", ftSmallint);
        orders.AppendRecord({12, 2.5, std::string("Widget"), true, std::string("01.02.2024"),
                             std::monostate(), 0.75, 40});
        orders.AppendRecord({3, 4.0, std::string("Gadget"), false, std::string("03.02.2024"),
                             std::monostate(), 1.5, 50});
        customers.AddField("Name", ftString);
        customers.AddField("City", ftString);
        customers.AppendRecord({std::string("Ivanov"), std::string("Sofia")});
    }
};

}  // namespace quillon::test
