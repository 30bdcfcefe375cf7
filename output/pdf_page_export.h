#pragma once

#include <memory>
#include <string>
#include <vector>

#include "output/qr_page_export.h"

namespace quillon {

class OutputFile;
class PdfDocument;
class PdfSink;

// Recorded pages into a PDF file, each page played onto a PDF page of its paper size at the
// engine's reference resolution, so the PDF has the recorded geometry exactly. The file is an
// OutputFile: it takes the place of an existing file only when every page is in, is never one
// of the inputs (EInOutError 32), and a failure or a cancel leaves the target as it was. Its
// errors are EInOutError with the code of the failure.
class PdfPageExport : public TQRPageExport {
public:
    explicit PdfPageExport(std::string fileName);
    ~PdfPageExport() override;

    const std::string& FileName() const override { return fileName_; }
    void Begin(const std::string& title, const std::vector<std::string>& inputs) override;
    void Page(const PagePicture& picture, int paperWidth, int paperLength) override;
    void End() override;
    void Abandon() override;

private:
    std::string fileName_;
    std::unique_ptr<OutputFile> file_;
    std::unique_ptr<PdfSink> sink_;
    std::unique_ptr<PdfDocument> document_;
};

}  // namespace quillon
