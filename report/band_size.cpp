#include "report/band_size.h"

namespace quillon {

void TQRBandSize::SetHeight(long double value) {
    length_ = ToStored(value, false);
    ResizeParent();
}

void TQRBandSize::SetWidth(long double value) {
    width_ = ToStored(value, true);
    ResizeParent();
}

void TQRBandSize::SetValues(std::span<const long double> values) {
    CheckValues(values, 2);
    length_ = values[0];
    width_ = values[1];
}

void TQRBandSize::ResizeParent() {
    if (band_ == nullptr) return;
    ParentUpdate updating(*this);
    const ControlBounds bounds = band_->Bounds();
    band_->SetBounds(
        {bounds.left, bounds.top, RoundedPixels(width_, true), RoundedPixels(length_, false)});
}

}  // namespace quillon
