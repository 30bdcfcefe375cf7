#include "preview/widgets/preview_placement.h"

#include <algorithm>

namespace quillon {

namespace {

std::unique_ptr<PreviewPlacementMemory>& Installed() {
    static std::unique_ptr<PreviewPlacementMemory> memory;
    return memory;
}

// A window smaller than this cannot show its toolbar; a remembered one is not trusted.
constexpr int kSmallest = 100;

}  // namespace

void SetPreviewPlacementMemory(std::unique_ptr<PreviewPlacementMemory> memory) {
    Installed() = std::move(memory);
}

PreviewPlacementMemory* CurrentPreviewPlacementMemory() {
    return Installed().get();
}

std::optional<QRect> FitOnScreen(const QRect& wanted, const QRect& available) {
    if (wanted.width() < kSmallest || wanted.height() < kSmallest || available.isEmpty())
        return std::nullopt;
    const int width = std::min(wanted.width(), available.width());
    const int height = std::min(wanted.height(), available.height());
    const int left = std::clamp(wanted.left(), available.left(), available.right() + 1 - width);
    const int top = std::clamp(wanted.top(), available.top(), available.bottom() + 1 - height);
    return QRect(left, top, width, height);
}

}  // namespace quillon
