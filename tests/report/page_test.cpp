#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "output/paper.h"
#include "platform/core/rounding.h"
#include "report/page.h"
#include "size_test_owners.h"

namespace quillon {
namespace {

using testing::RecordingReport;
using testing::ScopedMeasurement;

std::vector<long double> V(std::initializer_list<long double> values) {
    return values;
}

void ExpectMillimetres(const TQRPage& page, long double width, long double length) {
    ASSERT_EQ(page.Units(), TQRUnit::MM);
    EXPECT_NEAR(static_cast<double>(page.Width()), static_cast<double>(width), 1e-12);
    EXPECT_NEAR(static_cast<double>(page.Length()), static_cast<double>(length), 1e-12);
}

class PageSetup : public ::testing::Test {
protected:
    ScopedMeasurement metric_{MeasurementSystem::kMetric};
};

TEST(PageDefaults, FollowTheMeasurementSystem) {
    {
        const ScopedMeasurement metric(MeasurementSystem::kMetric);
        const TQRPage page;
        EXPECT_EQ(page.Units(), TQRUnit::MM);
        EXPECT_EQ(page.PaperSize(), TQRPaperSize::A4);
        // Exactly the page this program stores: 10 mm margins on A4.
        EXPECT_EQ(page.Values(), V({100, 2970, 100, 2100, 100, 100, 0}));
        EXPECT_EQ(page.Orientation(), TPrinterOrientation::poPortrait);
        EXPECT_EQ(page.Columns(), 1);
        EXPECT_TRUE(page.Ruler());
        EXPECT_EQ(page.ColumnOrder(), ColumnPrintOrder::kColumnByColumn);
        EXPECT_EQ(page.Zoom(), 100);
    }
    {
        const ScopedMeasurement us(MeasurementSystem::kUnitedStates);
        const TQRPage page;
        EXPECT_EQ(page.Units(), TQRUnit::Inches);
        EXPECT_EQ(page.PaperSize(), TQRPaperSize::Letter);
        EXPECT_EQ(page.Values(), V({127, 2794, 127, 2159, 127, 127, 0}));
        EXPECT_NEAR(static_cast<double>(page.TopMargin()), 0.5, 1e-15);
    }
}

TEST_F(PageSetup, OrientationSwapsTablePaperButNeverTheMargins) {
    TQRPage page;
    ExpectMillimetres(page, 210, 297);
    page.SetLeftMargin(15);
    page.SetTopMargin(20);
    page.SetOrientation(TPrinterOrientation::poLandscape);
    ExpectMillimetres(page, 297, 210);
    EXPECT_NEAR(static_cast<double>(page.LeftMargin()), 15, 1e-15);
    EXPECT_NEAR(static_cast<double>(page.TopMargin()), 20, 1e-15);
    EXPECT_NEAR(static_cast<double>(page.RightMargin()), 10, 1e-15);
    EXPECT_NEAR(static_cast<double>(page.BottomMargin()), 10, 1e-15);
    page.SetOrientation(TPrinterOrientation::poPortrait);
    ExpectMillimetres(page, 210, 297);
}

TEST_F(PageSetup, EveryTablePaperSizeInBothOrientations) {
    RecordingReport report;
    TQRPage page(&report);
    report.page = &page;
    page.SetUnits(TQRUnit::Inches);
    for (const PaperEntry& paper : kPaperTable) {
        if (!HasPaperDimensions(paper.size)) continue;
        SCOPED_TRACE(std::string(paper.name));
        for (const auto orientation :
             {TPrinterOrientation::poPortrait, TPrinterOrientation::poLandscape}) {
            page.SetOrientation(orientation);
            page.SetPaperSize(paper.size);
            EXPECT_EQ(page.PaperSize(), paper.size);
            // The page is read in inches and stays so; the table is in millimetres.
            EXPECT_EQ(page.Units(), TQRUnit::Inches);
            const bool portrait = orientation == TPrinterOrientation::poPortrait;
            const std::vector<long double> values = page.Values();
            EXPECT_NEAR(static_cast<double>(values[3]),
                        static_cast<double>((portrait ? paper.width : paper.length) * 10), 1e-12);
            EXPECT_NEAR(static_cast<double>(values[1]),
                        static_cast<double>((portrait ? paper.length : paper.width) * 10), 1e-12);
            EXPECT_EQ(values[0], 100);
            EXPECT_EQ(values[2], 100);
            EXPECT_EQ(values[4], 100);
            EXPECT_EQ(values[5], 100);
        }
    }
}

TEST_F(PageSetup, LengthAndWidthAreWrittenOnlyForCustomPaper) {
    TQRPage page;
    page.SetWidth(100);
    page.SetLength(120);
    ExpectMillimetres(page, 210, 297);

    // Default and Custom keep the dimensions they find; only Custom takes writes.
    page.SetPaperSize(TQRPaperSize::Default);
    ExpectMillimetres(page, 210, 297);
    page.SetWidth(100);
    ExpectMillimetres(page, 210, 297);

    page.SetPaperSize(TQRPaperSize::Custom);
    ExpectMillimetres(page, 210, 297);
    page.SetWidth(100);
    page.SetLength(120);
    ExpectMillimetres(page, 100, 120);
    page.SetOrientation(TPrinterOrientation::poLandscape);
    ExpectMillimetres(page, 100, 120);
}

TEST_F(PageSetup, MarginsAreStoredInTenthsFromTheCurrentUnit) {
    TQRPage page;
    page.SetUnits(TQRUnit::Inches);
    page.SetTopMargin(0.5);
    EXPECT_EQ(page.Values()[2], 127);
    page.SetUnits(TQRUnit::Native);
    page.SetColumnSpace(33);
    EXPECT_EQ(page.Values()[6], 33);
    page.SetUnits(TQRUnit::Pixels);
    page.SetBottomMargin(96);
    EXPECT_NEAR(static_cast<double>(page.Values()[0]), 254.0, 1e-13);
}

TEST_F(PageSetup, ColumnsBelowOneOrUnchangedAreIgnored) {
    RecordingReport report;
    TQRPage page(&report);
    for (const int ignored : {0, -1, 1}) {
        page.SetColumns(ignored);
        EXPECT_EQ(page.Columns(), 1);
    }
    EXPECT_EQ(report.layouts, 0);
    EXPECT_EQ(report.repaints, 0);
    page.SetColumns(3);
    EXPECT_EQ(page.Columns(), 3);
    EXPECT_EQ(report.layouts, 1);
    EXPECT_EQ(report.repaints, 1);
}

TEST_F(PageSetup, LoadedValuesWinOverThePaperTable) {
    RecordingReport report;
    TQRPage page(&report);
    page.SetPaperSize(TQRPaperSize::A4);
    report.ResetCounts();
    page.SetValues(V({50, 2000, 60, 1500, 70, 80, 5}));
    EXPECT_EQ(page.PaperSize(), TQRPaperSize::A4);
    ExpectMillimetres(page, 150, 200);
    EXPECT_NEAR(static_cast<double>(page.BottomMargin()), 5, 1e-15);
    EXPECT_NEAR(static_cast<double>(page.ColumnSpace()), 0.5, 1e-15);
    // The report control takes the loaded paper: 150 x 200 mm at 96 px/in.
    ASSERT_EQ(report.resizes.size(), 1u);
    EXPECT_EQ(report.resizes[0], (ControlBounds{5, 6, 567, 756}));
    // The next orientation change goes back to the table.
    page.SetOrientation(TPrinterOrientation::poLandscape);
    ExpectMillimetres(page, 297, 210);
}

TEST_F(PageSetup, WhatEachSetterAsksOfTheReport) {
    struct Case {
        const char* what;
        std::function<void(TQRPage&)> change;
        bool resizes;
        bool laysOut;
        bool repaints;
        bool appliesUnits;
    };
    const Case cases[] = {
        {"Width (Custom)", [](TQRPage& p) { p.SetWidth(100); }, true, true, false, false},
        {"Length (Custom)", [](TQRPage& p) { p.SetLength(100); }, true, true, false, false},
        {"BottomMargin", [](TQRPage& p) { p.SetBottomMargin(5); }, true, true, false, false},
        {"TopMargin", [](TQRPage& p) { p.SetTopMargin(5); }, false, true, true, false},
        {"LeftMargin", [](TQRPage& p) { p.SetLeftMargin(5); }, false, true, true, false},
        {"RightMargin", [](TQRPage& p) { p.SetRightMargin(5); }, false, true, true, false},
        {"ColumnSpace", [](TQRPage& p) { p.SetColumnSpace(5); }, false, true, true, false},
        {"Units", [](TQRPage& p) { p.SetUnits(TQRUnit::Inches); }, false, false, true, false},
        {"Ruler", [](TQRPage& p) { p.SetRuler(false); }, false, false, true, true},
        {"PaperSize", [](TQRPage& p) { p.SetPaperSize(TQRPaperSize::A5); }, true, true, true,
         false},
        {"Zoom", [](TQRPage& p) { p.SetZoom(150); }, true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingReport report;
        TQRPage page(&report);
        report.page = &page;
        page.SetPaperSize(TQRPaperSize::Custom);
        report.ResetCounts();
        c.change(page);
        EXPECT_EQ(!report.resizes.empty(), c.resizes);
        EXPECT_EQ(report.layouts > 0, c.laysOut);
        EXPECT_EQ(report.repaints > 0, c.repaints);
        EXPECT_EQ(report.unitApplications > 0, c.appliesUnits);
    }
}

TEST_F(PageSetup, ReportControlIsSizedToThePaperInPixels) {
    RecordingReport report;
    TQRPage page(&report);
    report.page = &page;
    page.SetPaperSize(TQRPaperSize::A4);
    EXPECT_EQ(report.bounds, (ControlBounds{5, 6, 794, 1123}));
    // The layout in between read the page in pixels without disturbing the page's unit.
    EXPECT_NEAR(static_cast<double>(report.laidOutWidth), 793.7007874015748, 1e-9);
    EXPECT_EQ(page.Units(), TQRUnit::MM);

    page.SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(report.bounds, (ControlBounds{5, 6, 1123, 794}));
    page.SetZoom(200);
    EXPECT_EQ(report.bounds, (ControlBounds{5, 6, 2245, 1587}));
    page.SetZoom(0);
    EXPECT_EQ(page.Zoom(), 200);

    // The program's band: the report control width less the rounded margins, in pixels.
    page.SetZoom(100);
    page.SetOrientation(TPrinterOrientation::poPortrait);
    page.SwitchToPixels();
    EXPECT_EQ(report.bounds.width - RoundHalfEven(page.LeftMargin() + page.RightMargin()), 718);
    page.RestoreUnit();
}

TEST_F(PageSetup, ResizeFeedbackFromTheReportControlIsIgnored) {
    RecordingReport report;
    TQRPage page(&report);
    report.page = &page;
    page.SetPaperSize(TQRPaperSize::Custom);
    page.SetWidth(100.3L);
    page.SetLength(150.7L);
    // The control got whole pixels; handing them back must not round the page's values.
    EXPECT_EQ(report.bounds, (ControlBounds{5, 6, 379, 570}));
    ExpectMillimetres(page, 100.3L, 150.7L);
    ASSERT_FALSE(report.updatingWhileResized.empty());
    for (const bool updating : report.updatingWhileResized) EXPECT_TRUE(updating);
    EXPECT_FALSE(page.ParentUpdating());
}

TEST_F(PageSetup, UserResizeOfTheReportControlSetsCustomPaper) {
    RecordingReport report;
    TQRPage page(&report);
    report.page = &page;

    // Table paper keeps its size.
    page.ReportControlResized(400, 500);
    ExpectMillimetres(page, 210, 297);

    page.SetPaperSize(TQRPaperSize::Custom);
    page.SetZoom(200);
    report.ResetCounts();
    page.ReportControlResized(400, 500);
    // 400 x 500 pixels at 200 % are 200 x 250 pixels at 100 %, at 96 px/in.
    ExpectMillimetres(page, 200 * 25.4L / 96, 250 * 25.4L / 96);
    EXPECT_TRUE(report.resizes.empty()) << "the page must not resize the control back";
    EXPECT_GT(report.layouts, 0);
    EXPECT_EQ(page.Units(), TQRUnit::MM);
}

TEST_F(PageSetup, CharactersUseTheReportFont) {
    RecordingReport report;
    report.fontSize = 10;
    TQRPage page(&report);
    page.SetUnits(TQRUnit::Characters);
    // 210 mm across at 10 points: 2100 / 3.1496... / 10.
    EXPECT_NEAR(static_cast<double>(page.Width()), 66.675, 1e-12);
    // 297 mm down: 2970 / 5.7204... / 10.
    EXPECT_NEAR(static_cast<double>(page.Length()), 2970 * 2.54 / 145.3, 1e-12);
}

}  // namespace
}  // namespace quillon
