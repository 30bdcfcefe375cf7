#include "pdf/sfnt.h"

#include <algorithm>
#include <array>

namespace quillon {

namespace {

class TableReader {
public:
    explicit TableReader(std::string bytes) : bytes_(std::move(bytes)) {}
    bool Has(std::size_t offset, std::size_t size) const { return offset + size <= bytes_.size(); }
    std::uint16_t U16(std::size_t offset) const {
        if (!Has(offset, 2)) return 0;
        return static_cast<std::uint16_t>((Byte(offset) << 8) | Byte(offset + 1));
    }
    std::int16_t S16(std::size_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
    std::uint32_t U32(std::size_t offset) const {
        return (static_cast<std::uint32_t>(U16(offset)) << 16) | U16(offset + 2);
    }
    std::size_t Size() const { return bytes_.size(); }
    const std::string& Bytes() const { return bytes_; }

private:
    unsigned Byte(std::size_t offset) const { return static_cast<unsigned char>(bytes_[offset]); }
    std::string bytes_;
};

// The PostScript name (name ID 6), from a Windows (UTF-16BE) or Macintosh (Roman) record.
std::string PostScriptName(const TableReader& name) {
    const std::size_t count = name.U16(2);
    const std::size_t strings = name.U16(4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = 6 + i * 12;
        if (!name.Has(record, 12) || name.U16(record + 6) != 6) continue;
        const std::uint16_t platform = name.U16(record);
        const std::size_t length = name.U16(record + 8);
        const std::size_t offset = strings + name.U16(record + 10);
        if (!name.Has(offset, length)) continue;
        std::string text;
        if (platform == 3 || platform == 0) {
            for (std::size_t k = 0; k + 1 < length; k += 2) {
                const std::uint16_t unit = name.U16(offset + k);
                if (unit > 0x20 && unit < 0x7F) text += static_cast<char>(unit);
            }
        } else if (platform == 1) {
            for (std::size_t k = 0; k < length; ++k) {
                const char c = name.Bytes()[offset + k];
                if (c > 0x20 && c < 0x7F) text += c;
            }
        }
        if (!text.empty()) return text;
    }
    return {};
}

// Tables kept in an embedded font, in the order of their tags: outlines, metrics and the
// hinting programs; a CFF font is embedded as an OpenType file, which needs the rest too.
constexpr std::array<std::uint32_t, 9> kTrueTypeTables{
    FontTag('c', 'v', 't', ' '), FontTag('f', 'p', 'g', 'm'), FontTag('g', 'l', 'y', 'f'),
    FontTag('h', 'e', 'a', 'd'), FontTag('h', 'h', 'e', 'a'), FontTag('h', 'm', 't', 'x'),
    FontTag('l', 'o', 'c', 'a'), FontTag('m', 'a', 'x', 'p'), FontTag('p', 'r', 'e', 'p')};
constexpr std::array<std::uint32_t, 9> kCffTables{
    FontTag('C', 'F', 'F', ' '), FontTag('O', 'S', '/', '2'), FontTag('c', 'm', 'a', 'p'),
    FontTag('h', 'e', 'a', 'd'), FontTag('h', 'h', 'e', 'a'), FontTag('h', 'm', 't', 'x'),
    FontTag('m', 'a', 'x', 'p'), FontTag('n', 'a', 'm', 'e'), FontTag('p', 'o', 's', 't')};

void PutU16(std::string& out, std::uint32_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, value >> 16);
    PutU16(out, value & 0xFFFF);
}

std::uint32_t Checksum(const std::string& table) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < table.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            word <<= 8;
            if (i + k < table.size()) word |= static_cast<unsigned char>(table[i + k]);
        }
        sum += word;
    }
    return sum;
}

}  // namespace

int SfntInfo::Advance(std::uint32_t glyph) const {
    if (advances.empty()) return unitsPerEm / 2;
    return glyph < advances.size() ? advances[glyph] : advances.back();
}

SfntInfo ReadSfntInfo(const FontProgram& font) {
    SfntInfo info;
    const TableReader head(font.Table(FontTag('h', 'e', 'a', 'd')));
    const TableReader hhea(font.Table(FontTag('h', 'h', 'e', 'a')));
    const TableReader maxp(font.Table(FontTag('m', 'a', 'x', 'p')));
    info.trueType = head.Has(0, 54) && !font.Table(FontTag('g', 'l', 'y', 'f')).empty() &&
                    !font.Table(FontTag('l', 'o', 'c', 'a')).empty();
    info.cff =
        !info.trueType && head.Has(0, 54) && !font.Table(FontTag('C', 'F', 'F', ' ')).empty();
    if (head.Has(0, 54)) {
        const int upem = head.U16(18);
        info.unitsPerEm = upem >= 16 && upem <= 16384 ? upem : 1000;
        info.xMin = head.S16(36);
        info.yMin = head.S16(38);
        info.xMax = head.S16(40);
        info.yMax = head.S16(42);
        info.bold = (head.U16(44) & 1) != 0;
    }
    info.glyphCount = maxp.U16(4);
    if (hhea.Has(0, 36)) {
        info.ascent = hhea.S16(4);
        info.descent = hhea.S16(6);
        const std::size_t metrics = hhea.U16(34);
        const TableReader hmtx(font.Table(FontTag('h', 'm', 't', 'x')));
        const std::size_t count =
            std::max<std::size_t>(metrics, static_cast<std::size_t>(info.glyphCount));
        for (std::size_t g = 0; g < metrics && hmtx.Has(g * 4, 2); ++g) {
            info.advances.push_back(hmtx.U16(g * 4));
        }
        // Glyphs past the long metrics share the last advance.
        if (!info.advances.empty()) info.advances.resize(count, info.advances.back());
    }
    const TableReader post(font.Table(FontTag('p', 'o', 's', 't')));
    if (post.Has(0, 16)) {
        info.italicAngle = static_cast<std::int32_t>(post.U32(4)) / 65536.0;
        info.underlinePosition = post.S16(8);
        info.underlineThickness = post.S16(10);
        info.fixedPitch = post.U32(12) != 0;
    }
    const TableReader os2(font.Table(FontTag('O', 'S', '/', '2')));
    if (os2.Has(0, 30)) {
        info.strikeoutThickness = os2.S16(26);
        info.strikeoutPosition = os2.S16(28);
        if (os2.U16(4) >= 600) info.bold = true;
    }
    info.capHeight = os2.Has(0, 90) && os2.U16(0) >= 2 ? os2.S16(88) : info.ascent;
    if (info.underlineThickness <= 0) info.underlineThickness = info.unitsPerEm / 14;
    if (info.underlinePosition == 0) info.underlinePosition = -info.unitsPerEm / 10;
    if (info.strikeoutThickness <= 0) info.strikeoutThickness = info.underlineThickness;
    if (info.strikeoutPosition <= 0) info.strikeoutPosition = info.unitsPerEm * 22 / 100;
    info.postScriptName = PostScriptName(TableReader(font.Table(FontTag('n', 'a', 'm', 'e'))));
    return info;
}

std::string AssembleFontFile(const FontProgram& font, bool trueType) {
    std::vector<std::pair<std::uint32_t, std::string>> tables;
    for (const std::uint32_t tag : trueType ? kTrueTypeTables : kCffTables) {
        std::string bytes = font.Table(tag);
        if (!bytes.empty()) tables.emplace_back(tag, std::move(bytes));
    }
    const auto has = [&](std::uint32_t tag) {
        return std::any_of(tables.begin(), tables.end(),
                           [&](const auto& t) { return t.first == tag; });
    };
    const bool outlines =
        trueType ? has(FontTag('l', 'o', 'c', 'a')) : has(FontTag('C', 'F', 'F', ' '));
    if (!outlines || !has(FontTag('h', 'e', 'a', 'd')) || !has(FontTag('m', 'a', 'x', 'p'))) {
        return {};
    }
    const auto count = static_cast<std::uint32_t>(tables.size());
    std::uint32_t power = 1;
    std::uint32_t log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    std::string file;
    PutU32(file, trueType ? 0x00010000 : FontTag('O', 'T', 'T', 'O'));
    PutU16(file, count);
    PutU16(file, power * 16);
    PutU16(file, log);
    PutU16(file, count * 16 - power * 16);
    std::size_t offset = 12 + 16 * tables.size();
    for (const auto& [tag, bytes] : tables) {
        PutU32(file, tag);
        PutU32(file, Checksum(bytes));
        PutU32(file, static_cast<std::uint32_t>(offset));
        PutU32(file, static_cast<std::uint32_t>(bytes.size()));
        offset += (bytes.size() + 3) & ~std::size_t{3};
    }
    for (const auto& entry : tables) {
        file += entry.second;
        file.append((4 - entry.second.size() % 4) % 4, '\0');
    }
    return file;
}

}  // namespace quillon
