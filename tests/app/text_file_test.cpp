// Reading DOS text files as lines, converting them, and the error codes of both.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "app/transcode/line_scanner.h"
#include "app/transcode/text_file.h"
#include "platform/core/dos_code_page.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct ReadingCase {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
};

std::string Bytes(const char* s, std::size_t n) { return std::string(s, n); }

const std::vector<ReadingCase>& ReadingCases() {
    static const std::vector<ReadingCase> cases = {
        {"empty file", "", {}},
        {"no final terminator", "abc", {"abc"}},
        {"line feed ends", "a\nb\n", {"a", "b"}},
        {"CR LF ends", "a\r\nb\r\n", {"a", "b"}},
        {"mixed ends, last unterminated", "a\r\nb\nc", {"a", "b", "c"}},
        {"empty lines in the middle and at the end", "a\n\n\nb\n\n", {"a", "", "", "b", ""}},
        {"only a terminator", "\n", {""}},
        {"lone CR is dropped, the line not split", "ab\rcd\n", {"abcd"}},
        {"CR CR LF: the first CR is dropped", "ab\r\r\nc", {"ab", "c"}},
        {"CR at the end of the file", "ab\r", {"ab"}},
        {"a lone CR is an empty line", "\r", {""}},
        {"26 at a line start ends the text", "a\n\x1A" "b\nc\n", {"a"}},
        {"26 as the first byte: no lines", "\x1A" "abc", {}},
        {"26 inside a line cuts it; the rest of that line is dropped", "ab\x1A" "cd\nef\n", {"ab", "ef"}},
        {"further 26s in the dropped rest change nothing", "ab\x1A" "c\x1A" "d\x1A\nef", {"ab", "ef"}},
        {"26 inside the last line", "a\nbc\x1A" "zz", {"a", "bc"}},
        {"26 right after CR", "ab\r\x1A" "x\ny", {"ab", "y"}},
        {"26 after a CR LF line ends the text", "ab\r\n\x1A\r\n", {"ab"}},
        {"zero bytes are data", Bytes("a\0b\n\0", 5), {Bytes("a\0b", 3), Bytes("\0", 1)}},
        {"high bytes pass through the reader", "\x80\xBF\xC4\n", {"\x80\xBF\xC4"}},
    };
    return cases;
}

std::string ExpectedConversion(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += ShiftDosLetters(line) + "\r\n";
    return out;
}

class ReadingRules : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(ReadingRules, ReaderAndConverterAgree) {
    const ReadingCase& c = GetParam();
    TempDir dir;
    WriteFile(dir.File("in.txt"), c.input);
    EXPECT_EQ(ReadTextLines(dir.File("in.txt")), c.lines);
    ConvertTextFile(dir.File("in.txt"), dir.File("out.txt"));
    EXPECT_EQ(ReadFile(dir.File("out.txt")), ExpectedConversion(c.lines));
}

// The scanner sees files in buffers; every split of the input must give the same lines.
TEST_P(ReadingRules, EverySplitIntoTwoBuffersGivesTheSameLines) {
    const ReadingCase& c = GetParam();
    struct Collect {
        std::vector<std::string> lines;
        std::string current;
        void Bytes(const std::uint8_t* p, std::size_t n) { current.append(reinterpret_cast<const char*>(p), n); }
        bool EndLine() {
            lines.push_back(current);
            current.clear();
            return true;
        }
    };
    const auto* data = reinterpret_cast<const std::uint8_t*>(c.input.data());
    for (std::size_t split = 0; split <= c.input.size(); ++split) {
        DosLineScanner scanner;
        Collect sink;
        scanner.Feed(data, split, sink);
        scanner.Feed(data + split, c.input.size() - split, sink);
        scanner.Finish(sink);
        EXPECT_EQ(sink.lines, c.lines) << "split at " << split;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadingRules, ::testing::ValuesIn(ReadingCases()),
                         [](const auto& param) {
                             std::string name;
                             for (char ch : std::string(param.param.name)) {
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             }
                             return name;
                         });

TEST(ConvertTextFile, LargeRandomFileMatchesTheReader) {
    // Long enough to cross the converter's buffers several times, with every kind of line end.
    std::mt19937 random(42);
    std::string input;
    const char alphabet[] = {'a', ' ', '\x80', '\xA5', '\xBF', '\xC4', '\xDA', '\r', '\n', '\0'};
    while (input.size() < 3'500'000) {
        const int length = static_cast<int>(random() % 130);
        for (int i = 0; i < length; ++i) input += alphabet[random() % (i % 9 == 0 ? 10 : 7)];
        const int end = static_cast<int>(random() % 10);
        input += end < 6 ? "\r\n" : end < 9 ? "\n" : "\r";
        if (random() % 1000 == 0) input += "x\x1Ay\n";
        // Rules of one line-drawing character, as tables have them.
        if (random() % 50 == 0) input += std::string(10 + random() % 40, '\xC4') + "\xB4\r\n";
    }
    TempDir dir;
    WriteFile(dir.File("in.txt"), input);
    ConvertTextFile(dir.File("in.txt"), dir.File("out.txt"));
    const LineList lines = ReadTextLines(dir.File("in.txt"));
    EXPECT_EQ(ReadFile(dir.File("out.txt")), ExpectedConversion(lines));

    ConvertTextFile(dir.File("in.txt"), dir.File("utf8.txt"), {TextEncoding::kUtf8, LineEnd::kLf});
    std::string utf8;
    for (const Line& line : lines) {
        for (const char c : line) {
            const Utf8Char u = DosToUtf8(static_cast<std::uint8_t>(c));
            utf8.append(reinterpret_cast<const char*>(u.bytes), u.length);
        }
        utf8 += '\n';
    }
    EXPECT_EQ(ReadFile(dir.File("utf8.txt")), utf8);
}

TEST(ConvertTextFile, LineEndsAtEveryBlockPositionMatchTheReader) {
    // The converter copies CR LF text in whole blocks of 32 bytes and groups of 128; put every
    // kind of line end at every position around the edges of both.
    TempDir dir;
    const std::string ends[] = {"\r\n", "\n", "\r", "\x1A", "\r\x1A", "\r\r\n", "\n\r"};
    const std::string nexts[] = {"", "\x1A", "\xA0", "\n", "\r\n"};
    for (std::size_t length = 0; length < 300; ++length) {
        for (const auto& end : ends) {
            for (const auto& next : nexts) {
                const std::string input = std::string(length, '\x85') + end + next +
                                          std::string(200, 'b') + "\r\n" + "end";
                // New files each time: ext4 writes a file that is emptied and written again
                // back to the disk when it is closed, which would make this test wait.
                std::remove(dir.File("in.txt").c_str());
                std::remove(dir.File("out.txt").c_str());
                WriteFile(dir.File("in.txt"), input);
                ConvertTextFile(dir.File("in.txt"), dir.File("out.txt"));
                ASSERT_EQ(ReadFile(dir.File("out.txt")),
                          ExpectedConversion(ReadTextLines(dir.File("in.txt"))))
                    << "length " << length;
            }
        }
    }
}

TEST(ConvertTextFile, ConvertingTwiceOnlyChangesLineEnds) {
    TempDir dir;
    WriteFile(dir.File("in.txt"), "\x80\x81 \xBF\n\xC0\xFF");
    ConvertTextFile(dir.File("in.txt"), dir.File("once.txt"));
    ConvertTextFile(dir.File("once.txt"), dir.File("twice.txt"));
    EXPECT_EQ(ReadFile(dir.File("once.txt")), "\xC0\xC1 \xFF\r\n\xC0\xFF\r\n");
    EXPECT_EQ(ReadFile(dir.File("twice.txt")), ReadFile(dir.File("once.txt")));
}

// Every byte value that the reading rules leave in a line, one per line, and the reading rules'
// own bytes in the lines around them.
TEST(ConvertTextFile, Utf8IsWhatIconvMakesOfTheDosCodePage) {
    std::string lines;
    for (int b = 0; b < 256; ++b) {
        if (b == 10 || b == 13 || b == 26) continue;
        lines += std::string("<") + static_cast<char>(b) + ">\n";
    }
    TempDir dir;
    WriteFile(dir.File("lines.txt"), lines);
    int status = -1;
    const std::string iconv =
        testing::CommandOutput("iconv -f MIK -t UTF-8 " + dir.File("lines.txt"), &status);
    ASSERT_EQ(status, 0);

    // The same lines with CR LF ends, a lone CR, a cut line and the end-of-text mark.
    std::string input;
    for (std::size_t at = 0; at < lines.size(); ++at) input += lines[at] == '\n' ? "\r\n" : lines.substr(at, 1);
    input += "x\ry\r\nz\x1A" "dropped\n\x1A" "never";
    WriteFile(dir.File("in.txt"), input);
    const std::string tail = "xy\nz\n";

    ConvertTextFile(dir.File("in.txt"), dir.File("lf.txt"), {TextEncoding::kUtf8, LineEnd::kLf});
    EXPECT_EQ(ReadFile(dir.File("lf.txt")), iconv + tail);
    ConvertTextFile(dir.File("in.txt"), dir.File("crlf.txt"), {TextEncoding::kUtf8, LineEnd::kCrLf});
    std::string crlf;
    for (const char c : iconv + tail) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(ReadFile(dir.File("crlf.txt")), crlf);
}

TEST(ConvertTextFile, Windows1251WithLineFeedsKeepsTheLetterShift) {
    TempDir dir;
    WriteFile(dir.File("in.txt"), "\x80\xBF\xC4\r\nab\r\n");
    ConvertTextFile(dir.File("in.txt"), dir.File("out.txt"), {TextEncoding::kCp1251, LineEnd::kLf});
    EXPECT_EQ(ReadFile(dir.File("out.txt")), "\xC0\xFF\xC4\nab\n");
}

TEST(ConvertTextFile, ReplacesAnExistingOutput) {
    TempDir dir;
    WriteFile(dir.File("in.txt"), "a\n");
    WriteFile(dir.File("out.txt"), "a much longer old content\n");
    ConvertTextFile(dir.File("in.txt"), dir.File("out.txt"));
    EXPECT_EQ(ReadFile(dir.File("out.txt")), "a\r\n");
}

// --- Errors -------------------------------------------------------------------------------

int ConvertCode(const std::string& in, const std::string& out) {
    try {
        ConvertTextFile(in, out);
        return 0;
    } catch (const EInOutError& error) {
        return error.Code();
    }
}

TEST(InOutError, MessagesFollowTheTable) {
    const std::pair<int, const char*> table[] = {
        {2, "File not found"},      {3, "Invalid filename"},        {4, "Too many open files"},
        {5, "File access denied"},  {100, "Read beyond end of file"}, {101, "Disk full"},
        {106, "Invalid numeric input"}, {32, "I/O error 32"},       {112, "I/O error 112"},
    };
    for (const auto& [code, message] : table) {
        EXPECT_STREQ(EInOutError(code).what(), message);
        EXPECT_EQ(EInOutError(code).Code(), code);
    }
}

TEST(ConvertTextFile, MissingInputFailsWithoutCreatingTheOutput) {
    TempDir dir;
    EXPECT_EQ(ConvertCode(dir.File("missing.txt"), dir.File("out.txt")), 2);
    EXPECT_FALSE(testing::FileExists(dir.File("out.txt")));
    EXPECT_EQ(ConvertCode(dir.File("no-folder/in.txt"), dir.File("out.txt")), 3);
}

TEST(ConvertTextFile, MissingOutputFolderIsCode3) {
    TempDir dir;
    WriteFile(dir.File("in.txt"), "a");
    EXPECT_EQ(ConvertCode(dir.File("in.txt"), dir.File("no-folder/out.txt")), 3);
}

TEST(ConvertTextFile, FoldersAndSpecialFilesAsInputAreRefused) {
    TempDir dir;
    ::mkdir(dir.File("folder").c_str(), 0755);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    EXPECT_EQ(ConvertCode(dir.File("folder"), dir.File("out.txt")), 5);
    EXPECT_EQ(ConvertCode(dir.File("fifo"), dir.File("out.txt")), 5);  // no hang
    EXPECT_THROW(ReadTextLines(dir.File("fifo")), EInOutError);
    WriteFile(dir.File("in.txt"), "a");
    EXPECT_EQ(ConvertCode(dir.File("in.txt"), dir.File("folder")), 5);
    EXPECT_EQ(ConvertCode(dir.File("in.txt"), dir.File("fifo")), 5);  // no reader: no hang
}

TEST(ConvertTextFile, OutputThatIsTheInputIsRefusedAndTheInputKept) {
    TempDir dir;
    const std::string content = "\x80line one\r\nline two\n";
    WriteFile(dir.File("in.txt"), content);
    ::mkdir(dir.File("sub").c_str(), 0755);
    ASSERT_EQ(::symlink(dir.File("in.txt").c_str(), dir.File("link.txt").c_str()), 0);
    ASSERT_EQ(::link(dir.File("in.txt").c_str(), dir.File("hard.txt").c_str()), 0);
    const std::string spellings[] = {
        dir.File("in.txt"),  dir.Path() + "/./in.txt", dir.Path() + "/sub/../in.txt",
        dir.File("link.txt"), dir.File("hard.txt"),
    };
    for (const auto& output : spellings) {
        EXPECT_EQ(ConvertCode(dir.File("in.txt"), output), 32) << output;
        EXPECT_EQ(ReadFile(dir.File("in.txt")), content) << output;
    }
    EXPECT_STREQ(EInOutError(32).what(), "I/O error 32");
}

TEST(ConvertTextFile, FullDiskIsAnErrorNotASuccess) {
    TempDir dir;
    WriteFile(dir.File("in.txt"), std::string(3 << 20, 'x') + "\n");
    EXPECT_EQ(ConvertCode(dir.File("in.txt"), "/dev/full"), 112);
    WriteFile(dir.File("small.txt"), "a\n");  // the error also shows when only the close flushes
    EXPECT_EQ(ConvertCode(dir.File("small.txt"), "/dev/full"), 112);
}

TEST(ConvertTextFile, PermissionErrorsAreCode5EvenForRoot) {
    TempDir dir;
    WriteFile(dir.File("in.txt"), "a\n");
    WriteFile(dir.File("readonly.txt"), "keep");
    ::chmod(dir.File("in.txt").c_str(), 0644);
    ::chmod(dir.File("readonly.txt").c_str(), 0444);
    ::mkdir(dir.File("locked").c_str(), 0555);
    WriteFile(dir.File("secret.txt"), "x");
    ::chmod(dir.File("secret.txt").c_str(), 0000);

    EXPECT_EQ(testing::RunUnprivileged([&] { return ConvertCode(dir.File("in.txt"), dir.File("readonly.txt")); }), 5);
    EXPECT_EQ(ReadFile(dir.File("readonly.txt")), "keep");
    EXPECT_EQ(testing::RunUnprivileged([&] { return ConvertCode(dir.File("in.txt"), dir.File("locked/out.txt")); }), 5);
    EXPECT_EQ(testing::RunUnprivileged([&] { return ConvertCode(dir.File("secret.txt"), dir.File("out.txt")); }), 5);
}

TEST(ConvertTextFile, TooManyOpenFilesIsCode4) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer runtimes need free descriptors of their own";
#endif
    TempDir dir;
    WriteFile(dir.File("in.txt"), "a\n");
    const int code = testing::RunUnprivileged([&] {
        // Leave room for no further descriptor.
        const int lowest = ::open("/dev/null", O_RDONLY);
        rlimit limit{static_cast<rlim_t>(lowest), static_cast<rlim_t>(lowest)};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return 99;
        return ConvertCode(dir.File("in.txt"), dir.File("out.txt"));
    });
    EXPECT_EQ(code, 4);
}

TEST(DosTextReader, ReadsLineByLine) {
    TempDir dir;
    WriteFile(dir.File("in.txt"), "one\r\ntwo\nthree");
    DosTextReader reader(dir.File("in.txt"));
    Line line;
    std::vector<std::string> lines;
    while (reader.ReadLine(line)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_FALSE(reader.ReadLine(line));
}

}  // namespace
}  // namespace quillon
