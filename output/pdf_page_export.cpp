#include "output/pdf_page_export.h"

#include <stdexcept>

#include "output/pdf_output_file.h"
#include "pdf/pdf_document.h"
#include "platform/core/services.h"

namespace quillon {

PdfPageExport::PdfPageExport(std::string fileName, std::vector<std::string> inUse)
    : fileName_(std::move(fileName)), inUse_(std::move(inUse)) {}

PdfPageExport::~PdfPageExport() {
    Abandon();
}

void PdfPageExport::Begin(const std::string& title, const std::vector<std::string>& inUse) {
    Abandon();
    std::vector<std::string> protectedFiles = inUse_;
    protectedFiles.insert(protectedFiles.end(), inUse.begin(), inUse.end());
    file_ = std::make_unique<PdfOutputFile>(fileName_, protectedFiles);
    PdfDocument::Properties properties;
    properties.title = title;
    document_ = std::make_unique<PdfDocument>(*file_, properties);
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
    file_.reset();
}

void PdfPageExport::Abandon() {
    document_.reset();
    file_.reset();
}

}  // namespace quillon
