// A Quillon queue on a real scheduler of the test's own, created with the README's command,
// printing to a network printer that keeps what it receives; and the backend run alone as
// the scheduler runs it.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/private_cups.h"
#include "tests/output/cups_jobs.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::CapturingPrinter;
using testing::PrivateCups;
using testing::TempDir;

const std::string kBackend = std::string(QUILLON_BINARY_DIR) + "/app/quillon-backend";
const std::string kTool = std::string(QUILLON_BINARY_DIR) + "/app/quillon-cli";
const std::string kPpd = std::string(QUILLON_TEST_DATA) + "/../../app/backend/quillon-dos.ppd";
const std::string kFixture = std::string(QUILLON_TEST_DATA) + "/sample-dos.txt";

// The README's command for a queue that prints on DESTINATION.
std::string CreateQueue(const std::string& name, const std::string& destination) {
    return "lpadmin -p " + name + " -E -v quillon:/" + destination + " -m quillon/quillon-dos.ppd";
}

struct Pdf {
    int pages = 0;
    bool landscape = false;
    std::string text;
};

Pdf Inspect(const TempDir& dir, const std::string& bytes) {
    static int counter = 0;
    const std::string path = dir.File("inspect-" + std::to_string(++counter) + ".pdf");
    testing::WriteFile(path, bytes);
    Pdf pdf;
    const std::string info = testing::RunCommand("pdfinfo " + path).output;
    std::smatch match;
    if (std::regex_search(info, match, std::regex(R"(Pages:\s+(\d+))"))) pdf.pages = std::stoi(match[1]);
    if (std::regex_search(info, match, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+))"))) {
        pdf.landscape = std::stod(match[1]) > std::stod(match[2]);
    }
    pdf.text = testing::RunCommand("pdftotext -layout -enc UTF-8 " + path + " -").output;
    return pdf;
}

// What the command-line tool prints for the same file and options: the queue must give
// exactly this.
Pdf Reference(const TempDir& dir, const std::string& file, const std::string& options = "") {
    const std::string path = dir.File("reference.pdf");
    const auto run = testing::RunCommand(kTool + " print " + file + " " + options + " --pdf " + path);
    EXPECT_EQ(run.status, 0) << run.output;
    return Inspect(dir, testing::ReadFile(path));
}

// A DOS text of `count` numbered lines, with a marker line first.
std::string NumberedLines(int count, const std::string& marker = "") {
    std::string text = marker.empty() ? "" : marker + "\r\n";
    for (int i = 1; i <= count; ++i) text += "\x8F\xB0\xAE\xA1\xA0 " + std::to_string(i) + "\r\n";
    return text;
}

class BackendCups : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (::geteuid() != 0) return;
        printer_ = new CapturingPrinter;
        cups_ = new PrivateCups(kBackend, kPpd);
        if (!cups_->Running()) return;
        // The test's own libcups calls go to the private scheduler too.
        ::setenv("CUPS_SERVER", cups_->Socket().c_str(), 1);
        cups_->Run("lpadmin -p capture -E -v " + printer_->Uri());
        created_ = cups_->Run(CreateQueue("dos", "capture"));
    }
    static void TearDownTestSuite() {
        delete cups_;
        delete printer_;
        cups_ = nullptr;
        printer_ = nullptr;
    }
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "SKIPPED: needs root. The scheduler runs a backend as the lp user only "
                            "when it runs as root, and that is what these tests check.";
        }
        ASSERT_TRUE(cups_->Running()) << "the private cupsd did not start; see " << cups_->Folder();
    }

    // The jobs the destination receives next.
    static std::vector<std::string> Received(std::size_t count, int seconds = 60) {
        auto jobs = printer_->Take(count, std::chrono::seconds(seconds));
        if (jobs.size() < count) ADD_FAILURE() << "the destination received " << jobs.size() << " of " << count
                                               << " jobs; the scheduler's log:\n" << JobLog();
        return jobs;
    }
    // The scheduler's messages about jobs, the backend's among them.
    static std::string JobLog() {
        std::string log;
        const std::string all = cups_->ErrorLog();
        std::size_t at = 0;
        while (at < all.size()) {
            const std::size_t end = std::min(all.find('\n', at), all.size());
            const std::string line = all.substr(at, end - at);
            if (line.find("[Job ") != std::string::npos && line.find("envp[") == std::string::npos) log += line + "\n";
            at = end + 1;
        }
        return log.size() > 20000 ? log.substr(log.size() - 20000) : log;
    }

    static inline CapturingPrinter* printer_ = nullptr;
    static inline PrivateCups* cups_ = nullptr;
    static inline testing::CommandResult created_;
    TempDir dir_;
};

TEST_F(BackendCups, TheQueueIsCreatedWithOneCommandAndItsPartsAreDiscovered) {
    EXPECT_EQ(created_.status, 0) << created_.output;
    EXPECT_NE(cups_->Run("lpinfo -m").output.find("quillon/quillon-dos.ppd Quillon DOS Printer"), std::string::npos);
    EXPECT_NE(cups_->Run("lpinfo -v").output.find("network quillon"), std::string::npos);
    EXPECT_NE(cups_->Run("lpstat -v dos").output.find("quillon:/capture"), std::string::npos);
}

TEST_F(BackendCups, PrintsTheFixtureHoweverItIsSent) {
    const Pdf expected = Reference(dir_, kFixture);
    ASSERT_GT(expected.pages, 0);
    ASSERT_NE(expected.text.find("СПРАВКА"), std::string::npos) << expected.text;
    const std::vector<std::string> commands = {
        "lp -d dos " + kFixture,
        "lp -d dos -o raw " + kFixture,
        "lpr -P dos " + kFixture,
        // As another machine on the network sends it.
        "lp -h 127.0.0.1:" + std::to_string(cups_->Port()) + " -d dos " + kFixture,
    };
    for (const std::string& command : commands) {
        const auto sent = cups_->Run(command);
        ASSERT_EQ(sent.status, 0) << command << ": " << sent.output;
        const auto jobs = Received(1);
        ASSERT_EQ(jobs.size(), 1u) << command;
        const Pdf pdf = Inspect(dir_, jobs[0]);
        EXPECT_EQ(pdf.pages, expected.pages) << command;
        EXPECT_FALSE(pdf.landscape) << command;
        EXPECT_EQ(pdf.text, expected.text) << command;
    }
}

TEST_F(BackendCups, JobOptionsWinOverQueueDefaults) {
    testing::WriteFile(dir_.File("lines.txt"), NumberedLines(150));
    const std::string file = dir_.File("lines.txt");
    const Pdf tenPoints = Reference(dir_, file);
    const Pdf eightPoints = Reference(dir_, file, "--size 8");
    const Pdf landscape = Reference(dir_, file, "--landscape");
    ASSERT_NE(tenPoints.pages, eightPoints.pages);

    ASSERT_EQ(cups_->Run("lp -d dos -o orientation-requested=4 " + file).status, 0);
    Pdf pdf = Inspect(dir_, Received(1).at(0));
    EXPECT_TRUE(pdf.landscape);
    EXPECT_EQ(pdf.text, landscape.text);

    // The PPD default that lpadmin sets reaches the job; the job's own option wins over it.
    ASSERT_EQ(cups_->Run("lpadmin -p dos -o quillon-size=8").status, 0);
    ASSERT_EQ(cups_->Run("lp -d dos " + file).status, 0);
    pdf = Inspect(dir_, Received(1).at(0));
    EXPECT_EQ(pdf.pages, eightPoints.pages);
    EXPECT_EQ(pdf.text, eightPoints.text);
    ASSERT_EQ(cups_->Run("lp -d dos -o quillon-size=10 " + file).status, 0);
    EXPECT_EQ(Inspect(dir_, Received(1).at(0)).pages, tenPoints.pages);
    ASSERT_EQ(cups_->Run("lpadmin -p dos -o quillon-size=10").status, 0);

    // Copies are the destination's to make.
    const auto sent = cups_->Run("lp -U alice -d dos -n 2 -t two-copies " + file);
    ASSERT_EQ(sent.status, 0);
    Received(1);
    const std::optional<int> job = testing::JobWithTitle("two-copies", "capture");
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(testing::JobAttribute(*job, "copies"), "2");
    // The job is the user's on the destination too.
    const std::string jobs = cups_->Run("lpstat -W completed -o capture").output;
    EXPECT_TRUE(std::regex_search(jobs, std::regex("capture-" + std::to_string(*job) + " +alice "))) << jobs;
}

}  // namespace
}  // namespace quillon
