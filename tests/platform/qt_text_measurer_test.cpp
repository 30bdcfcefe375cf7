#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/qt/qt_text_measurer.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

class QtTextMeasurerTest : public ::testing::Test {
protected:
    void SetUp() override { testing::EnsureQtApplication(); }
    QtTextMeasurer measurer;
};

struct MetricsCase {
    const char* face;
    double points;
    int dpi;
    int ascent;
    int descent;
    int advanceW;  // of "W"
};

// Metric-compatible fonts stand in for the Windows faces, so these are the Windows figures.
TEST_F(QtTextMeasurerTest, MetricsAndAdvancesOfTheProgramFonts) {
    const MetricsCase cases[] = {
        {"Courier New", 10, 96, 11, 4, 8},        // 13-pixel em
        {"Courier New", 10, 1200, 139, 50, 100},  // 167-pixel em: 0.6 em per character
        {"Arial", 10, 96, 12, 3, 12},
        {"Courier New", 12, 96, 13, 5, 10},  // 16-pixel em
    };
    for (const MetricsCase& c : cases) {
        SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.points) + " pt at " +
                     std::to_string(c.dpi));
        const FontSpec font{c.face, c.points, 0, kBlack, kRussianCharset};
        const FontMetrics metrics = measurer.Metrics(font, c.dpi);
        EXPECT_EQ(metrics.ascent, c.ascent);
        EXPECT_EQ(metrics.descent, c.descent);
        EXPECT_EQ(measurer.Advances(font, c.dpi, u"W", nullptr), c.advanceW);
    }
}

// The font engine's ascent wraps around from some 16,000 pixels on, which put every line of a
// huge font above the one before; sizes past the largest print at it, and large ems are measured
// in proportion at every resolution (a printer, a preview zoomed to 2000 % on a doubled screen).
TEST_F(QtTextMeasurerTest, HugeFontsMeasureInProportionAndStopAtTheLargestSize) {
    for (const char* face : {"Courier New", "Arial"}) {
        const FontSpec small{face, 10, 0, kBlack, kRussianCharset};
        const FontMetrics reference = measurer.Metrics(small, 7200);  // a 1000-pixel em
        for (const int dpi : {96, 1200, 96 * 20 * 2}) {
            SCOPED_TRACE(std::string(face) + " at " + std::to_string(dpi));
            const FontSpec largest{face, kLargestFontSize, 0, kBlack, kRussianCharset};
            const FontMetrics metrics = measurer.Metrics(largest, dpi);
            const double em = FontPixelSize(kLargestFontSize, dpi);
            EXPECT_NEAR(metrics.ascent / em, reference.ascent / 1000.0, 0.002);
            EXPECT_NEAR(metrics.descent / em, reference.descent / 1000.0, 0.002);
            for (const double points : {16000.0, -16000.0, 2e9}) {
                const FontSpec huge{face, points, 0, kBlack, kRussianCharset};
                EXPECT_EQ(measurer.Metrics(huge, dpi).Height(), metrics.Height()) << points;
                EXPECT_EQ(measurer.Advances(huge, dpi, u"W", nullptr),
                          measurer.Advances(largest, dpi, u"W", nullptr));
            }
        }
    }
}

TEST_F(QtTextMeasurerTest, FixedPitchFaceGivesEveryCharacterTheSameWholePixelAdvance) {
    const FontSpec font{"Courier New", 10, 0, kBlack, kRussianCharset};
    std::vector<int> advances;
    const std::u16string text = u"Wi.Жщ|\t";
    const int total = measurer.Advances(font, 96, text, &advances);
    EXPECT_EQ(advances, std::vector<int>(text.size(), 8));
    EXPECT_EQ(total, 8 * static_cast<int>(text.size()));
}

TEST_F(QtTextMeasurerTest, ProportionalFaceSumsItsRoundedAdvances) {
    const FontSpec font{"Arial", 10, 0, kBlack, kRussianCharset};
    std::vector<int> advances;
    const int total = measurer.Advances(font, 96, u"iWЖ", &advances);
    ASSERT_EQ(advances.size(), 3u);
    EXPECT_LT(advances[0], advances[1]);
    EXPECT_EQ(total, advances[0] + advances[1] + advances[2]);
    // Bold text is wider than regular.
    FontSpec bold = font;
    bold.style = kFontBold;
    EXPECT_GT(measurer.Advances(bold, 96, u"iiiiiiiiii", nullptr),
              measurer.Advances(font, 96, u"iiiiiiiiii", nullptr));
}

TEST_F(QtTextMeasurerTest, SurrogatePairTakesOneAdvanceOnItsFirstUnit) {
    const FontSpec font{"Courier New", 10, 0, kBlack, kRussianCharset};
    std::vector<int> advances;
    measurer.Advances(font, 96, u"A\U0001F600B", &advances);
    ASSERT_EQ(advances.size(), 4u);
    EXPECT_GT(advances[1], 0);
    EXPECT_EQ(advances[2], 0);
    EXPECT_EQ(advances[3], 8);
}

}  // namespace
}  // namespace quillon
