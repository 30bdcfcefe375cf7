#pragma once

#include <string>
#include <vector>

#include "pdf/pdf_canvas.h"
#include "pdf/pdf_file.h"
#include "pdf/pdf_fonts.h"

namespace quillon {

// A PDF document written page by page to a sink: each page's content goes out compressed
// when the next page begins, so memory stays the same whatever the page count. Fonts are
// embedded as subsets when the document finishes.
class PdfDocument {
public:
    struct Properties {
        std::string title;  // UTF-8
        std::string creator = "Quillon";
    };

    // Text is drawn with the glyphs of `glyphs` and measured by `measurer` (both must outlive
    // the document).
    PdfDocument(PdfSink& sink, GlyphSource& glyphs, TextMeasurer& measurer,
                const Properties& properties);
    // The platform's glyph source and measurer.
    PdfDocument(PdfSink& sink, const Properties& properties);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    // Starts a page `width` x `height` points. The canvas draws in device pixels of `caps`
    // (its resolution), from the page's top-left corner moved by the caps' physical offsets.
    Canvas& NewPage(double width, double height, const DeviceCaps& caps);
    // The canvas of the page begun last.
    Canvas& PageCanvas() { return canvas_; }
    // Writes the last page, the fonts and the document's structure. A document without pages
    // gets one empty A4 page, as a PDF needs one.
    void Finish();

private:
    void EndPage();

    PdfFile file_;
    PdfFonts fonts_;
    PdfCanvas canvas_;
    Properties properties_;
    int pagesObject_;
    int resources_;
    std::vector<int> pages_;
    double pageWidth_ = 0;
    double pageHeight_ = 0;
    bool pageOpen_ = false;
    bool finished_ = false;
};

// Points of a length in tenths of a millimetre.
double PointsOfTenths(double tenths);

}  // namespace quillon
