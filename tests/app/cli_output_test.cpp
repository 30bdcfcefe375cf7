// The files quillon-cli writes: never onto its input, never half-written, symbolic links
// followed, special files written through, and nothing left behind by a killed run.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/cli_runner.h"
#include "tests/support/process_files.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::CliRun;
using testing::EntryCount;
using testing::ReadFile;
using testing::RunCli;
using testing::TempDir;
using testing::WriteFile;

std::string DosLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "\x8F\xB0\xAE\xA1\xA0 " + std::to_string(i) + "\r\n";
    return text;
}

bool IsKind(const std::string& path, mode_t kind) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == kind;
}

// One writer of the tool: the command that writes `target` from `input`.
struct Writer {
    const char* name;
    const char* option;  // "--pdf" or "--qrp"
    bool fromReport;     // render a saved report rather than print the text
};

constexpr Writer kWriters[] = {
    {"print --pdf", "--pdf", false},
    {"print --qrp", "--qrp", false},
    {"render --pdf", "--pdf", true},
};

// A folder with the text "in.txt" and, for render, its report "r.qrp"; the writer's input.
std::string PrepareInput(const TempDir& dir, const Writer& writer, int lines = 150) {
    WriteFile(dir.File("in.txt"), DosLines(lines));
    if (!writer.fromReport) return dir.File("in.txt");
    const CliRun made = RunCli("print " + dir.File("in.txt") + " --qrp " + dir.File("r.qrp"));
    EXPECT_EQ(made.status, 0) << made.output;
    return dir.File("r.qrp");
}

std::string Command(const Writer& writer, const std::string& input, const std::string& target) {
    return std::string(writer.fromReport ? "render " : "print ") + input + " " + writer.option +
           " " + target;
}

TEST(QuillonCliOutput, RefusesToWriteOntoItsInputUnderAnyName) {
    for (const Writer& writer : kWriters) {
        TempDir dir;
        const std::string input = PrepareInput(dir, writer);
        const std::string name = input.substr(input.find_last_of('/') + 1);
        ASSERT_EQ(::symlink(name.c_str(), dir.File("link").c_str()), 0);
        ASSERT_EQ(::link(input.c_str(), dir.File("hard").c_str()), 0);
        const std::string before = ReadFile(input);
        const std::size_t entries = EntryCount(dir.Path());

        for (const std::string& target :
             {input, dir.Path() + "/./" + name, dir.File("link"), dir.File("hard")}) {
            const CliRun run = RunCli(Command(writer, input, target));
            EXPECT_EQ(run.status, 1) << writer.name << " onto " << target;
            EXPECT_EQ(run.output, "quillon-cli: " + target + ": I/O error 32.\n")
                << writer.name << " onto " << target;
            EXPECT_EQ(ReadFile(input), before) << writer.name << " onto " << target;
            EXPECT_TRUE(IsKind(dir.File("link"), S_IFLNK)) << writer.name;
            EXPECT_EQ(EntryCount(dir.Path()), entries) << writer.name << " onto " << target;
        }
    }
}

// "-" is whatever file the shell redirected: standard input read from the target, or standard
// output appended to the input, is the input all the same.
TEST(QuillonCliOutput, RefusesAStandardStreamThatIsItsInput) {
    for (const Writer& writer : kWriters) {
        TempDir dir;
        const std::string input = PrepareInput(dir, writer);
        const std::string before = ReadFile(input);
        const std::size_t entries = EntryCount(dir.Path());
        struct Case {
            const char* what;
            std::string arguments;
            const char* target;
        };
        const Case cases[] = {
            {"standard input", Command(writer, "-", input) + " < " + input + " 2>&1", ""},
            {"standard output", Command(writer, input, "-") + " 2>&1 >> " + input, "-"},
            {"both", Command(writer, "-", "-") + " < " + input + " 2>&1 >> " + input, "-"},
        };
        for (const Case& c : cases) {
            // Messages go where standard output went before it was redirected.
            CliRun run{-1, {}};
            run.output =
                testing::CommandOutput("exec " + testing::CliPath() + " " + c.arguments, &run.status);
            const std::string target = *c.target != '\0' ? c.target : input;
            EXPECT_EQ(run.status, 1) << writer.name << ", " << c.what;
            EXPECT_EQ(run.output, "quillon-cli: " + target + ": I/O error 32.\n")
                << writer.name << ", " << c.what;
            EXPECT_EQ(ReadFile(input), before) << writer.name << ", " << c.what;
            EXPECT_EQ(EntryCount(dir.Path()), entries) << writer.name << ", " << c.what;
        }
        // A pipe is no file: the same command between pipes writes its document.
        int status = -1;
        const std::string output = testing::CommandOutput(
            "cat " + input + " | " + testing::CliPath() + " " + Command(writer, "-", "-") +
                " 2>&1 | cat > " + dir.File("out"),
            &status);
        EXPECT_EQ(status, 0) << writer.name << ": " << output;
        EXPECT_GT(ReadFile(dir.File("out")).size(), 100u) << writer.name;
    }
}

TEST(QuillonCliOutput, AFullFileSystemEndsInAnErrorAndKeepsTheOldFile) {
    for (const Writer& writer : kWriters) {
        TempDir dir;
        const std::string input = PrepareInput(dir, writer);
        WriteFile(dir.File("out"), "the old file");
        const std::size_t entries = EntryCount(dir.Path());
        // Files may grow to 8 KiB; the pages of 150 lines need more.
        const CliRun run = RunCli(Command(writer, input, dir.File("out")), "ulimit -f 16");
        EXPECT_EQ(run.status, 1) << writer.name << ": " << run.output;
        EXPECT_EQ(run.output.find("page"), std::string::npos) << writer.name << ": " << run.output;
        EXPECT_EQ(ReadFile(dir.File("out")), "the old file") << writer.name;
        EXPECT_EQ(EntryCount(dir.Path()), entries) << writer.name;
    }
}

TEST(QuillonCliOutput, ASymbolicLinkStaysALinkToTheReplacedFile) {
    for (const Writer& writer : kWriters) {
        TempDir dir;
        const std::string input = PrepareInput(dir, writer);
        ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0777), 0);
        WriteFile(dir.File("real/old"), "the old file");
        ASSERT_EQ(::chmod(dir.File("real/old").c_str(), 0640), 0);
        ASSERT_EQ(::symlink("real/old", dir.File("to-old").c_str()), 0);
        ASSERT_EQ(::symlink("real/new", dir.File("to-new").c_str()), 0);  // dangling

        for (const char* link : {"to-old", "to-new"}) {
            const CliRun run = RunCli(Command(writer, input, dir.File(link)));
            EXPECT_EQ(run.status, 0) << writer.name << " " << link << ": " << run.output;
            EXPECT_TRUE(IsKind(dir.File(link), S_IFLNK)) << writer.name << " " << link;
        }
        const std::string header = writer.option == std::string("--pdf") ? "%PDF-" : "\x03";
        for (const char* file : {"real/old", "real/new"}) {
            EXPECT_EQ(ReadFile(dir.File(file)).rfind(header, 0), 0u) << writer.name << " " << file;
        }
        struct stat st {};
        ASSERT_EQ(::stat(dir.File("real/old").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << writer.name;
        EXPECT_EQ(EntryCount(dir.File("real")), 2u) << writer.name;
    }
}

TEST(QuillonCliOutput, DevicesStayDevicesAndReportTheirFailure) {
    for (const Writer& writer : kWriters) {
        TempDir dir;
        const std::string input = PrepareInput(dir, writer);
        ASSERT_EQ(::symlink("/dev/full", dir.File("full").c_str()), 0);
        for (const std::string& target : {std::string("/dev/full"), dir.File("full")}) {
            const CliRun run = RunCli(Command(writer, input, target));
            EXPECT_EQ(run.status, 1) << writer.name << " " << target;
            EXPECT_EQ(run.output, "quillon-cli: " + target + ": " +
                                      (writer.option == std::string("--pdf") ? "I/O error 112.\n"
                                                                             : "Stream write error.\n"))
                << writer.name << " " << target;
            EXPECT_TRUE(IsKind("/dev/full", S_IFCHR));
            EXPECT_TRUE(IsKind(dir.File("full"), S_IFLNK));
        }
    }
}

// Runs `command` in the shell; its exit status, or -1.
int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(QuillonCliOutput, AFifoIsWrittenThroughToTheProcessReadingIt) {
    for (const Writer& writer : kWriters) {
        TempDir dir;
        const std::string input = PrepareInput(dir, writer);
        ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
        // The reader is another process, started before or after the writer opens the FIFO.
        std::thread reader([&] {
            Shell("timeout 60 cat " + dir.File("fifo") + " > " + dir.File("through"));
        });
        const CliRun run = RunCli(Command(writer, input, dir.File("fifo")));
        reader.join();
        EXPECT_EQ(run.status, 0) << writer.name << ": " << run.output;
        EXPECT_TRUE(IsKind(dir.File("fifo"), S_IFIFO)) << writer.name;

        ASSERT_EQ(RunCli(Command(writer, input, dir.File("regular"))).status, 0);
        std::string through = ReadFile(dir.File("through"));
        std::string regular = ReadFile(dir.File("regular"));
        if (writer.option == std::string("--pdf")) {
            // PDFs differ in their creation time only.
            EXPECT_EQ(through.rfind("%PDF-", 0), 0u) << writer.name;
            EXPECT_EQ(through.size(), regular.size()) << writer.name;
        } else {
            ASSERT_GT(through.size(), 24u);
            through.replace(16, 8, 8, '\0');  // the time the report was made
            regular.replace(16, 8, 8, '\0');
            EXPECT_EQ(through, regular) << writer.name;
        }
    }
}

TEST(QuillonCliOutput, StandardOutputByNameTakesThePdfAndNothingElse) {
    TempDir dir;
    WriteFile(dir.File("in.txt"), DosLines(150));
    const std::string cli = testing::CliPath() + " print " + dir.File("in.txt") + " --pdf /dev/stdout";
    ASSERT_EQ(Shell(cli + " 2>" + dir.File("err") + " >" + dir.File("file.pdf")), 0);
    ASSERT_EQ(Shell(cli + " 2>" + dir.File("err2") + " | cat >" + dir.File("piped.pdf")), 0);
    for (const char* name : {"file.pdf", "piped.pdf"}) {
        const std::string pdf = ReadFile(dir.File(name));
        EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u) << name;
        EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n") << name;
    }
    EXPECT_EQ(ReadFile(dir.File("err")), "");
    EXPECT_EQ(ReadFile(dir.File("err2")), "");
}

// Starts quillon-cli with `arguments` and $TMPDIR set to `tmpdir` (its Qt runtime folder
// elsewhere); its output is dropped.
pid_t StartCli(const std::vector<std::string>& arguments, const std::string& tmpdir,
               const std::string& runtime) {
    std::vector<std::string> args{testing::CliPath()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string tmp = "TMPDIR=" + tmpdir;
    std::vector<std::string> env{tmp, "QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime};
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    return pid;
}

TEST(QuillonCliOutput, AKilledRunLeavesNoPageFileAndNoHalfSavedReport) {
    for (const int signal : {SIGTERM, SIGHUP, SIGKILL}) {
        TempDir dir;
        ASSERT_EQ(::mkdir(dir.File("tmp").c_str(), 0700), 0);
        ASSERT_EQ(::mkdir(dir.File("runtime").c_str(), 0700), 0);
        WriteFile(dir.File("big.txt"), DosLines(60000));
        const pid_t pid = StartCli({"print", dir.File("big.txt"), "--qrp", dir.File("x.qrp")},
                                   dir.File("tmp"), dir.File("runtime"));
        ASSERT_GT(pid, 0);
        // Killed once its pages have spilled into a file of the temporary folder.
        EXPECT_TRUE(testing::WaitForOpenFiles(pid, dir.File("tmp"), 1)) << strsignal(signal);
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status)) << strsignal(signal);
        EXPECT_EQ(EntryCount(dir.File("tmp")), 0u) << strsignal(signal);
        EXPECT_EQ(EntryCount(dir.Path()), 3u) << strsignal(signal);  // big.txt, tmp and runtime
    }
}

}  // namespace
}  // namespace quillon
