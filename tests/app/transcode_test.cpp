// The two byte transforms, checked on every byte value.

#include <gtest/gtest.h>

#include <iconv.h>
#include <string>

#include "app/transcode/transcode.h"

namespace quillon {
namespace {

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

TEST(ShiftDosLetters, MovesOnlyTheSixtyFourLetters) {
    const std::string out = ShiftDosLetters(AllBytes());
    ASSERT_EQ(out.size(), 256u);
    for (int b = 0; b < 256; ++b) {
        const int expected = (b >= 128 && b <= 191) ? b + 64 : b;
        EXPECT_EQ(static_cast<unsigned char>(out[b]), expected) << "byte " << b;
    }
}

TEST(ShiftDosLetters, AgreesWithTheSystemCodePageTables) {
    // glibc's MIK table is an independent statement of where the DOS letters go.
    iconv_t cd = iconv_open("CP1251", "MIK");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string letters;
    for (int b = 128; b <= 191; ++b) letters += static_cast<char>(b);
    std::string converted(letters.size(), '\0');
    char* in = letters.data();
    char* out = converted.data();
    std::size_t inLeft = letters.size();
    std::size_t outLeft = converted.size();
    ASSERT_NE(iconv(cd, &in, &inLeft, &out, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(cd);
    EXPECT_EQ(ShiftDosLetters(letters), converted);
}

TEST(ShiftDosLetters, WideBuffersAtEveryAlignmentMatchTheByteRule) {
    // The converter works sixteen bytes at a time; check every offset and tail length.
    std::string data;
    for (int i = 0; i < 3; ++i) data += AllBytes();
    for (std::size_t offset = 0; offset < 17; ++offset) {
        const std::string_view slice(data.data() + offset, data.size() - offset - offset % 5);
        const std::string out = ShiftDosLetters(slice);
        for (std::size_t i = 0; i < slice.size(); ++i) {
            ASSERT_EQ(static_cast<unsigned char>(out[i]),
                      ShiftDosLetter(static_cast<unsigned char>(slice[i])))
                << "offset " << offset << " index " << i;
        }
    }
}

TEST(NormaliseForPrint, ReplacesTenLineDrawingBytesAndShiftsLetters) {
    const std::string out = NormaliseForPrint(AllBytes());
    ASSERT_EQ(out.size(), 256u);
    for (int b = 0; b < 256; ++b) {
        int expected = b;
        if (b >= 128 && b <= 191) expected = b + 64;
        switch (b) {
            case 192: case 193: case 194: case 195: case 207: case 212: case 217: case 218:
                expected = '+';
                break;
            case 196:
                expected = '-';
                break;
            case 211:
                expected = '|';
                break;
            default:
                break;
        }
        EXPECT_EQ(static_cast<unsigned char>(out[b]), expected) << "byte " << b;
    }
}

TEST(NormaliseForPrint, KeepsLengthAndZeroBytes) {
    const std::string line("a\0\xC4\xD3\xC5\xA0", 6);
    EXPECT_EQ(NormaliseForPrint(line), std::string("a\0-|\xC5\xE0", 6));
}

}  // namespace
}  // namespace quillon
