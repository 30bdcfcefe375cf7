#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "expr/dataset.h"

namespace quillon {

// A dataset held in memory: fields declared up front, records appended, and a cursor that
// starts on the first record.
class TQRMemoryDataset : public TQRDataset {
public:
    using Cell = std::variant<std::monostate, std::string, std::int32_t, double, bool>;

    explicit TQRMemoryDataset(std::string name) : name_(std::move(name)) {}

    void AddField(std::string name, TQRFieldType type);
    // Appends a record; missing cells are empty (empty text, 0, false).
    void AppendRecord(std::vector<Cell> cells);

    int RecordCount() const { return static_cast<int>(records_.size()); }
    void First() { current_ = 0; }
    void Next() {
        if (current_ < RecordCount()) ++current_;
    }
    bool Eof() const { return current_ >= RecordCount(); }

    std::string_view Name() const override { return name_; }
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string_view FieldName(int index) const override;
    TQRFieldType FieldType(int index) const override;
    std::string_view FieldText(int index) const override;
    std::int32_t FieldInteger(int index) const override;
    double FieldFloat(int index) const override;
    bool FieldBoolean(int index) const override;

private:
    struct Field {
        std::string name;
        TQRFieldType type;
    };

    const Cell* CurrentCell(int index) const;

    std::string name_;
    std::vector<Field> fields_;
    std::vector<std::vector<Cell>> records_;
    int current_ = 0;
};

}  // namespace quillon
