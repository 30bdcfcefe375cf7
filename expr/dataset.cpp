#include "expr/dataset.h"

#include "platform/core/cp1251.h"

namespace quillon {

bool SameTextCp1251(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperCp1251(static_cast<std::uint8_t>(a[i])) !=
            UpperCp1251(static_cast<std::uint8_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

int TQRDataset::FindField(std::string_view name) const {
    const int count = FieldCount();
    for (int i = 0; i < count; ++i) {
        if (SameTextCp1251(FieldName(i), name)) return i;
    }
    return -1;
}

}  // namespace quillon
