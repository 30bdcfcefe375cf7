#pragma once

#include <cstdint>
#include <stdexcept>
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

class TQRValue;

// The error of the dataset layer: a dataset that cannot be opened or read, or a parameter
// that cannot take a value. The message names the dataset and says what went wrong.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A named source of records: a cursor over its records, the typed fields of the current
// record, and query parameters. Fields are addressed by their position; the values are those
// of the current record, and a text stays valid until the record changes. At the end (Eof)
// there is no current record and every field reads empty (empty text, 0, false).
// Failures raise EDatabaseError; a dataset that failed can be closed and opened again.
class TQRDataset {
public:
    virtual ~TQRDataset() = default;

    // --- Cursor ---------------------------------------------------------------------------
    // Opening runs the query (with the parameters as set) and moves to its first record.
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool Active() const = 0;
    virtual void First() = 0;
    virtual void Next() = 0;
    // Back one record; from the end, to the last record; on the first record, nowhere.
    virtual void Prior() = 0;
    virtual bool Eof() const = 0;
    // The number of records of the open dataset; -1 when it cannot be told.
    virtual int RecordCount() = 0;

    // --- Query parameters (named; a dataset without parameters has none) -------------------
    virtual int ParamCount() const { return 0; }
    virtual std::string_view ParamName(int index) const;
    // The type a parameter's value is converted to; ftUnknown takes the value as it is.
    virtual TQRFieldType ParamType(int index) const;
    // Parameter values, used by the next Open. An index that is not a parameter raises
    // EDatabaseError.
    virtual void SetParamNull(int index);
    virtual void SetParamInteger(int index, std::int64_t value);
    virtual void SetParamFloat(int index, double value);
    virtual void SetParamText(int index, std::string_view text);
    virtual void SetParamBoolean(int index, bool value);
    // The position of the parameter with this name, compared without regard to case; -1 if
    // none.
    int FindParam(std::string_view name) const;

    // --- Fields of the current record ------------------------------------------------------

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

// Sets parameter `index` from an expression value converted to the parameter's type: text for
// string, date and time parameters (the value's text form), a whole number for integer kinds
// (floats rounded half to even, texts read as decimal numbers), true or false for Boolean
// ("True"/"False" texts, numbers other than 0), a number for floating kinds; for ftUnknown the
// value's own kind. An error value or a value that cannot be converted raises EDatabaseError.
void SetParamFromValue(TQRDataset& dataset, int index, const TQRValue& value);

// The datasets whose fields a report's expressions may name, in search order. The list does
// not own the datasets.
using TQRDatasetList = std::vector<TQRDataset*>;

// Compares two Windows-1251 texts without regard to letter case.
bool SameTextCp1251(std::string_view a, std::string_view b) noexcept;

}  // namespace quillon
