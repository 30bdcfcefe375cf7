#pragma once

#include <string>
#include <vector>

#include "platform/core/page_picture.h"

namespace quillon {

// A document made of the recorded pages as they are (a PDF file). The report printer replays
// its pages into one as it does onto a printer: with progress, and a cancel that stops it.
class TQRPageExport {
public:
    virtual ~TQRPageExport() = default;

    // The file the document is written to; the report printer refuses its loaded report.
    virtual const std::string& FileName() const = 0;
    // Before the first page. `title` is UTF-8; `inputs` are the files the pages were made
    // from, which the document must not replace: refusing them is the export's job.
    virtual void Begin(const std::string& title, const std::vector<std::string>& inputs) = 0;
    // One page, `paperWidth` x `paperLength` tenths of a millimetre as it lies.
    virtual void Page(const PagePicture& picture, int paperWidth, int paperLength) = 0;
    // All pages are in: the document takes its place. Raises when it cannot.
    virtual void End() = 0;
    // Cancelled or failed: nothing of the document is left.
    virtual void Abandon() = 0;
};

}  // namespace quillon
