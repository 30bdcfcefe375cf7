#pragma once

#include <string>
#include <vector>

namespace quillon::testing {

// A PDF file as poppler's tools and qpdf see it.
struct PdfFacts {
    bool qpdfClean = false;  // qpdf --check found nothing to say but the usual
    std::string qpdfReport;
    int pages = 0;
    double width = 0;  // points, of the first page
    double height = 0;
    std::string title;
    std::string creator;
    std::vector<std::string> fonts;  // pdffonts lines: name type encoding emb sub uni
    std::string text;                // pdftotext -layout, UTF-8, pages ended by form feeds
    std::string warnings;            // anything poppler's tools wrote on standard error
};

PdfFacts InspectPdf(const std::string& path);

// The non-blank lines of pdftotext's text, trailing blanks removed.
std::vector<std::string> TextLines(const std::string& text);

}  // namespace quillon::testing
