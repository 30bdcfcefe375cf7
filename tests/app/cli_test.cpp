// quillon-cli as a user runs it.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/app/cli_runner.h"
#include "tests/support/pdf_check.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::CliRun;
using testing::RunCli;
using testing::TempDir;

TEST(QuillonCli, ConvertsAFile) {
    TempDir dir;
    testing::WriteFile(dir.File("in.txt"), "\x80\xA0\nx");
    const CliRun run = RunCli("convert " + dir.File("in.txt") + " " + dir.File("out.txt"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(testing::ReadFile(dir.File("out.txt")), "\xC0\xE0\r\nx\r\n");
}

TEST(QuillonCli, ReportsErrorsAsTheProgramDoes) {
    TempDir dir;
    CliRun run = RunCli("convert " + dir.File("missing.txt") + " " + dir.File("out.txt"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "quillon-cli: " + dir.File("missing.txt") + ": File not found.\n");
    testing::WriteFile(dir.File("in.txt"), "x");
    run = RunCli("convert " + dir.File("in.txt") + " " + dir.Path() + "/./in.txt");
    EXPECT_EQ(run.output, "quillon-cli: " + dir.Path() + "/./in.txt: I/O error 32.\n");
    EXPECT_EQ(testing::ReadFile(dir.File("in.txt")), "x");
}

TEST(QuillonCli, ExplainsItsUsage) {
    CliRun run = RunCli("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("quillon-cli convert [--to cp1251|utf-8]"), std::string::npos);
    EXPECT_NE(run.output.find("quillon-cli print INPUT"), std::string::npos);
    // Help on every command, in each form, succeeds and shows that command.
    for (const std::string command : {"convert", "print", "render"}) {
        for (const std::string& form :
             {"help " + command, command + " --help", command + " -h", command + " help"}) {
            run = RunCli(form);
            EXPECT_EQ(run.status, 0) << form;
            EXPECT_NE(run.output.find("quillon-cli " + command + " "), std::string::npos) << form;
        }
    }
    run = RunCli("--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output.rfind("quillon-cli ", 0), 0u) << run.output;
    for (const char* wrong :
         {"convert only-one", "frobnicate", "convert --to latin1 a b", "print", "render x.qrp",
          "print x --size big --pdf y", "print x --pages 1-2 --qrp y", "convert x ''",
          "convert '' y", "convert -d '' x", "print '' --pdf y", "print x --pdf ''",
          "render x.qrp --pdf ''", "print x --qrp y --pdf z", "render x.qrp --pdf y --printer"}) {
        run = RunCli(wrong);
        EXPECT_EQ(run.status, 2) << wrong;
        EXPECT_EQ(run.output.rfind("quillon-cli: ", 0), 0u) << wrong << ": " << run.output;
    }
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// A DOS text of `count` numbered lines with Cyrillic words and a frame byte.
std::string NumberedDosLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        // "\x8F\xB0\xAE\xA1\xA0" is "Проба" in the DOS code page; 211 prints as "|", 196 as "-".
        text += "\xD3 \x8F\xB0\xAE\xA1\xA0 " + std::to_string(i) + " \xC4\xC4\r\n";
    }
    return text;
}

std::string PdfText(const std::string& pdf) {
    return testing::CommandOutput("pdftotext -layout -enc UTF-8 " + pdf + " - 2>&1");
}

// The numbers of the "Проба N" lines, page by page (pdftotext ends each page with a form feed).
std::vector<std::vector<int>> NumbersByPage(const std::string& text) {
    std::vector<std::vector<int>> pages(1);
    const std::string word = "Проба ";
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t feed = text.find('\f', at);
        const std::size_t hit = text.find(word, at);
        if (feed != std::string::npos && (hit == std::string::npos || feed < hit)) {
            pages.emplace_back();
            at = feed + 1;
            continue;
        }
        if (hit == std::string::npos) break;
        pages.back().push_back(std::stoi(text.substr(hit + word.size())));
        at = hit + word.size();
    }
    while (!pages.empty() && pages.back().empty()) pages.pop_back();
    return pages;
}

TEST(QuillonCliPrint, PrintsEveryLineInOrderOnTheExpectedPages) {
    TempDir dir;
    testing::WriteFile(dir.File("in.txt"), NumberedDosLines(150));
    const CliRun run = RunCli("print " + dir.File("in.txt") + " --pdf " + dir.File("out.pdf"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("3 pages"), std::string::npos) << run.output;

    const std::string text = PdfText(dir.File("out.pdf"));
    EXPECT_NE(text.find("| Проба 1 --"), std::string::npos) << text.substr(0, 200);
    // 68 lines fit on an A4 portrait page in Courier New 10 points.
    const auto pages = NumbersByPage(text);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].size(), 68u);
    EXPECT_EQ(pages[1].size(), 68u);
    std::vector<int> all;
    for (const auto& page : pages) all.insert(all.end(), page.begin(), page.end());
    ASSERT_EQ(all.size(), 150u);
    for (int i = 0; i < 150; ++i) EXPECT_EQ(all[static_cast<std::size_t>(i)], i + 1);
}

TEST(QuillonCliPrint, SavedReportsRenderTheSamePagesAndRanges) {
    TempDir dir;
    testing::WriteFile(dir.File("in.txt"), NumberedDosLines(100));
    ASSERT_EQ(
        RunCli("print " + dir.File("in.txt") + " --landscape --compress --qrp " + dir.File("r.qrp"))
            .status,
        0);
    // Three pages of 46 lines; the count said is that of the pages written.
    CliRun run = RunCli("render " + dir.File("r.qrp") + " --pages 2-3 --pdf " + dir.File("r.pdf"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "2 pages\n");
    const auto pages = NumbersByPage(PdfText(dir.File("r.pdf")));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].front(), 47);
    EXPECT_EQ(pages[1].back(), 100);

    run = RunCli("render " + dir.File("r.qrp") + " --pages 3-9 --pdf " + dir.File("end.pdf"));
    EXPECT_EQ(run.output, "1 page\n");
    EXPECT_EQ(NumbersByPage(PdfText(dir.File("end.pdf"))).size(), 1u);
    run = RunCli("print " + dir.File("in.txt") + " --pages 2-2 --pdf " + dir.File("p.pdf"));
    EXPECT_EQ(run.output, "1 page\n");

    run = RunCli("render " + dir.File("r.qrp") + " --pages 4-9 --pdf " + dir.File("none.pdf"));
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(testing::FileExists(dir.File("none.pdf")));
}

// Sizes that name no font print as in the program (0 at 10 points, a negative one at its
// magnitude); a huge one prints every line, each on a page of its own.
TEST(QuillonCliPrint, FontSizesAreTakenAsTheProgramTakesThem) {
    TempDir dir;
    testing::WriteFile(dir.File("in.txt"), NumberedDosLines(150));
    for (const char* size : {"10", "0", "-10"}) {
        const CliRun run = RunCli("print " + dir.File("in.txt") + " --size " + size + " --pdf " +
                                  dir.File("out.pdf"));
        EXPECT_EQ(run.output, "3 pages\n") << size;
        const auto pages = NumbersByPage(PdfText(dir.File("out.pdf")));
        ASSERT_EQ(pages.size(), 3u) << size;
        EXPECT_EQ(pages[0].size(), 68u) << size;
    }
    testing::WriteFile(dir.File("three.txt"), "one\r\ntwo\r\nthree\r\n");
    for (const char* size : {"16000", "2147483647", "-2147483648"}) {
        const CliRun run = RunCli("print " + dir.File("three.txt") + " --size " + size + " --qrp " +
                                  dir.File("x.qrp"));
        EXPECT_EQ(run.output, "3 pages\n") << size;
    }
}

TEST(QuillonCliPrint, DamagedReportsAndMissingFilesAreErrorsNotCrashes) {
    TempDir dir;
    testing::WriteFile(dir.File("in.txt"), NumberedDosLines(10));
    ASSERT_EQ(RunCli("print " + dir.File("in.txt") + " --qrp " + dir.File("r.qrp")).status, 0);
    std::string bytes = testing::ReadFile(dir.File("r.qrp"));
    testing::WriteFile(dir.File("cut.qrp"), bytes.substr(0, bytes.size() / 2));
    for (std::size_t i = 200; i < 260; ++i) bytes[i] = '\xFF';
    testing::WriteFile(dir.File("scribbled.qrp"), bytes);
    for (const char* name : {"cut.qrp", "scribbled.qrp", "missing.qrp"}) {
        const CliRun run = RunCli("render " + dir.File(name) + " --pdf " + dir.File("out.pdf"));
        EXPECT_EQ(run.status, 1) << name << ": " << run.output;
        EXPECT_FALSE(testing::FileExists(dir.File("out.pdf"))) << name;
    }
    const CliRun missing =
        RunCli("print " + dir.File("nothing.txt") + " --pdf " + dir.File("out.pdf"));
    EXPECT_EQ(missing.output, "quillon-cli: " + dir.File("nothing.txt") + ": File not found.\n");
}

// A PDF is titled after its input file as the file dialogs show the name: a name from an old
// DOS or Windows disk reads as Cyrillic, not as the bytes' Latin-1 letters.
TEST(QuillonCliPrint, APdfIsTitledAfterItsInputReadablyWhateverTheNamesEncoding) {
    TempDir dir;
    const struct {
        std::string name;
        std::string title;
    } table[] = {
        {"\xD0\xBE\xD1\x82\xD1\x87\xD0\xB5\xD1\x82.txt", "отчет.txt"},
        {"\x8E\x92\x97\x85\x92.TXT", "ОТЧЕТ.TXT"},
        {"\xEE\xF2\xF7\xE5\xF2.txt", "отчет.txt"},
    };
    for (const auto& [name, title] : table) {
        testing::WriteFile(dir.File(name), NumberedDosLines(3));
        ASSERT_EQ(RunCli("print '" + dir.File(name) + "' --pdf " + dir.File("out.pdf")).status, 0)
            << title;
        EXPECT_EQ(testing::InspectPdf(dir.File("out.pdf")).title, title);
    }
}

// A document without a file name (standard input, as every job of the print queue is) takes
// its title from --title; without one it stays untitled rather than named after a spool file.
TEST(QuillonCliPrint, TitlesThePdfAsToldWhateverTheInput) {
    TempDir dir;
    testing::WriteFile(dir.File("in.txt"), NumberedDosLines(3));
    ASSERT_EQ(RunCli("print " + dir.File("in.txt") + " --qrp " + dir.File("saved.qrp")).status, 0);
    const struct {
        std::string command;
        std::string title;
    } table[] = {
        {"print - --title 'Отчет за май' --pdf {out} < {in}", "Отчет за май"},
        {"print {in} --title 'Sales, May' --pdf {out}", "Sales, May"},
        {"print - --pdf {out} < {in}", ""},
        {"render - --title 'Отчет' --pdf {out} < {qrp}", "Отчет"},
        {"render {qrp} --pdf {out}", "saved.qrp"},
        {"render - --pdf {out} < {qrp}", ""},
    };
    for (const auto& [command, title] : table) {
        std::string line = command;
        for (const auto& [name, path] :
             {std::pair<std::string, std::string>{"{out}", dir.File("out.pdf")},
              {"{qrp}", dir.File("saved.qrp")},
              {"{in}", dir.File("in.txt")}}) {
            if (const auto at = line.find(name); at != std::string::npos)
                line.replace(at, name.size(), path);
        }
        const CliRun run = RunCli(line);
        ASSERT_EQ(run.status, 0) << command << ": " << run.output;
        EXPECT_EQ(testing::InspectPdf(dir.File("out.pdf")).title, title) << command;
    }
}

// A page limit ends the run with an error and writes nothing; a report within it prints.
TEST(QuillonCliPrint, StopsAtThePageLimit) {
    TempDir dir;
    testing::WriteFile(dir.File("in.txt"), NumberedDosLines(150));  // three pages
    CliRun run =
        RunCli("print " + dir.File("in.txt") + " --max-pages 2 --pdf " + dir.File("out.pdf"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("The report has more than 2 pages"), std::string::npos) << run.output;
    EXPECT_FALSE(testing::FileExists(dir.File("out.pdf")));
    run = RunCli("print " + dir.File("in.txt") + " --max-pages 3 --pdf " + dir.File("out.pdf"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(
        RunCli("print " + dir.File("in.txt") + " --max-pages 0 --pdf " + dir.File("x.pdf")).status,
        2);
}

}  // namespace
}  // namespace quillon
