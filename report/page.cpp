#include "report/page.h"

namespace quillon {

namespace {

constexpr bool IsHorizontal(PageValue value) {
    switch (value) {
        case PageValue::Width:
        case PageValue::LeftMargin:
        case PageValue::RightMargin:
        case PageValue::ColumnSpace:
            return true;
        case PageValue::BottomMargin:
        case PageValue::Length:
        case PageValue::TopMargin:
            break;
    }
    return false;
}

}  // namespace

TQRPage::TQRPage(PageOwner* report) {
    // Units already follow the measurement system; margins are written in them.
    const bool unitedStates = Units() == TQRUnit::Inches;
    SetPaperSize(unitedStates ? TQRPaperSize::Letter : TQRPaperSize::A4);
    const long double margin = unitedStates ? 0.5L : 10.0L;
    for (const PageValue index : {PageValue::TopMargin, PageValue::BottomMargin,
                                  PageValue::LeftMargin, PageValue::RightMargin}) {
        Store(index, margin);
    }
    SetReport(report);
}

void TQRPage::SetReport(PageOwner* report) {
    report_ = report;
    SetParentReport(report);
}

long double TQRPage::Value(PageValue index) const {
    return ReadStored(values_[Index(index)], IsHorizontal(index));
}

void TQRPage::Store(PageValue index, long double value) {
    values_[Index(index)] = ToStored(value, IsHorizontal(index));
}

void TQRPage::LayOutBands() {
    if (report_ != nullptr) report_->LayOutBands();
}

void TQRPage::Repaint() {
    if (report_ != nullptr) report_->Repaint();
}

void TQRPage::SetLength(long double value) {
    if (paperSize_ != TQRPaperSize::Custom) return;
    Store(PageValue::Length, value);
    ResizeParent();
    LayOutBands();
}

void TQRPage::SetWidth(long double value) {
    if (paperSize_ != TQRPaperSize::Custom) return;
    Store(PageValue::Width, value);
    ResizeParent();
    LayOutBands();
}

void TQRPage::SetBottomMargin(long double value) {
    Store(PageValue::BottomMargin, value);
    ResizeParent();
    LayOutBands();
}

void TQRPage::SetTopMargin(long double value) {
    Store(PageValue::TopMargin, value);
    LayOutBands();
    Repaint();
}

void TQRPage::SetLeftMargin(long double value) {
    Store(PageValue::LeftMargin, value);
    LayOutBands();
    Repaint();
}

void TQRPage::SetRightMargin(long double value) {
    Store(PageValue::RightMargin, value);
    LayOutBands();
    Repaint();
}

void TQRPage::SetColumnSpace(long double value) {
    Store(PageValue::ColumnSpace, value);
    LayOutBands();
    Repaint();
}

void TQRPage::SetColumns(int columns) {
    if (columns <= 0 || columns == columns_) return;
    columns_ = columns;
    LayOutBands();
    Repaint();
}

void TQRPage::SetPaperSize(TQRPaperSize size) {
    if (HasPaperDimensions(size)) {
        const PaperEntry& paper = PaperInfo(size);
        const bool portrait = orientation_ == TPrinterOrientation::poPortrait;
        // The dimensions are written in millimetres through the Custom path, whatever unit the
        // page is read in.
        SwitchToPixels();
        SetUnits(TQRUnit::MM);
        paperSize_ = TQRPaperSize::Custom;
        SetWidth(portrait ? paper.width : paper.length);
        SetLength(portrait ? paper.length : paper.width);
        RestoreUnit();
        LayOutBands();
    }
    paperSize_ = size;
}

void TQRPage::SetOrientation(TPrinterOrientation orientation) {
    orientation_ = orientation;
    SetPaperSize(paperSize_);
}

void TQRPage::SetRuler(bool ruler) {
    ruler_ = ruler;
    Repaint();
    if (report_ != nullptr) report_->ApplyUnits();
}

void TQRPage::SetUnits(TQRUnit units) {
    TQRUnitBase::SetUnits(units);
    Repaint();
}

std::vector<long double> TQRPage::Values() const {
    return {values_.begin(), values_.end()};
}

void TQRPage::SetValues(std::span<const long double> values) {
    CheckValues(values, kPageValueCount);
    for (std::size_t i = 0; i < kPageValueCount; ++i) values_[i] = values[i];
    ResizeParent();
}

void TQRPage::ResizeParent() {
    if (ParentUpdating() || report_ == nullptr) return;
    ParentUpdate updating(*this);
    const ControlBounds bounds = report_->Bounds();
    report_->SetBounds({bounds.left, bounds.top,
                        RoundedPixels(values_[Index(PageValue::Width)], true),
                        RoundedPixels(values_[Index(PageValue::Length)], false)});
}

void TQRPage::ReportControlResized(int width, int height) {
    if (ParentUpdating() || paperSize_ != TQRPaperSize::Custom) return;
    ParentUpdate updating(*this);
    SwitchToPixels();
    SetWidth(width);
    SetLength(height);
    RestoreUnit();
}

}  // namespace quillon
