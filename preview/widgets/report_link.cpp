#include "preview/widgets/report_link.h"

#include "output/qr_printer.h"
#include "report/rozer_ededid.h"

namespace quillon {

namespace {

TCustomRozerEdedid* ReportOf(const TQRPrinter& printer) {
    return dynamic_cast<TCustomRozerEdedid*>(printer.ParentReport());
}

Qt::WindowStates QtWindowState(TWindowState state) {
    switch (state) {
        case TWindowState::wsMinimized:
            return Qt::WindowMinimized;
        case TWindowState::wsMaximized:
            return Qt::WindowMaximized;
        default:
            return Qt::WindowNoState;
    }
}

}  // namespace

PreviewReportSettings PreviewSettingsOf(const TCustomRozerEdedid& report) {
    PreviewReportSettings s;
    s.stayOnTop = report.PrevFormStyle() == TFormStyle::fsStayOnTop;
    s.width = report.PreviewWidth();
    s.height = report.PreviewHeight();
    s.windowState = QtWindowState(report.PreviewInitialState());
    s.showThumbs = report.PrevShowThumbs();
    s.showSearch = report.PrevShowSearch();
    s.initialZoom = report.PrevInitialZoom();
    s.title = report.ReportTitle();
    return s;
}

std::optional<PreviewReportSettings> ReportSettingsOf(const TQRPrinter& printer) {
    const TCustomRozerEdedid* report = ReportOf(printer);
    if (report == nullptr) return std::nullopt;
    return PreviewSettingsOf(*report);
}

void TakeReportPrinterChoice(TQRPrinter& printer) {
    TCustomRozerEdedid* report = ReportOf(printer);
    // Only choices the user confirmed reach the printer.
    if (report == nullptr || report->Tag() != 0) return;
    const TRozerEdedidPrinterSettings& settings = report->PrinterSettings();
    const TRozerEdedidPrinterSettings& chosen = report->DialogSettings();
    // Selecting the printer reads its settings afresh; the pages keep their paper and
    // orientation, and the choices go on top.
    const TQRPaperSize paper = printer.PaperSize();
    const TPrinterOrientation orientation = printer.Orientation();
    const std::int32_t sheetWidth = printer.Settings().SheetWidth();
    const std::int32_t sheetLength = printer.Settings().SheetLength();
    printer.SelectPrinter(settings.PrinterIndex);
    printer.SetPaperSize(paper);
    if (printer.PaperSize() == TQRPaperSize::Custom) {
        printer.SetPaperWidthValue(sheetWidth);
        printer.SetPaperLengthValue(sheetLength);
    }
    printer.SetOrientation(orientation);
    printer.SetCopies(settings.Copies);
    printer.SetDuplex(chosen.Duplex);
    printer.SetExtendedDuplex(chosen.ExtendedDuplex);
    printer.SetOutputBin(settings.OutputBin);
    printer.SetUseCustomBinCode(chosen.CustomBinCode != 0);
    printer.SetCustomBinCode(chosen.CustomBinCode);
    printer.SetPrintQuality(chosen.PrintQuality);
    printer.SetCollate(chosen.Collate);
    printer.SetColorOption(chosen.ColorOption);
    printer.SetFirstPage(settings.FirstPage);
    printer.SetLastPage(settings.LastPage);
}

}  // namespace quillon
