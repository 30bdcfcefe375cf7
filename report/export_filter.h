#pragma once

#include <string_view>

#include "platform/core/canvas.h"
#include "report/control.h"

namespace quillon {

class TQRCustomBand;
class TQRPageExport;
class TQRPrintable;

// A rectangle or line that frames and band backgrounds hand to an export filter, in device
// pixels of the report printer's page.
struct ExportShape {
    enum class Kind {
        kFilledRectangle,  // solid fill in `color`, no outline
        kFrameRectangle,   // unfilled rectangle, solid pen `penWidth` wide in `color`
        kLine,             // a frame side: a filled strip `rect` in `color`
    };
    Kind kind = Kind::kFilledRectangle;
    Rect rect;
    Color color = clBlack;
    int penWidth = 1;
    friend bool operator==(const ExportShape&, const ExportShape&) = default;
};

// Receives a report run besides (or instead of) the page canvas. A run calls it in this
// order: Start once before the first band, NewPage at each new page after the previous page's
// end, a shape for each band's background and each frame line, a text call for each printed
// line, EndBand after each band, EndPage at each page's finish, Finish once at the end.
class TQRExportFilter {
public:
    virtual ~TQRExportFilter() = default;

    // A filter that writes whole pages (a PDF file) returns where they go: an export through
    // it replays the pages the preview shows, as recorded, instead of running the report
    // again, and it receives none of the run's calls below.
    virtual TQRPageExport* PageExport() { return nullptr; }

    // Whether Start has been called for the present run.
    virtual bool Started() const = 0;
    // The report's font and the page's width and length in tenths of a millimetre.
    virtual void Start(const FontSpec& font, int paperWidth, int paperLength) = 0;
    virtual void NewPage() = 0;
    virtual void Shape(const ExportShape& shape) = 0;
    // One printed line at (x, y) in tenths of a millimetre, with the alignment its x refers to.
    virtual void Text(long double x, long double y, const FontSpec& font, Color background,
                      TAlignment alignment, std::string_view text) = 0;
    // A printable that draws rather than writes (a shape) is printing at (left, top), device
    // pixels. Filters that take only text and frames leave it alone.
    virtual void Printable(TQRPrintable& /*printable*/, int /*left*/, int /*top*/) {}
    // A band has printed: its growth on this page and where it started.
    virtual void EndBand(TQRCustomBand& band, long double growth, int startY, int startX) = 0;
    virtual void EndPage() = 0;
    virtual void Finish() = 0;
    // While this answers true, the room left on a page is the whole paper length (a filter
    // that writes one endless page).
    virtual bool WholePageRoom() = 0;
};

}  // namespace quillon
