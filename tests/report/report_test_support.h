#pragma once

// Helpers for report tests: running a report on a recording printer and reading back what
// each recorded page holds.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "output/qr_printer.h"
#include "platform/core/page_picture.h"
#include "report/qr_label.h"
#include "report/rozer_ededid.h"

namespace quillon::testing {

// One text record of a page: its reference point in device pixels and its text (Windows-1251).
struct PageText {
    int x = 0;
    int y = 0;
    std::string text;
    friend bool operator==(const PageText&, const PageText&) = default;
};

// A filled rectangle of a page (EMR_RECTANGLE without outline) in device pixels.
struct PageRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

std::vector<PageText> TextsOf(const PagePicture& picture);
std::vector<PageRect> RectanglesOf(const PagePicture& picture);

// Gives the report a new recording printer and runs it; returns the printer.
TQRPrinter& Generate(TCustomRozerEdedid& report);

// The texts of every recorded page, page by page.
std::vector<std::vector<PageText>> PageTexts(TQRPrinter& printer);

// Only the strings, page by page.
std::vector<std::vector<std::string>> PageStrings(TQRPrinter& printer);

// "Line 1", "Line 2", ...
std::vector<std::string> NumberedLines(int count, const std::string& prefix = "Line ");

// A report with a title band (TitleBand1) holding a band-aligned, stretching memo.
struct MemoReport {
    MemoReport();
    std::unique_ptr<TRozerEdedid> report;
    TQRCustomBand* band = nullptr;
    TQRMemo* memo = nullptr;
};

}  // namespace quillon::testing
