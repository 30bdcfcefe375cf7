#pragma once

#include <memory>

#include "report/qr_label.h"
#include "report/rozer_ededid.h"

namespace quillon {

// The report the program prints text files with, built from its design values: A4 portrait
// with 10 mm margins, a title band QRBand1 holding the memo QRMemo1 (band-aligned, AutoSize,
// AutoStretch) in the report's font, Courier New 10 points. The caller fills the memo's
// lines, sets font and orientation from its settings, and runs the report.
class ProgramReport {
public:
    ProgramReport();
    ProgramReport(const ProgramReport&) = delete;
    ProgramReport& operator=(const ProgramReport&) = delete;

    TRozerEdedid& Report() { return *report_; }
    TQRBand& Band() { return *band_; }
    TQRMemo& Memo() { return *memo_; }

    // Whether the memo's lines are in the DOS code page (line drawing prints as real lines)
    // rather than Windows-1251: the character set of the report's font.
    bool LineDrawing() const;
    void SetLineDrawing(bool on);

    // The largest font size, not above `largest` points, at which the widest of the memo's
    // lines fits between the page's margins; the smallest size the screen resolution tells
    // apart when none does. Sizes step by whole pixels at the engine's 96 pixels per inch.
    double LargestFittingFontSize(double largest);

private:
    std::unique_ptr<TRozerEdedid> report_;
    TQRBand* band_ = nullptr;
    TQRMemo* memo_ = nullptr;
};

}  // namespace quillon
