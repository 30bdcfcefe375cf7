#include "expr/memory_dataset.h"

#include <cmath>

namespace quillon {

void TQRMemoryDataset::AddField(std::string name, TQRFieldType type) {
    fields_.push_back({std::move(name), type});
}

void TQRMemoryDataset::AppendRecord(std::vector<Cell> cells) {
    cells.resize(fields_.size());
    records_.push_back(std::move(cells));
}

void TQRMemoryDataset::ClearRecords() {
    records_.clear();
    current_ = 0;
}

std::string_view TQRMemoryDataset::FieldName(int index) const {
    return index >= 0 && index < FieldCount() ? std::string_view(fields_[index].name) : "";
}

TQRFieldType TQRMemoryDataset::FieldType(int index) const {
    return index >= 0 && index < FieldCount() ? fields_[index].type : ftUnknown;
}

const TQRMemoryDataset::Cell* TQRMemoryDataset::CurrentCell(int index) const {
    if (!active_ || Eof() || index < 0 || index >= FieldCount()) return nullptr;
    return &records_[current_][index];
}

std::string_view TQRMemoryDataset::FieldText(int index) const {
    const Cell* cell = CurrentCell(index);
    if (cell == nullptr) return {};
    if (const auto* text = std::get_if<std::string>(cell)) return *text;
    return {};
}

std::int32_t TQRMemoryDataset::FieldInteger(int index) const {
    const Cell* cell = CurrentCell(index);
    if (cell == nullptr) return 0;
    if (const auto* i = std::get_if<std::int32_t>(cell)) return *i;
    if (const auto* d = std::get_if<double>(cell)) {
        return std::isfinite(*d) && std::fabs(*d) < 2147483648.0 ? static_cast<std::int32_t>(*d)
                                                                 : 0;
    }
    if (const auto* b = std::get_if<bool>(cell)) return *b ? 1 : 0;
    return 0;
}

double TQRMemoryDataset::FieldFloat(int index) const {
    const Cell* cell = CurrentCell(index);
    if (cell == nullptr) return 0;
    if (const auto* d = std::get_if<double>(cell)) return *d;
    if (const auto* i = std::get_if<std::int32_t>(cell)) return *i;
    return 0;
}

bool TQRMemoryDataset::FieldBoolean(int index) const {
    const Cell* cell = CurrentCell(index);
    if (cell == nullptr) return false;
    if (const auto* b = std::get_if<bool>(cell)) return *b;
    if (const auto* i = std::get_if<std::int32_t>(cell)) return *i != 0;
    return false;
}

}  // namespace quillon
