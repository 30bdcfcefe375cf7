#include "pdf/pdf_fonts.h"

#include <algorithm>
#include <cmath>

#include "pdf/font_subset.h"
#include "pdf/pdf_file.h"

namespace quillon {

namespace {

constexpr char32_t kUnmapped = 0xFFFFFFFF;
constexpr std::size_t kMaxGlyphs = 65536;

// Six capital letters naming a subset, different for different glyph sets of a font.
std::string SubsetTag(const std::vector<std::uint32_t>& glyphs, int resource) {
    std::uint64_t hash = 1469598103934665603ull ^ static_cast<std::uint64_t>(resource);
    for (const std::uint32_t g : glyphs) hash = (hash ^ g) * 1099511628211ull;
    std::string tag;
    for (int i = 0; i < 6; ++i) {
        tag += static_cast<char>('A' + hash % 26);
        hash /= 26;
    }
    return tag;
}

int Thousandths(int units, int unitsPerEm) {
    return static_cast<int>(std::lround(units * 1000.0 / unitsPerEm));
}

void AppendHex16(std::string& out, std::uint32_t value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

// A character as UTF-16 hex, a surrogate pair above the basic plane.
void AppendUtf16Hex(std::string& out, char32_t c) {
    if (c >= 0x10000) {
        const char32_t v = c - 0x10000;
        AppendHex16(out, 0xD800 + (v >> 10));
        AppendHex16(out, 0xDC00 + (v & 0x3FF));
    } else {
        AppendHex16(out, c);
    }
}

std::string ToUnicodeMap(const std::vector<std::uint32_t>& glyphs,
                         const std::vector<char32_t>& characters) {
    std::string map =
        "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
        "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000><FFFF>\nendcodespacerange\n";
    std::vector<std::uint32_t> mapped;
    for (const std::uint32_t g : glyphs) {
        if (g < characters.size() && characters[g] != kUnmapped) mapped.push_back(g);
    }
    for (std::size_t first = 0; first < mapped.size(); first += 100) {
        const std::size_t count = std::min<std::size_t>(100, mapped.size() - first);
        AppendInt(map, static_cast<std::int64_t>(count));
        map += " beginbfchar\n";
        for (std::size_t i = first; i < first + count; ++i) {
            map += '<';
            AppendHex16(map, mapped[i]);
            map += "><";
            AppendUtf16Hex(map, characters[mapped[i]]);
            map += ">\n";
        }
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
    return map;
}

// The W array: runs of consecutive glyphs with their widths.
std::string WidthArray(const PdfFonts::Font& font, const std::vector<std::uint32_t>& glyphs) {
    std::string w = "[";
    for (std::size_t i = 0; i < glyphs.size();) {
        std::size_t end = i + 1;
        while (end < glyphs.size() && glyphs[end] == glyphs[end - 1] + 1) ++end;
        AppendInt(w, glyphs[i]);
        w += '[';
        for (std::size_t k = i; k < end; ++k) {
            if (k > i) w += ' ';
            AppendInt(w, font.Width(glyphs[k]));
        }
        w += ']';
        i = end;
    }
    w += ']';
    return w;
}

std::string BaseFontName(const PdfFonts::Font& font, const std::string& tag) {
    std::string name = font.info.postScriptName;
    if (name.empty()) name = "Font" + std::to_string(font.resource);
    return PdfName(tag + "+" + name);
}

}  // namespace

void PdfFonts::Font::Use(std::uint32_t glyph, char32_t character) {
    if (glyph >= used.size()) return;
    used[glyph] = true;
    if (characters[glyph] == kUnmapped) characters[glyph] = character;
}

int PdfFonts::Font::Width(std::uint32_t glyph) const {
    return glyph < widths.size() ? widths[glyph] : 1000;
}

PdfFonts::PdfFonts(PdfFile& file, GlyphSource& source) : file_(file), source_(source) {}

PdfFonts::~PdfFonts() = default;

PdfFonts::Font& PdfFonts::Get(int program) {
    const auto index = static_cast<std::size_t>(program);
    if (index >= byProgram_.size()) byProgram_.resize(index + 1, -1);
    if (byProgram_[index] >= 0) return *fonts_[static_cast<std::size_t>(byProgram_[index])];

    auto font = std::make_unique<Font>();
    font->program = program;
    font->resource = static_cast<int>(fonts_.size()) + 1;
    font->object = file_.Reserve();
    font->info = ReadSfntInfo(source_.Program(program));
    font->embeddable = font->info.trueType || font->info.cff;
    const std::size_t count = std::min<std::size_t>(
        kMaxGlyphs, std::max<std::size_t>(static_cast<std::size_t>(std::max(font->info.glyphCount, 0)),
                                          font->info.advances.size()));
    font->widths.resize(count);
    for (std::size_t g = 0; g < count; ++g) {
        font->widths[g] = static_cast<std::uint16_t>(
            std::clamp(Thousandths(font->info.Advance(static_cast<std::uint32_t>(g)), font->info.unitsPerEm), 0, 65535));
    }
    font->characters.assign(count, kUnmapped);
    font->used.assign(count, false);
    byProgram_[index] = static_cast<int>(fonts_.size());
    fonts_.push_back(std::move(font));
    return *fonts_.back();
}

std::string PdfFonts::ResourceEntries() const {
    std::string entries;
    for (const auto& font : fonts_) {
        entries += "/F";
        AppendInt(entries, font->resource);
        entries += ' ';
        AppendInt(entries, font->object);
        entries += " 0 R";
    }
    return entries;
}

void PdfFonts::WriteAll() {
    for (const auto& font : fonts_) WriteFont(*font);
}

void PdfFonts::WriteFont(Font& font) {
    std::vector<std::uint32_t> glyphs{0};
    for (std::uint32_t g = 1; g < font.used.size(); ++g) {
        if (font.used[g]) glyphs.push_back(g);
    }
    // A CFF font keeps its glyph numbers (a PDF cannot renumber them); TrueType glyphs are
    // renumbered and found through the CID-to-glyph map.
    FontSubset subset;
    const std::string file = font.embeddable ? AssembleFontFile(source_.Program(font.program)) : std::string();
    const bool embedded = !file.empty() && SubsetFont(file, glyphs, font.info.cff, subset);
    const std::string tag = SubsetTag(glyphs, font.resource);
    const std::string baseFont = BaseFontName(font, tag);
    const SfntInfo& info = font.info;

    const int descriptor = file_.Reserve();
    const int cidFont = file_.Reserve();
    const int toUnicode = file_.Reserve();
    const int program = embedded ? file_.Reserve() : 0;
    const int cidToGid = embedded && info.trueType ? file_.Reserve() : 0;

    if (embedded) {
        std::string dictionary;
        if (info.trueType) {
            dictionary = "/Length1 ";
            AppendInt(dictionary, static_cast<std::int64_t>(subset.file.size()));
        } else {
            dictionary = "/Subtype/OpenType";
        }
        file_.WriteStream(program, dictionary, subset.file);
    }
    if (cidToGid != 0) {
        std::string map(static_cast<std::size_t>(glyphs.back() + 1) * 2, '\0');
        for (std::size_t i = 0; i < glyphs.size(); ++i) {
            map[glyphs[i] * 2] = static_cast<char>(subset.newGlyphs[i] >> 8);
            map[glyphs[i] * 2 + 1] = static_cast<char>(subset.newGlyphs[i] & 0xFF);
        }
        file_.WriteStream(cidToGid, "", map);
    }
    file_.WriteStream(toUnicode, "", ToUnicodeMap(glyphs, font.characters));

    const int upem = info.unitsPerEm;
    std::string d = "<</Type/FontDescriptor/FontName" + baseFont + "/Flags ";
    int flags = 4;  // symbolic: the glyphs are addressed by number, not by a standard encoding
    if (info.fixedPitch) flags |= 1;
    if (info.italicAngle != 0) flags |= 64;
    if (info.bold) flags |= 1 << 18;
    AppendInt(d, flags);
    d += "/FontBBox[";
    AppendInt(d, Thousandths(info.xMin, upem));
    d += ' ';
    AppendInt(d, Thousandths(info.yMin, upem));
    d += ' ';
    AppendInt(d, Thousandths(info.xMax, upem));
    d += ' ';
    AppendInt(d, Thousandths(info.yMax, upem));
    d += "]/ItalicAngle ";
    AppendReal(d, info.italicAngle, 2);
    d += "/Ascent ";
    AppendInt(d, Thousandths(info.ascent, upem));
    d += "/Descent ";
    AppendInt(d, Thousandths(info.descent, upem));
    d += "/CapHeight ";
    AppendInt(d, Thousandths(info.capHeight, upem));
    d += info.bold ? "/StemV 120" : "/StemV 80";
    if (embedded) {
        d += info.trueType ? "/FontFile2 " : "/FontFile3 ";
        AppendInt(d, program);
        d += " 0 R";
    }
    d += ">>";
    file_.BeginObject(descriptor);
    file_.Write(d);
    file_.EndObject();

    std::string c = "<</Type/Font/Subtype";
    c += info.cff ? "/CIDFontType0" : "/CIDFontType2";
    c += "/BaseFont" + baseFont +
         "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor ";
    AppendInt(c, descriptor);
    c += " 0 R/DW 1000/W";
    c += WidthArray(font, glyphs);
    if (cidToGid != 0) {
        c += "/CIDToGIDMap ";
        AppendInt(c, cidToGid);
        c += " 0 R";
    }
    c += ">>";
    file_.BeginObject(cidFont);
    file_.Write(c);
    file_.EndObject();

    std::string t = "<</Type/Font/Subtype/Type0/BaseFont" + baseFont +
                    "/Encoding/Identity-H/DescendantFonts[";
    AppendInt(t, cidFont);
    t += " 0 R]/ToUnicode ";
    AppendInt(t, toUnicode);
    t += " 0 R>>";
    file_.BeginObject(font.object);
    file_.Write(t);
    file_.EndObject();
}

}  // namespace quillon
