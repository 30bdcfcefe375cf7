// A Quillon queue on a real scheduler of the test's own, created with the README's command,
// printing to a network printer that keeps what it receives; and the backend run alone as
// the scheduler runs it.

#include <gtest/gtest.h>

#include <cups/backend.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/dos_report_fixture.h"
#include "tests/app/private_cups.h"
#include "tests/output/cups_jobs.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::CapturingPrinter;
using testing::PrivateCups;
using testing::TempDir;

const std::string kBackend = std::string(QUILLON_BINARY_DIR) + "/app/backend/quillon-backend";
const std::string kTool = std::string(QUILLON_BINARY_DIR) + "/app/quillon-cli";
const std::string kPpd = std::string(QUILLON_TEST_DATA) + "/../../app/backend/quillon-dos.ppd";
// The DOS accounting program's two-page printer stream.
const std::string kFixture = testing::kAccountingReport;

// The README's command for a queue that prints on DESTINATION.
std::string CreateQueue(const std::string& name, const std::string& destination) {
    return "lpadmin -p " + name + " -E -v quillon:/" + destination + " -m quillon/quillon-dos.ppd";
}

struct Pdf {
    int pages = 0;
    bool landscape = false;
    std::string title;
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
    if (std::regex_search(info, match, std::regex(R"(Title:\s+(.*))"))) pdf.title = match[1];
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

// Where the README's install command puts the backend decides who the scheduler runs it as.
TEST(BackendInstall, PutsTheBackendWhereTheSchedulerRunsItAsLp) {
    TempDir dir;
    const auto install = testing::RunCommand("DESTDIR=" + dir.Path() + " " + QUILLON_CMAKE + " --install " +
                                             QUILLON_BINARY_DIR + " --component cups --prefix /usr");
    ASSERT_EQ(install.status, 0) << install.output;
    const std::string backend = dir.Path() + "/usr/" + QUILLON_CUPS_BACKEND_DIR + "/quillon";
    const std::string ppd = dir.Path() + "/usr/" + QUILLON_CUPS_MODEL_DIR + "/quillon/quillon-dos.ppd";
    EXPECT_EQ(backend, dir.Path() + "/usr/lib/cups/backend/quillon");
    struct stat info {};
    ASSERT_EQ(::stat(backend.c_str(), &info), 0) << install.output;
    // Readable and executable by others: run as lp, never as root.
    EXPECT_EQ(info.st_mode & 07777, 0755u);
    EXPECT_EQ(testing::ReadFile(backend), testing::ReadFile(kBackend));
    ASSERT_EQ(::stat(ppd.c_str(), &info), 0) << install.output;
    EXPECT_EQ(info.st_mode & 07777, 0644u);
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
    // The queue fits wide reports by default, as --fit does.
    const Pdf expected = Reference(dir_, kFixture, "--fit");
    ASSERT_EQ(testing::PagesOfText(expected.text), testing::AccountingReportPages(false));
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
        EXPECT_EQ(pdf.pages, 2) << command;
        EXPECT_FALSE(pdf.landscape) << command;
        EXPECT_EQ(testing::PagesOfText(pdf.text), testing::AccountingReportPages(false)) << command;
        EXPECT_EQ(pdf.text, expected.text) << command;
        // Titled as the job is: after the file sent.
        EXPECT_EQ(pdf.title, std::filesystem::path(kFixture).filename().string()) << command;
    }
}

TEST_F(BackendCups, DrawsRealLinesPerJobOrAsTheQueueDefault) {
    const auto lines = testing::AccountingReportPages(true);
    ASSERT_EQ(cups_->Run("lp -d dos -o quillon-line-drawing=true " + kFixture).status, 0);
    EXPECT_EQ(testing::PagesOfText(Inspect(dir_, Received(1).at(0)).text), lines);

    ASSERT_EQ(cups_->Run("lpadmin -p dos -o quillon-line-drawing=true").status, 0);
    ASSERT_EQ(cups_->Run("lp -d dos " + kFixture).status, 0);
    const Pdf pdf = Inspect(dir_, Received(1).at(0));
    ASSERT_EQ(cups_->Run("lpadmin -p dos -o quillon-line-drawing=false").status, 0);
    EXPECT_EQ(testing::PagesOfText(pdf.text), lines);
    EXPECT_NE(pdf.text.find("┌──────────┬"), std::string::npos) << pdf.text.substr(0, 400);
}

TEST_F(BackendCups, AMachineThatSpeaksOnlyLpdPrintsThroughCupsLpd) {
    const testing::LpdServer lpd(*cups_);
    // CUPS's own LPD client, as a DOS PC's network stack would send the job.
    const auto sent = testing::RunCommand("DEVICE_URI=lpd://127.0.0.1:" + std::to_string(lpd.Port()) +
                                          "/dos /usr/lib/cups/backend/lpd 1 dosuser report 1 '' " + kFixture);
    EXPECT_EQ(sent.status, 0) << sent.output;
    EXPECT_EQ(testing::PagesOfText(Inspect(dir_, Received(1).at(0)).text), testing::AccountingReportPages(false));
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

    // Copies and the choice of pages are the destination's to make: its driver prints the
    // laid-out pages.
    const auto sent = cups_->Run("lp -U alice -d dos -n 2 -o page-ranges=1-2,4 -t two-copies " + file);
    ASSERT_EQ(sent.status, 0);
    EXPECT_EQ(Inspect(dir_, Received(1).at(0)).title, "two-copies");
    const std::optional<int> job = testing::JobWithTitle("two-copies", "capture");
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(testing::JobAttribute(*job, "copies"), "2");
    EXPECT_EQ(testing::JobAttribute(*job, "page-ranges"), "1-2,4-4");
    // The job is the user's on the destination too.
    const std::string jobs = cups_->Run("lpstat -W completed -o capture").output;
    EXPECT_TRUE(std::regex_search(jobs, std::regex("capture-" + std::to_string(*job) + " +alice "))) << jobs;
}

// The user id of every running process whose program is `program`.
std::vector<uid_t> ProcessOwners(const std::string& program) {
    std::vector<uid_t> owners;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
        const auto exe = std::filesystem::read_symlink(entry.path() / "exe", ignored);
        if (ignored || exe != program) continue;
        struct stat info {};
        if (::stat(entry.path().c_str(), &info) == 0) owners.push_back(info.st_uid);
    }
    return owners;
}

uid_t LpUser() {
    const passwd* lp = ::getpwnam("lp");
    return lp != nullptr ? lp->pw_uid : 0;
}

TEST_F(BackendCups, TheSchedulerRunsTheBackendAsLp) {
    // Long enough to be watched while it runs (4,400 pages).
    testing::WriteFile(dir_.File("long.txt"), NumberedLines(300000));
    ASSERT_EQ(cups_->Run("lp -d dos " + dir_.File("long.txt")).status, 0);
    std::vector<uid_t> owners;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (owners.empty() && std::chrono::steady_clock::now() < end) {
        owners = ProcessOwners(cups_->Backend());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(owners.empty()) << "the backend was never seen running";
    for (const uid_t owner : owners) EXPECT_EQ(owner, LpUser());
    EXPECT_GT(Inspect(dir_, Received(1, 120).at(0)).pages, 4000);
}

TEST_F(BackendCups, JobsThatAreNotDosTextEndWithoutStoppingTheQueue) {
    const std::string pdf = Reference(dir_, kFixture).text.empty() ? "" : dir_.File("reference.pdf");
    ASSERT_FALSE(pdf.empty());
    // Typed as PDF, the job is refused before it is queued: the queue takes text only.
    const auto typed = cups_->Run("lp -d dos " + pdf);
    EXPECT_NE(typed.status, 0);
    EXPECT_NE(typed.output.find("Unsupported document-format"), std::string::npos) << typed.output;

    // Sent raw, it reaches the backend, which ends the job with the reason.
    ASSERT_EQ(cups_->Run("lp -d dos -o raw " + pdf).status, 0);
    ASSERT_TRUE(cups_->WaitUntilIdle(std::chrono::seconds(30)));
    EXPECT_NE(JobLog().find("The job is a PDF document, not the text of a DOS program"), std::string::npos);
    EXPECT_TRUE(printer_->Take(1, std::chrono::seconds(2)).empty());
    const std::string state = cups_->Run("lpstat -p dos").output;
    EXPECT_NE(state.find("is idle.  enabled"), std::string::npos) << state;

    // Random bytes are text of a kind: they print, and the job ends.
    std::string noise;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        noise += static_cast<char>(seed >> 24);
    }
    testing::WriteFile(dir_.File("noise.bin"), noise);
    ASSERT_EQ(cups_->Run("lp -d dos -o raw " + dir_.File("noise.bin")).status, 0);
    EXPECT_GE(Inspect(dir_, Received(1).at(0)).pages, 1);
}

// The processes of `program` that are not its own children: one per running backend.
int RunningBackends(const std::string& program) {
    int count = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
        if (std::filesystem::read_symlink(entry.path() / "exe", ignored) != program || ignored) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state, parent;
        stat >> pid >> name >> state >> parent;
        if (std::filesystem::read_symlink("/proc/" + parent + "/exe", ignored) != program) ++count;
    }
    return count;
}

TEST_F(BackendCups, FortyJobsAtOnceEachArriveWithExactlyTheirPages) {
    // A class of two Quillon queues: the scheduler runs one job per queue at a time, so two
    // backends run side by side.
    for (const char* queue : {"dos-a", "dos-b"}) {
        ASSERT_EQ(cups_->Run(CreateQueue(queue, "capture")).status, 0);
        ASSERT_EQ(cups_->Run(std::string("lpadmin -p ") + queue + " -c pool").status, 0);
    }
    ASSERT_EQ(cups_->Run("cupsenable pool && cupsaccept pool").status, 0);
    constexpr int kJobs = 40;
    constexpr int kSenders = 4;
    // The fixture, each copy with a line of its own before it.
    const std::string fixture = testing::ReadFile(kFixture);
    std::string senders;
    for (int sender = 0; sender < kSenders; ++sender) {
        std::string loop;
        for (int job = sender; job < kJobs; job += kSenders) {
            const std::string file = dir_.File("job" + std::to_string(job));
            testing::WriteFile(file, "JOB " + std::to_string(100 + job) + "\r\n" + fixture);
            loop += "lp -d pool " + file + " >/dev/null; ";
        }
        senders += "(" + loop + ") & ";
    }
    auto expected = testing::AccountingReportPages(false);

    std::atomic<bool> watching = true;
    std::atomic<int> mostAtOnce = 0;
    std::thread watcher([&] {
        while (watching) {
            mostAtOnce = std::max(mostAtOnce.load(), RunningBackends(cups_->Backend()));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const std::size_t logStart = cups_->ErrorLog().size();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(cups_->Run("sh -c '" + senders + "wait'").status, 0);
    const auto jobs = Received(kJobs, 300);
    const double drain = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    watching = false;
    watcher.join();

    std::map<int, int> arrived;
    for (const std::string& job : jobs) {
        auto pages = testing::PagesOfText(Inspect(dir_, job).text);
        ASSERT_FALSE(pages.empty() || pages[0].empty());
        std::smatch marker;
        ASSERT_TRUE(std::regex_match(pages[0][0], marker, std::regex("JOB (\\d+)"))) << pages[0][0];
        const int number = std::stoi(marker[1]) - 100;
        ++arrived[number];
        pages[0].erase(pages[0].begin());
        EXPECT_EQ(pages, expected) << "job " << number;
    }
    EXPECT_EQ(arrived.size(), static_cast<std::size_t>(kJobs));
    for (const auto& [number, count] : arrived) EXPECT_EQ(count, 1) << "job " << number;
    EXPECT_GE(mostAtOnce.load(), 2) << "the two queues never ran a backend each at the same time";

    // What each of these jobs cost, as the backends reported it.
    const std::string log = cups_->ErrorLog().substr(logStart);
    const std::regex cost(R"(layout took ([\d.]+) s of processor time and (\d+) KB at most; the backend (\d+) KB)");
    long layoutPeak = 0;
    long backendPeak = 0;
    double cpu = 0;
    int reports = 0;
    for (auto it = std::sregex_iterator(log.begin(), log.end(), cost); it != std::sregex_iterator(); ++it) {
        cpu = std::max(cpu, std::stod((*it)[1]));
        layoutPeak = std::max(layoutPeak, std::stol((*it)[2]));
        backendPeak = std::max(backendPeak, std::stol((*it)[3]));
        ++reports;
    }
    EXPECT_GE(reports, kJobs);
    std::cout << "[ figures  ] " << kJobs << " jobs from " << kSenders << " senders drained in " << drain
              << " s; up to " << mostAtOnce << " backends at once; per job at most " << cpu
              << " s of processor time, layout peak " << layoutPeak / 1024 << " MB, backend peak "
              << backendPeak / 1024 << " MB\n";
    RecordProperty("drain_seconds", std::to_string(drain));
    RecordProperty("layout_peak_kb", std::to_string(layoutPeak));
}

// The backend run alone, as the scheduler runs it: as lp, arguments job-id user title copies
// options [file], the device URI and the scheduler in the environment.
class BackendAlone : public BackendCups {
protected:
    struct Run {
        int status = -1;  // exit status, or -1 when killed
        int signal = 0;
        std::string output;    // standard output
        std::string messages;  // standard error
        bool groupLeft = false;  // a process of the backend's own process group outlived it
    };

    // When to cancel the job with SIGTERM: 300 ms after the backend wrote `after`, or, with
    // `after` empty, 500 ms after it started.
    struct Cancel {
        std::string after;
    };

    void SetUp() override {
        BackendCups::SetUp();
        if (IsSkipped()) return;
        temporary_ = dir_.File("tmp");
        ::mkdir(temporary_.c_str(), 0700);
        ASSERT_EQ(::chown(temporary_.c_str(), LpUser(), static_cast<gid_t>(-1)), 0);
        // The scheduler hands a backend its spool file, which lp can read; the fixture itself
        // may lie where lp cannot (a build under /root).
        job_ = dir_.File("job.prn");
        std::filesystem::copy_file(kFixture, job_);
        ASSERT_EQ(::chmod(job_.c_str(), 0644), 0);
    }

    // Runs the backend with `arguments` after argv[0], in a process group of its own (which its
    // layout child joins); standard input from `input` (-1: none).
    Run Backend(const std::vector<std::string>& arguments, int input = -1,
                const std::string& uri = "quillon:/capture", std::optional<Cancel> cancel = {}) {
        std::vector<std::string> environment = {
            "DEVICE_URI=" + uri, "CUPS_SERVER=" + cups_->Socket(), "PPD=" + cups_->Ppd(), "TMPDIR=" + temporary_,
            "PRINTER=dos-alone", "PATH=/usr/bin:/bin"};
        int out[2];
        int err[2];
        EXPECT_EQ(::pipe(out), 0);
        EXPECT_EQ(::pipe(err), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setpgid(0, 0);
            if (input >= 0) ::dup2(input, STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            if (::setgid(LpUser()) != 0 || ::setuid(LpUser()) != 0) ::_exit(120);
            std::vector<char*> argv = {const_cast<char*>(uri.c_str())};
            for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            std::vector<char*> envp;
            for (std::string& variable : environment) envp.push_back(variable.data());
            envp.push_back(nullptr);
            ::execve(cups_->Backend().c_str(), argv.data(), envp.data());
            ::_exit(121);
        }
        ::close(out[1]);
        ::close(err[1]);
        Run run;
        bool cancelled = false;
        const auto start = std::chrono::steady_clock::now();
        const auto drain = [&](int fd, std::string& into) {
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) into.append(buffer, static_cast<std::size_t>(n));
            return n > 0;
        };
        bool outOpen = true;
        bool errOpen = true;
        while (outOpen || errOpen) {
            pollfd watched[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
            ::poll(watched, 2, 100);
            if (watched[0].revents != 0) outOpen = drain(out[0], run.output);
            if (watched[1].revents != 0) errOpen = drain(err[0], run.messages);
            if (cancel && !cancelled) {
                if (cancel->after.empty() && std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500)) {
                    ::kill(pid, SIGTERM);
                    cancelled = true;
                } else if (!cancel->after.empty() && run.messages.find(cancel->after) != std::string::npos) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(300));
                    ::kill(pid, SIGTERM);
                    cancelled = true;
                }
            }
        }
        ::close(out[0]);
        ::close(err[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
        run.groupLeft = ::kill(-pid, 0) == 0;
        if (run.groupLeft) ::kill(-pid, SIGKILL);
        // Whatever happened, the job leaves nothing in the temporary folder.
        EXPECT_TRUE(std::filesystem::is_empty(temporary_)) << "left in " << temporary_;
        return run;
    }

    int Open(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        EXPECT_GE(fd, 0) << path;
        return fd;
    }

    std::string temporary_;
    std::string job_;  // the fixture as the scheduler's spool file
};

TEST_F(BackendAlone, DescribesItsDeviceAndItsArguments) {
    Run run = Backend({});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output.rfind("network quillon \"Unknown\" \"", 0), 0u) << run.output;
    run = Backend({"1", "alice", "title"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.messages.find("Usage: quillon:/capture job-id user title copies options [file]"), std::string::npos)
        << run.messages;
}

TEST_F(BackendAlone, PrintsAFileOrStandardInput) {
    const Pdf expected = Reference(dir_, kFixture, "--fit");
    Run run = Backend({"101", "alice", "alone-file", "1", "", job_});
    EXPECT_EQ(run.status, 0) << run.messages;
    EXPECT_TRUE(std::regex_search(run.messages, std::regex("STATE: \\+connecting-to-device\n"
                                                           "STATE: -connecting-to-device\n(.*\n)*"
                                                           "INFO: Sent to \"capture\" as job capture-\\d+")))
        << run.messages;
    EXPECT_EQ(Inspect(dir_, Received(1).at(0)).text, expected.text);

    const int input = Open(kFixture);
    run = Backend({"102", "alice", "alone-stdin", "1", "orientation-requested=4"}, input);
    ::close(input);
    EXPECT_EQ(run.status, 0) << run.messages;
    const Pdf pdf = Inspect(dir_, Received(1).at(0));
    EXPECT_TRUE(pdf.landscape);
    EXPECT_EQ(pdf.text, Reference(dir_, kFixture, "--fit --landscape").text);
}

TEST_F(BackendAlone, FailuresSayWhyAndTellTheSchedulerWhatToDo) {
    testing::WriteFile(dir_.File("doc.pdf"), "%PDF-1.7\n%...");
    struct Case {
        const char* name;
        std::string uri;
        std::vector<std::string> arguments;
        int status;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"a URI without a queue", "quillon:/", {"1", "a", "t", "1", "", job_}, CUPS_BACKEND_STOP,
         "ERROR: The device URI \"quillon:/\" does not name a queue"},
        {"a missing destination", "quillon:/nosuch", {"1", "a", "t", "1", "", job_}, CUPS_BACKEND_STOP,
         "ERROR: The destination queue \"nosuch\" does not exist"},
        {"itself as destination", "quillon:/dos-alone", {"1", "a", "t", "1", "", job_}, CUPS_BACKEND_STOP,
         "ERROR: The queue forwards to itself"},
        {"a PDF", "quillon:/capture", {"1", "a", "t", "1", "", dir_.File("doc.pdf")}, CUPS_BACKEND_CANCEL,
         "ERROR: The job is a PDF document"},
        {"a wrong option", "quillon:/capture", {"1", "a", "t", "1", "quillon-size=99", job_},
         CUPS_BACKEND_CANCEL, "ERROR: The option quillon-size=\"99\" is not a whole number from 4 to 72"},
        {"a missing file", "quillon:/capture", {"1", "a", "t", "1", "", dir_.File("missing")}, CUPS_BACKEND_FAILED,
         "ERROR: Cannot read the job"},
    };
    for (const Case& c : cases) {
        const Run run = Backend(c.arguments, -1, c.uri);
        EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.messages;
        EXPECT_NE(run.messages.find(c.message), std::string::npos) << c.name << "\n" << run.messages;
    }

    // A destination that refuses jobs for now: the scheduler retries later.
    ASSERT_EQ(cups_->Run("cupsreject capture").status, 0);
    const Run run = Backend({"1", "a", "t", "1", "", job_});
    ASSERT_EQ(cups_->Run("cupsaccept capture").status, 0);
    EXPECT_EQ(run.status, CUPS_BACKEND_RETRY) << run.messages;
    EXPECT_NE(run.messages.find("ERROR: The destination queue \"capture\" refused the job for now"),
              std::string::npos) << run.messages;
    EXPECT_TRUE(printer_->Take(1, std::chrono::seconds(2)).empty());
}

TEST_F(BackendAlone, ACancelledJobLeavesNothingAnywhere) {
    // Waiting for standard input that never ends.
    int feed[2];
    ASSERT_EQ(::pipe(feed), 0);
    ASSERT_EQ(::write(feed[1], "\x8F\xB0\r\n", 4), 4);
    Run run = Backend({"201", "alice", "waiting", "1", ""}, feed[0], "quillon:/capture", Cancel{});
    ::close(feed[0]);
    ::close(feed[1]);
    EXPECT_EQ(run.signal, SIGTERM) << run.messages;
    EXPECT_FALSE(run.groupLeft);

    // In the middle of the layout: 600,000 lines are some 8,800 pages, nearly two seconds.
    testing::WriteFile(dir_.File("long.txt"), NumberedLines(600000));
    run = Backend({"202", "alice", "laying-out", "1", "", dir_.File("long.txt")}, -1, "quillon:/capture",
                  Cancel{"INFO: Laying out"});
    EXPECT_EQ(run.signal, SIGTERM) << run.messages;
    EXPECT_NE(run.messages.find("INFO: Job cancelled"), std::string::npos) << run.messages;
    EXPECT_FALSE(run.groupLeft) << "the layout child outlived the backend";
    EXPECT_TRUE(printer_->Take(1, std::chrono::seconds(3)).empty());
    EXPECT_EQ(cups_->Run("lpstat -o capture").output, "");
}

}  // namespace
}  // namespace quillon
