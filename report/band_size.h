#pragma once

#include "report/unit_base.h"

namespace quillon {

// A band's Size: its height (the stored Length) and width. Writing either resizes the band,
// keeping its position. "Values": Length, Width.
class TQRBandSize : public TQRUnitBase {
public:
    // `band` is not owned and may be null (then nothing is resized).
    explicit TQRBandSize(SizedControl* band = nullptr) : band_(band) {}

    SizedControl* Band() const { return band_; }
    void SetBand(SizedControl* band) { band_ = band; }

    long double Height() const { return ReadStored(length_, false); }
    void SetHeight(long double value);
    long double Width() const { return ReadStored(width_, true); }
    void SetWidth(long double value);

    std::vector<long double> Values() const override { return {length_, width_}; }
    void SetValues(std::span<const long double> values) override;
    void ResizeParent() override;

private:
    SizedControl* band_;
    long double length_ = 0;
    long double width_ = 0;
};

}  // namespace quillon
