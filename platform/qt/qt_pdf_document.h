#pragma once

#include <memory>
#include <span>
#include <string>

#include "platform/core/canvas.h"

class QPainter;
class QPdfWriter;

namespace quillon {

class OutputFile;
class OutputFileDevice;
class QtCanvas;

// A PDF file written page by page at 1200 dots per inch, each page drawn on a Canvas, as an
// OutputFile: a regular file is replaced only once the PDF is complete, so a failure never
// leaves a half-written PDF in place of an existing file; a FIFO or device is written through.
class QtPdfDocument {
public:
    static constexpr int kResolution = 1200;

    // Pages of `widthTenths` x `lengthTenths` tenths of a millimetre (as they lie: a landscape
    // page is wider than long). Raises EInOutError when the file cannot be made or is one of
    // `inputs` (code 32), EPrinterError when the page has no size.
    QtPdfDocument(const std::string& path, int widthTenths, int lengthTenths,
                  const std::string& title, std::span<const std::string> inputs = {});
    ~QtPdfDocument();
    QtPdfDocument(const QtPdfDocument&) = delete;
    QtPdfDocument& operator=(const QtPdfDocument&) = delete;

    // The canvas of a new page (the first call starts page 1).
    Canvas& NewPage();
    // The page in device pixels.
    Rect PageRect() const;
    // Ends the document and puts the file in place; raises EInOutError when a write failed,
    // EPrinterError when the PDF could not be completed.
    void Finish();

private:
    std::string path_;
    std::unique_ptr<OutputFile> output_;
    std::unique_ptr<OutputFileDevice> device_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtCanvas> canvas_;
    int pages_ = 0;
    bool finished_ = false;
};

}  // namespace quillon
