#pragma once

#include <array>
#include <cstddef>

#include "output/paper.h"
#include "report/unit_base.h"

namespace quillon {

// How multi-column bands fill a page: down each column first, or across each row first.
enum class ColumnPrintOrder { kColumnByColumn, kRowByRow };

// The page values by index, in the order of the page's "Values" list.
enum class PageValue {
    BottomMargin,
    Length,
    TopMargin,
    Width,
    LeftMargin,
    RightMargin,
    ColumnSpace
};
inline constexpr std::size_t kPageValueCount = 7;

// A report's Page: paper size and orientation, the paper's width and length, margins, columns
// and column space. Paper dimensions follow the paper table unless the paper size is Custom;
// setting the orientation swaps them for a table size, never the margins. Changes resize the
// report control to the paper in pixels and lay the report's bands out again.
class TQRPage : public TQRUnitBase {
public:
    // A new page: A4 with 10 mm margins under the metric system, Letter with 0.5 inch margins
    // under the U.S. one; portrait, one column, ruler on. The defaults are applied before the
    // report is attached, so the report is not called back while it is being built.
    explicit TQRPage(PageOwner* report = nullptr);

    // The report the page belongs to (not owned); also the page's font source.
    PageOwner* Report() const { return report_; }
    void SetReport(PageOwner* report);

    long double Value(PageValue index) const;
    long double BottomMargin() const { return Value(PageValue::BottomMargin); }
    long double Length() const { return Value(PageValue::Length); }
    long double TopMargin() const { return Value(PageValue::TopMargin); }
    long double Width() const { return Value(PageValue::Width); }
    long double LeftMargin() const { return Value(PageValue::LeftMargin); }
    long double RightMargin() const { return Value(PageValue::RightMargin); }
    long double ColumnSpace() const { return Value(PageValue::ColumnSpace); }

    // Length and Width are taken only while the paper size is Custom.
    void SetLength(long double value);
    void SetWidth(long double value);
    void SetBottomMargin(long double value);
    void SetTopMargin(long double value);
    void SetLeftMargin(long double value);
    void SetRightMargin(long double value);
    void SetColumnSpace(long double value);

    int Columns() const { return columns_; }
    // Values <= 0 and the current value are ignored.
    void SetColumns(int columns);

    TQRPaperSize PaperSize() const { return paperSize_; }
    // A table size writes its oriented dimensions; Default and Custom keep the current ones.
    void SetPaperSize(TQRPaperSize size);
    TPrinterOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPrinterOrientation orientation);

    // Whether design view shows rulers.
    bool Ruler() const { return ruler_; }
    void SetRuler(bool ruler);

    ColumnPrintOrder ColumnOrder() const { return columnOrder_; }
    void SetColumnOrder(ColumnPrintOrder order) { columnOrder_ = order; }

    // Stores the unit and repaints the report.
    void SetUnits(TQRUnit units) override;

    std::vector<long double> Values() const override;
    // Sets the stored values as they are (no paper table) and resizes the report control.
    void SetValues(std::span<const long double> values) override;
    // Sizes the report control to the paper in pixels at the page's zoom, unless the page is
    // already doing so.
    void ResizeParent() override;

    // Tells the page that the report control was resized to `width` x `height` pixels by
    // someone else (the user in design view). With Custom paper the page takes that size; a
    // table paper size keeps its dimensions. Ignored while the page itself resizes the
    // control, which breaks the feedback between the two.
    void ReportControlResized(int width, int height);

private:
    static constexpr std::size_t Index(PageValue value) { return static_cast<std::size_t>(value); }
    void Store(PageValue index, long double value);
    void LayOutBands();
    void Repaint();

    std::array<long double, kPageValueCount> values_{};
    int columns_ = 1;
    TPrinterOrientation orientation_ = TPrinterOrientation::poPortrait;
    TQRPaperSize paperSize_ = TQRPaperSize::Default;
    bool ruler_ = true;
    ColumnPrintOrder columnOrder_ = ColumnPrintOrder::kColumnByColumn;
    PageOwner* report_ = nullptr;
};

}  // namespace quillon
