#pragma once

#include <memory>
#include <string>

#include "platform/core/canvas.h"

class QPainter;
class QPdfWriter;

namespace quillon {

class QtCanvas;

// A PDF file written page by page at 1200 dots per inch, each page drawn on a Canvas. The file
// is written beside its final name and takes that name only once it is complete, so a failure
// never leaves a half-written PDF in place of an existing file.
class QtPdfDocument {
public:
    static constexpr int kResolution = 1200;

    // Pages of `widthTenths` x `lengthTenths` tenths of a millimetre (as they lie: a landscape
    // page is wider than long). Raises EPrinterError when the file cannot be started.
    QtPdfDocument(const std::string& path, int widthTenths, int lengthTenths,
                  const std::string& title);
    ~QtPdfDocument();
    QtPdfDocument(const QtPdfDocument&) = delete;
    QtPdfDocument& operator=(const QtPdfDocument&) = delete;

    // The canvas of a new page (the first call starts page 1).
    Canvas& NewPage();
    // The page in device pixels.
    Rect PageRect() const;
    // Ends the document and gives the file its name; raises EPrinterError on failure.
    void Finish();

private:
    std::string path_;
    std::string partial_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtCanvas> canvas_;
    int pages_ = 0;
    bool finished_ = false;
};

}  // namespace quillon
