#include "report/rozer_ededid.h"

#include <algorithm>
#include <cmath>

#include "platform/core/rounding.h"
#include "platform/core/services.h"
#include "report/qr_printable.h"

namespace quillon {

// --- TRozerEdedidBands ----------------------------------------------------------------------

bool TRozerEdedidBands::Has(TQRBandType type) const {
    return report_.BandOfType(type) != nullptr;
}

void TRozerEdedidBands::Set(TQRBandType type, bool value) {
    TQRCustomBand* band = report_.BandOfType(type);
    if (value && band == nullptr) {
        report_.CreateStandardBand(type);
    } else if (!value && band != nullptr) {
        band->Parent()->DeleteChild(*band);
    }
}

TQRCustomBand* TRozerEdedidBands::TitleBand() const {
    return report_.BandOfType(TQRBandType::rbTitle);
}
TQRCustomBand* TRozerEdedidBands::PageHeaderBand() const {
    return report_.BandOfType(TQRBandType::rbPageHeader);
}
TQRCustomBand* TRozerEdedidBands::ColumnHeaderBand() const {
    return report_.BandOfType(TQRBandType::rbColumnHeader);
}
TQRCustomBand* TRozerEdedidBands::DetailBand() const {
    return report_.BandOfType(TQRBandType::rbDetail);
}
TQRCustomBand* TRozerEdedidBands::PageFooterBand() const {
    return report_.BandOfType(TQRBandType::rbPageFooter);
}
TQRCustomBand* TRozerEdedidBands::SummaryBand() const {
    return report_.BandOfType(TQRBandType::rbSummary);
}

// --- TCustomRozerEdedid: structure ---------------------------------------------------------

TCustomRozerEdedid::TCustomRozerEdedid(TComponent* owner)
    : TQRBasePanel(owner),
      controller_(std::make_unique<TQRCustomController>(nullptr)),
      measuring_(CreateMeasuringCanvas()) {
    controller_->SetParentReport(this);
    SetColor(clWhite);
    FontSpec font;
    font.face = "Arial";
    font.size = 10;
    SetFont(font);
    page_.SetReport(this);
    page_.ResizeParent();
    // The paper a fresh report printer selects becomes the report's; without one (or with
    // a paper of no fixed size) the page keeps its default.
    TQRPrinter probe(this);
    if (HasPaperDimensions(probe.PaperSize())) page_.SetPaperSize(probe.PaperSize());
}

TCustomRozerEdedid::~TCustomRozerEdedid() {
    MarkDestroying();
    printer_.reset();
    DestroyChildren();
}

void TCustomRozerEdedid::SetController(std::unique_ptr<TQRCustomController> controller) {
    controller_ = std::move(controller);
    controller_->SetParentReport(this);
}

void TCustomRozerEdedid::Loaded() {
    SortBands();
    LayOutBands();
}

void TCustomRozerEdedid::SetBounds(const ControlBounds& bounds) {
    ApplyBounds(bounds);
    if (!page_.ParentUpdating()) page_.ReportControlResized(bounds.width, bounds.height);
}

int TCustomRozerEdedid::FontSizePoints() const {
    return static_cast<int>(std::lround(Font().size));
}

void TCustomRozerEdedid::ApplyUnitsToPrintables(TControl& parent, TQRUnit units) {
    for (std::size_t i = 0; i < parent.ControlCount(); ++i) {
        if (auto* printable = dynamic_cast<TQRPrintable*>(&parent.Control(i))) {
            printable->Size().SetUnits(units);
        }
    }
}

void TCustomRozerEdedid::SetUnits(TQRUnit units) {
    page_.SetUnits(units);
    for (TQRCustomBand* band : bandList_) {
        band->Size().SetUnits(units);
        band->Repaint();
        ApplyUnitsToPrintables(*band, units);
    }
    ApplyUnitsToPrintables(*this, units);
}

void TCustomRozerEdedid::SetZoom(int zoom) {
    if (!IsReportZoom(zoom)) return;
    TQRBasePanel::SetZoom(zoom);
    page_.SetZoom(zoom);
    LayOutBands();
}

TQRCustomBand* TCustomRozerEdedid::BandOfType(TQRBandType type) const {
    for (TQRCustomBand* band : bandList_) {
        if (band->BandType() == type) return band;
    }
    return nullptr;
}

TQRBand& TCustomRozerEdedid::CreateStandardBand(TQRBandType type) {
    TComponent* owner = Owner() != nullptr ? Owner() : this;
    const std::string base(BandKind(type).componentName);
    std::string name;
    for (int n = 1;; ++n) {
        name = base + std::to_string(n);
        if (owner->FindComponent(name) == nullptr) break;
    }
    auto created = std::make_unique<TQRBand>(owner);
    created->SetName(name);
    TQRBand& band = Insert(std::move(created));
    band.SetBandType(type);
    return band;
}

void TCustomRozerEdedid::AddBand(TQRCustomBand& band) {
    if (std::find(bandList_.begin(), bandList_.end(), &band) == bandList_.end()) {
        bandList_.push_back(&band);
    }
    SortBands();
    LayOutBands();
}

void TCustomRozerEdedid::RemoveBand(TQRCustomBand& band) {
    bandList_.erase(std::remove(bandList_.begin(), bandList_.end(), &band), bandList_.end());
    if (Destroying()) return;
    SortBands();
    LayOutBands();
}

void TCustomRozerEdedid::SortBands() {
    if (Loading() || Destroying()) return;
    const std::vector<TQRCustomBand*> old = bandList_;
    std::vector<TQRCustomBand*> sorted;
    sorted.reserve(old.size());
    const auto present = [&sorted](const TQRCustomBand* band) {
        return std::find(sorted.begin(), sorted.end(), band) != sorted.end();
    };
    const auto childOf = [&old](const TQRCustomBand* parent) -> TQRCustomBand* {
        for (TQRCustomBand* band : old) {
            const auto* child = dynamic_cast<const TQRChildBand*>(band);
            if (child != nullptr && band->BandType() == TQRBandType::rbChild &&
                child->ParentBand() == parent) {
                return band;
            }
        }
        return nullptr;
    };
    const auto add = [&](TQRCustomBand* band) {
        // A band, then its chain of child bands; a band already placed ends the chain.
        while (band != nullptr && !present(band)) {
            sorted.push_back(band);
            band = childOf(band);
        }
    };
    const auto addKind = [&](TQRBandType type) {
        for (TQRCustomBand* band : old) {
            if (band->BandType() == type) add(band);
        }
    };

    addKind(TQRBandType::rbPageHeader);
    addKind(TQRBandType::rbTitle);
    addKind(TQRBandType::rbColumnHeader);
    const auto firstOf = [&old](TQRBandType type) -> TQRCustomBand* {
        for (TQRCustomBand* band : old) {
            if (band->BandType() == type) return band;
        }
        return nullptr;
    };
    controller_->SetHeader(firstOf(TQRBandType::rbTitle));
    controller_->SetDetail(firstOf(TQRBandType::rbDetail));
    controller_->SetFooter(firstOf(TQRBandType::rbSummary));
    controller_->CollectTree();
    std::vector<TQRCustomBand*> controllerBands;
    controller_->AppendBands(controllerBands);
    for (TQRCustomBand* band : controllerBands) add(band);
    addKind(TQRBandType::rbPageFooter);
    for (TQRCustomBand* band : old) add(band);
    bandList_ = std::move(sorted);
}

void TCustomRozerEdedid::LayOutBands() {
    if (Loading() || Destroying()) return;
    page_.SwitchToPixels();
    const int left = RoundHalfEven32(page_.LeftMargin());
    const int fullWidth = Width() - RoundHalfEven32(page_.LeftMargin() + page_.RightMargin());
    const int columns = page_.Columns();
    const int columnWidth =
        (fullWidth - RoundHalfEven32(page_.ColumnSpace()) * (columns - 1)) / columns;
    const bool rowByRow = page_.ColumnOrder() == ColumnPrintOrder::kRowByRow;
    int y = RoundHalfEven32(page_.TopMargin());
    page_.RestoreUnit();

    const std::vector<TQRCustomBand*> bands = bandList_;
    for (TQRCustomBand* band : bands) {
        if (band->Destroying()) continue;
        band->SetLayoutInProgress(true);
        struct Reset {
            TQRCustomBand* band;
            ~Reset() { band->SetLayoutInProgress(false); }
        } reset{band};
        band->SetLeft(left);
        band->SetTop(y);

        // A child band lays out as the band it hangs under.
        TQRBandType kind = band->BandType();
        const TQRCustomBand* up = band;
        for (std::size_t steps = 0; kind == TQRBandType::rbChild && steps <= bands.size();
             ++steps) {
            const auto* child = dynamic_cast<const TQRChildBand*>(up);
            up = child != nullptr ? child->ParentBand() : nullptr;
            if (up == nullptr) break;
            kind = up->BandType();
        }
        bool full = false;
        switch (kind) {
            case TQRBandType::rbTitle:
            case TQRBandType::rbPageHeader:
            case TQRBandType::rbPageFooter:
            case TQRBandType::rbSummary:
            case TQRBandType::rbOverlay:
                full = true;
                break;
            case TQRBandType::rbGroupHeader:
            case TQRBandType::rbGroupFooter:
                full = rowByRow;
                break;
            default:
                break;
        }
        band->Size().SwitchToPixels();
        band->Size().SetWidth(full ? fullWidth : columnWidth);
        band->Size().RestoreUnit();
        y += band->Height();
    }
}

// --- Text measuring ------------------------------------------------------------------------

int TCustomRozerEdedid::ReportTextWidth(const FontSpec& font, std::string_view text) {
    if (!(measuring_->Font() == font)) measuring_->SetFont(font);
    return measuring_->TextExtent(text).cx + 1;
}

int TCustomRozerEdedid::ReportTextHeight(const FontSpec& font) {
    if (!(measuring_->Font() == font)) measuring_->SetFont(font);
    return measuring_->TextExtent("A").cy;
}

// --- Messages ------------------------------------------------------------------------------

void TCustomRozerEdedid::HandleMessage(const Message& message) {
    HandleRunModeMessage(message);
}

// --- TRozerEdedid --------------------------------------------------------------------------

TRozerEdedid::TRozerEdedid(TComponent* owner) : TCustomRozerEdedid(owner) {
    SetController(std::make_unique<TQRController>(nullptr));
}

}  // namespace quillon
