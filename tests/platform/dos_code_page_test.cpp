// The DOS code page against the system's own table of it (glibc's iconv "MIK").

#include <gtest/gtest.h>

#include <string>

#include "platform/core/dos_code_page.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

std::string Iconv(const std::string& bytes, const char* to) {
    testing::TempDir dir;
    testing::WriteFile(dir.File("in"), bytes);
    int status = -1;
    std::string out = testing::CommandOutput(
        std::string("iconv -f MIK -t ") + to + " " + dir.File("in"), &status);
    EXPECT_EQ(status, 0);
    return out;
}

TEST(DosCodePage, EveryByteIsTheCharacterIconvGivesIt) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);

    const std::string utf16 = Iconv(all, "UTF-16LE");
    ASSERT_EQ(utf16.size(), 512u);
    const std::u16string decoded = DecodeDos(all);
    std::string utf8;
    for (int b = 0; b < 256; ++b) {
        const auto expected =
            static_cast<char16_t>(static_cast<std::uint8_t>(utf16[2 * b]) |
                                  static_cast<std::uint8_t>(utf16[2 * b + 1]) << 8);
        EXPECT_EQ(DosToUnicode(static_cast<std::uint8_t>(b)), expected) << "byte " << b;
        EXPECT_EQ(decoded[static_cast<std::size_t>(b)], expected) << "byte " << b;
        const Utf8Char c = DosToUtf8(static_cast<std::uint8_t>(b));
        utf8.append(reinterpret_cast<const char*>(c.bytes), c.length);
    }
    EXPECT_EQ(utf8, Iconv(all, "UTF-8"));
}

}  // namespace
}  // namespace quillon
