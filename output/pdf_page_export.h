#pragma once

#include <memory>
#include <string>
#include <vector>

#include "output/qr_page_export.h"

namespace quillon {

class PdfDocument;
class PdfOutputFile;

// Recorded pages into a PDF file, each page played onto a PDF page of its paper size at the
// engine's reference resolution, so the PDF has the recorded geometry exactly. The file takes
// its name only when every page is in.
class PdfPageExport : public TQRPageExport {
public:
    // `inUse`: files the PDF must not replace besides those the printer names (the input).
    explicit PdfPageExport(std::string fileName, std::vector<std::string> inUse = {});
    ~PdfPageExport() override;

    void Begin(const std::string& title, const std::vector<std::string>& inUse) override;
    void Page(const PagePicture& picture, int paperWidth, int paperLength) override;
    void End() override;
    void Abandon() override;

    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    std::vector<std::string> inUse_;
    std::unique_ptr<PdfOutputFile> file_;
    std::unique_ptr<PdfDocument> document_;
};

}  // namespace quillon
