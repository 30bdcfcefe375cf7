#pragma once

#include <QImage>

namespace quillon::testing {

// The one QApplication of a Qt test program, created on first use (offscreen platform, a
// private runtime directory when XDG_RUNTIME_DIR is unset).
void EnsureQtApplication();

// A white ARGB image of the given size.
QImage WhiteImage(int width, int height);

}  // namespace quillon::testing
