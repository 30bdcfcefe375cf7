#pragma once

// Where standard preview windows open: a program may remember the last window's size,
// position and maximised state (in its own settings) and hand them back through this
// interface. Without one, a window opens at its report's size, centred.

#include <QRect>

#include <memory>
#include <optional>

namespace quillon {

struct PreviewPlacement {
    QRect geometry;  // the normal (not maximised) frame-less geometry, in screen pixels
    bool maximized = false;
};

class PreviewPlacementMemory {
public:
    virtual ~PreviewPlacementMemory() = default;
    // The placement of the last preview window; none the first time.
    virtual std::optional<PreviewPlacement> Recall() = 0;
    // Called when a preview window closes. Failing to remember is not an error of the window.
    virtual void Remember(const PreviewPlacement& placement) = 0;
};

// Installs the memory new preview windows use; none (the default) remembers nothing.
void SetPreviewPlacementMemory(std::unique_ptr<PreviewPlacementMemory> memory);
PreviewPlacementMemory* CurrentPreviewPlacementMemory();

// `wanted` moved and cut so that it lies within `available` (a screen's free area); an
// empty or unusable rectangle gives none.
std::optional<QRect> FitOnScreen(const QRect& wanted, const QRect& available);

}  // namespace quillon
