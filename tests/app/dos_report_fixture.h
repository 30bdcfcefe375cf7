#pragma once

// The realistic printer stream of tests/data/accounting-report.prn: a DOS accounting program's
// two-page turnover sheet in the DOS code page, with ESC @, a bit-image logo, bold and double
// width, condensed print around a 124-column table, tabs, CR LF line ends and a form feed
// after each page. These are the lines a reader of its printout sees, page by page, in UTF-8
// with every run of blanks as one blank.

#include <string>
#include <vector>

namespace quillon::testing {

inline constexpr const char* kAccountingReport = QUILLON_TEST_DATA "/accounting-report.prn";

// With line drawing, the table's frame in box-drawing characters; without, as the plain
// print normalisation turns it into "+", "-", "|" and the letter "Е" (the cross of byte 197).
std::vector<std::vector<std::string>> AccountingReportPages(bool lineDrawing);

// A text's lines with blanks collapsed, empty lines dropped, pages split at form feeds (as
// pdftotext ends each page).
std::vector<std::vector<std::string>> PagesOfText(const std::string& text);

}  // namespace quillon::testing
