// Bands on a report: standard bands and their names, the band list order, band widths, child
// and linked bands, frames, and the report's units and zoom reaching every band and printable.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/qr_label.h"
#include "report/rozer_ededid.h"
#include "tests/platform/emf_test_support.h"
#include "tests/report/size_test_owners.h"

namespace quillon {
namespace {

using testing::LoggingCanvas;
using testing::ScopedMeasurement;

class BandStructure : public ::testing::Test {
protected:
    ScopedMeasurement metric_{MeasurementSystem::kMetric};
    TRozerEdedid report_;
};

std::vector<std::string> Names(const std::vector<TQRCustomBand*>& bands) {
    std::vector<std::string> names;
    for (const TQRCustomBand* band : bands) names.push_back(band->Name());
    return names;
}

TEST_F(BandStructure, StandardBandsAreNamedAfterTheirKindWithTheFirstFreeNumber) {
    TRozerEdedidBands& bands = report_.Bands();
    EXPECT_FALSE(bands.HasTitle());
    bands.SetHasTitle(true);
    ASSERT_TRUE(bands.HasTitle());
    EXPECT_EQ(bands.TitleBand()->Name(), "TitleBand1");
    EXPECT_EQ(bands.TitleBand()->BandTypeName(), "Title");
    EXPECT_EQ(report_.CreateStandardBand(TQRBandType::rbTitle).Name(), "TitleBand2");
    bands.SetHasPageFooter(true);
    EXPECT_EQ(bands.PageFooterBand()->Name(), "PageFooterBand1");

    bands.SetHasTitle(false);  // destroys the first title band
    EXPECT_EQ(Names(report_.BandList()),
              (std::vector<std::string>{"TitleBand2", "PageFooterBand1"}));
    EXPECT_EQ(report_.CreateStandardBand(TQRBandType::rbTitle).Name(), "TitleBand1");
    EXPECT_EQ(bands.ColumnFooterBand(), nullptr);
}

TEST_F(BandStructure, BandListKeepsKindOrderWithChildrenAfterTheirParents) {
    for (const TQRBandType type :
         {TQRBandType::rbSummary, TQRBandType::rbOverlay, TQRBandType::rbDetail,
          TQRBandType::rbPageFooter, TQRBandType::rbTitle, TQRBandType::rbColumnHeader,
          TQRBandType::rbPageHeader}) {
        report_.CreateStandardBand(type);
    }
    TQRCustomBand& detail = *report_.Bands().DetailBand();
    detail.SetHasChild(true);
    detail.ChildBand()->SetName("DetailChild");
    report_.Bands().PageFooterBand()->SetHasChild(true);
    report_.Bands().PageFooterBand()->ChildBand()->SetName("FooterChild");
    EXPECT_EQ(Names(report_.BandList()),
              (std::vector<std::string>{"PageHeaderBand1", "TitleBand1", "ColumnHeaderBand1",
                                        "DetailBand1", "DetailChild", "SummaryBand1",
                                        "PageFooterBand1", "FooterChild", "OverlayBand1"}));

    // A new kind re-sorts: the overlay band becomes a page header.
    auto* overlay = dynamic_cast<TQRBand*>(report_.BandOfType(TQRBandType::rbOverlay));
    overlay->SetBandType(TQRBandType::rbPageHeader);
    EXPECT_EQ(Names(report_.BandList())[1], "OverlayBand1");
}

// A4 at 96 pixels per inch is 794 pixels wide; the margins of 100 tenths are 37.8 pixels.
TEST_F(BandStructure, BandsSpanTheMarginsOrTheirColumnAndStackDownThePage) {
    report_.Bands().SetHasTitle(true);
    report_.Bands().SetHasDetail(true);
    report_.Page().SetColumnSpace(10);  // mm: 37.8 pixels
    report_.Page().SetColumns(2);
    TQRCustomBand& title = *report_.Bands().TitleBand();
    TQRCustomBand& detail = *report_.Bands().DetailBand();
    EXPECT_EQ(title.Bounds(), (ControlBounds{38, 38, 718, 40}));
    EXPECT_NEAR(static_cast<double>(title.Size().Width()), 189.9708333, 1e-6);
    EXPECT_EQ(detail.Bounds(), (ControlBounds{38, 78, (718 - 38) / 2, 40}));

    detail.SetHasChild(true);
    EXPECT_EQ(detail.ChildBand()->Width(), 340) << "a child is as wide as the band it follows";
    EXPECT_EQ(detail.ChildBand()->Top(), 118);

    // The band's height goes through its size; the bands below move down.
    title.Size().SetHeight(20);  // mm
    EXPECT_EQ(title.Height(), 76);
    EXPECT_EQ(detail.Top(), 38 + 76);
}

TEST_F(BandStructure, RemovingAChildKeepsTheGrandchildAttached) {
    report_.Bands().SetHasDetail(true);
    TQRCustomBand& band = *report_.Bands().DetailBand();
    band.SetHasChild(true);
    TQRChildBand& child = *band.ChildBand();
    child.SetHasChild(true);
    TQRChildBand* grandchild = child.ChildBand();
    ASSERT_NE(grandchild, nullptr);
    EXPECT_EQ(grandchild->BandType(), TQRBandType::rbChild);

    band.SetHasChild(false);
    EXPECT_EQ(band.ChildBand(), grandchild);
    EXPECT_EQ(grandchild->ParentBand(), &band);
    EXPECT_EQ(report_.BandList().size(), 2u);
}

TEST_F(BandStructure, CircularLinksAreRefusedAndTheDesignerIsTold) {
    std::vector<std::string> messages;
    SetDesignMessageHandler([&](std::string_view m) { messages.emplace_back(m); });
    report_.Bands().SetHasDetail(true);
    TQRCustomBand& band = *report_.Bands().DetailBand();
    band.SetHasChild(true);
    TQRChildBand& child = *band.ChildBand();
    child.SetHasChild(true);
    TQRChildBand& grandchild = *child.ChildBand();

    child.SetParentBand(&grandchild);  // at run time: refused silently
    EXPECT_EQ(child.ParentBand(), &band);
    EXPECT_TRUE(messages.empty());

    report_.SetDesigning(true);
    child.SetParentBand(&grandchild);
    EXPECT_EQ(child.ParentBand(), &band);
    TQRBand& other = report_.CreateStandardBand(TQRBandType::rbSummary);
    band.SetLinkBand(&other);
    other.SetLinkBand(&band);
    EXPECT_EQ(band.LinkBand(), &other);
    EXPECT_EQ(other.LinkBand(), nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>(2, "Circular linking not allowed")));
    SetDesignMessageHandler(nullptr);

    // References to a destroyed band are cleared.
    report_.SetDesigning(false);
    report_.DeleteChild(other);
    EXPECT_EQ(band.LinkBand(), nullptr);
    report_.DeleteChild(band);
    EXPECT_EQ(child.ParentBand(), nullptr);
}

TEST_F(BandStructure, BandAlignedPrintablesFollowTheBand) {
    report_.Bands().SetHasTitle(true);
    TQRCustomBand& band = *report_.Bands().TitleBand();  // 718 pixels
    struct Case {
        TAlignment alignment;
        int width;
        int left;
    } cases[] = {
        {TAlignment::taLeftJustify, 100, 0},
        {TAlignment::taRightJustify, 100, 618},
        {TAlignment::taCenter, 100, 309},
        {TAlignment::taCenter, 1001, -141},  // -141.5 truncated toward zero
    };
    for (const Case& c : cases) {
        TQRPrintable& p = band.Insert(std::make_unique<TQRPrintable>(&report_));
        p.SetBounds({5, 3, c.width, 20});
        p.SetAlignment(c.alignment);
        p.SetAlignToBand(true);
        EXPECT_EQ(p.Left(), c.left) << c.width;
        EXPECT_NEAR(static_cast<double>(p.Size().Left()), c.left * 25.4 / 96, 1e-9)
            << "the position is written back into Size";
        band.DeleteChild(p);
    }
    // When the band narrows, a right-aligned printable moves with its edge.
    TQRPrintable& p = band.Insert(std::make_unique<TQRPrintable>(&report_));
    p.SetBounds({0, 0, 100, 20});
    p.SetAlignment(TAlignment::taRightJustify);
    p.SetAlignToBand(true);
    report_.Page().SetLeftMargin(20);    // mm
    EXPECT_EQ(band.Width(), 794 - 113);  // round(300 tenths) = 113 pixels
    EXPECT_EQ(p.Left(), 681 - 100);
}

TEST_F(BandStructure, UnitsAndZoomReachEveryBandAndPrintable) {
    report_.Bands().SetHasTitle(true);
    TQRCustomBand& band = *report_.Bands().TitleBand();
    TQRMemo& memo = band.Insert(std::make_unique<TQRMemo>(&report_));
    memo.SetBounds({10, 0, 57, 17});

    report_.SetUnits(TQRUnit::Inches);
    EXPECT_EQ(report_.Page().Units(), TQRUnit::Inches);
    EXPECT_EQ(band.Size().Units(), TQRUnit::Inches);
    EXPECT_EQ(memo.Size().Units(), TQRUnit::Inches);
    EXPECT_NEAR(static_cast<double>(band.Size().Height()), 40.0 / 96, 1e-9);

    report_.SetZoom(200);
    EXPECT_EQ(report_.Zoom(), 200);
    EXPECT_EQ(report_.Width(), 1587);
    EXPECT_EQ(band.Bounds(), (ControlBounds{76, 76, 1436, 80}));
    EXPECT_EQ(memo.Bounds(), (ControlBounds{20, 0, 114, 34}));
    report_.SetZoom(301);
    report_.SetZoom(0);
    EXPECT_EQ(report_.Zoom(), 200);
    report_.SetZoom(100);
    EXPECT_EQ(memo.Bounds(), (ControlBounds{10, 0, 57, 17}));
}

// Frames: width in points, so a frame 1 wide is 8 pixels at 600 dpi and 1 pixel on screen.
TEST(QRFrame, ThicknessFollowsTheDeviceAndTheLinesLieInside) {
    struct Case {
        int dpi;
        int width;
        int thickness;  // 0: nothing drawn
    } cases[] = {{600, 1, 8}, {96, 1, 1}, {96, 3, 4}, {600, -1, 1}, {96, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " dpi, width " + std::to_string(c.width));
        TQRFrame frame;
        frame.SetWidth(c.width);
        frame.SetDrawTop(true);
        frame.SetDrawBottom(true);
        frame.SetDrawLeft(true);
        frame.SetDrawRight(true);
        LoggingCanvas canvas;
        const long double factor = c.dpi / 254.0L;
        frame.Paint(&canvas, {10, 20, 110, 70}, factor, factor);
        const int t = c.thickness;
        if (t == 0) {
            EXPECT_TRUE(canvas.Shapes().empty());
            continue;
        }
        const auto fill = [](int l, int tp, int r, int b) {
            return "FillRect " + std::to_string(l) + " " + std::to_string(tp) + " " +
                   std::to_string(r) + " " + std::to_string(b);
        };
        EXPECT_EQ(canvas.Shapes(),
                  (std::vector<std::string>{fill(10, 20, 110, 20 + t), fill(10, 70 - t, 110, 70),
                                            fill(10, 20, 10 + t, 70), fill(110 - t, 20, 110, 70)}));
        EXPECT_EQ(canvas.shapes[0].brush, (Brush{kBlack, BrushStyle::bsSolid}));
    }
}

}  // namespace
}  // namespace quillon
