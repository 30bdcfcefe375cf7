// quillon-cli as a user runs it.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::TempDir;

struct CliRun {
    int status;
    std::string output;
};

CliRun RunCli(const std::string& arguments) {
    const std::string command = std::string(QUILLON_BINARY_DIR) + "/app/quillon-cli " + arguments + " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    CliRun run{-1, {}};
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

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
    EXPECT_EQ(run.output, "File not found.\n");
    testing::WriteFile(dir.File("in.txt"), "x");
    run = RunCli("convert " + dir.File("in.txt") + " " + dir.Path() + "/./in.txt");
    EXPECT_EQ(run.output, "I/O error 32.\n");
    EXPECT_EQ(testing::ReadFile(dir.File("in.txt")), "x");
}

TEST(QuillonCli, ExplainsItsUsage) {
    CliRun run = RunCli("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("quillon-cli convert INPUT OUTPUT"), std::string::npos);
    run = RunCli("convert only-one");
    EXPECT_EQ(run.status, 2);
    run = RunCli("frobnicate");
    EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace quillon
