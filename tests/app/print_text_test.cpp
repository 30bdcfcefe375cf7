// Reading a DOS printer stream for Print: control bytes, tabs, form feeds, line drawing, and
// the pages the program's report makes of the result.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/printtext/print_text.h"
#include "report/program_report.h"
#include "tests/report/report_test_support.h"
#include "tests/support/line_store_lines.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using namespace std::string_literals;
using testing::Strings;
using testing::TempDir;

PrintText Read(const std::string& bytes, bool lineDrawing = false) {
    TempDir dir;
    testing::WriteFile(dir.File("in.prn"), bytes);
    return ReadPrintText(dir.File("in.prn"), {lineDrawing});
}

TEST(ReadPrintText, RemovesPrinterCommandsAndExpandsTabs) {
    // clang-format off
    const PrintText text = Read(
        "\x1B@\x1B" "E\x8F\xB0\xAE\xA1\xA0\x1B" "F\r\n"     // bold "Проба"
        "\x0F" "a\tb\x12\r\n"                                 // condensed, a tab
        "12345678\tx\x07\r\n"                                 // a full tab, a bell
        "\x1BK\x03\x00\n\x1A\r" "after image\r\n"s);          // image bytes are not line ends
    // clang-format on
    EXPECT_EQ(Strings(text.lines), (std::vector<std::string>{"\xCF\xF0\xEE\xE1\xE0", "a       b",
                                                             "12345678        x", "after image"}));
    EXPECT_TRUE(text.formFeeds.empty());
}

TEST(ReadPrintText, KeepsTheReadingRules) {
    // A lone CR is dropped, byte 26 cuts its line, and at a line start ends the text.
    const PrintText text = Read(
        "a\rb\r\nc\x1A"
        "dropped\r\ne\r\n\x1Anever");
    EXPECT_EQ(Strings(text.lines), (std::vector<std::string>{"ab", "c", "e"}));
}

TEST(ReadPrintText, LineDrawingKeepsTheDosBytesForTheDosCodePage) {
    const std::string frame = "\xDA\xC4\xCF\xD3\x80\xC5";  // corners, lines, a letter, a cross
    EXPECT_EQ(Strings(Read(frame).lines), std::vector<std::string>{"+-+|\xC0\xC5"});
    EXPECT_EQ(Strings(Read(frame, true).lines), std::vector<std::string>{frame});
}

TEST(ReadPrintText, FormFeedsStandBetweenLines) {
    struct Case {
        std::string stream;
        std::vector<std::string> lines;
        std::vector<std::int32_t> formFeeds;
    };
    const Case cases[] = {
        {"a\fb", {"a", "b"}, {1}},
        {"a\r\n\fb\r\n", {"a", "b"}, {1}},
        {"a\f\r\nb", {"a", "b"}, {1}},
        {"\f\r\n", {}, {0}},
        {"\r\n\f", {""}, {1}},
        {"a\f\fb", {"a", "b"}, {1, 1}},
        {"a\tb\fc\td", {"a       b", "c       d"}, {1}},
        // Empty lines after the last form feed would only make an empty page.
        {"a\f\r\n\r\n\x1B@\r\n", {"a"}, {1}},
        {"a\f\r\n\r\nb\r\n\r\n", {"a", "", "b", ""}, {1}},
        {"\r\n\r\n", {"", ""}, {}},
    };
    for (const Case& c : cases) {
        const PrintText text = Read(c.stream);
        EXPECT_EQ(Strings(text.lines), c.lines) << c.stream;
        EXPECT_EQ(text.formFeeds, c.formFeeds) << c.stream;
    }
}

// The pages of the program's report for a stream: each page's printed lines, in order. They
// must be the same when the lines are read as a long text is, into a store that has moved to
// its file.
std::vector<std::vector<std::string>> Pages(const std::string& stream) {
    TempDir dir;
    testing::WriteFile(dir.File("in.prn"), stream);
    const auto pagesWith = [&](std::size_t memoryLimit) {
        PrintText text;
        text.lines = LineStore(memoryLimit);
        posix::File input = posix::File::OpenForReading(dir.File("in.prn"));
        ReadPrintText(input, {}, text);
        ProgramReport program;
        program.Memo().SetLines(std::move(text.lines));
        program.Memo().SetFormFeeds(std::move(text.formFeeds));
        return testing::PageStrings(testing::Generate(program.Report()));
    };
    const auto pages = pagesWith(LineStore::kDefaultMemoryLimit);
    EXPECT_EQ(pagesWith(0), pages) << "from the file";
    return pages;
}

std::string Lines(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) text += "Line " + std::to_string(i) + "\r\n";
    return text;
}

std::vector<std::string> LineNames(int from, int to) {
    std::vector<std::string> names;
    for (int i = from; i <= to; ++i) names.push_back("Line " + std::to_string(i));
    return names;
}

TEST(FormFeedPages, EndThePageWithoutEmptyPagesAtTheEdges) {
    using Pages_ = std::vector<std::vector<std::string>>;
    // A page of the program's report holds 68 lines at 10 points.
    struct Case {
        const char* what;
        std::string stream;
        Pages_ pages;
    };
    const Case cases[] = {
        {"a form feed begins a new page", "A\r\n\fB\r\n", {{"A"}, {"B"}}},
        {"inside a line", "A\fB", {{"A"}, {"B"}}},
        {"at the start of the text", "\fA\r\nB", {{"A", "B"}}},
        {"at the very end", "A\r\nB\r\n\f", {{"A", "B"}}},
        {"two in a row make one empty page", "A\f\fB", {{"A"}, {}, {"B"}}},
        {"two in a row with a line end between", "A\r\n\f\r\n\fB", {{"A"}, {}, {"B"}}},
        {"two at the start", "\f\fA", {{}, {"A"}}},
        {"two at the end", "A\f\f", {{"A"}, {}}},
        {"three at the end", "A\f\f\f", {{"A"}, {}, {}}},
        {"at the end, then empty lines and a reset", "A\r\n\f\r\n\r\n\x1B@\r\n", {{"A"}}},
        {"empty lines between two make a page", "A\f\r\n\r\n\fB", {{"A"}, {}, {"B"}}},
        {"only form feeds", "\f\f", {{}}},
        {"empty text", "", {{}}},
        {"after a page that is exactly full", Lines(1, 68) + "\fB", {LineNames(1, 68), {"B"}}},
        {"after a full page at the very end", Lines(1, 68) + "\f", {LineNames(1, 68)}},
        {"a page that overflows goes on before the form feed",
         Lines(1, 70) + "\fB",
         {LineNames(1, 68), {"Line 69", "Line 70"}, {"B"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(Pages(c.stream), c.pages) << c.what;
}

}  // namespace
}  // namespace quillon
