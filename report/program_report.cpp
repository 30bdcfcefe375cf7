#include "report/program_report.h"

#include <algorithm>
#include <array>

namespace quillon {

namespace {

void AllSidesOff(TQRFrame& frame) {
    frame.SetColor(clBlack);
    frame.SetDrawTop(false);
    frame.SetDrawBottom(false);
    frame.SetDrawLeft(false);
    frame.SetDrawRight(false);
}

}  // namespace

ProgramReport::ProgramReport() : report_(std::make_unique<TRozerEdedid>()) {
    TRozerEdedid& report = *report_;
    report.SetName("Report1");
    report.BeginLoading();

    report.Page().SetPaperSize(TQRPaperSize::A4);
    report.Page().SetOrientation(TPrinterOrientation::poPortrait);
    report.Page().SetColumns(1);
    constexpr std::array<long double, kPageValueCount> kPageValues{100.0L, 2970.0L, 100.0L, 2100.0L,
                                                                   100.0L, 100.0L,  0.0L};
    report.Page().SetValues(kPageValues);
    report.SetOptions({TRozerEdedidOption::FirstPageHeader, TRozerEdedidOption::LastPageFooter});
    FontSpec font;
    font.face = "Courier New";
    font.size = 10;
    font.color = clBlack;
    report.SetFont(font);
    AllSidesOff(report.Frame());
    report.SetPrintIfEmpty(true);
    report.SetSnapToGrid(true);
    report.SetZoom(100);
    report.PrinterSettings() = TRozerEdedidPrinterSettings{};
    report.SetPrevFormStyle(TFormStyle::fsNormal);
    report.SetPreviewInitialState(TWindowState::wsNormal);
    // The preview keeps the engine's search button and thumbnails: long reports need them.
    report.SetPrevInitialZoom(TQRZoomState::qrZoomToWidth);

    auto band = std::make_unique<TQRBand>(&report);
    band->SetName("QRBand1");
    band_ = &report.Insert(std::move(band));
    band_->SetBandType(TQRBandType::rbTitle);
    band_->SetBounds({38, 38, 718, 40});
    constexpr std::array<long double, 2> kBandValues{105.8333333333333L, 1899.708333333333L};
    band_->Size().SetValues(kBandValues);
    band_->SetColor(clWhite);
    AllSidesOff(band_->Frame());

    auto memo = std::make_unique<TQRMemo>(&report);
    memo->SetName("QRMemo1");
    memo_ = &band_->Insert(std::move(memo));
    memo_->SetBounds({0, 0, 57, 17});
    constexpr std::array<long double, 4> kMemoValues{44.97916666666667L, 0.0L, 0.0L, 150.8125L};
    memo_->Size().SetValues(kMemoValues);
    memo_->SetAlignment(TAlignment::taLeftJustify);
    memo_->SetAlignToBand(true);
    memo_->SetAutoSize(true);
    memo_->SetAutoStretch(true);
    memo_->SetWordWrap(true);
    memo_->SetColor(clWhite);
    memo_->SetTransparent(false);
    memo_->SetFontSize(10);
    AllSidesOff(memo_->Frame());

    report.SetUnits(TQRUnit::MM);
    report.EndLoading();
}

bool ProgramReport::LineDrawing() const {
    return report_->Font().charset == kOemCharset;
}

void ProgramReport::SetLineDrawing(bool on) {
    FontSpec font = report_->Font();
    font.charset = on ? kOemCharset : kRussianCharset;
    report_->SetFont(font);
}

double ProgramReport::LargestFittingFontSize(double largest) {
    TRozerEdedid& report = *report_;
    // The band spans the page between the margins; the memo starts at its left edge.
    const int room = band_->Width();
    FontSpec font = report.Font();
    double size = largest;
    for (int pixels = FontPixelSize(largest, kScreenPixelsPerInch); pixels >= 1; --pixels) {
        size = std::min(largest, pixels * 72.0 / kScreenPixelsPerInch);
        font.size = size;
        bool fits = true;
        for (const std::string_view line : memo_->Lines()) {
            if (report.ReportTextWidth(font, line) > room) {
                fits = false;
                break;
            }
        }
        if (fits) break;
    }
    return size;
}

}  // namespace quillon
