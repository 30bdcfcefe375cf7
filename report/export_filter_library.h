#pragma once

// The program-wide list of export filters a preview can save pages through, besides the
// report file. This program registers none.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "report/export_filter.h"

namespace quillon {

struct TQRExportFilterEntry {
    std::string description;
    std::string extension;  // without the period
    // A new filter writing to the named file.
    std::function<std::unique_ptr<TQRExportFilter>(const std::string& fileName)> create;
};

class TQRExportFilterLibrary {
public:
    void Add(TQRExportFilterEntry entry);
    void Remove(const std::string& description);
    const std::vector<TQRExportFilterEntry>& Filters() const { return filters_; }
    // The save dialog's filter: the report file, then one entry per filter
    // ("|description (*.ext)|*.ext").
    std::string SaveDialogFilter() const;

private:
    std::vector<TQRExportFilterEntry> filters_;
};

TQRExportFilterLibrary& QRExportFilterLibrary();

}  // namespace quillon
