#include "app/gui/preview_placement_file.h"

#include <exception>

#include "app/settings/session_settings.h"

namespace quillon {

std::optional<PreviewPlacement> PreviewPlacementFile::Recall() {
    const std::optional<WindowPlacement> stored = ReadPreviewPlacement(path_);
    if (!stored) return std::nullopt;
    return PreviewPlacement{QRect(stored->left, stored->top, stored->width, stored->height),
                            stored->maximized};
}

void PreviewPlacementFile::Remember(const PreviewPlacement& placement) {
    const QRect& g = placement.geometry;
    try {
        WritePreviewPlacement(path_, {g.x(), g.y(), g.width(), g.height(), placement.maximized});
    } catch (const std::exception&) {
        // Not remembered; the next preview opens where the design puts it.
    }
}

}  // namespace quillon
