// A DOS program's printer stream piped into `quillon-cli print - --printer`, as an emulator's
// printer port does, reaching a cups-pdf queue. That queue rebuilds the PDF through
// PostScript into fonts whose text layer no longer reads as the letters drawn: the pages and
// their lines are checked here, the text of every line through --pdf in
// cli_dos_streams_test.cpp.

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "tests/app/dos_report_fixture.h"
#include "tests/output/cups_jobs.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

TEST(QuillonCliCups, PrintsAPrinterStreamFromStandardInputOnAQueue) {
    // A queue of its own: a job from standard input has no title to be told apart by.
    if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
    const std::string queue = "quillon-cli-" + std::to_string(::getpid());
    if (!testing::AddQueue(queue)) GTEST_SKIP() << "lpadmin cannot add the queue " << queue;
    int status = -1;
    const std::string output = testing::CommandOutput(
        std::string("cat ") + testing::kAccountingReport + " | " + QUILLON_BINARY_DIR +
            "/app/quillon-cli print - --fit --printer " + queue + " 2>&1",
        &status);
    const std::string pdf = testing::WaitForLastPdfOf(queue);
    testing::RemoveQueue(queue);
    ASSERT_EQ(status, 0) << output;
    EXPECT_EQ(output, "2 pages\n");
    ASSERT_FALSE(pdf.empty());
    EXPECT_EQ(testing::CommandOutput("pdfinfo " + pdf + " | sed -n 's/^Pages: *//p'"), "2\n");

    const auto printed =
        testing::PagesOfText(testing::CommandOutput("pdftotext -layout " + pdf + " -"));
    const auto expected = testing::AccountingReportPages(false);
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0].size(), expected[0].size());
    EXPECT_EQ(printed[1].size(), expected[1].size());
}

}  // namespace
}  // namespace quillon
