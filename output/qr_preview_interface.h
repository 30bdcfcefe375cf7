#pragma once

#include <functional>
#include <memory>

namespace quillon {

class MessageTarget;
class TQRPrinter;

// A preview provider: opens a window that shows a report printer's pages. The base opens
// nothing, which is what a program without a preview (headless, tests) gets. The standard
// preview window registers its provider at start-up; the preview lives above this layer, so
// the report printer reaches it only through this interface.
class TQRPreviewInterface {
public:
    virtual ~TQRPreviewInterface() = default;
    // Shows the printer's pages without waiting; returns the window, or none. The window
    // frees itself when closed.
    virtual MessageTarget* OpenPreview(TQRPrinter& printer);
    // Shows the printer's pages and returns when the window has closed.
    virtual MessageTarget* OpenPreviewModal(TQRPrinter& printer);
};

using PreviewInterfaceFactory = std::function<std::unique_ptr<TQRPreviewInterface>()>;

// Replaces the provider the report printer's preview creates; an empty factory puts the base
// provider back.
void RegisterPreviewInterface(PreviewInterfaceFactory factory);
// A new instance of the registered provider.
std::unique_ptr<TQRPreviewInterface> CreatePreviewInterface();

}  // namespace quillon
