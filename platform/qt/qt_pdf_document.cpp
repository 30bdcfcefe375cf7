#include "platform/qt/qt_pdf_document.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "platform/core/printer.h"
#include "platform/files/output_file.h"
#include "platform/qt/output_file_device.h"
#include "platform/qt/qt_canvas.h"

namespace quillon {

QtPdfDocument::QtPdfDocument(const std::string& path, int widthTenths, int lengthTenths,
                             const std::string& title, std::span<const std::string> inputs)
    : path_(path) {
    if (widthTenths <= 0 || lengthTenths <= 0) throw EPrinterError("The page has no size");
    output_ = std::make_unique<OutputFile>(path, inputs);
    device_ = std::make_unique<OutputFileDevice>(*output_);
    writer_ = std::make_unique<QPdfWriter>(device_.get());
    writer_->setResolution(kResolution);
    writer_->setTitle(QString::fromStdString(title));
    writer_->setCreator(QStringLiteral("Quillon"));
    const QPageSize size(QSizeF(widthTenths / 10.0, lengthTenths / 10.0), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    writer_->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF()));
}

QtPdfDocument::~QtPdfDocument() {
    canvas_.reset();
    if (painter_ && painter_->isActive()) painter_->end();
    painter_.reset();
    writer_.reset();
    device_.reset();
    output_.reset();  // drops an unfinished file; the target stays as it was
}

Canvas& QtPdfDocument::NewPage() {
    if (finished_) throw EPrinterError("The PDF document is already finished");
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(writer_.get())) {
            throw EPrinterError("Cannot write the PDF file \"" + path_ + "\"");
        }
        DeviceCaps caps;
        caps.dpiX = caps.dpiY = kResolution;
        const Rect page = PageRect();
        caps.physicalWidth = page.right;
        caps.physicalHeight = page.bottom;
        canvas_ = std::make_unique<QtCanvas>(*painter_, caps);
    } else {
        writer_->newPage();
    }
    ++pages_;
    return *canvas_;
}

Rect QtPdfDocument::PageRect() const {
    const QRect r = writer_->pageLayout().fullRectPixels(kResolution);
    return {0, 0, r.width(), r.height()};
}

void QtPdfDocument::Finish() {
    if (finished_) return;
    if (pages_ == 0) NewPage();  // a PDF holds at least one page
    canvas_.reset();
    const bool ended = painter_->end();
    painter_.reset();
    writer_.reset();
    device_->RaiseWriteFailure();
    if (!ended) throw EPrinterError("Cannot write the PDF file \"" + path_ + "\"");
    output_->Commit();
    finished_ = true;
}

}  // namespace quillon
