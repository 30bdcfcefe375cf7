// The program's own report: its design values and the pages it makes of a memo of lines.
// Text is measured by the headless fixed-pitch measurer: a 10-point font is 15 pixels high at
// 96 pixels per inch, so a line is 15 * 254 / 96 = 39.6875 tenths of a millimetre.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/rounding.h"
#include "platform/files/line_store.h"
#include "report/program_report.h"
#include "tests/report/report_test_support.h"

namespace quillon {
namespace {

using testing::Generate;
using testing::NumberedLines;
using testing::PageText;
using testing::PageTexts;

constexpr long double kLineHeight = 39.6875L;
constexpr long double kPixelsPerTenth = 96.0L / 254;

int DeviceY(long double tenths) {
    return RoundHalfEven32(tenths * kPixelsPerTenth);
}

TEST(ProgramReport, HoldsItsDesignValues) {
    ProgramReport program;
    TRozerEdedid& report = program.Report();
    EXPECT_EQ(report.Name(), "Report1");
    EXPECT_EQ(report.Units(), TQRUnit::MM);
    EXPECT_EQ(report.Page().PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(report.Page().Values(),
              (std::vector<long double>{100, 2970, 100, 2100, 100, 100, 0}));
    EXPECT_EQ(report.Font().face, "Courier New");
    EXPECT_EQ(report.Font().size, 10);
    EXPECT_TRUE(report.PrintIfEmpty());
    EXPECT_EQ(report.Options(), (TRozerEdedidOptions{TRozerEdedidOption::FirstPageHeader,
                                                     TRozerEdedidOption::LastPageFooter}));
    EXPECT_EQ(report.PrinterSettings(), TRozerEdedidPrinterSettings{});
    EXPECT_EQ(report.PrevInitialZoom(), TQRZoomState::qrZoomToWidth);
    EXPECT_TRUE(report.PrevShowThumbs());
    EXPECT_TRUE(report.PrevShowSearch());

    TQRBand& band = program.Band();
    EXPECT_EQ(band.Name(), "QRBand1");
    EXPECT_EQ(band.BandType(), TQRBandType::rbTitle);
    EXPECT_EQ(report.Bands().TitleBand(), &band);
    EXPECT_EQ(band.Bounds(), (ControlBounds{38, 38, 718, 40}));
    EXPECT_NEAR(static_cast<double>(band.Size().Values()[0]), 105.8333333333333, 1e-9);
    EXPECT_NEAR(static_cast<double>(band.Size().Values()[1]), 1899.708333333333, 1e-9);

    TQRMemo& memo = program.Memo();
    EXPECT_EQ(memo.Name(), "QRMemo1");
    EXPECT_EQ(memo.Parent(), &band);
    EXPECT_TRUE(memo.ParentFont()) << "the memo prints in the report's font";
    EXPECT_TRUE(memo.AutoSize() && memo.AutoStretch() && memo.AlignToBand());
    EXPECT_EQ(memo.FontSize(), 10);
    EXPECT_EQ(memo.Top(), 0);
    EXPECT_EQ(memo.Left(), 0);
    EXPECT_EQ(memo.Height(), 17);

    // The user's font reaches the memo through the band.
    FontSpec chosen = report.Font();
    chosen.size = 12;
    report.SetFont(chosen);
    EXPECT_EQ(memo.Font().size, 12);
}

// Page 1 starts at the top margin; the band grows line by line while round(105.83 + k *
// 39.6875) <= 2970 - 100 - 100 - 0 holds for the k lines printed, which allows 68 lines: the
// 68th ends at 2798.75, a little above the bottom margin at 2870.
TEST(ProgramReport, WorkedSequenceFillsEachPageAndLosesNoLine) {
    constexpr int kLinesPerPage = 68;
    constexpr int kLines = 2 * kLinesPerPage + 11;
    ProgramReport program;
    program.Memo().SetLines(NumberedLines(kLines));

    TQRPrinter& printer = Generate(program.Report());
    ASSERT_EQ(printer.PageTotal(), 3);
    const auto pages = PageTexts(printer);
    int expected = 1;
    for (std::size_t page = 0; page < pages.size(); ++page) {
        SCOPED_TRACE("page " + std::to_string(page + 1));
        const std::size_t count = page < 2 ? kLinesPerPage : kLines - 2 * kLinesPerPage;
        ASSERT_EQ(pages[page].size(), count);
        for (std::size_t k = 0; k < count; ++k) {
            const PageText& t = pages[page][k];
            EXPECT_EQ(t.text, "Line " + std::to_string(expected++));
            EXPECT_EQ(t.x, 38);
            EXPECT_EQ(t.y, DeviceY(100 + k * kLineHeight));
        }
    }
    EXPECT_EQ(expected, kLines + 1);
    EXPECT_EQ(pages[0].back().y, DeviceY(100 + (kLinesPerPage - 1) * kLineHeight));

    // The report is as before and runs again with the same result.
    EXPECT_TRUE(program.Report().Available());
    EXPECT_EQ(program.Report().Units(), TQRUnit::MM);
    EXPECT_EQ(PageTexts(Generate(program.Report())), pages);
}

TEST(ProgramReport, EmptyMemoGivesOnePageWithNoText) {
    ProgramReport program;
    TQRPrinter& printer = Generate(program.Report());
    ASSERT_EQ(printer.PageTotal(), 1);
    EXPECT_TRUE(PageTexts(printer)[0].empty());
}

// Landscape A4 is 2100 long: round(105.83 + k * 39.6875) <= 1900 allows 46 lines; the band
// spans 1123 - 76 = 1047 pixels.
TEST(ProgramReport, LandscapeGivesAWiderBandAndFewerLinesPerPage) {
    ProgramReport program;
    program.Report().Page().SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(program.Band().Width(), 1047);
    program.Memo().SetLines(NumberedLines(100));
    TQRPrinter& printer = Generate(program.Report());
    const auto pages = PageTexts(printer);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].size(), 46u);
    EXPECT_EQ(pages[1].size(), 46u);
    EXPECT_EQ(pages[2].size(), 8u);
    EXPECT_EQ(pages[1].front().text, "Line 47");
    EXPECT_EQ(printer.PageImage(1)->Width(), 1123);
    EXPECT_EQ(printer.PageImage(1)->Height(), 794);
}

TEST(ProgramReport, LinesWiderThanThePagePrintWhole) {
    ProgramReport program;
    const std::string wide(150, 'x');  // 150 * 8 pixels, past the right margin
    program.Memo().SetLines({"short", wide, "", "tail"});
    TQRPrinter& printer = Generate(program.Report());
    const auto pages = PageTexts(printer);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].size(), 3u) << "an empty line takes its height but draws nothing";
    EXPECT_EQ(pages[0][1].text, wide);
    EXPECT_EQ(pages[0][2].text, "tail");
    EXPECT_EQ(pages[0][2].y, DeviceY(100 + 3 * kLineHeight));
    EXPECT_EQ(program.Memo().Width(), 150 * 8 + 1) << "the memo is as wide as its widest line";
}

// The lines of a long text leave memory for a file; the pages must not show it. Small memory
// limits stand in for long texts; without AutoSize the laid-out lines go to a file as well.
TEST(ProgramReport, LinesOnFilePrintAsFromMemory) {
    std::vector<std::string> lines = NumberedLines(300);
    std::string wide;
    for (int i = 0; i < 30; ++i) wide += "word ";  // 150 characters, wider than the band
    for (std::size_t i = 0; i < lines.size(); i += 37) lines[i] = wide + lines[i];

    const auto run = [&](bool autoSize, std::size_t memoryLimit, bool& onFile) {
        ProgramReport program;
        program.Memo().SetAutoSize(autoSize);
        LineStore store(memoryLimit);
        for (const std::string& line : lines) store.Append(line);
        program.Memo().SetLines(std::move(store));
        program.Memo().SetFormFeeds({150});
        auto pages = testing::PageStrings(Generate(program.Report()));
        onFile = !program.Memo().LaidOutLines().InMemory();
        return std::make_pair(std::move(pages), program.LargestFittingFontSize(10));
    };
    for (const bool autoSize : {true, false}) {
        bool onFile = true;
        const auto fromMemory = run(autoSize, LineStore::kDefaultMemoryLimit, onFile);
        EXPECT_FALSE(onFile);
        if (autoSize) {
            std::vector<std::string> printed;
            for (const auto& page : fromMemory.first) {
                printed.insert(printed.end(), page.begin(), page.end());
            }
            EXPECT_EQ(printed, lines);
        }
        for (const std::size_t limit : {std::size_t{0}, std::size_t{500}}) {
            SCOPED_TRACE(std::string(autoSize ? "AutoSize" : "word wrap") + ", memory limit " +
                         std::to_string(limit));
            const auto fromFile = run(autoSize, limit, onFile);
            EXPECT_TRUE(onFile);
            EXPECT_EQ(fromFile.first, fromMemory.first);
            EXPECT_EQ(fromFile.second, fromMemory.second) << "--fit measures every line";
        }
    }
}

}  // namespace
}  // namespace quillon
