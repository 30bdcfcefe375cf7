#include <gtest/gtest.h>

#include <iconv.h>

#include "platform/core/cp1251.h"

namespace quillon {
namespace {

TEST(Cp1251, AgreesWithTheSystemTableOnEveryByte) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[4] = {};
        char* inPtr = &in;
        char* outPtr = out;
        std::size_t inLeft = 1, outLeft = 4;
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            EXPECT_EQ(Cp1251ToUnicode(static_cast<std::uint8_t>(b)), 0xFFFD) << b;  // unassigned
            continue;
        }
        const auto expected = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                    (static_cast<unsigned char>(out[1]) << 8));
        EXPECT_EQ(Cp1251ToUnicode(static_cast<std::uint8_t>(b)), expected) << b;
        EXPECT_EQ(UnicodeToCp1251(expected), b) << b;
    }
    iconv_close(cd);
}

TEST(Cp1251, FoldsCyrillicCase) {
    EXPECT_EQ(UpperCp1251("abc \xE0\xFF\xB8\xB3\xA2"), "ABC \xC0\xDF\xA8\xB2\xA1");
    EXPECT_EQ(LowerCp1251("ABC \xC0\xDF\xA8\xB2\xA1"), "abc \xE0\xFF\xB8\xB3\xA2");
    EXPECT_EQ(UpperCp1251("1+\xB9"), "1+\xB9");  // digits, signs and No. stay
}

TEST(Cp1251, ConvertsToAndFromUtf8) {
    EXPECT_EQ(Cp1251ToUtf8("\xCF\xE5\xF7\xE0\xF2"), "Печат");
    EXPECT_EQ(Utf8ToCp1251("Печат €"), "\xCF\xE5\xF7\xE0\xF2 \x88");
    EXPECT_EQ(Utf8ToCp1251("中"), "?");
    EXPECT_EQ(Utf16ToUtf8(u"Печат \u2500 \U0001F600"), "Печат ─ 😀");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800') + u"x"), "\uFFFDx");
}

}  // namespace
}  // namespace quillon
