// The print tests use the machine's scheduler: what they print and the queues they add must
// not stay behind once they are done.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/output/cups_jobs.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

TEST(PrintTestsLeaveNothing, APrintedPdfGoesWhenTheTestProcessEnds) {
    if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
    testing::TempDir dir;
    testing::WriteFile(dir.File("job.txt"), "A line to print\n");
    const std::string title = testing::UniqueTitle("left-behind");
    ASSERT_EQ(testing::Command("lp -d " + std::string(testing::kPdfQueue) + " -t '" + title +
                               "' '" + dir.File("job.txt") + "' >/dev/null 2>&1; echo $?"),
              "0\n");

    // A test process finds the PDF, reads it and ends as test processes do.
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(report[0]);
        const std::string pdf = testing::WaitForPdf(title);
        const bool seen = !pdf.empty() && testing::FileExists(pdf);
        const std::string line = (seen ? pdf : std::string()) + "\n";
        (void)!::write(report[1], line.data(), line.size());
        std::exit(0);
    }
    ::close(report[1]);
    std::string pdf;
    char c = 0;
    while (::read(report[0], &c, 1) == 1 && c != '\n') pdf += c;
    ::close(report[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
    EXPECT_FALSE(testing::FileExists(pdf)) << pdf;
}

TEST(PrintTestsLeaveNothing, ARemovedQueueLeavesNoFileWithTheScheduler) {
    if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
    const std::string queue = "quillon-removed-" + std::to_string(::getpid());
    if (!testing::AddQueue(queue))
        GTEST_SKIP() << "SKIPPED: lpadmin cannot add the queue " << queue;
    ASSERT_TRUE(testing::QueueExists(queue));
    const bool cached = testing::FileExists(testing::SchedulerStringsFile(queue));
    testing::RemoveQueue(queue);
    EXPECT_FALSE(testing::QueueExists(queue));
    EXPECT_FALSE(testing::FileExists(testing::SchedulerStringsFile(queue)))
        << (cached ? "left by the scheduler" : "made after the queue went");
}

}  // namespace
}  // namespace quillon
