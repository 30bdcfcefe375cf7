// Laying text out into printed lines, measured on the report's context with the headless
// fixed-pitch measurer: a 10-point character is 8 pixels and a measured line is 8 * n + 1.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/services.h"
#include "platform/core/text_measurer.h"
#include "report/qr_label.h"
#include "report/rozer_ededid.h"
#include "tests/report/report_test_support.h"
#include "tests/support/line_store_lines.h"

namespace quillon {
namespace {

using testing::Generate;
using testing::MemoReport;
using testing::NumberedLines;
using testing::PageStrings;
using testing::PageTexts;
using testing::Strings;

int Pixels(int characters) {
    return 8 * characters + 1;
}

struct BreakCase {
    const char* name;
    int width;  // pixels
    bool wordWrap;
    std::vector<std::string> lines;
    std::vector<std::string> expected;
};

TEST(LabelLayout, BreaksAtWordsWhenAutoSizeIsOff) {
    const BreakCase cases[] = {
        {"the first word fits with its space, the second goes on",
         Pixels(6),
         true,
         {"Hello world"},
         {"Hello ", "world"}},
        {"a word twice as wide keeps the front that stays below the width",
         Pixels(5),
         true,
         {"abcdefghij"},
         {"abcd"}},
        {"a too wide word after a line is cut to the width",
         Pixels(5),
         true,
         {"ab abcdefghij"},
         {"ab ", "abcde"}},
        {"hyphens break like spaces and stay", Pixels(5), true, {"well-known"}, {"well-", "known"}},
        {"carriage returns break, line feeds vanish, a trailing return adds a line",
         Pixels(20),
         true,
         {"a\rb\nc\r"},
         {"a", "bc", ""}},
        {"an empty source line is an empty printed line",
         Pixels(20),
         true,
         {"x", "", "y"},
         {"x", "", "y"}},
        {"without word wrap a line is cut after the last word that fits",
         Pixels(8),
         false,
         {"aaa bbb ccc ddd", "eee"},
         {"aaa bbb ", "eee"}},
        {"without word wrap a first word too wide keeps its front",
         Pixels(3),
         false,
         {"abcdef gh"},
         {"ab"}},
    };
    for (const BreakCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoReport r;
        r.memo->SetAutoSize(false);
        r.memo->SetWordWrap(c.wordWrap);
        r.memo->SetWidth(c.width);
        r.memo->SetLines(c.lines);
        r.memo->LayOutLines();
        EXPECT_EQ(Strings(r.memo->LaidOutLines()), c.expected);
        EXPECT_EQ(r.memo->Width(), c.width) << "without AutoSize the width stays";
    }
}

TEST(LabelLayout, AutoSizeKeepsEveryLineWholeAndTakesTheWidestWidth) {
    MemoReport r;
    const std::vector<std::string> lines{"one two three", std::string(200, 'w'), "a\rb"};
    r.memo->SetLines(lines);
    r.memo->LayOutLines();
    EXPECT_EQ(Strings(r.memo->LaidOutLines()), lines) << "AutoSize splits nothing";
    EXPECT_EQ(r.memo->Width(), Pixels(200));
    EXPECT_GT(r.memo->Width(), r.band->Width());
    EXPECT_EQ(r.memo->Left(), 0);
}

TEST(LabelLayout, CaptionBreaksAtCarriageReturnsAndSizesTheLabel) {
    MemoReport r;
    TQRLabel& label = r.band->Insert(std::make_unique<TQRLabel>(r.report.get()));
    label.SetHeight(5);
    label.SetCaption("a\rb\nc");
    EXPECT_EQ(Strings(label.LaidOutLines()), (std::vector<std::string>{"a", "bc"}));
    EXPECT_EQ(label.Height(), 16) << "at least the text height of \"A\" plus 1";
    EXPECT_EQ(label.Width(), Pixels(2));
}

TEST(LabelLayout, AutoSizeMovesAlignedLabelsByTheChangeOfWidth) {
    struct Case {
        TAlignment alignment;
        int left;
    } cases[] = {
        {TAlignment::taLeftJustify, 100},
        {TAlignment::taRightJustify, 100 + (10 - Pixels(4))},
        {TAlignment::taCenter, 100 + (10 - Pixels(4)) / 2},  // -12.5 truncated: 88
    };
    for (const Case& c : cases) {
        MemoReport r;
        TQRLabel& label = r.band->Insert(std::make_unique<TQRLabel>(r.report.get()));
        label.SetAlignment(c.alignment);
        label.SetBounds({100, 0, 10, 20});
        label.SetCaption("abcd");
        EXPECT_EQ(label.Width(), Pixels(4));
        EXPECT_EQ(label.Left(), c.left) << static_cast<int>(c.alignment);
    }
}

TEST(LabelLayout, KeptLayoutFollowsChangesOfLinesFontAndZoom) {
    MemoReport r;
    r.memo->SetLines({"abc", "abcdef"});
    r.memo->LayOutLines();
    EXPECT_EQ(r.memo->Width(), Pixels(6));

    r.memo->AddLine("abcdefghij");
    r.memo->LayOutLines();
    EXPECT_EQ(r.memo->Width(), Pixels(10));

    FontSpec font = r.report->Font();
    font.size = 20;  // 27-pixel em: 16-pixel advances
    r.report->SetFont(font);
    EXPECT_EQ(r.memo->Width(), 16 * 10 + 1) << "a font change lays out again at once";

    r.report->SetZoom(200);
    r.memo->LayOutLines();
    EXPECT_EQ(r.memo->Width(), 2 * (16 * 10 + 1));

    r.memo->SetLines({"x"});
    r.memo->LayOutLines();
    EXPECT_EQ(Strings(r.memo->LaidOutLines()), std::vector<std::string>{"x"});
}

TEST(LabelLayout, StoredFontSizeAppliesAfterLoadingOnlyWhenItDiffers) {
    for (const int size : {10, 14}) {
        MemoReport r;
        r.report->BeginLoading();
        r.memo->SetFontSize(size);
        r.report->EndLoading();
        EXPECT_EQ(r.memo->Font().size, size);
        EXPECT_EQ(r.memo->ParentFont(), size == 10) << "the same size keeps the parent's font";
    }
}

TEST(LabelPrinting, OnPrintChangesTheTextOfOnePrint) {
    MemoReport r;
    TQRLabel& label = r.band->Insert(std::make_unique<TQRLabel>(r.report.get()));
    label.SetCaption("caption");
    int calls = 0;
    label.OnPrint = [&](TComponent& sender, std::string& value) {
        EXPECT_EQ(&sender, &label);
        EXPECT_EQ(value, "caption");
        value = ++calls == 1 ? "replaced" : value;
    };
    EXPECT_EQ(PageStrings(Generate(*r.report)),
              (std::vector<std::vector<std::string>>{{"replaced"}}));
    EXPECT_EQ(label.PrintText(), "caption");
    EXPECT_EQ(PageStrings(Generate(*r.report)),
              (std::vector<std::vector<std::string>>{{"caption"}}));
}

TEST(LabelPrinting, WithoutAutoStretchOnlyTheLinesThatFitPrint) {
    MemoReport r;
    r.memo->SetAutoStretch(false);
    r.memo->SetHeight(17);  // room for one 15-pixel line
    r.memo->SetLines(NumberedLines(200));
    TQRPrinter& printer = Generate(*r.report);
    EXPECT_EQ(PageStrings(printer), (std::vector<std::vector<std::string>>{{"Line 1"}}));
}

// A line taller than a whole page would never fit: it prints anyway, clipped, one per page,
// instead of asking for new pages forever.
TEST(LabelPrinting, ALineTallerThanThePageStillMakesProgress) {
    MemoReport r;
    r.memo->SetAutoSize(false);
    r.memo->SetBounds({0, 0, 1000, 17});
    FontSpec huge = r.report->Font();
    huge.size = 900;  // a 1200-pixel em (720-pixel characters) on a 1123-pixel page
    r.memo->SetFont(huge);
    r.memo->SetLines({"A", "B", "C"});
    int pages = 0;
    r.report->OnStartPage = [&](TCustomRozerEdedid&) {
        if (++pages > 10) throw std::runtime_error("no progress");
    };
    TQRPrinter& printer = Generate(*r.report);
    EXPECT_EQ(PageStrings(printer), (std::vector<std::vector<std::string>>{{"A"}, {"B"}, {"C"}}));
}

// Measures like the fixed-pitch measurer and counts the characters it measures.
class CountingMeasurer : public FixedPitchMeasurer {
public:
    int Advances(const FontSpec& font, int dpi, std::u16string_view text,
                 std::vector<int>* advances) override {
        characters += text.size();
        return FixedPitchMeasurer::Advances(font, dpi, text, advances);
    }
    std::size_t characters = 0;
};

// Printing page after page uses the kept layout: each line is measured once for the memo's
// width and once as it is recorded, whatever the number of pages.
TEST(LabelPrinting, AMemoOfManyPagesMeasuresEachLineOnce) {
    CountingMeasurer measurer;
    PlatformServices services;
    services.measurer = &measurer;
    InstallPlatform(services);
    std::vector<std::size_t> counts;
    for (const int lines : {680, 1360}) {  // 10 and 20 pages
        MemoReport r;
        r.memo->SetLines(NumberedLines(lines, std::string(40, 'x')));
        std::size_t text = 0;
        for (const std::string_view line : r.memo->Lines()) text += line.size();
        measurer.characters = 0;
        Generate(*r.report);
        counts.push_back(measurer.characters);
        EXPECT_LT(measurer.characters, 2 * text + 100 * 20) << "a few characters a page besides";
    }
    InstallPlatform({});
    EXPECT_LT(counts[1], counts[0] * 21 / 10);
}

}  // namespace
}  // namespace quillon
