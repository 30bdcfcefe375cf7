#include "tests/output/emf_fixture.h"

#include <cstring>
#include <string_view>

namespace quillon::testing {

namespace {

class Writer {
public:
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void U16(std::uint16_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void Pad() {
        while (bytes.size() % 4 != 0) bytes.push_back(0);
    }
    void Set32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::vector<std::uint8_t> bytes;
};

constexpr int kPageWidth = 794;
constexpr int kPageHeight = 1123;
constexpr int kLeftMargin = 38;
constexpr int kTopMargin = 38;
constexpr int kLineHeight = 15;
constexpr int kAdvance = 8;

void Header(Writer& w) {
    w.U32(1);
    w.U32(108);
    w.I32(0), w.I32(0), w.I32(kPageWidth - 1), w.I32(kPageHeight - 1);  // bounds
    w.I32(0), w.I32(0), w.I32(20999), w.I32(29699);                     // frame, 0.01 mm
    w.U32(0x464D4520);
    w.U32(0x00010000);
    w.U32(0);  // total bytes, patched
    w.U32(0);  // records, patched
    w.U16(2);
    w.U16(0);
    w.U32(0), w.U32(0), w.U32(0);
    w.U32(kPageWidth), w.U32(kPageHeight);
    w.U32(210), w.U32(297);
    w.U32(0), w.U32(0), w.U32(0);
    w.U32(210000), w.U32(297000);
}

void Font(Writer& w) {
    w.U32(82);
    w.U32(368);
    w.U32(1);    // object index
    w.I32(-13);  // height: 10 pt at 96 px/in
    w.U32(0), w.U32(0), w.U32(0);
    w.U32(400);         // weight
    w.U32(0x01000000);  // italic, underline, strike-out 0; charset 1
    w.U32(0x31000000);  // precisions 0; pitch and family
    const std::u16string_view face = u"Courier New";
    for (std::size_t i = 0; i < 32; ++i) w.U16(i < face.size() ? face[i] : 0);
    for (int i = 0; i < 256; ++i) w.bytes.push_back(0);
    w.U32(0x08007664);
    w.U32(0);
}

void Small(Writer& w, std::uint32_t type, std::uint32_t value) {
    w.U32(type);
    w.U32(12);
    w.U32(value);
}

void Text(Writer& w, int x, int y, std::string_view text) {
    const auto n = static_cast<std::uint32_t>(text.size());
    const std::uint32_t stringBytes = (2 * n + 3) / 4 * 4;
    w.U32(84);
    w.U32(76 + stringBytes + 4 * n);
    w.I32(0), w.I32(0), w.I32(-1), w.I32(-1);
    w.U32(1);
    w.U32(0x41D3963F), w.U32(0x41D3937E);  // 0.01 mm per pixel
    w.I32(x), w.I32(y);
    w.U32(n);
    w.U32(76);
    w.U32(0);
    w.I32(0), w.I32(0), w.I32(-1), w.I32(-1);
    w.U32(76 + stringBytes);
    for (const char c : text) w.U16(static_cast<unsigned char>(c));
    w.Pad();
    for (std::uint32_t i = 0; i < n; ++i) w.U32(kAdvance);
}

}  // namespace

std::vector<std::uint8_t> TextPageBytes(const std::vector<std::string>& lines) {
    Writer w;
    Header(w);
    Font(w);
    Small(w, 37, 1);   // select the font
    Small(w, 22, 24);  // baseline alignment
    Small(w, 18, 1);   // transparent background
    Small(w, 24, 0);   // black text
    std::uint32_t records = 7;
    int y = kTopMargin + 11;
    for (const auto& line : lines) {
        Text(w, kLeftMargin, y, line);
        y += kLineHeight;
        ++records;
    }
    Small(w, 37, 0x8000000D);
    Small(w, 40, 1);
    w.U32(14), w.U32(20), w.U32(0), w.U32(16), w.U32(20);
    records += 2;
    w.Set32(48, static_cast<std::uint32_t>(w.bytes.size()));
    w.Set32(52, records);
    return w.bytes;
}

std::unique_ptr<PagePicture> TextPage(int pageNumber, int lineCount) {
    static constexpr std::string_view kWords[] = {
        "Invoice", "total",   "amount", "account",  "balance", "paid", "due", "customer",
        "Sofia",   "Plovdiv", "order",  "quantity", "price",   "VAT",  "net", "item"};
    std::vector<std::string> lines;
    unsigned seed = static_cast<unsigned>(pageNumber) * 2654435761u + 12345u;
    for (int i = 0; i < lineCount; ++i) {
        std::string line = "| " + std::to_string(pageNumber) + "." + std::to_string(i + 1) + " |";
        for (int word = 0; word < 8; ++word) {
            seed = seed * 1103515245u + 12345u;
            line += ' ';
            line += kWords[(seed >> 16) % std::size(kWords)];
        }
        seed = seed * 1103515245u + 12345u;
        line += " | " + std::to_string((seed >> 8) % 100000) + ".00 |";
        lines.push_back(std::move(line));
    }
    return PagePicture::FromBytes(TextPageBytes(lines));
}

}  // namespace quillon::testing
