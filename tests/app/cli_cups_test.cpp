// A DOS program's printer stream piped into `quillon-cli print - --printer`, as an emulator's
// printer port does, reaching a cups-pdf queue: its pages and every line of them, read back
// from the queue's PDF, with the frames as the plain print normalisation prints them and
// as real lines. A print killed while it spools leaves no spool file, and one whose spool file
// cannot be written sends no job.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/app/cli_runner.h"
#include "tests/app/dos_report_fixture.h"
#include "tests/output/cups_jobs.h"
#include "tests/support/process_files.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

TEST(QuillonCliCups, PrintsAPrinterStreamFromStandardInputOnAQueue) {
    // A queue of its own: a job from standard input has no title to be told apart by.
    if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
    const std::string queue = "quillon-cli-" + std::to_string(::getpid());
    if (!testing::AddQueue(queue)) GTEST_SKIP() << "lpadmin cannot add the queue " << queue;
    struct Removal {
        const std::string& name;
        ~Removal() { testing::RemoveQueue(name); }
    } removal{queue};
    for (const bool lineDrawing : {false, true}) {
        SCOPED_TRACE(lineDrawing ? "with line drawing" : "plain");
        int status = -1;
        const std::string output = testing::CommandOutput(
            std::string("cat ") + testing::kAccountingReport + " | " + QUILLON_BINARY_DIR +
                "/app/quillon-cli print - --fit --printer " + queue +
                (lineDrawing ? " --line-drawing" : "") + " 2>&1",
            &status);
        ASSERT_EQ(status, 0) << output;
        EXPECT_EQ(output, "2 pages\n");
        const std::string pdf = testing::WaitForLastPdfOf(queue);
        ASSERT_FALSE(pdf.empty());
        EXPECT_EQ(testing::CommandOutput("pdfinfo " + pdf + " | sed -n 's/^Pages: *//p'"), "2\n");
        // Every line in order on its page, and nothing else: no printer command left a glyph.
        const std::string text =
            testing::CommandOutput("pdftotext -layout -enc UTF-8 " + pdf + " -");
        EXPECT_EQ(testing::PagesOfText(text), testing::AccountingReportPages(lineDrawing));
        std::remove(pdf.c_str());
    }
}

TEST(QuillonCliCups, AKilledPrintLeavesNoSpoolFile) {
    if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
    for (const int signal : {SIGTERM, SIGHUP, SIGKILL}) {
        testing::TempDir dir;
        ASSERT_EQ(::mkdir(dir.File("tmp").c_str(), 0700), 0);
        ASSERT_EQ(::mkdir(dir.File("runtime").c_str(), 0700), 0);
        std::string text;
        for (int i = 1; i <= 20000; ++i) text += "\x8F\xB0\xAE\xA1\xA0 " + std::to_string(i) + "\r\n";
        testing::WriteFile(dir.File("big.txt"), text);

        std::vector<std::string> args{testing::CliPath(), "print", dir.File("big.txt"),
                                      "--printer", testing::kPdfQueue};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string tmp = dir.File("tmp");
        const std::string runtime = dir.File("runtime");
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::setenv("TMPDIR", tmp.c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        // The page file of the run and then the spool file of the printed document.
        EXPECT_TRUE(testing::WaitForOpenFiles(pid, tmp, 2)) << strsignal(signal);
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status)) << strsignal(signal);
        EXPECT_EQ(testing::EntryCount(tmp), 0u) << strsignal(signal);
    }
}

TEST(QuillonCliCups, ASpoolFileThatCannotBeWrittenIsAnErrorAndSendsNoJob) {
    if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
    testing::TempDir dir;
    // The job would be named after the file.
    const std::string name = testing::UniqueTitle("full-spool") + ".txt";
    std::string text;
    for (int i = 1; i <= 400; ++i) text += "\x8F\xB0\xAE\xA1\xA0 " + std::to_string(i) + "\r\n";
    testing::WriteFile(dir.File(name), text);
    // Files may grow to 4 KiB: the pages stay in memory, their PDF does not fit.
    const testing::CliRun run = testing::RunCli(
        "print " + dir.File(name) + " --printer " + testing::kPdfQueue, "ulimit -f 4");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, std::string("quillon-cli: Cannot write the spool file for printer \"") +
                              testing::kPdfQueue + "\": File too large.\n");
    EXPECT_FALSE(testing::JobWithTitle(name));
}

}  // namespace
}  // namespace quillon
