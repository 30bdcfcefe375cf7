// Report generation on a recording printer: pages and columns, forced breaks, page headers and
// footers, refused and empty bands, cancellation, failures, the Functions constants and the
// export filter's calls. A4 portrait, 10 mm margins, fixed-pitch text: a line is 39.6875
// tenths of a millimetre, a new band 40 pixels = 105.83 tenths; device pixels are tenths *
// 96 / 254.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/rounding.h"
#include "report/qr_label.h"
#include "report/rozer_ededid.h"
#include "tests/report/report_test_support.h"
#include "tests/report/size_test_owners.h"

namespace quillon {
namespace {

using testing::Generate;
using testing::MemoReport;
using testing::NumberedLines;
using testing::PageStrings;
using testing::PageText;
using testing::PageTexts;
using testing::ScopedMeasurement;

using Pages = std::vector<std::vector<std::string>>;

int Device(long double tenths) {
    return RoundHalfEven32(tenths * 96 / 254);
}

// A band of `type` on the report holding a label with `caption`.
TQRCustomBand& BandWithLabel(TCustomRozerEdedid& report, TQRBandType type,
                             const std::string& caption) {
    TQRBand& band = report.CreateStandardBand(type);
    TQRLabel& label = band.Insert(std::make_unique<TQRLabel>(&report));
    label.SetCaption(caption);
    return band;
}

class Generation : public ::testing::Test {
protected:
    ScopedMeasurement metric_{MeasurementSystem::kMetric};
};

TEST_F(Generation, ForcedPagesNeverMakeAnEmptyFirstPage) {
    TRozerEdedid report;
    BandWithLabel(report, TQRBandType::rbDetail, "D").SetForceNewPage(true);
    BandWithLabel(report, TQRBandType::rbSummary, "S").SetForceNewPage(true);
    EXPECT_EQ(PageStrings(Generate(report)), (Pages{{"D"}, {"S"}}));
}

TEST_F(Generation, TheFirstForcedColumnOnColumnOneIsIgnored) {
    TRozerEdedid report;
    report.Page().SetColumns(2);
    TQRCustomBand& detail = BandWithLabel(report, TQRBandType::rbDetail, "D");
    detail.SetHasChild(true);
    TQRLabel& child = detail.ChildBand()->Insert(std::make_unique<TQRLabel>(&report));
    child.SetCaption("C");
    detail.ChildBand()->SetForceNewColumn(true);
    BandWithLabel(report, TQRBandType::rbSummary, "S").SetForceNewColumn(true);

    const auto pages = PageTexts(Generate(report));
    // Column 2 begins 950 tenths (the detail band's width) right of column 1.
    EXPECT_EQ(pages, (std::vector<std::vector<PageText>>{
                         {{38, 38, "D"}, {38, Device(100 + 106), "C"}, {Device(1050), 38, "S"}}}));
}

TEST_F(Generation, AStretchingBandContinuesInTheNextColumnThenOnTheNextPage) {
    MemoReport r;
    r.report->Page().SetColumns(2);
    r.memo->SetLines(NumberedLines(68 + 65 + 10));
    const auto pages = PageTexts(Generate(*r.report));
    ASSERT_EQ(pages.size(), 2u);
    // Column 1 holds 68 lines; column 2 starts below the title's designed height (206) and
    // holds the 65 for which round(105.83 + k * 39.6875) <= 2870 - 206.
    ASSERT_EQ(pages[0].size(), 68u + 65u);
    EXPECT_EQ(pages[0][67], (PageText{38, Device(100 + 67 * 39.6875L), "Line 68"}));
    EXPECT_EQ(pages[0][68], (PageText{Device(1050), Device(206), "Line 69"}));
    ASSERT_EQ(pages[1].size(), 10u);
    EXPECT_EQ(pages[1][0], (PageText{38, 38, "Line 134"}));
}

TEST_F(Generation, VerticalMarginsLargerThanThePageBecomeZero) {
    MemoReport r;
    r.report->Page().SetTopMargin(200);  // mm
    r.report->Page().SetBottomMargin(200);
    r.memo->SetLines(NumberedLines(100));
    const auto pages = PageTexts(Generate(*r.report));
    EXPECT_EQ(r.report->Page().TopMargin(), 0);
    EXPECT_EQ(r.report->Page().BottomMargin(), 0);
    EXPECT_EQ(r.report->Page().LeftMargin(), 10) << "the horizontal margins still fit";
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0][0].y, 0);
    EXPECT_EQ(pages[0].size(), 73u) << "round(105.83 + k * 39.6875) <= 2970 allows k = 72";
}

TEST_F(Generation, ARefusedOrDisabledBandPrintsNothingButItsChildPrints) {
    for (const bool disable : {true, false}) {
        SCOPED_TRACE(disable ? "disabled" : "refused in BeforePrint");
        TRozerEdedid report;
        TQRCustomBand& detail = BandWithLabel(report, TQRBandType::rbDetail, "D");
        detail.SetHasChild(true);
        detail.ChildBand()->Insert(std::make_unique<TQRLabel>(&report)).SetCaption("C");
        BandWithLabel(report, TQRBandType::rbSummary, "S");
        int beforeCalls = 0;
        std::vector<bool> printed;
        if (disable) detail.SetEnabled(false);
        detail.BeforePrint = [&](TQRCustomBand& sender, bool& print) {
            EXPECT_EQ(&sender, &detail);
            ++beforeCalls;
            print = false;
        };
        detail.AfterPrint = [&](TQRCustomBand&, bool bandPrinted) {
            printed.push_back(bandPrinted);
        };
        const auto pages = PageTexts(Generate(report));
        EXPECT_EQ(beforeCalls, disable ? 0 : 1);
        EXPECT_EQ(printed, std::vector<bool>{false});
        EXPECT_EQ(
            pages,
            (std::vector<std::vector<PageText>>{{{38, 38, "C"}, {38, Device(100 + 106), "S"}}}));
    }
}

TEST_F(Generation, ABandOfHeightZeroPrintsNoPrintableAndTakesNoRoom) {
    TRozerEdedid report;
    BandWithLabel(report, TQRBandType::rbDetail, "D").Size().SetHeight(0);
    BandWithLabel(report, TQRBandType::rbSummary, "S");
    EXPECT_EQ(PageTexts(Generate(report)), (std::vector<std::vector<PageText>>{{{38, 38, "S"}}}));
}

// Page footer band of 105.83: the room on page 1 is round(2970 - 100 - 105.83 - 100) = 2664,
// enough for 65 lines; page 2 starts with the page header, as page 1 does not
// (FirstPageHeader off).
TEST_F(Generation, PageHeadersAndFootersFrameTheContinuedMemo) {
    for (const bool lastPageFooter : {true, false}) {
        SCOPED_TRACE(lastPageFooter ? "with LastPageFooter" : "without LastPageFooter");
        MemoReport r;
        BandWithLabel(*r.report, TQRBandType::rbPageHeader, "H");
        BandWithLabel(*r.report, TQRBandType::rbPageFooter, "F");
        TRozerEdedidOptions options;
        if (lastPageFooter) options.Include(TRozerEdedidOption::LastPageFooter);
        r.report->SetOptions(options);
        r.memo->SetLines(NumberedLines(100));
        const auto pages = PageTexts(Generate(*r.report));
        ASSERT_EQ(pages.size(), 2u);
        ASSERT_EQ(pages[0].size(), 65u + 1);
        EXPECT_EQ(pages[0].front(), (PageText{38, 38, "Line 1"}));
        EXPECT_EQ(pages[0].back(), (PageText{38, Device(2970 - 100 - 105.8333L), "F"}));
        EXPECT_EQ(pages[1][0], (PageText{38, 38, "H"}));
        EXPECT_EQ(pages[1][1], (PageText{38, Device(206), "Line 66"}));
        EXPECT_EQ(pages[1].back().text, lastPageFooter ? "F" : "Line 100");
    }
}

TEST_F(Generation, AnAlignedSummaryEndsOnTheBottomMarginOrAboveTheFooter) {
    for (const bool lastPageFooter : {true, false}) {
        TRozerEdedid report;
        BandWithLabel(report, TQRBandType::rbPageFooter, "F");
        BandWithLabel(report, TQRBandType::rbSummary, "S").SetAlignToBottom(true);
        TRozerEdedidOptions options;
        if (lastPageFooter) options.Include(TRozerEdedidOption::LastPageFooter);
        report.SetOptions(options);
        const auto pages = PageTexts(Generate(report));
        ASSERT_EQ(pages.size(), 1u);
        if (lastPageFooter) {
            EXPECT_EQ(pages[0], (std::vector<PageText>{{38, Device(2970 - 106 - 206), "S"},
                                                       {38, Device(2970 - 100 - 105.8333L), "F"}}));
        } else {
            EXPECT_EQ(pages[0], (std::vector<PageText>{{38, Device(2970 - 106 - 100), "S"}}));
        }
    }
}

// The band's stretched height counts its memo's lines in report units: 10 lines of 17
// pixels are 449.8 tenths (plus 66.1 below the memo), more than the 323 left after 60 title
// lines; a band that must stay on one page moves to the next.
TEST_F(Generation, KeepOnOnePageMovesAStretchedBandThatDoesNotFit) {
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "kept on one page" : "split");
        MemoReport r;
        r.memo->SetLines(NumberedLines(60, "Title "));
        TQRBand& summary = r.report->CreateStandardBand(TQRBandType::rbSummary);
        TQRMemo& memo = summary.Insert(std::make_unique<TQRMemo>(r.report.get()));
        memo.SetAutoStretch(true);
        memo.SetLines(NumberedLines(10, "Summary "));
        summary.SetKeepOnOnePage(keep);
        const Pages pages = PageStrings(Generate(*r.report));
        ASSERT_EQ(pages.size(), 2u);
        const std::vector<std::string> second(pages[1].begin(), pages[1].end());
        if (keep) {
            EXPECT_EQ(pages[0].size(), 60u);
            EXPECT_EQ(second, NumberedLines(10, "Summary "));
        } else {
            EXPECT_GT(pages[0].size(), 60u);
            EXPECT_LT(second.size(), 10u);
        }
    }
}

TEST_F(Generation, AFailedRunLeavesTheReportUsable) {
    MemoReport r;
    r.memo->SetLines(NumberedLines(100));
    r.report->SetUnits(TQRUnit::Inches);
    r.report->OnEndPage = [](TCustomRozerEdedid&) { throw std::runtime_error("disk full"); };
    EXPECT_THROW(Generate(*r.report), std::runtime_error);
    EXPECT_TRUE(r.report->Available());
    EXPECT_EQ(r.report->Units(), TQRUnit::Inches);
    EXPECT_FALSE(r.memo->Printing());
    EXPECT_EQ(r.report->QRPrinter()->State(), TQRPrinterState::prsFinished);

    r.report->OnEndPage = nullptr;
    const Pages pages = PageStrings(Generate(*r.report));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].front(), "Line 1") << "a new run starts at the first line";
    EXPECT_EQ(pages[1].back(), "Line 100");

    // A printer that has its pages already refuses a second document and keeps them.
    TQRPrinter& printer = *r.report->QRPrinter();
    try {
        r.report->GenerateReport(false);
        ADD_FAILURE() << "the finished printer took a new document";
    } catch (const EQRError& error) {
        EXPECT_STREQ(error.what(), "QRPrinter not ready");
    }
    EXPECT_EQ(PageStrings(printer), pages);
    EXPECT_TRUE(r.report->Available());
}

TEST_F(Generation, ACancelledRunEndsItsBandButNotItsLastPage) {
    MemoReport r;
    r.memo->SetLines(NumberedLines(100));
    int endedPages = 0;
    r.report->OnStartPage = [&](TCustomRozerEdedid& report) {
        if (report.PageNumber() == 2) report.CancelRun();
    };
    r.report->OnEndPage = [&](TCustomRozerEdedid&) { ++endedPages; };
    TQRPrinter& printer = Generate(*r.report);
    EXPECT_TRUE(r.report->Cancelled());
    EXPECT_EQ(endedPages, 1);
    EXPECT_EQ(printer.State(), TQRPrinterState::prsFinished);
    const Pages pages = PageStrings(printer);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].back(), "Line 100");
    r.report->CancelRun();  // outside a run: nothing
    EXPECT_TRUE(r.report->Available());
}

TEST_F(Generation, FunctionsHoldThePageColumnAndTitleDuringARun) {
    MemoReport r;
    r.memo->SetLines(NumberedLines(100));
    r.report->SetReportTitle("Monthly");
    TQREvEnvironment& functions = r.report->Functions();
    std::vector<std::string> seen;
    r.report->OnStartPage = [&](TCustomRozerEdedid&) {
        seen.push_back(std::to_string(functions.Result("PAGENUMBER").AsInteger()) + "/" +
                       std::to_string(functions.Result("columnnumber").AsInteger()) + "/" +
                       std::string(functions.Result("REPORTTITLE").Text()));
    };
    Generate(*r.report);
    // COLUMNNUMBER changes after the page has begun: the first page still sees the start.
    EXPECT_EQ(seen, (std::vector<std::string>{"1/0/Monthly", "2/1/Monthly"}));
    EXPECT_EQ(functions.Result("PAGENUMBER").AsInteger(), 0);
    EXPECT_EQ(functions.Result("REPORTTITLE").Text(), "");
}

// An export filter that writes down what it is told.
class RecordingFilter : public TQRExportFilter {
public:
    std::vector<std::string> calls;
    bool started = false;

    bool Started() const override { return started; }
    void Start(const FontSpec& font, int width, int length) override {
        started = true;
        calls.push_back("start " + font.face + " " + std::to_string(width) + " " +
                        std::to_string(length));
    }
    void NewPage() override { calls.push_back("page"); }
    void Shape(const ExportShape& shape) override {
        calls.push_back("shape " + std::to_string(shape.rect.top) + " " +
                        std::to_string(shape.rect.bottom));
    }
    void Text(long double, long double y, const FontSpec&, Color, TAlignment,
              std::string_view text) override {
        calls.push_back("text " + std::to_string(RoundHalfEven32(y)) + " " + std::string(text));
    }
    void EndBand(TQRCustomBand& band, long double, int startY, int) override {
        calls.push_back("band " + band.Name() + " " + std::to_string(startY));
    }
    void EndPage() override { calls.push_back("end page"); }
    void Finish() override { calls.push_back("finish"); }
    bool WholePageRoom() override { return false; }
};

TEST_F(Generation, AnExportRunBreaksThePagesAtTheSameLines) {
    std::vector<std::string> withDrawing;
    for (const bool drawing : {true, false}) {
        SCOPED_TRACE(drawing ? "drawing" : "export only");
        MemoReport r;
        r.memo->SetLines(NumberedLines(70));
        RecordingFilter filter;
        r.report->SetExportFilter(&filter);
        r.report->SetPageDrawing(drawing);
        TQRPrinter& printer = Generate(*r.report);
        const std::vector<std::string>& calls = filter.calls;
        ASSERT_EQ(calls.size(), 1u + 1 + 1 + 68 + 2 + 2 + 1 + 1 + 1);
        EXPECT_EQ(calls[0], "start Arial 2100 2970");
        EXPECT_EQ(calls[1], "page");
        EXPECT_EQ(calls[2], "shape 38 78") << "the band's background";
        EXPECT_EQ(calls[3], "text 100 Line 1");
        EXPECT_EQ(calls[70], "text 2759 Line 68");
        EXPECT_EQ(
            std::vector<std::string>(calls.begin() + 71, calls.end()),
            (std::vector<std::string>{"end page", "page", "text 100 Line 69", "text 140 Line 70",
                                      "band TitleBand1 100", "end page", "finish"}));
        if (drawing) {
            withDrawing = calls;
            EXPECT_EQ(printer.PageTotal(), 2);
        } else {
            EXPECT_EQ(calls, withDrawing);
            EXPECT_EQ(PageStrings(printer), (Pages{{}})) << "only the first page, undrawn";
        }
    }
}

// A band that sizes itself first covers its memo's full height: 10 lines of 17 pixels are
// 449.8 tenths, and 66.1 more lie below the memo (the band's 41 pixels less the memo's 16).
TEST_F(Generation, APrecalculatedBandCoversItsStretchedMemo) {
    for (const bool precalculate : {true, false}) {
        MemoReport r;
        r.memo->SetLines(NumberedLines(10));
        r.band->SetPreCaluculateBandHeight(precalculate);
        RecordingFilter filter;
        r.report->SetExportFilter(&filter);
        Generate(*r.report);
        const long double stretched = (10 * 17 + 25) * 254.0L / 96;
        EXPECT_EQ(
            filter.calls.at(2),
            "shape 38 " + std::to_string(Device(100 + (precalculate ? stretched : 105.8333L))));
    }
}

}  // namespace
}  // namespace quillon
