#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "expr/dataset.h"

namespace quillon {

// A dataset held in memory: fields declared up front, records appended, and a cursor that
// starts on the first record. It is open from the start (a table in memory has nothing to
// connect to); while it is closed its fields read empty.
class TQRMemoryDataset : public TQRDataset {
public:
    using Cell = std::variant<std::monostate, std::string, std::int32_t, double, bool>;

    explicit TQRMemoryDataset(std::string name) : name_(std::move(name)) {}

    void AddField(std::string name, TQRFieldType type);
    // Appends a record; missing cells are empty (empty text, 0, false).
    void AppendRecord(std::vector<Cell> cells);

    // Removes every record (the fields stay).
    void ClearRecords();

    void Open() override {
        active_ = true;
        current_ = 0;
    }
    void Close() override { active_ = false; }
    bool Active() const override { return active_; }
    void First() override { current_ = 0; }
    void Next() override {
        if (current_ < Count()) ++current_;
    }
    void Prior() override {
        if (current_ > 0) --current_;
    }
    bool Eof() const override { return current_ >= Count(); }
    int RecordCount() override { return Count(); }
    // The position of the current record (RecordCount at the end).
    int RecNo() const { return current_; }

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
    int Count() const { return static_cast<int>(records_.size()); }

    std::string name_;
    std::vector<Field> fields_;
    std::vector<std::vector<Cell>> records_;
    int current_ = 0;
    bool active_ = true;
};

}  // namespace quillon
