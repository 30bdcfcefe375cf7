#pragma once

namespace quillon {

// How the preview chooses its zoom: fit the whole page, fit its width, or a set percentage.
enum class TQRZoomState { qrZoomToFit, qrZoomToWidth, qrZoomOther };

}  // namespace quillon
