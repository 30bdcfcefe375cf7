#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon {

// Kinds of dataset fields, as far as expressions tell them apart.
enum TQRFieldType : std::uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBlob,
};

// A named source of records whose fields expressions can read. Fields are addressed by their
// position; the values are those of the current record, and a text stays valid until the
// record changes. Cursor movement belongs to the implementations.
class TQRDataset {
public:
    virtual ~TQRDataset() = default;

    virtual std::string_view Name() const = 0;
    virtual int FieldCount() const = 0;
    virtual std::string_view FieldName(int index) const = 0;
    virtual TQRFieldType FieldType(int index) const = 0;

    // A string field's text; the display text of a date or time field.
    virtual std::string_view FieldText(int index) const = 0;
    virtual std::int32_t FieldInteger(int index) const = 0;
    virtual double FieldFloat(int index) const = 0;
    virtual bool FieldBoolean(int index) const = 0;

    // The position of the field with this name, compared without regard to case; -1 if none.
    int FindField(std::string_view name) const;
};

// The datasets whose fields a report's expressions may name, in search order. The list does
// not own the datasets.
using TQRDatasetList = std::vector<TQRDataset*>;

// Compares two Windows-1251 texts without regard to letter case.
bool SameTextCp1251(std::string_view a, std::string_view b) noexcept;

}  // namespace quillon
