#pragma once

#include <QPageSize>

#include <optional>

namespace quillon {

inline constexpr int kPaperDefault = 0;
inline constexpr int kPaperCustom = 256;

// The page size of a device paper code (1 to 26); none for 0, 256 and unknown codes.
std::optional<QPageSize::PageSizeId> PageSizeOfPaperCode(int code);

// The paper code of a page size: the first code whose size it is, by identity or, for sizes
// that a printer describes by its own names, by equal dimensions; none when no code has it.
std::optional<int> PaperCodeOfPageSize(const QPageSize& size);

}  // namespace quillon
