#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "platform/core/byte_stream.h"
#include "report/band_size.h"
#include "report/page.h"
#include "report/printable_size.h"
#include "size_test_owners.h"

namespace quillon {
namespace {

using testing::RecordingControl;
using testing::ScopedMeasurement;

class SizeObjects : public ::testing::Test {
protected:
    ScopedMeasurement metric_{MeasurementSystem::kMetric};
};

TEST_F(SizeObjects, BandTakesItsSizeInWholePixelsAndKeepsItsPlace) {
    RecordingControl band;
    TQRBandSize size(&band);
    band.size = &size;
    const long double values[] = {105.8333333333333L, 1899.708333333333L};
    size.SetValues(values);
    EXPECT_TRUE(band.placed.empty()) << "a values list alone must not resize; loading ends it";

    size.Loaded();
    ASSERT_EQ(band.placed.size(), 1u);
    EXPECT_EQ(band.bounds, (ControlBounds{3, 4, 718, 40}));
    EXPECT_EQ(band.updatingWhilePlaced, std::vector<bool>{true});
    EXPECT_FALSE(size.ParentUpdating());

    // Written in pixels: stored in tenths of a millimetre, the band follows.
    size.SwitchToPixels();
    size.SetHeight(41);
    EXPECT_EQ(band.bounds, (ControlBounds{3, 4, 718, 41}));
    EXPECT_NEAR(static_cast<double>(size.Values()[0]), 41 * 254.0 / 96, 1e-12);
    size.RestoreUnit();
    EXPECT_EQ(size.Units(), TQRUnit::MM);
    EXPECT_NEAR(static_cast<double>(size.Width()), 189.9708333333333, 1e-12);

    // Rounding to the nearest pixel, not truncation: 2100 tenths are 793.70 pixels.
    size.SetUnits(TQRUnit::Native);
    size.SetWidth(2100);
    EXPECT_EQ(band.bounds.width, 794);
}

TEST_F(SizeObjects, ZoomResizesTheControlAndNonPositiveZoomIsIgnored) {
    RecordingControl band;
    TQRBandSize size(&band);
    const long double values[] = {105.8333333333333L, 1899.708333333333L};
    size.SetValues(values);
    size.SetZoom(200);
    EXPECT_EQ(band.bounds, (ControlBounds{3, 4, 1436, 80}));
    size.SetUnits(TQRUnit::Pixels);
    EXPECT_NEAR(static_cast<double>(size.Height()), 80.0, 1e-9);

    band.placed.clear();
    size.SetZoom(0);
    size.SetZoom(-50);
    EXPECT_EQ(size.Zoom(), 200);
    EXPECT_TRUE(band.placed.empty());
}

TEST_F(SizeObjects, PrintablePlacedAtRoundedPixelsOfAllFourValues) {
    RecordingControl memo;
    TQRPrintableSize size(&memo);
    memo.size = &size;
    // The program's memo, moved to 2.4 mm / 6.9 mm (9.07 and 26.08 pixels).
    const long double values[] = {44.97916666666667L, 24.0L, 69.0L, 150.8125L};
    size.SetValues(values);
    size.Loaded();
    EXPECT_EQ(memo.bounds, (ControlBounds{9, 26, 57, 17}));
    EXPECT_EQ(memo.updatingWhilePlaced, std::vector<bool>{true});
    EXPECT_FALSE(size.ParentUpdating());

    size.SetUnits(TQRUnit::MM);
    EXPECT_NEAR(static_cast<double>(size.Left()), 2.4, 1e-15);
    EXPECT_NEAR(static_cast<double>(size.Top()), 6.9, 1e-15);
    size.SetTop(0);
    size.SetLeft(0);
    EXPECT_EQ(memo.bounds, (ControlBounds{0, 0, 57, 17}));
    EXPECT_EQ(memo.placed.size(), 3u);
}

TEST_F(SizeObjects, PrintableReadsInPixelsScaleByTheParentPanelZoom) {
    RecordingControl memo;
    memo.parentZoom = 200;
    TQRPrintableSize size(&memo);
    const long double values[] = {44.97916666666667L, 0.0L, 0.0L, 150.8125L};
    size.SetValues(values);
    size.SetUnits(TQRUnit::Pixels);
    EXPECT_NEAR(static_cast<double>(size.Width()), 114.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(size.Height()), 34.0, 1e-9);

    // The control itself is placed by the size's own zoom only, and a write uses that zoom
    // too, so the parent's zoom is not divided out of what was read.
    size.ResizeParent();
    EXPECT_EQ(memo.bounds, (ControlBounds{0, 0, 57, 17}));
    size.SetWidth(100);
    EXPECT_EQ(memo.bounds.width, 100);
    EXPECT_NEAR(static_cast<double>(size.Width()), 200.0, 1e-9);

    // Other units are not scaled.
    size.SetUnits(TQRUnit::MM);
    EXPECT_NEAR(static_cast<double>(size.Height()), 4.497916666666667, 1e-12);
}

TEST_F(SizeObjects, UnitSwitchesNest) {
    TQRBandSize size;
    size.SetUnits(TQRUnit::Inches);
    size.SwitchToPixels();
    EXPECT_EQ(size.Units(), TQRUnit::Pixels);
    size.SetUnits(TQRUnit::MM);
    size.SwitchToPixels();
    size.RestoreUnit();
    EXPECT_EQ(size.Units(), TQRUnit::MM);
    size.RestoreUnit();
    EXPECT_EQ(size.Units(), TQRUnit::Inches);
    size.RestoreUnit();  // nothing remembered
    EXPECT_EQ(size.Units(), TQRUnit::Inches);
}

TEST_F(SizeObjects, UpdatingFlagIsClearedWhenTheControlThrows) {
    class ThrowingControl : public RecordingControl {
    public:
        void SetBounds(const ControlBounds&) override { throw std::runtime_error("refused"); }
    } band;
    TQRBandSize size(&band);
    EXPECT_THROW(size.SetHeight(5), std::runtime_error);
    EXPECT_FALSE(size.ParentUpdating());
}

TEST_F(SizeObjects, BadValuesListsAreRefusedAndChangeNothing) {
    constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();
    constexpr long double kInf = std::numeric_limits<long double>::infinity();
    testing::RecordingReport report;
    RecordingControl band;
    RecordingControl memo;
    TQRBandSize bandSize(&band);
    TQRPrintableSize memoSize(&memo);
    TQRPage page(&report);
    TQRUnitBase* const objects[] = {&bandSize, &memoSize, &page};
    for (TQRUnitBase* object : objects) {
        const std::vector<long double> before = object->Values();
        const std::size_t n = before.size();
        std::vector<std::vector<long double>> bad = {
            {}, std::vector<long double>(n - 1, 1.0L), std::vector<long double>(n + 1, 1.0L)};
        for (const long double poison : {kNaN, kInf, -kInf}) {
            bad.emplace_back(n, 1.0L);
            bad.back()[n - 1] = poison;
        }
        for (const std::vector<long double>& list : bad) {
            SCOPED_TRACE(::testing::PrintToString(n) + " values expected, list of " +
                         ::testing::PrintToString(list.size()));
            EXPECT_THROW(object->SetValues(list), EReadError);
            EXPECT_EQ(object->Values(), before);
        }
    }
    EXPECT_TRUE(report.resizes.empty());
}

}  // namespace
}  // namespace quillon
