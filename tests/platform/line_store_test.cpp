// LineStore: lines come back as they went in, whole and in order, from memory and from the
// unnamed file they spill to, read one after another or by number; a file that cannot be made
// or written fails that one Append and loses no line.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/files/in_out_error.h"
#include "platform/files/line_store.h"
#include "platform/files/temporary_file.h"
#include "tests/support/line_store_lines.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::Strings;
using testing::TempDir;

// The store's temporary files go to a folder of the test's own.
class LineStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("TMPDIR")) oldTmp_ = old;
        UseTemporaryFolder(dir_.Path());
    }
    void TearDown() override {
        if (oldTmp_) {
            ::setenv("TMPDIR", oldTmp_->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    static void UseTemporaryFolder(const std::string& folder) {
        ::setenv("TMPDIR", folder.c_str(), 1);
    }
    bool FolderEmpty() const { return std::filesystem::is_empty(dir_.Path()); }

    TempDir dir_;

private:
    std::optional<std::string> oldTmp_;
};

// Lines that test the record format and the buffers: empty ones, every byte value, lengths
// around the one-byte length limit, lines longer than a read or write buffer, and enough lines
// for several indexed stretches.
std::vector<std::string> SampleLines() {
    std::vector<std::string> lines{"", "a", ""};
    std::string everyByte;
    for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
    lines.push_back(everyByte);
    lines.push_back(std::string(127, 'x'));
    lines.push_back(std::string(128, 'y'));
    std::string huge(200000, '\0');
    for (std::size_t i = 0; i < huge.size(); ++i) huge[i] = static_cast<char>(i * 7 % 251);
    lines.push_back(huge);
    for (int i = 0; i < 300; ++i) {
        lines.push_back(i % 7 == 0 ? std::string() : "Line " + std::to_string(i));
    }
    lines.push_back(everyByte + "\r\n\f");
    lines.push_back("");
    return lines;
}

std::vector<std::string> ByNumber(const LineStore& store, const std::vector<std::size_t>& order) {
    LineStore::Reader reader(store);
    std::vector<std::string> lines(store.size());
    for (const std::size_t i : order) lines[i] = std::string(reader.Line(i));
    return lines;
}

TEST_F(LineStoreTest, GivesBackEveryLineInMemoryAndSpilled) {
    const std::vector<std::string> sample = SampleLines();
    std::vector<std::size_t> backwards(sample.size());
    for (std::size_t i = 0; i < sample.size(); ++i) backwards[i] = sample.size() - 1 - i;
    std::vector<std::size_t> shuffled = backwards;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(15));

    struct Case {
        const char* what;
        std::size_t limit;
        bool inMemory;
    } const cases[] = {
        {"under the memory limit", LineStore::kDefaultMemoryLimit, true},
        {"spilled part way", 1000, false},
        {"every line on file", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LineStore store(c.limit);
        for (const std::string& line : sample) store.Append(line);
        EXPECT_EQ(store.size(), sample.size());
        EXPECT_EQ(store.InMemory(), c.inMemory);
        EXPECT_EQ(Strings(store), sample);
        EXPECT_EQ(ByNumber(store, backwards), sample);
        EXPECT_EQ(ByNumber(store, shuffled), sample);
        EXPECT_TRUE(FolderEmpty()) << "the file has no name";
    }
}

TEST_F(LineStoreTest, SpillsOnlyWhenTheLinesOutgrowTheLimit) {
    // Each line takes 10 bytes: its 9 and one for its length.
    LineStore store(30);
    for (int i = 0; i < 3; ++i) store.Append("123456789");
    EXPECT_TRUE(store.InMemory()) << "30 bytes are within a 30-byte limit";
    store.Append("123456789");
    EXPECT_FALSE(store.InMemory());

    // Lines appended after the spill are read from the file and from what waits to be written.
    std::vector<std::string> expected(4, "123456789");
    for (int i = 0; i < 20000; ++i) {
        expected.push_back(std::to_string(i));
        store.Append(expected.back());
    }
    EXPECT_EQ(Strings(store), expected);
    EXPECT_EQ(LineStore::Reader(store).Line(19999), "19995");
}

TEST_F(LineStoreTest, ClearAndMoveLeaveStoresAndReadersThatWorkOn) {
    LineStore store(0);
    store.Append("one");
    store.Append("two");
    LineStore moved(std::move(store));
    EXPECT_EQ(Strings(moved), (std::vector<std::string>{"one", "two"}));
    EXPECT_TRUE(store.empty());  // NOLINT(bugprone-use-after-move): moved-from stores are empty
    EXPECT_TRUE(store.InMemory());
    store.Append("again");
    EXPECT_EQ(Strings(store), std::vector<std::string>{"again"});

    // A reader kept across the changes reads the lines the store holds now, not what it
    // buffered before.
    LineStore::Reader reader(moved);
    EXPECT_EQ(reader.Line(1), "two");
    moved.Clear();
    EXPECT_TRUE(moved.empty());
    EXPECT_TRUE(moved.InMemory());
    EXPECT_EQ(moved.MemoryLimit(), 0u);
    moved.Append("three");
    moved.Append("four");
    EXPECT_EQ(reader.Line(1), "four");
    LineStore other(0);
    other.Append("five");
    moved = std::move(other);
    EXPECT_EQ(reader.Line(0), "five");
    EXPECT_EQ(Strings(moved), std::vector<std::string>{"five"});
}

TEST_F(LineStoreTest, AFileThatCannotBeMadeFailsTheAppendAndKeepsTheLines) {
    LineStore store(20);
    store.Append("first line");
    UseTemporaryFolder(dir_.File("missing"));
    try {
        store.Append("second line");
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Code(), kPathNotFound);
        EXPECT_EQ(e.Path(), dir_.File("missing") + "/quillon-lines-");
    }
    EXPECT_EQ(Strings(store), std::vector<std::string>{"first line"});
    EXPECT_TRUE(store.InMemory());

    UseTemporaryFolder(dir_.Path());
    store.Append("another line");
    EXPECT_FALSE(store.InMemory());
    EXPECT_EQ(Strings(store), (std::vector<std::string>{"first line", "another line"}));
}

TEST_F(LineStoreTest, AFullFileSystemFailsTheAppendAndKeepsTheLines) {
    const int status = testing::RunInChild([] {
        // Files may not grow past 100,000 bytes: the second 64 KiB piece is written in part.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit full{100000, limit.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &full);
        const std::string line(1000, 'q');
        LineStore store(0);
        int code = 0;
        std::size_t appended = 0;
        for (; appended < 1000 && code == 0; ++appended) {
            try {
                store.Append(line);
            } catch (const EInOutError& e) {
                code = e.Code();
            }
        }
        if (code != 223) return 1;
        if (store.size() != appended - 1) return 2;
        if (Strings(store) != std::vector<std::string>(store.size(), line)) return 3;
        // Room again: the next Append writes what waited.
        ::setrlimit(RLIMIT_FSIZE, &limit);
        store.Append("after");
        std::vector<std::string> expected(appended - 1, line);
        expected.emplace_back("after");
        return Strings(store) == expected ? 0 : 4;
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace quillon
