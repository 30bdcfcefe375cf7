#include "report/qr_subdetail.h"

#include <algorithm>
#include <vector>

#include "report/rozer_ededid.h"

namespace quillon {

// --- TQRControllerBand ---------------------------------------------------------------------

TQRControllerBand::TQRControllerBand(TComponent* owner)
    : TQRCustomBand(owner), controller_(std::make_unique<TQRController>(nullptr)) {
    controller_->SetServed(this);
    controller_->SetDetail(this);
}

TQRControllerBand::~TQRControllerBand() {
    MarkDestroying();
    if (registeredWith_ != nullptr) UnregisterName(Name());
}

void TQRControllerBand::SetMaster(TComponent* master) {
    std::vector<const TComponent*> seen;
    for (const TComponent* p = master; p != nullptr;) {
        if (p == this) {
            if (Designing()) ShowDesignMessage(kCircularLinking);
            return;
        }
        if (std::find(seen.begin(), seen.end(), p) != seen.end()) break;
        seen.push_back(p);
        const auto* band = dynamic_cast<const TQRControllerBand*>(p);
        p = band != nullptr ? band->master_ : nullptr;
    }
    if (master_ != nullptr) master_->RemoveFreeNotification(*this);
    master_ = master;
    if (master != nullptr) master->FreeNotification(*this);
    if (ParentReport() != nullptr) {
        ParentReport()->SortBands();
        ParentReport()->LayOutBands();
    }
}

TComponent* TQRControllerBand::EffectiveMaster() const {
    if (master_ != nullptr) return master_;
    return ParentReport();
}

void TQRControllerBand::SetPrintBefore(bool value) {
    printBefore_ = value;
    if (ParentReport() != nullptr) {
        ParentReport()->SortBands();
        ParentReport()->LayOutBands();
    }
}

void TQRControllerBand::SetParentReport(TCustomRozerEdedid* report) {
    if (report != registeredWith_ && registeredWith_ != nullptr) UnregisterName(Name());
    TQRCustomBand::SetParentReport(report);
    controller_->SetParentReport(report);
    RegisterName();
}

void TQRControllerBand::Notification(TComponent& destroyed) {
    TQRCustomBand::Notification(destroyed);
    if (master_ == &destroyed) master_ = nullptr;
}

void TQRControllerBand::Renamed(const std::string& oldName) {
    TQRCustomBand::Renamed(oldName);
    if (registeredWith_ != nullptr) UnregisterName(oldName);
    RegisterName();
}

void TQRControllerBand::RegisterName() {
    TCustomRozerEdedid* report = ParentReport();
    if (report == nullptr || Name().empty() || registeredWith_ == report) return;
    report->Functions().AddFunction(Name(), "0");
    registeredWith_ = report;
}

void TQRControllerBand::UnregisterName(const std::string& name) {
    if (!name.empty()) registeredWith_->Functions().RemoveFunction(name);
    registeredWith_ = nullptr;
}

// --- TQRSubDetailGroupBands ----------------------------------------------------------------

bool TQRSubDetailGroupBands::HasHeader() const {
    return owner_.HeaderBand() != nullptr;
}

void TQRSubDetailGroupBands::SetHasHeader(bool value) {
    TQRBand* band = owner_.HeaderBand();
    if (value && band == nullptr && owner_.ParentReport() != nullptr) {
        owner_.SetHeaderBand(
            &owner_.ParentReport()->CreateStandardBand(TQRBandType::rbGroupHeader));
    } else if (!value && band != nullptr) {
        band->Parent()->DeleteChild(*band);
    }
}

bool TQRSubDetailGroupBands::HasFooter() const {
    return owner_.FooterBand() != nullptr;
}

void TQRSubDetailGroupBands::SetHasFooter(bool value) {
    TQRBand* band = owner_.FooterBand();
    if (value && band == nullptr && owner_.ParentReport() != nullptr) {
        owner_.SetFooterBand(
            &owner_.ParentReport()->CreateStandardBand(TQRBandType::rbGroupFooter));
    } else if (!value && band != nullptr) {
        band->Parent()->DeleteChild(*band);
    }
}

// --- TQRSubDetail --------------------------------------------------------------------------

TQRSubDetail::TQRSubDetail(TComponent* owner) : TQRControllerBand(owner) {
    StoreBandType(TQRBandType::rbSubDetail);
}

TQRBand* TQRSubDetail::HeaderBand() const {
    return dynamic_cast<TQRBand*>(Controller().Header());
}

void TQRSubDetail::SetHeaderBand(TQRBand* band) {
    if (band != nullptr) band->SetBandType(TQRBandType::rbGroupHeader);
    Controller().SetHeader(band);
    if (ParentReport() != nullptr) {
        ParentReport()->SortBands();
        ParentReport()->LayOutBands();
    }
}

TQRBand* TQRSubDetail::FooterBand() const {
    return dynamic_cast<TQRBand*>(Controller().Footer());
}

void TQRSubDetail::SetFooterBand(TQRBand* band) {
    if (band != nullptr) band->SetBandType(TQRBandType::rbGroupFooter);
    Controller().SetFooter(band);
    if (ParentReport() != nullptr) {
        ParentReport()->SortBands();
        ParentReport()->LayOutBands();
    }
}

}  // namespace quillon
