// The backend's layout child and the job it reads: what a job may cost, what it may be, and
// that nothing of it outlives the job.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/backend/backend_error.h"
#include "app/backend/job_input.h"
#include "app/backend/layout_process.h"
#include "app/backend/termination.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::TempDir;

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer reserves terabytes of address space up front, so no address-space limit
// can apply under it.
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

struct Outcome {
    std::string output;
    std::vector<std::string> messages;
    std::string error;  // the EBackendError's message, if one came
    cups_backend_t status = CUPS_BACKEND_OK;
};

JobLimits QuickLimits() {
    JobLimits limits;
    if (kSanitized) limits.memoryBytes = 0;
    return limits;
}

Outcome RunWith(const LayoutCommand& command, const JobLimits& limits, const std::string& input = "") {
    TempDir dir;
    testing::WriteFile(dir.File("input"), input);
    const int fd = ::open(dir.File("input").c_str(), O_RDONLY);
    TerminationSignal termination;
    LayoutProcess process(limits, termination);
    Outcome outcome;
    process.onOutput = [&](std::string_view data) { outcome.output.append(data); };
    process.onMessage = [&](const std::string& line) { outcome.messages.push_back(line); };
    try {
        process.Run(command, {"tool", "print"}, fd, dir.Path());
    } catch (const EBackendError& error) {
        outcome.error = error.what();
        outcome.status = error.Status();
    }
    ::close(fd);
    return outcome;
}

std::string ReadAll(std::FILE* file) {
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    return text;
}

TEST(BackendLayoutProcess, StreamsTheOutputAndReportsMessages) {
    const Outcome outcome = RunWith(
        [](std::vector<std::string>& arguments) {
            // Larger than a pipe holds, so the parent must read while the child writes.
            std::string all = ReadAll(stdin);
            for (int i = 0; i < 2000; ++i) std::fwrite(all.data(), 1, all.size(), stdout);
            std::fprintf(stderr, "%zu arguments\nfolder %s\n", arguments.size(), std::getenv("TMPDIR"));
            return 0;
        },
        QuickLimits(), "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");
    EXPECT_EQ(outcome.error, "");
    ASSERT_EQ(outcome.output.size(), 2000u * 64u);
    EXPECT_EQ(outcome.output.substr(64 * 1999), "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");
    ASSERT_EQ(outcome.messages.size(), 2u);
    EXPECT_EQ(outcome.messages[0], "2 arguments");
    EXPECT_NE(outcome.messages[1].find("/quillon-test-"), std::string::npos) << outcome.messages[1];
}

TEST(BackendLayoutProcess, FailuresAndLimitsCancelTheJobWithTheirReason) {
    struct Case {
        const char* name;
        LayoutCommand command;
        JobLimits limits;
        const char* reason;
    };
    JobLimits oneCpuSecond = QuickLimits();
    oneCpuSecond.cpuSeconds = 1;
    JobLimits oneSecond = QuickLimits();
    oneSecond.wallSeconds = 1;
    JobLimits smallFiles = QuickLimits();
    smallFiles.fileBytes = 1 << 20;
    JobLimits smallMemory = QuickLimits();
    smallMemory.memoryBytes = std::uint64_t{512} << 20;
    std::vector<Case> cases = {
        {"a failing tool", [](std::vector<std::string>&) {
             std::fputs("warming up\nFile not found.\n", stderr);
             return 1;
         }, QuickLimits(), "File not found."},
        {"a refused command line", [](std::vector<std::string>&) {
             std::fputs("quillon-cli: unknown option \"--frobnicate\"\n\nUsage:\n  quillon-cli ...\n", stderr);
             return 2;
         }, QuickLimits(), "unknown option \"--frobnicate\""},
        {"a busy loop", [](std::vector<std::string>&) {
             volatile unsigned long spins = 0;
             for (;;) spins = spins + 1;
             return 0;
         }, oneCpuSecond, "more than 1 s of processor time"},
        {"a wait", [](std::vector<std::string>&) {
             ::sleep(30);
             return 0;
         }, oneSecond, "more than 1 s to lay out"},
        {"a huge file", [](std::vector<std::string>&) {
             std::FILE* file = std::fopen((std::string(std::getenv("TMPDIR")) + "/big").c_str(), "wb");
             const std::string block(65536, 'x');
             for (int i = 0; i < 64; ++i) std::fwrite(block.data(), 1, block.size(), file);
             std::fclose(file);
             return 0;
         }, smallFiles, "a file larger than 1 MB"},
        {"a crash", [](std::vector<std::string>&) {
             ::raise(SIGSEGV);
             return 0;
         }, QuickLimits(), "The layout stopped unexpectedly (signal "},
    };
    if (!kSanitized) {
        cases.push_back({"endless memory", [](std::vector<std::string>&) {
                             std::vector<std::unique_ptr<char[]>> blocks;
                             for (;;) blocks.emplace_back(new char[16 << 20]);
                             return 0;
                         }, smallMemory, "more than 512 MB of memory"});
    }
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const Outcome outcome = RunWith(c.command, c.limits);
        // A command line the tool refuses is the backend's fault, not the job's.
        EXPECT_EQ(outcome.status, c.name == std::string("a refused command line") ? CUPS_BACKEND_FAILED
                                                                                 : CUPS_BACKEND_CANCEL) << c.name;
        EXPECT_NE(outcome.error.find(c.reason), std::string::npos) << c.name << ": " << outcome.error;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.name;
    }
}

TEST(BackendLayoutProcess, ATerminationSignalKillsTheChildAndLeavesNothing) {
    TempDir dir;
    const std::string folder = dir.File("job");
    ::mkdir(folder.c_str(), 0700);
    testing::WriteFile(dir.File("input"), "x");
    const int fd = ::open(dir.File("input").c_str(), O_RDONLY);
    pid_t child = 0;
    bool cancelled = false;
    {
        TerminationSignal termination;
        LayoutProcess process(QuickLimits(), termination);
        process.onMessage = [&](const std::string& line) {
            child = std::stoi(line);
            // The scheduler cancels the job while the layout runs.
            ::kill(::getpid(), SIGTERM);
        };
        try {
            process.Run([](std::vector<std::string>&) {
                std::fprintf(stderr, "%d\n", static_cast<int>(::getpid()));
                std::fflush(stderr);
                ::sleep(30);
                return 0;
            }, {"tool"}, fd, folder);
        } catch (const EJobCancelled&) {
            cancelled = true;
        }
        EXPECT_EQ(termination.Received(), SIGTERM);
    }
    ::close(fd);
    EXPECT_TRUE(cancelled);
    ASSERT_GT(child, 0);
    EXPECT_NE(::kill(child, 0), 0) << "the layout child is still there";
}

TEST(BackendJobInput, TakesTextAndRefusesDocumentsAndOversizedJobs) {
    TempDir dir;
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"\x1b@\x0f\x8f\xb0\r\n\x0c", nullptr},
        {"plain text\r\n", nullptr},
        {std::string("\0\xff\x01 random", 10), nullptr},
        {"", nullptr},
        {"%PDF-1.4\n", "a PDF document"},
        {"%!PS-Adobe-3.0\n", "a PostScript document"},
        {"\x89PNG\r\n\x1a\n....", "a PNG image"},
        {"\xFF\xD8\xFF\xE0", "a JPEG image"},
        {"RaS2....", "a CUPS raster"},
    };
    for (const auto& [content, refusal] : cases) {
        testing::WriteFile(dir.File("job"), content);
        try {
            const JobInput input(dir.File("job").c_str(), dir.Path(), 1000);
            EXPECT_EQ(refusal, nullptr) << content;
            EXPECT_EQ(input.Size(), content.size());
        } catch (const EBackendError& error) {
            ASSERT_NE(refusal, nullptr) << error.what();
            EXPECT_EQ(error.Status(), CUPS_BACKEND_CANCEL);
            EXPECT_NE(std::string(error.what()).find(refusal), std::string::npos) << error.what();
        }
    }
    testing::WriteFile(dir.File("job"), std::string(1001, 'x'));
    EXPECT_THROW(JobInput(dir.File("job").c_str(), dir.Path(), 1000), EBackendError);
    EXPECT_THROW(JobInput(dir.File("missing").c_str(), dir.Path(), 1000), EBackendError);
}

// Standard input taken as the job, in an unnamed file of the job's folder.
TEST(BackendJobInput, CopiesStandardInputIntoTheJobsFolder) {
    TempDir dir;
    const std::string folder = dir.File("job");
    ::mkdir(folder.c_str(), 0700);
    const auto withStdin = [&](const std::string& content, const std::function<void()>& body) {
        testing::WriteFile(dir.File("stdin"), content);
        const int saved = ::dup(STDIN_FILENO);
        const int fd = ::open(dir.File("stdin").c_str(), O_RDONLY);
        ::dup2(fd, STDIN_FILENO);
        ::close(fd);
        body();
        ::dup2(saved, STDIN_FILENO);
        ::close(saved);
    };
    withStdin("\x8f\xb0 line\r\n", [&] {
        const JobInput input(nullptr, folder, 1000);
        EXPECT_EQ(input.Size(), 9u);
        char buffer[16] = {};
        EXPECT_EQ(::read(input.Descriptor(), buffer, sizeof buffer), 9);
        EXPECT_EQ(std::string(buffer, 9), "\x8f\xb0 line\r\n");
        EXPECT_TRUE(std::filesystem::is_empty(folder));
    });
    withStdin(std::string(5000, 'x'), [&] {
        try {
            JobInput input(nullptr, folder, 1000);
            ADD_FAILURE() << "an oversized job was taken";
        } catch (const EBackendError& error) {
            EXPECT_NE(std::string(error.what()).find("more than 1 MB"), std::string::npos) << error.what();
        }
    });
}

TEST(BackendWorkFolder, IsPrivateAndGoesWithEverythingInIt) {
    TempDir dir;
    std::string path;
    {
        const WorkFolder folder(dir.Path());
        path = folder.Path();
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        ::mkdir((path + "/cache").c_str(), 0700);
        testing::WriteFile(path + "/cache/left-behind", "x");
    }
    EXPECT_FALSE(testing::FileExists(path));
}

}  // namespace
}  // namespace quillon
