#include "output/pdf_page_export.h"

#include <stdexcept>

#include "pdf/pdf_document.h"
#include "platform/core/services.h"
#include "platform/files/output_file.h"

namespace quillon {

namespace {

// The PDF writer's bytes into the output file, whose failures raise EInOutError.
class OutputFileSink : public PdfSink {
public:
    explicit OutputFileSink(OutputFile& file) : file_(file) {}
    void Write(const char* data, std::size_t size) override { file_.Write(data, size); }

private:
    OutputFile& file_;
};

}  // namespace

PdfPageExport::PdfPageExport(std::string fileName) : fileName_(std::move(fileName)) {}

PdfPageExport::~PdfPageExport() {
    Abandon();
}

void PdfPageExport::Begin(const std::string& title, const std::vector<std::string>& inputs) {
    Abandon();
    file_ = std::make_unique<OutputFile>(fileName_, inputs);
    sink_ = std::make_unique<OutputFileSink>(*file_);
    PdfDocument::Properties properties;
    properties.title = title;
    document_ = std::make_unique<PdfDocument>(*sink_, properties);
}

void PdfPageExport::Page(const PagePicture& picture, int paperWidth, int paperLength) {
    if (!document_) throw std::logic_error("PDF export not begun");
    DeviceCaps caps;
    caps.dpiX = caps.dpiY = kScreenPixelsPerInch;
    caps.physicalWidth = picture.Width();
    caps.physicalHeight = picture.Height();
    Canvas& canvas =
        document_->NewPage(PointsOfTenths(paperWidth), PointsOfTenths(paperLength), caps);
    picture.Play(canvas, Rect{0, 0, picture.Width(), picture.Height()});
}

void PdfPageExport::End() {
    if (!document_) throw std::logic_error("PDF export not begun");
    document_->Finish();
    document_.reset();
    file_->Commit();
    Abandon();
}

void PdfPageExport::Abandon() {
    document_.reset();
    sink_.reset();
    file_.reset();  // an uncommitted file leaves the target as it was
}

}  // namespace quillon
