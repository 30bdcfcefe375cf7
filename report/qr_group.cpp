#include "report/qr_group.h"

#include <cstring>

#include "report/rozer_ededid.h"

namespace quillon {

namespace {

bool SameValue(const TQRValue& a, const TQRValue& b) {
    if (a.Kind() != b.Kind()) return false;
    switch (a.Kind()) {
        case vkInteger:
            return a.AsInteger() == b.AsInteger();
        case vkFloat: {
            // Bit for bit, so that a value that is not a number equals itself.
            const double x = a.AsFloat();
            const double y = b.AsFloat();
            return x == y || std::memcmp(&x, &y, sizeof x) == 0;
        }
        case vkBoolean:
            return a.AsBoolean() == b.AsBoolean();
        default:
            return a.Text() == b.Text();
    }
}

}  // namespace

TQRGroup::TQRGroup(TComponent* owner) : TQRCustomBand(owner) {
    StoreBandType(TQRBandType::rbGroupHeader);
}

TQRGroup::~TQRGroup() {
    UnprepareGroup();
}

void TQRGroup::SetFooterBand(TQRBand* band) {
    if (footerBand_ != nullptr) footerBand_->RemoveFreeNotification(*this);
    footerBand_ = band;
    if (band != nullptr) {
        band->FreeNotification(*this);
        band->SetBandType(TQRBandType::rbGroupFooter);
    }
    if (ParentReport() != nullptr) {
        ParentReport()->SortBands();
        ParentReport()->LayOutBands();
    }
}

void TQRGroup::SetMaster(TComponent* master) {
    if (master_ != nullptr) master_->RemoveFreeNotification(*this);
    master_ = master;
    if (master != nullptr) master->FreeNotification(*this);
    if (ParentReport() != nullptr) {
        ParentReport()->SortBands();
        ParentReport()->LayOutBands();
    }
}

TComponent* TQRGroup::EffectiveMaster() const {
    if (master_ != nullptr) return master_;
    return ParentReport();
}

void TQRGroup::Notification(TComponent& destroyed) {
    TQRCustomBand::Notification(destroyed);
    if (footerBand_ == &destroyed) footerBand_ = nullptr;
    if (master_ == &destroyed) master_ = nullptr;
}

void TQRGroup::PrepareGroup(TQRDatasetList* datasets, TQREvEnvironment* environment) {
    evaluator_.SetDatasetList(datasets);
    evaluator_.SetEnvironment(environment);
    evaluator_.Compile(expression_);
    hasValue_ = false;
    changed_ = false;
    headerPage_ = 0;
}

void TQRGroup::UnprepareGroup() noexcept {
    evaluator_.Discard();
    evaluator_.SetDatasetList(nullptr);
    evaluator_.SetEnvironment(nullptr);
}

bool TQRGroup::CheckChange(bool forced) {
    const TQRValue value = evaluator_.Result();
    changed_ = forced || !hasValue_ || !SameValue(value, value_);
    if (changed_) {
        value_ = value;
        hasValue_ = true;
    }
    return changed_;
}

}  // namespace quillon
