#include "report/qr_printable.h"

#include "output/qr_printer.h"
#include "report/qr_band.h"
#include "report/rozer_ededid.h"

namespace quillon {

TQRPrintable::TQRPrintable(TComponent* owner) : TControl(owner) {
    // Through SetBounds, so that Size holds the new printable's extent.
    SetBounds({0, 0, 10, 10});
    SetColor(clWhite);
}

TQRPrintable::~TQRPrintable() {
    DestroyChildren();
}

int TQRPrintable::ParentZoom() const {
    if (const auto* panel = dynamic_cast<const TQRBasePanel*>(Parent())) return panel->Zoom();
    return 100;
}

void TQRPrintable::SetBounds(const ControlBounds& bounds) {
    if (size_.ParentUpdating()) {
        ApplyBounds(bounds);
        if (report_ != nullptr) report_->ForgetPageImage();
    } else if (Loading()) {
        if (bounds.left != 0) loadedLeft_ = bounds.left;
        if (bounds.top != 0) loadedTop_ = bounds.top;
        if (bounds.width != 0) loadedWidth_ = bounds.width;
        if (bounds.height != 0) loadedHeight_ = bounds.height;
    } else {
        ApplyBounds(bounds);
        // Each write places the control from all stored values; the last one leaves it at
        // `bounds`. Aligning waits until Size holds all of them.
        writingSize_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{writingSize_};
        size_.SwitchToPixels();
        size_.SetHeight(bounds.height);
        size_.SetWidth(bounds.width);
        size_.SetTop(bounds.top);
        size_.SetLeft(bounds.left);
        size_.RestoreUnit();
    }
    if (alignToBand_ && !aligning_ && !writingSize_) AlignWithBand();
}

void TQRPrintable::Loaded() {
    size_.Loaded();
    ControlBounds b = Bounds();
    bool changed = false;
    const auto apply = [&changed](int& field, const std::optional<int>& loaded) {
        if (loaded && field == 0) {
            field = *loaded;
            changed = true;
        }
    };
    apply(b.left, loadedLeft_);
    apply(b.top, loadedTop_);
    apply(b.width, loadedWidth_);
    apply(b.height, loadedHeight_);
    loadedLeft_ = loadedTop_ = loadedWidth_ = loadedHeight_ = std::nullopt;
    if (changed) SetBounds(b);
    if (alignToBand_) AlignWithBand();
}

void TQRPrintable::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    if (alignToBand_) AlignWithBand();
    Repaint();
}

void TQRPrintable::SetAlignToBand(bool align) {
    alignToBand_ = align;
    AlignWithBand();
}

std::optional<int> TQRPrintable::BandWidth() const {
    if (dynamic_cast<const TQRCustomBand*>(Parent()) == nullptr) return std::nullopt;
    return Parent()->Width();
}

void TQRPrintable::AlignWithBand() {
    if (!alignToBand_ || aligning_) return;
    aligning_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{aligning_};
    switch (alignment_) {
        case TAlignment::taLeftJustify:
            SetLeft(0);
            break;
        case TAlignment::taRightJustify:
            if (const auto width = BandWidth()) SetLeft(*width - Width());
            break;
        case TAlignment::taCenter:
            if (const auto width = BandWidth()) SetLeft((*width - Width()) / 2);
            break;
    }
}

void TQRPrintable::SetParentReport(TCustomRozerEdedid* report) {
    report_ = report;
    size_.SetParentReport(report);
}

void TQRPrintable::ParentChanged(TControl* /*oldParent*/) {
    if (auto* report = dynamic_cast<TCustomRozerEdedid*>(Parent())) {
        size_.SetUnits(report->Units());
        SetParentReport(report);
    } else if (auto* band = dynamic_cast<TQRCustomBand*>(Parent())) {
        size_.SetUnits(band->Size().Units());
        SetParentReport(band->ParentReport());
        SetTop(Top());
        SetLeft(Left());
    }
}

bool TQRPrintable::IsEnabled() const {
    return Enabled() || !Visible();
}

void TQRPrintable::Prepare() {
    printing_ = true;
    printComplete_ = true;
    printer_ = report_ != nullptr ? report_->QRPrinter() : nullptr;
}

void TQRPrintable::Unprepare() {
    printing_ = false;
}

void TQRPrintable::Print(int offsetX, int offsetY) {
    if (report_ == nullptr || printer_ == nullptr) return;
    if (!report_->PageDrawing() || !frame_.HasAnySide()) return;
    const long double left = size_.Left();
    const long double top = size_.Top();
    const Rect rect{printer_->ToDeviceX(offsetX + left), printer_->ToDeviceY(offsetY + top),
                    printer_->ToDeviceX(left + offsetX + size_.Width()),
                    printer_->ToDeviceY(top + offsetY + size_.Height())};
    frame_.Paint(&printer_->PageCanvas(), rect, printer_->HorzFactor(), printer_->VertFactor());
}

void TQRPrintable::ControllerNotification(int code) {
    if (code == kNotifyBandResized) AlignWithBand();
}

TQRExportFilter* TQRPrintable::FrameExportFilter() const {
    return report_ != nullptr ? report_->ExportFilter() : nullptr;
}

std::optional<quillon::Color> TQRPrintable::FrameBackground() const {
    if (transparent_) return std::nullopt;
    return Color();
}

}  // namespace quillon
