#pragma once

#include <QIcon>

namespace quillon {

// The preview toolbar's pictures, 16 x 16 (with a double-resolution copy for scaled screens):
// 0 zoom to fit, 1 100 %, 2 zoom to width, 3 first page, 4 previous page, 5 next page, 6 last
// page, 7 printer set-up, 8 print, 9 load, 10 save, 11 search, 12 go to page, 13 blank.
inline constexpr int kPreviewIconCount = 14;
QIcon PreviewIcon(int index);

}  // namespace quillon
