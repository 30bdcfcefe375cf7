#include "report/unit_base.h"

#include <cmath>

#include "platform/core/byte_stream.h"
#include "platform/core/rounding.h"
#include "platform/core/services.h"

namespace quillon {

namespace {

// The font size Characters fall back to while no report font is known.
constexpr int kFallbackFontSizePoints = 10;

}  // namespace

TQRUnitBase::TQRUnitBase() : units_(DefaultUnit()), resolution_(kScreenPixelsPerInch) {}

void TQRUnitBase::SetUnits(TQRUnit units) {
    units_ = units;
}

void TQRUnitBase::SwitchToPixels() {
    savedUnits_.push_back(units_);
    units_ = TQRUnit::Pixels;
}

void TQRUnitBase::RestoreUnit() {
    if (savedUnits_.empty()) return;
    units_ = savedUnits_.back();
    savedUnits_.pop_back();
}

void TQRUnitBase::SetZoom(int zoom) {
    // A zero or negative zoom would make every Pixels value infinite or negative.
    if (zoom <= 0) return;
    zoom_ = zoom;
    ResizeParent();
}

UnitScale TQRUnitBase::Scale() const {
    int fontSize = parentReport_ != nullptr ? parentReport_->FontSizePoints() : 0;
    if (fontSize == 0) fontSize = kFallbackFontSizePoints;
    return UnitScale{resolution_, zoom_, fontSize};
}

long double TQRUnitBase::StoredToUnit(TQRUnit unit, bool horizontal, long double stored) const {
    return quillon::StoredToUnit(unit, horizontal, stored, Scale());
}

long double TQRUnitBase::UnitToStored(TQRUnit unit, bool horizontal, long double value) const {
    return quillon::UnitToStored(unit, horizontal, value, Scale());
}

int TQRUnitBase::RoundedPixels(long double stored, bool horizontal) const {
    return RoundHalfEven32(StoredToUnit(TQRUnit::Pixels, horizontal, stored));
}

void TQRUnitBase::CheckValues(std::span<const long double> values, std::size_t count) {
    if (values.size() != count) throw EReadError();
    for (const long double value : values) {
        if (!std::isfinite(value)) throw EReadError();
    }
}

}  // namespace quillon
