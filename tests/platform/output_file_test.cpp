// OutputFile: a file is replaced whole or not at all, never onto an input, links followed,
// special files written through, and nothing left behind by a failure or a killed process.
// Every case runs with unnamed temporary files and again as on file systems without them.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/files/in_out_error.h"
#include "platform/files/output_file.h"
#include "platform/files/temporary_file.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

void Write(OutputFile& file, std::string_view text) { file.Write(text.data(), text.size()); }

// The code of the EInOutError that `action` raises; 0 when it raises none.
int CodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EInOutError& e) {
        return e.Code();
    }
    return 0;
}

class OutputFileTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { ForceNamedTemporaryFilesForTesting(GetParam()); }
    void TearDown() override { ForceNamedTemporaryFilesForTesting(false); }
};

INSTANTIATE_TEST_SUITE_P(Temporaries, OutputFileTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Named" : "Unnamed";
                         });

TEST_P(OutputFileTest, ReplacesARegularFileOnlyOnCommitAndKeepsItsPermissions) {
    TempDir dir;
    WriteFile(dir.File("report"), "the old report");
    ASSERT_EQ(::chmod(dir.File("report").c_str(), 0640), 0);
    {
        OutputFile file(dir.File("report"));
        EXPECT_TRUE(file.ReplacesTarget());
        Write(file, "the new ");
        Write(file, std::string(200000, 'x'));  // past the buffer
        EXPECT_EQ(file.Size(), 200008);
        EXPECT_EQ(ReadFile(dir.File("report")), "the old report");
        // Only a temporary of the file systems without unnamed files shows, hidden.
        const auto entries = Entries(dir.Path());
        ASSERT_EQ(entries.size(), GetParam() ? 2u : 1u);
        if (GetParam()) {
            EXPECT_EQ(entries[0].rfind(".report.", 0), 0u) << entries[0];
        }
        file.Commit();
    }
    EXPECT_EQ(ReadFile(dir.File("report")), "the new " + std::string(200000, 'x'));
    EXPECT_EQ(ModeOf(dir.File("report")) & 07777, 0640u);
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"report"});

    // A new file gets the mode the process's mask allows.
    const mode_t mask = ::umask(027);
    OutputFile created(dir.File("new"));
    Write(created, "new");
    created.Commit();
    ::umask(mask);
    EXPECT_EQ(ReadFile(dir.File("new")), "new");
    EXPECT_EQ(ModeOf(dir.File("new")) & 07777, 0640u);
}

TEST_P(OutputFileTest, ADroppedOrFailedFileLeavesTheTargetAndTheFolderAsTheyWere) {
    TempDir dir;
    WriteFile(dir.File("report"), "the old report");
    {
        OutputFile dropped(dir.File("report"));
        Write(dropped, "never seen");
    }
    {
        OutputFile discarded(dir.File("absent"));
        Write(discarded, "never seen");
        discarded.Discard();
        EXPECT_NE(CodeOf([&] { discarded.Commit(); }), 0);
    }
    EXPECT_EQ(ReadFile(dir.File("report")), "the old report");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"report"});

    // A full file system: files may not grow past 1000 bytes.
    const int status = testing::RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        OutputFile file(dir.File("report"));
        const int written = CodeOf([&] { Write(file, std::string(70000, 'x')); });
        const int committed = CodeOf([&] { file.Commit(); });
        return written == 223 && committed == 223 ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(dir.File("report")), "the old report");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"report"});
}

TEST_P(OutputFileTest, RefusesInputsFoldersAndReadOnlyFilesBeforeWritingAnything) {
    TempDir dir;
    WriteFile(dir.File("input.txt"), "the input");
    ASSERT_EQ(::symlink("input.txt", dir.File("link").c_str()), 0);
    ASSERT_EQ(::link(dir.File("input.txt").c_str(), dir.File("hard").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0777), 0);
    WriteFile(dir.File("read-only"), "kept");
    ASSERT_EQ(::chmod(dir.File("read-only").c_str(), 0444), 0);
    const std::vector<std::string> inputs{dir.File("input.txt")};
    const auto before = Entries(dir.Path());

    struct Refusal {
        std::string path;
        int code;
    };
    const std::vector<Refusal> refusals = {
        {dir.File("input.txt"), 32},
        {dir.Path() + "/./folder/../input.txt", 32},
        {dir.File("link"), 32},
        {dir.File("hard"), 32},
        {dir.File("folder"), 5},
        {dir.File("read-only"), 5},  // also for a privileged user
        {dir.File("missing/report"), 3},
        {"", 3},
    };
    for (const Refusal& refusal : refusals) {
        EXPECT_EQ(CodeOf([&] { OutputFile file(refusal.path, inputs); }), refusal.code)
            << refusal.path;
    }
    EXPECT_EQ(ReadFile(dir.File("input.txt")), "the input");
    EXPECT_EQ(ReadFile(dir.File("read-only")), "kept");
    EXPECT_EQ(Entries(dir.Path()), before);
    EXPECT_EQ(CodeOf([&] { RefuseInputAsOutput(dir.File("hard"), inputs); }), 32);
    EXPECT_EQ(CodeOf([&] { RefuseInputAsOutput(dir.File("other"), inputs); }), 0);

    // A folder where no file can be made.
    ASSERT_EQ(::chmod(dir.File("folder").c_str(), 0555), 0);
    const int status = testing::RunUnprivileged(
        [&] { return CodeOf([&] { OutputFile file(dir.File("folder/report")); }); });
    EXPECT_EQ(status, 5);
}

TEST_P(OutputFileTest, ASymbolicLinkStaysALinkToTheFileThatIsReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0777), 0);
    WriteFile(dir.File("real/report"), "old");
    ASSERT_EQ(::symlink("real/report", dir.File("link").c_str()), 0);
    // A chain of two links whose end does not exist yet.
    ASSERT_EQ(::symlink("second", dir.File("first").c_str()), 0);
    ASSERT_EQ(::symlink("real/new", dir.File("second").c_str()), 0);

    for (const char* name : {"link", "first"}) {
        OutputFile file(dir.File(name));
        Write(file, name);
        file.Commit();
    }
    EXPECT_EQ(ReadFile(dir.File("real/report")), "link");
    EXPECT_EQ(ReadFile(dir.File("real/new")), "first");
    for (const char* name : {"link", "first", "second"}) {
        EXPECT_TRUE(S_ISLNK(ModeOf(dir.File(name)))) << name;
    }
    EXPECT_EQ(Entries(dir.File("real")), (std::vector<std::string>{"new", "report"}));
}

TEST_P(OutputFileTest, SpecialFilesAreWrittenThroughAndStayWhatTheyAre) {
    // A device: its failure is reported and it stays a device.
    {
        OutputFile full("/dev/full");
        EXPECT_FALSE(full.ReplacesTarget());
        Write(full, "bytes");
        EXPECT_EQ(CodeOf([&] { full.Commit(); }), 112);
    }
    EXPECT_TRUE(S_ISCHR(ModeOf("/dev/full")));
    if (S_ISBLK(ModeOf("/dev/loop0"))) {
        EXPECT_EQ(CodeOf([] { OutputFile disk("/dev/loop0"); }), 5);
    }

    // A FIFO read by another process, which opens it after the writer is waiting.
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const pid_t reader = ::fork();
    if (reader == 0) {
        ::usleep(100000);
        const int in = ::open(dir.File("fifo").c_str(), O_RDONLY);
        const int out = ::open(dir.File("received").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(in, buffer, sizeof buffer)) > 0) {
            if (::write(out, buffer, static_cast<std::size_t>(n)) != n) ::_exit(1);
        }
        ::_exit(in >= 0 && out >= 0 && n == 0 ? 0 : 1);
    }
    const std::string text = std::string(100000, 'p') + "end";
    {
        OutputFile fifo(dir.File("fifo"));
        EXPECT_FALSE(fifo.ReplacesTarget());
        Write(fifo, text);
        fifo.Commit();
    }
    int status = 0;
    ASSERT_EQ(::waitpid(reader, &status, 0), reader);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(dir.File("received")), text);
    EXPECT_TRUE(S_ISFIFO(ModeOf(dir.File("fifo"))));

    // Standard output, here a file: written through its descriptor, after what it holds.
    WriteFile(dir.File("stdout"), "");
    status = testing::RunInChild([&] {
        const int out = ::open(dir.File("stdout").c_str(), O_WRONLY);
        ::dup2(out, STDOUT_FILENO);
        if (::write(STDOUT_FILENO, "before ", 7) != 7) return 1;
        OutputFile file("/dev/stdout");
        Write(file, "document");
        file.Commit();
        return IsStandardOutput("/dev/stdout") && !file.ReplacesTarget() ? 0 : 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(dir.File("stdout")), "before document");
}

TEST_P(OutputFileTest, AKilledWriterLeavesTheOldFileAndNoTemporary) {
    // A file of the file systems without unnamed files has a name until the end; only the
    // signals that can be handled remove it.
    std::vector<int> signals{SIGTERM, SIGINT, SIGHUP};
    if (!GetParam()) signals.push_back(SIGKILL);
    for (const int signal : signals) {
        TempDir dir;
        WriteFile(dir.File("report"), "the old report");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            OutputFile file(dir.File("report"));
            Write(file, std::string(300000, 'n'));
            if (::write(ready[1], "r", 1) != 1) ::_exit(1);
            ::pause();
            ::_exit(2);
        }
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << strsignal(signal);
        EXPECT_EQ(ReadFile(dir.File("report")), "the old report") << strsignal(signal);
        EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"report"}) << strsignal(signal);
    }
}

TEST_P(OutputFileTest, UnnamedTemporaryFilesArePrivateAndLeaveNoName) {
    TempDir dir;
    posix::File file = CreateUnnamedFile(dir.Path(), "QRP");
    EXPECT_TRUE(Entries(dir.Path()).empty());
    const struct stat st = file.Status();
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_nlink, 0u);
    file.WriteAll("page", 4);
    char back[4] = {};
    ASSERT_EQ(::pread(file.Descriptor(), back, 4, 0), 4);
    EXPECT_EQ(std::string(back, 4), "page");
    EXPECT_EQ(CodeOf([&] { CreateUnnamedFile(dir.File("missing"), "QRP"); }), 3);
}

}  // namespace
}  // namespace quillon
