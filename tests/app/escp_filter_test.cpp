// Printer commands in DOS printer streams: what is removed, with how many parameter and data
// bytes, and that the result does not depend on how the stream is split into buffers.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/escp/escp_filter.h"

namespace quillon {
namespace {

std::string FilterIn(const std::string& stream, std::size_t piece) {
    EscpFilter filter;
    std::string text;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        std::string part = stream.substr(at, piece);
        auto* bytes = reinterpret_cast<std::uint8_t*>(part.data());
        text.append(part.data(), filter.Filter(bytes, part.size()));
    }
    return text;
}

std::string Filter(const std::string& stream) {
    return FilterIn(stream, stream.empty() ? 1 : stream.size());
}

std::string Bytes(std::size_t count, char value) {
    return std::string(count, value);
}

// Image data made of the bytes that matter most when they are mistaken for text.
std::string ImageData(std::size_t count) {
    std::string data;
    const char kTricky[] = {'\n', '\r', '\x1A', '\x0C', '\x1B', 'A', '\x80', '\0'};
    for (std::size_t i = 0; i < count; ++i) data += kTricky[i % sizeof kTricky];
    return data;
}

struct Case {
    const char* what;
    std::string stream;
    std::string text;
};

TEST(EscpFilter, RemovesCommandsWithTheirParameters) {
    using namespace std::string_literals;
    // One command per row; literals are split where a hex escape would run into a letter.
    // clang-format off
    const Case cases[] = {
        {"plain text and Cyrillic stay", "Abc \x80\xA0\xDA\xC4\xBF", "Abc \x80\xA0\xDA\xC4\xBF"},
        {"line structure stays", "a\tb\r\nc\fd\ne\x1A", "a\tb\r\nc\fd\ne\x1A"},
        {"reset", "\x1B@Text", "Text"},
        {"bold and double strike", "\x1B" "Eon\x1B" "F \x1BGx\x1BH", "on x"},
        {"italic and underline", "\x1B" "4i\x1B" "5 \x1B-\x01u\x1B-0", "i u"},
        {"master select", "\x1B!\x38" "big", "big"},
        {"double width and its one-line form", "\x1BW1wide\x1BW0 \x0Eline\x14", "wide line"},
        {"pitch", "\x1BP\x1BM\x1Bg\x1Bp\x01x", "x"},
        {"condensed and its cancel", "\x0F" "narrow\x12 \x1B\x0Fnarrow", "narrow narrow"},
        {"character set and code table", "\x1BR\x0E\x1Bt\x01\x1B(t\x03\x00\x01\x11\x00x"s, "x"},
        {"line spacing", "\x1B" "0\x1B" "2\x1B" "3\x0A\x1B+\x0D\x1B" "A\x1A" "x", "x"},
        {"page length in lines and in inches", "\x1B" "C\x42" "a\x1B" "C\x00\x0B" "b"s, "ab"},
        {"margins and positions", "\x1Bl\x05\x1BQ\x50\x1B$\x0A\x00\x1B\\\x0D\x01x"s, "x"},
        {"skip over perforation and paper feed", "\x1BN\x06\x1BO\x1BJ\x0A\x1Bj\x1Ax", "x"},
        {"tab stops up to their NUL", "\x1B" "D\x08\x10\x18\x00x\x1B" "B\x02\x04\x00y"s, "xy"},
        {"ESC/P2 extended commands carry their length",
         "\x1B(U\x01\x00\x0A\x1B(C\x02\x00\x0C\x0Dx\x1B(V\x02\x00\x1A\x0A" "y"s, "xy"},
        {"8-dot bit image", "\x1BK\x05\x00"s + ImageData(5) + "x\x1BL\x01\x01" + ImageData(257) + "y",
         "xy"},
        {"bit image with one byte per column", "\x1B*\x00\x0A\x00"s + ImageData(10) + "x", "x"},
        {"bit image with three bytes per column", "\x1B*\x27\x04\x00"s + ImageData(12) + "x", "x"},
        {"bit image with six bytes per column", "\x1B*\x48\x02\x00"s + ImageData(12) + "x", "x"},
        {"9-pin graphics, two bytes per column", "\x1B^\x00\x03\x00"s + ImageData(6) + "x", "x"},
        {"raster graphics", "\x1B.\x00\x0A\x0A\x02\x10\x00"s + ImageData(4) + "x", "x"},
        {"run-length raster graphics",
         "\x1B.\x01\x0A\x0A\x01\x20\x00\x01\x0A\x0D\xFE\x1A" "x"s, "x"},
        {"user-defined characters", "\x1B&\x00\x41\x42\x00\x02\x00"s + ImageData(6) +
                                        "\x01\x01\x01" + ImageData(3) + "x",
         "x"},
        {"meaningless control bytes", "a\x07\x08\x0B\x0E\x11\x13\x14\x18\x00\x1F" "b"s, "ab"},
        {"delete, the control byte above the text", "a\x7F" "b\x1B\x7F" "c", "abc"},
        {"unknown command letter takes the letter", "\x1B\x7Cx\x1B" "zy", "xy"},
        {"ESC before a control byte drops only the ESC", "a\x1B\r\nb\x1B\x1B@c", "a\r\nbc"},
        {"a command cut off at the end", "x\x1BK\x10\x00\x01\x02"s, "x"},
        {"an image of unknown density keeps the text", "\x1B*\x05\x02\x00xy"s, "xy"},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(Filter(c.stream), c.text) << c.what;
        for (std::size_t piece = 1; piece < 8; ++piece) {
            EXPECT_EQ(FilterIn(c.stream, piece), c.text) << c.what << ", pieces of " << piece;
        }
    }
}

TEST(EscpFilter, TellsWhetherAStreamEndsInsideACommand) {
    EscpFilter filter;
    std::string part = "x\x1B";
    filter.Filter(reinterpret_cast<std::uint8_t*>(part.data()), part.size());
    EXPECT_TRUE(filter.InCommand());
    part = "E";
    EXPECT_EQ(filter.Filter(reinterpret_cast<std::uint8_t*>(part.data()), part.size()), 0u);
    EXPECT_FALSE(filter.InCommand());
}

TEST(EscpFilter, TellsWhetherAStreamSelectsNarrowerPrint) {
    using namespace std::string_literals;
    const struct {
        const char* what;
        std::string stream;
        bool narrow;
    } cases[] = {
        {"plain text", "Abc \x80\xA0\r\n", false},
        {"condensed",
         "a\x0F"
         "b",
         true},
        {"condensed after ESC",
         "a\x1B\x0F"
         "b",
         true},
        {"15 characters an inch",
         "\x1Bg"
         "b",
         true},
        {"master select with condensed",
         "\x1B!\x05"
         "b",
         true},
        {"master select without it",
         "\x1B!\x39"
         "b",
         false},
        {"10 and 12 characters an inch, condensed cancelled",
         "\x1BP\x1BM\x12"
         "b",
         false},
        // The byte of condensed print as a command's parameter or image data is not a choice.
        {"right margin of 15",
         "\x1BQ\x0F"
         "b",
         false},
        {"image data",
         "\x1BK\x03\x00\x0F\x0F\x0F"
         "b"s,
         false},
        {"line spacing of 15/180 inch",
         "\x1B"
         "3\x0F"
         "b",
         false},
    };
    for (const auto& c : cases) {
        for (const std::size_t piece : {c.stream.size(), std::size_t{1}}) {
            EscpFilter filter;
            for (std::size_t at = 0; at < c.stream.size(); at += piece) {
                std::string part = c.stream.substr(at, piece);
                filter.Filter(reinterpret_cast<std::uint8_t*>(part.data()), part.size());
            }
            EXPECT_EQ(filter.NarrowPrint(), c.narrow) << c.what << ", pieces of " << piece;
        }
    }
}

TEST(EscpFilter, AWholeStreamOfImageDataIsPassedOver) {
    using namespace std::string_literals;
    // The longest 8-dot image: 65535 columns, all of them bytes a reader must not see.
    const std::string stream = "\x1BK\xFF\xFF"s + Bytes(65535, '\x0C') + "end";
    EXPECT_EQ(Filter(stream), "end");
    EXPECT_EQ(FilterIn(stream, 4096), "end");
}

}  // namespace
}  // namespace quillon
