#include "report/base_panel.h"

#include "report/qr_printable.h"

namespace quillon {

TQRBasePanel::TQRBasePanel(TComponent* owner) : TControl(owner) {}

void TQRBasePanel::SetZoom(int zoom) {
    if (zoom == 0) return;
    zoom_ = zoom;
    for (std::size_t i = 0; i < ControlCount(); ++i) {
        TControl& child = Control(i);
        if (auto* printable = dynamic_cast<TQRPrintable*>(&child)) {
            printable->SetZoom(zoom);
        } else if (auto* panel = dynamic_cast<TQRBasePanel*>(&child)) {
            panel->SetZoom(zoom);
        }
    }
}

void TQRBasePanel::PreparePrintables() {
    for (std::size_t i = 0; i < ControlCount(); ++i) {
        TControl& child = Control(i);
        if (auto* printable = dynamic_cast<TQRPrintable*>(&child)) {
            printable->Prepare();
        } else if (auto* panel = dynamic_cast<TQRBasePanel*>(&child)) {
            panel->PreparePrintables();
        }
    }
}

void TQRBasePanel::UnpreparePrintables() {
    for (std::size_t i = 0; i < ControlCount(); ++i) {
        TControl& child = Control(i);
        if (auto* printable = dynamic_cast<TQRPrintable*>(&child)) {
            printable->Unprepare();
        } else if (auto* panel = dynamic_cast<TQRBasePanel*>(&child)) {
            panel->UnpreparePrintables();
        }
    }
}

}  // namespace quillon
