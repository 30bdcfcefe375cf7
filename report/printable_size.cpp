#include "report/printable_size.h"

namespace quillon {

long double TQRPrintableSize::Read(long double stored, bool horizontal) const {
    const long double value = ReadStored(stored, horizontal);
    if (Units() != TQRUnit::Pixels || printable_ == nullptr) return value;
    return value * printable_->ParentZoom() / 100;
}

void TQRPrintableSize::Write(long double& stored, long double value, bool horizontal) {
    stored = ToStored(value, horizontal);
    ResizeParent();
}

void TQRPrintableSize::SetHeight(long double value) {
    Write(height_, value, false);
}
void TQRPrintableSize::SetLeft(long double value) {
    Write(left_, value, true);
}
void TQRPrintableSize::SetTop(long double value) {
    Write(top_, value, false);
}
void TQRPrintableSize::SetWidth(long double value) {
    Write(width_, value, true);
}

void TQRPrintableSize::SetValues(std::span<const long double> values) {
    CheckValues(values, 4);
    height_ = values[0];
    left_ = values[1];
    top_ = values[2];
    width_ = values[3];
}

void TQRPrintableSize::ResizeParent() {
    if (printable_ == nullptr) return;
    ParentUpdate updating(*this);
    printable_->SetBounds({RoundedPixels(left_, true), RoundedPixels(top_, false),
                           RoundedPixels(width_, true), RoundedPixels(height_, false)});
}

}  // namespace quillon
