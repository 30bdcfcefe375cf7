#pragma once

#include "report/unit_base.h"

namespace quillon {

// A printable's Size: its position on the band or report and its extent. Writing any of them
// places the printable again. In Pixels, values read are also scaled by the zoom of the panel
// the printable sits on; values written use this object's own zoom only. "Values": Height,
// Left, Top, Width.
class TQRPrintableSize : public TQRUnitBase {
public:
    // `printable` is not owned and may be null (then nothing is placed).
    explicit TQRPrintableSize(PrintableControl* printable = nullptr) : printable_(printable) {}

    PrintableControl* Printable() const { return printable_; }
    void SetPrintable(PrintableControl* printable) { printable_ = printable; }

    long double Height() const { return Read(height_, false); }
    void SetHeight(long double value);
    long double Left() const { return Read(left_, true); }
    void SetLeft(long double value);
    long double Top() const { return Read(top_, false); }
    void SetTop(long double value);
    long double Width() const { return Read(width_, true); }
    void SetWidth(long double value);

    std::vector<long double> Values() const override { return {height_, left_, top_, width_}; }
    void SetValues(std::span<const long double> values) override;
    // Places the printable at the stored values in whole pixels at this object's zoom.
    void ResizeParent() override;

private:
    long double Read(long double stored, bool horizontal) const;
    void Write(long double& stored, long double value, bool horizontal);

    PrintableControl* printable_;
    long double height_ = 0;
    long double left_ = 0;
    long double top_ = 0;
    long double width_ = 0;
};

}  // namespace quillon
