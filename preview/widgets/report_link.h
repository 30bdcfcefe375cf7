#pragma once

// What the preview window takes from the report that created a printer, and gives back to it.

#include <Qt>

#include <optional>
#include <string>

#include "report/rozer_ededid.h"

namespace quillon {

class TQRPrinter;

// The report's wishes for its preview window.
struct PreviewReportSettings {
    bool stayOnTop = false;
    int width = 500;
    int height = 500;
    Qt::WindowStates windowState = Qt::WindowNoState;
    bool showThumbs = true;
    bool showSearch = true;
    TQRZoomState initialZoom = TQRZoomState::qrZoomToFit;
    std::string title;  // Windows-1251
};

// The wishes of `report` for its preview window.
PreviewReportSettings PreviewSettingsOf(const TCustomRozerEdedid& report);

// The settings of the report that owns `printer`; none for a printer without a report.
std::optional<PreviewReportSettings> ReportSettingsOf(const TQRPrinter& printer);

// After the report's print dialog: hands the choices it stored to `printer` (when the printer
// belongs to a report and the dialog was confirmed).
void TakeReportPrinterChoice(TQRPrinter& printer);

}  // namespace quillon
