// quillon-cli in pipelines: standard streams, UTF-8 and folder conversion, a DOS program's
// printer stream printed whole, and the program's settings file.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/app/cli_runner.h"
#include "tests/app/dos_report_fixture.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct ShellRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell pipeline with `$Q` standing for quillon-cli; standard output and error are kept
// apart.
ShellRun Shell(const TempDir& dir, const std::string& pipeline, const std::string& cli = testing::CliPath()) {
    ShellRun run;
    testing::CommandOutput(
        "Q='" + cli + "'; (" + pipeline + ") > " + dir.File("stdout") + " 2> " + dir.File("stderr"),
        &run.status);
    run.out = ReadFile(dir.File("stdout"));
    run.err = ReadFile(dir.File("stderr"));
    return run;
}

std::string PdfPages(const std::string& pdf) {
    return testing::CommandOutput("pdfinfo " + pdf + " | sed -n 's/^Pages: *//p'");
}

TEST(QuillonCliDosStreams, PrintsTheAccountingReportFromStandardInputToStandardOutput) {
    for (const bool lineDrawing : {false, true}) {
        SCOPED_TRACE(lineDrawing ? "with line drawing" : "plain");
        TempDir dir;
        const ShellRun run =
            Shell(dir, std::string("cat ") + testing::kAccountingReport +
                           " | $Q print - --fit --pdf -" + (lineDrawing ? " --line-drawing" : ""));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "") << "nothing but the document reaches the terminal";
        ASSERT_EQ(run.out.rfind("%PDF-", 0), 0u);
        WriteFile(dir.File("out.pdf"), run.out);
        EXPECT_EQ(PdfPages(dir.File("out.pdf")), "2\n");
        // Every line in order on its page, and nothing else: no printer command left a glyph.
        const std::string text =
            testing::CommandOutput("pdftotext -layout -enc UTF-8 " + dir.File("out.pdf") + " -");
        EXPECT_EQ(testing::PagesOfText(text), testing::AccountingReportPages(lineDrawing));
    }
}

// The report selects condensed print for its 134 columns: it is fitted to the paper unless
// the command says otherwise, when its right-hand columns run past the paper's edge.
TEST(QuillonCliDosStreams, AReportInCondensedPrintIsFittedUnlessToldOtherwise) {
    for (const char* fit : {"", " --fit", " --no-fit"}) {
        SCOPED_TRACE(fit);
        TempDir dir;
        const ShellRun run = Shell(dir, std::string("$Q print ") + testing::kAccountingReport +
                                            fit + " --pdf " + dir.File("out.pdf"));
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string text =
            testing::CommandOutput("pdftotext -layout -enc UTF-8 " + dir.File("out.pdf") + " -");
        const bool whole = testing::PagesOfText(text) == testing::AccountingReportPages(false);
        EXPECT_EQ(whole, std::string(fit) != " --no-fit");
    }
}

TEST(QuillonCliDosStreams, SavesAndRendersReportsThroughStandardStreams) {
    TempDir dir;
    const ShellRun run = Shell(dir, std::string("$Q print ") + testing::kAccountingReport +
                                        " --qrp - | $Q render - --pdf " + dir.File("out.pdf"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "2 pages\n");
    EXPECT_EQ(PdfPages(dir.File("out.pdf")), "2\n");
    EXPECT_EQ(Shell(dir, "echo nothing | $Q render - --pdf " + dir.File("bad.pdf")).status, 1);
    EXPECT_FALSE(testing::FileExists(dir.File("bad.pdf")));

    // A stream that cannot be stored names the temporary folder at fault, not "-".
    const std::string none = dir.File("none");
    const struct {
        std::string pipeline;
        std::string message;
    } unstored[] = {
        {"echo x | TMPDIR=" + none + " $Q render - --pdf " + dir.File("t.pdf"),
         "quillon-cli: " + none + "/quillon-stdin-: Invalid filename.\n"},
        {"echo x | TMPDIR=" + none + " $Q print - --pdf -",
         "quillon-cli: " + none + "/quillon-stdout-: Invalid filename.\n"},
    };
    for (const auto& c : unstored) {
        const ShellRun failed = Shell(dir, c.pipeline);
        EXPECT_EQ(failed.status, 1) << c.pipeline;
        EXPECT_EQ(failed.err, c.message) << c.pipeline;
        EXPECT_EQ(failed.out, "") << c.pipeline;
    }
}

TEST(QuillonCliDosStreams, ConvertsBetweenStandardStreamsToEitherCodePage) {
    TempDir dir;
    // "Сума" and a frame corner, CR LF ends, a stray CR and the end-of-file mark.
    const std::string input = "printf '\\221\\263\\254\\240 \\332\\304\\r\\nx\\ry\\r\\n\\032z' | ";
    EXPECT_EQ(Shell(dir, input + "$Q convert --to utf-8 - -").out, "Сума ┌─\nxy\n");
    EXPECT_EQ(Shell(dir, input + "$Q convert --to utf-8 --eol crlf - -").out, "Сума ┌─\r\nxy\r\n");
    EXPECT_EQ(Shell(dir, input + "$Q convert - -").out, "\xD1\xF3\xEC\xE0 \xDA\xC4\r\nxy\r\n");
    EXPECT_EQ(Shell(dir, input + "$Q convert --eol lf - " + dir.File("out.txt")).status, 0);
    EXPECT_EQ(ReadFile(dir.File("out.txt")), "\xD1\xF3\xEC\xE0 \xDA\xC4\nxy\n");
}

TEST(QuillonCliDosStreams, ConvertsAFolderOfFilesAndNamesEachFailure) {
    TempDir dir;
    ::mkdir(dir.File("old").c_str(), 0777);
    ::mkdir(dir.File("new").c_str(), 0777);
    std::vector<std::string> names;
    std::string files;
    for (int i = 0; i < 6; ++i) {
        names.push_back("report" + std::to_string(i) + ".txt");
        WriteFile(dir.File("old/" + names.back()),
                  "\x8F\xB0\xAE\xA1\xA0 " + std::to_string(i) + "\r\n");
        files += " " + dir.File("old/" + names.back());
    }
    // Another file of a name already taken (both would be written into one output at once),
    // and a file named twice.
    ::mkdir(dir.File("other").c_str(), 0777);
    WriteFile(dir.File("other/report0.txt"), std::string(1 << 20, '\xB0'));
    const ShellRun run =
        Shell(dir, "$Q convert --to utf-8 -d " + dir.File("new") + " " +
                       dir.File("old/missing.txt") + files + " " + dir.File("old") + " " +
                       dir.File("other/report0.txt") + " " + dir.File("old/report1.txt"));
    EXPECT_EQ(run.status, 1);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(ReadFile(dir.File("new/" + names[static_cast<std::size_t>(i)])),
                  "Проба " + std::to_string(i) + "\n");
    }
    EXPECT_EQ(run.err, "quillon-cli: " + dir.File("old/missing.txt") + ": File not found.\n" +
                           "quillon-cli: " + dir.File("old") + ": File access denied.\n" +
                           "quillon-cli: " + dir.File("other/report0.txt") +
                           ": Not converted: " + dir.File("new") + "/report0.txt is written from " +
                           dir.File("old/report0.txt") + ".\n");
}

TEST(QuillonCliDosStreams, PrintTakesOrientationFontSizeAndColourFromTheProgramsSettingsFile) {
    // The settings file lies beside the executable: run a copy of the tool in a folder of its
    // own, with the printing module beside it.
    TempDir dir;
    const std::string app = std::string(QUILLON_BINARY_DIR) + "/app/";
    ASSERT_EQ(Shell(dir, "cp " + app + "quillon-cli " + app + "quillon-cli-print.so " + dir.Path())
                  .status,
              0);
    WriteFile(dir.File("quillon.ini"),
              "[Print]\r\nOrientation=landscape\r\nFont=DejaVu Sans Mono\r\nFontSize=20\r\n"
              "FontColor=#000080\r\n");
    WriteFile(dir.File("in.txt"), "x\r\n");
    const std::string cli = dir.File("quillon-cli");
    const auto landscape = [&](const std::string& options) {
        Shell(dir, "$Q print " + dir.File("in.txt") + " --pdf " + dir.File("o.pdf") + options, cli);
        double width = 0, height = 0;
        const std::string size = testing::CommandOutput("pdfinfo " + dir.File("o.pdf") +
                                                        " | sed -n 's/^Page size: *//p'");
        std::sscanf(size.c_str(), "%lf x %lf", &width, &height);
        EXPECT_GT(width * height, 0) << size;
        return width > height;
    };
    const auto font = [&] {
        return testing::CommandOutput("pdffonts " + dir.File("o.pdf") +
                                      " | sed -n '3s/^[A-Z]*+\\([^ ]*\\).*/\\1/p'");
    };
    // The fill colours the page sets: white for the page's background, then the text's.
    const auto colours = [&] {
        return testing::CommandOutput("qpdf --qdf --object-streams=disable " + dir.File("o.pdf") +
                                      " - | grep -a ' rg$' | sort -u | tr '\\n' ';'");
    };
    EXPECT_TRUE(landscape(""));
    EXPECT_EQ(font(), "DejaVuSansMono\n");
    EXPECT_EQ(colours(), "0 0 0.502 rg;1 1 1 rg;");
    EXPECT_FALSE(landscape(" --portrait --font 'Liberation Mono' --color 8000ff"));
    EXPECT_EQ(font(), "LiberationMono\n");
    EXPECT_EQ(colours(), "0.502 0 1 rg;1 1 1 rg;");
    // 100 lines at the settings' 20 points take more pages than at 10.
    std::string lines;
    for (int i = 0; i < 100; ++i) lines += "line\r\n";
    WriteFile(dir.File("in.txt"), lines);
    const std::string print = "$Q print " + dir.File("in.txt") +
                              " --portrait --font 'Liberation Mono' --qrp " + dir.File("a.qrp");
    EXPECT_EQ(Shell(dir, print, cli).out, "3 pages\n");
    EXPECT_EQ(Shell(dir, print + " --size 10", cli).out, "2 pages\n");
}

}  // namespace
}  // namespace quillon
