#include "preview/widgets/qr_standard_preview_interface.h"

#include <QEventLoop>
#include <QPointer>

#include "preview/widgets/print_setup_dialog.h"
#include "preview/widgets/qr_standard_preview.h"

namespace quillon {

MessageTarget* TQRStandardPreviewInterface::OpenPreview(TQRPrinter& printer) {
    auto* window = new TQRStandardPreview(&printer);
    window->ShowPreview();
    return window;
}

MessageTarget* TQRStandardPreviewInterface::OpenPreviewModal(TQRPrinter& printer) {
    auto* window = new TQRStandardPreview(&printer);
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    const QPointer<TQRStandardPreview> alive(window);
    window->ShowPreview();
    if (alive) loop.exec();
    return nullptr;
}

void RegisterStandardPreview() {
    RegisterPreviewInterface([] { return std::make_unique<TQRStandardPreviewInterface>(); });
    RegisterPrintDialog([](PrinterDevice& printer, const PrintDialogRequest& request) {
        return RunPrintDialog(printer, request);
    });
}

}  // namespace quillon
