#include "report/qr_band.h"

#include <algorithm>

#include "output/qr_printer.h"
#include "platform/core/rounding.h"
#include "report/qr_label.h"
#include "report/qr_printable.h"
#include "report/rozer_ededid.h"

namespace quillon {

namespace {

bool bandBreakPending = false;

// Kinds that never take a forced page or column break.
bool FixedPlaceKind(TQRBandType type) {
    return type == TQRBandType::rbTitle || type == TQRBandType::rbPageHeader ||
           type == TQRBandType::rbPageFooter || type == TQRBandType::rbOverlay;
}

constexpr int kNewBandHeight = 40;

}  // namespace

bool BandBreakPending() {
    return bandBreakPending;
}
void SetBandBreakPending(bool pending) {
    bandBreakPending = pending;
}

// --- Structure -----------------------------------------------------------------------------

TQRCustomBand::TQRCustomBand(TComponent* owner) : TQRBasePanel(owner) {
    SetColor(clWhite);
    // The height goes through Size, so that Size holds it in every unit.
    size_.SwitchToPixels();
    size_.SetHeight(kNewBandHeight);
    size_.RestoreUnit();
}

TQRCustomBand::~TQRCustomBand() {
    MarkDestroying();
    DestroyChildren();
    if (report_ != nullptr) report_->RemoveBand(*this);
}

void TQRCustomBand::SetBounds(const ControlBounds& bounds) {
    if (size_.ParentUpdating()) {
        ApplyBounds(bounds);
        if (!layoutInProgress_ && report_ != nullptr) report_->LayOutBands();
        NotifyPrintablesResized();
        return;
    }
    if (Loading()) {
        if (bounds.height != kNewBandHeight) loadedHeight_ = bounds.height;
        ApplyBounds({bounds.left, bounds.top, bounds.width, Height()});
        return;
    }
    size_.SwitchToPixels();
    if (bounds.height != RoundHalfEven32(size_.Height())) size_.SetHeight(bounds.height);
    if (bounds.top != Top() || bounds.left != Left()) {
        ApplyBounds({bounds.left, bounds.top, Width(), Height()});
        if (!layoutInProgress_ && report_ != nullptr) report_->LayOutBands();
    }
    size_.RestoreUnit();
    if (report_ != nullptr) report_->ForgetPageImage();
}

void TQRCustomBand::NotifyPrintablesResized() {
    for (std::size_t i = 0; i < ControlCount(); ++i) {
        auto* printable = dynamic_cast<TQRPrintable*>(&Control(i));
        if (printable != nullptr && printable->AlignToBand()) {
            printable->ControllerNotification(kNotifyBandResized);
        }
    }
}

void TQRCustomBand::SetZoom(int zoom) {
    TQRBasePanel::SetZoom(zoom);
    size_.SetZoom(zoom);
}

void TQRCustomBand::Loaded() {
    size_.Loaded();
    if (loadedHeight_ && *loadedHeight_ != kNewBandHeight && Height() == kNewBandHeight) {
        SetHeight(*loadedHeight_);
    }
    loadedHeight_.reset();
}

void TQRCustomBand::SetParentReport(TCustomRozerEdedid* report) {
    report_ = report;
    size_.SetParentReport(report);
}

TControl* TQRCustomBand::ResolveParent(TControl* parent) {
    if (dynamic_cast<TQRCustomBand*>(parent) != nullptr) return parent->Parent();
    return parent;
}

void TQRCustomBand::ParentChanging(TControl* newParent) {
    auto* report = dynamic_cast<TCustomRozerEdedid*>(Parent());
    if (report != nullptr && report != newParent) report->RemoveBand(*this);
}

void TQRCustomBand::ParentChanged(TControl* /*oldParent*/) {
    auto* report = dynamic_cast<TCustomRozerEdedid*>(Parent());
    SetParentReport(report);
    if (report == nullptr) return;
    report->AddBand(*this);
    SetZoom(report->Zoom());
}

TQRChildBand* TQRCustomBand::ChildBand() const {
    if (report_ == nullptr) return nullptr;
    for (TQRCustomBand* band : report_->BandList()) {
        auto* child = dynamic_cast<TQRChildBand*>(band);
        if (child != nullptr && band->BandType() == TQRBandType::rbChild &&
            child->ParentBand() == this) {
            return child;
        }
    }
    return nullptr;
}

void TQRCustomBand::SetHasChild(bool hasChild) {
    TQRChildBand* child = ChildBand();
    if (hasChild == (child != nullptr)) return;
    if (hasChild) {
        if (Parent() == nullptr) return;
        TQRChildBand& created = Parent()->Insert(std::make_unique<TQRChildBand>(Owner()));
        created.SetParentBand(this);
        return;
    }
    if (TQRChildBand* grandchild = child->ChildBand()) grandchild->SetParentBand(this);
    child->Parent()->DeleteChild(*child);
}

void TQRCustomBand::SetLinkBand(TQRCustomBand* band) {
    std::vector<const TQRCustomBand*> seen;
    for (const TQRCustomBand* p = band; p != nullptr; p = p->linkBand_) {
        if (p == this) {
            if (Designing()) ShowDesignMessage(kCircularLinking);
            return;
        }
        if (std::find(seen.begin(), seen.end(), p) != seen.end()) break;
        seen.push_back(p);
    }
    if (linkBand_ != nullptr) linkBand_->RemoveFreeNotification(*this);
    linkBand_ = band;
    if (band != nullptr) band->FreeNotification(*this);
}

void TQRCustomBand::Notification(TComponent& destroyed) {
    if (linkBand_ == &destroyed) linkBand_ = nullptr;
}

TQRExportFilter* TQRCustomBand::FrameExportFilter() const {
    return report_ != nullptr ? report_->ExportFilter() : nullptr;
}

void TQRBand::SetBandType(TQRBandType type) {
    StoreBandType(type);
    if (ParentReport() != nullptr) {
        ParentReport()->SortBands();
        ParentReport()->LayOutBands();
    }
}

TQRChildBand::TQRChildBand(TComponent* owner) : TQRCustomBand(owner) {
    StoreBandType(TQRBandType::rbChild);
}

void TQRChildBand::SetParentBand(TQRCustomBand* band) {
    std::vector<const TQRCustomBand*> seen;
    for (const TQRCustomBand* p = band; p != nullptr;) {
        if (p == this) {
            if (Designing()) ShowDesignMessage(kCircularLinking);
            return;
        }
        if (std::find(seen.begin(), seen.end(), p) != seen.end()) break;
        seen.push_back(p);
        const auto* child = dynamic_cast<const TQRChildBand*>(p);
        p = child != nullptr ? child->parentBand_ : nullptr;
    }
    if (ParentReport() == nullptr) return;
    if (parentBand_ != nullptr) parentBand_->RemoveFreeNotification(*this);
    parentBand_ = band;
    if (band != nullptr) band->FreeNotification(*this);
    ParentReport()->SortBands();
    ParentReport()->LayOutBands();
}

void TQRChildBand::Notification(TComponent& destroyed) {
    TQRCustomBand::Notification(destroyed);
    if (parentBand_ == &destroyed) parentBand_ = nullptr;
}

// --- Printing ------------------------------------------------------------------------------

long double TQRCustomBand::ChainHeight() const {
    // Linked bands count with their heights in report units; the chain cannot be circular,
    // but a band is counted once whatever happens.
    long double height = BandHeight();
    if (linkBand_ == nullptr) return height;  // the common case costs nothing per record
    std::vector<const TQRCustomBand*> seen{this};
    for (const TQRCustomBand* p = linkBand_; p != nullptr; p = p->linkBand_) {
        if (std::find(seen.begin(), seen.end(), p) != seen.end()) break;
        seen.push_back(p);
        height += p->BandHeight();
    }
    return height;
}

bool TQRCustomBand::CanGrowBy(long double height) const {
    if (report_ == nullptr) return false;
    return report_->RoomLeft() >= RoundHalfEven32(height + BandHeight() + growth_);
}

void TQRCustomBand::GrowBy(long double height, long double& seenGrowth, bool& hasGrown) {
    if (!CanGrowBy(height)) return;
    if (!hasGrown && height < growth_) {
        seenGrowth = growth_;
    } else {
        growth_ += height;
        seenGrowth = growth_;
    }
    hasGrown = true;
}

long double TQRCustomBand::StretchedHeight() const {
    const TQRPrinter* printer = report_ != nullptr ? report_->QRPrinter() : nullptr;
    const long double factor = printer != nullptr
                                   ? printer->VertFactor()
                                   : static_cast<long double>(kScreenPixelsPerInch) / 254;
    long double max = BandHeight();
    long double below = 0;
    for (std::size_t i = 0; i < ControlCount(); ++i) {
        auto* memo = dynamic_cast<TQRMemo*>(&Control(i));
        if (memo == nullptr || !memo->IsEnabled()) continue;
        const long double needed = memo->NeededHeight();
        const long double bottom = (memo->Top() + needed) / factor;
        if (bottom > max) {
            max = bottom;
            below = (Height() + 1 - memo->Top() - memo->Height()) / factor;
            if (below < 0) below = 0;
        }
    }
    return below + max;
}

void TQRCustomBand::EnsureRoom() {
    TCustomRozerEdedid& report = *report_;
    const TQRPage& page = report.Page();
    if (page.ColumnOrder() == ColumnPrintOrder::kRowByRow && page.Columns() != 1) return;
    const std::int32_t needed = RoundHalfEven32(ChainHeight());
    bool fits = true;
    if (bandType_ != TQRBandType::rbPageFooter) {
        fits = report.RoomLeft() >= needed;
        // A band taller than a whole page is never moved.
        if (!fits) fits = needed > page.Length() - (page.TopMargin() + page.BottomMargin());
    }
    fits = fits && report.PageNumber() != 0;
    if (!fits) {
        SetBandBreakPending(bandType_ == TQRBandType::rbDetail);
        report.BeginColumn();
    } else if (bandType_ == TQRBandType::rbDetail) {
        SetBandBreakPending(false);
    }
}

void TQRCustomBand::PrintOut() {
    if (report_ == nullptr) return;
    TCustomRozerEdedid& report = *report_;
    bool printBand = Enabled();
    if (printBand && BeforePrint && !Designing()) BeforePrint(*this, printBand);

    if (!printBand) {
        if (controller_ != nullptr && !Enabled()) controller_->NotifyClients(kNotifyMasterAdvanced);
    } else {
        if (forceNewPage_ && !BandBreakPending() && !FixedPlaceKind(bandType_) &&
            report.PageNumber() > 0) {
            report.ForcePage();
            SetBandBreakPending(false);
        } else if (forceNewColumn_ && !FixedPlaceKind(bandType_) && report.PageNumber() > 0) {
            report.ForceColumn();
        } else {
            EnsureRoom();
        }
        if (controller_ != nullptr) controller_->NotifyClients(kNotifyMasterAdvanced);
        if (keepOnOnePage_ && StretchedHeight() > report.RoomLeft()) report.BeginColumn();
        startX_ = report.CurrentX();
        startY_ = report.CurrentY();

        TQRPrinter& printer = *report.QRPrinter();
        if (!transparentBand_ && Enabled()) {
            const long double saved = BandHeight();
            const long double height = preCalculateBandHeight_ ? StretchedHeight() : saved;
            if (height != saved) size_.SetHeight(height);
            printRect_ = {printer.ToDeviceX(report.CurrentX()),
                          printer.ToDeviceY(report.CurrentY()),
                          printer.ToDeviceX(report.CurrentX() + size_.Width()),
                          printer.ToDeviceY(report.CurrentY() + height)};
            if (TQRExportFilter* filter = report.ExportFilter()) {
                filter->Shape({ExportShape::Kind::kFilledRectangle, printRect_, Color(), 0});
            }
            if (height != saved) size_.SetHeight(saved);
        }
        if (Height() != 0 && Enabled()) PrintPrintables();
        if (TQRExportFilter* filter = report.ExportFilter()) {
            filter->EndBand(*this, growth_, startY_, startX_);
        }
    }

    if (AfterPrint && !Designing()) AfterPrint(*this, printBand);

    if (TQRChildBand* child = ChildBand()) {
        // A page footer's children print as page footers.
        struct Restore {
            TQRChildBand* child;
            ~Restore() { child->StoreBandType(TQRBandType::rbChild); }
        } restore{child};
        if (bandType_ == TQRBandType::rbPageFooter) child->StoreBandType(TQRBandType::rbPageFooter);
        report.EmitBand(child);
    }
    SetBandBreakPending(false);
}

void TQRCustomBand::PrintPrintables() {
    TCustomRozerEdedid& report = *report_;
    TQRPrinter& printer = *report.QRPrinter();
    if (report.PageDrawing() && !transparentBand_) {
        Canvas& canvas = printer.PageCanvas();
        canvas.SetBrush({Color(), BrushStyle::bsSolid});
        canvas.FillRect(printRect_);
    }
    growth_ = 0;
    const long double savedHeight = BandHeight();
    bool first = true;
    for (;;) {
        bool allDone = true;
        for (std::size_t i = 0; i < ControlCount(); ++i) {
            auto* printable = dynamic_cast<TQRPrintable*>(&Control(i));
            if (printable == nullptr || !printable->IsEnabled()) continue;
            if (first || !printable->PrintComplete()) {
                printable->Print(report.CurrentX(), report.CurrentY());
            }
            allDone = allDone && printable->PrintComplete();
        }
        if (report.PageDrawing() || report.ExportFilter() != nullptr) {
            printRect_ = {printer.ToDeviceX(report.CurrentX()),
                          printer.ToDeviceY(report.CurrentY()),
                          printer.ToDeviceX(report.CurrentX() + size_.Width()),
                          printer.ToDeviceY(BandHeight() + report.CurrentY() + growth_ + 1)};
            if (Frame().HasAnySide()) {
                Frame().Paint(report.PageDrawing() ? &printer.PageCanvas() : nullptr, printRect_,
                              printer.HorzFactor(), printer.VertFactor());
            }
        }
        if (allDone) break;
        SetBandBreakPending(true);
        report.BeginColumn();
        SetBandBreakPending(false);
        startX_ = report.CurrentX();
        startY_ = report.CurrentY();
        if (BandHeight() != savedHeight) size_.SetHeight(savedHeight);
        growth_ = 0;
        first = false;
    }
    report.SetCurrentY(report.CurrentY() + RoundHalfEven32(BandHeight() + growth_));
    if (BandHeight() != savedHeight) size_.SetHeight(savedHeight);
}

}  // namespace quillon
