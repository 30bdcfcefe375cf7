#include "output/qr_preview_interface.h"

#include <utility>

namespace quillon {

namespace {

PreviewInterfaceFactory& RegisteredFactory() {
    static PreviewInterfaceFactory factory;
    return factory;
}

}  // namespace

MessageTarget* TQRPreviewInterface::OpenPreview(TQRPrinter&) {
    return nullptr;
}

MessageTarget* TQRPreviewInterface::OpenPreviewModal(TQRPrinter&) {
    return nullptr;
}

void RegisterPreviewInterface(PreviewInterfaceFactory factory) {
    RegisteredFactory() = std::move(factory);
}

std::unique_ptr<TQRPreviewInterface> CreatePreviewInterface() {
    if (const PreviewInterfaceFactory& factory = RegisteredFactory()) {
        if (std::unique_ptr<TQRPreviewInterface> provider = factory()) return provider;
    }
    return std::make_unique<TQRPreviewInterface>();
}

}  // namespace quillon
