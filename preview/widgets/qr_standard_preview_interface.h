#pragma once

#include "output/qr_preview_interface.h"

namespace quillon {

// The preview provider of the standard preview window.
class TQRStandardPreviewInterface : public TQRPreviewInterface {
public:
    // Opens a TQRStandardPreview for the printer without waiting; the window frees itself
    // when closed, so the caller must not keep the answer beyond the window's life.
    MessageTarget* OpenPreview(TQRPrinter& printer) override;
    // Opens one modally and returns when it has closed; the window is gone by then, so the
    // answer is none.
    MessageTarget* OpenPreviewModal(TQRPrinter& printer) override;
};

// Makes the standard preview window the report printer's preview and TQRPrintDialog the
// print dialog of its printer set-up; call once the QApplication exists.
void RegisterStandardPreview();

}  // namespace quillon
