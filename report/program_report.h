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

private:
    std::unique_ptr<TRozerEdedid> report_;
    TQRBand* band_ = nullptr;
    TQRMemo* memo_ = nullptr;
};

}  // namespace quillon
