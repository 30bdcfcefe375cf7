#include "output/qr_printer_client.h"

#include <utility>

namespace quillon {

namespace {

ProgressWindowFactory& RegisteredFactory() {
    static ProgressWindowFactory factory;
    return factory;
}

}  // namespace

void RegisterProgressWindow(ProgressWindowFactory factory) {
    RegisteredFactory() = std::move(factory);
}

std::unique_ptr<TQRProgressWindow> CreateProgressWindow(TQRPrinter& printer) {
    const ProgressWindowFactory& factory = RegisteredFactory();
    return factory ? factory(printer) : nullptr;
}

}  // namespace quillon
