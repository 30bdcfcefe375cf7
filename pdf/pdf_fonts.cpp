#include "pdf/pdf_fonts.h"

#include <algorithm>
#include <cmath>

#include "pdf/font_subset.h"
#include "pdf/pdf_file.h"

namespace quillon {

namespace {

constexpr char32_t kUnmapped = 0xFFFFFFFF;
constexpr std::size_t kMaxGlyphs = 65536;
constexpr std::size_t kType3Codes = 256;

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

// A CMap from codes (of `bytes` bytes) to the characters they were drawn for.
std::string ToUnicodeMap(const std::vector<std::pair<std::uint32_t, char32_t>>& mapped, int bytes) {
    std::string map =
        "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
        "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n1 begincodespacerange\n";
    map += bytes == 2 ? "<0000><FFFF>\n" : "<00><FF>\n";
    map += "endcodespacerange\n";
    for (std::size_t first = 0; first < mapped.size(); first += 100) {
        const std::size_t count = std::min<std::size_t>(100, mapped.size() - first);
        AppendInt(map, static_cast<std::int64_t>(count));
        map += " beginbfchar\n";
        for (std::size_t i = first; i < first + count; ++i) {
            map += '<';
            AppendHex(map, mapped[i].first, bytes * 2);
            map += "><";
            AppendUtf16Hex(map, mapped[i].second);
            map += ">\n";
        }
        map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
    return map;
}

// The W array: runs of consecutive glyphs with their widths.
std::string WidthArray(const PdfFonts::Font& font, const std::vector<std::uint32_t>& glyphs) {
    const auto width = [&](std::uint32_t g) {
        return g < font.widths.size() ? font.widths[g] : 1000;
    };
    std::string w = "[";
    for (std::size_t i = 0; i < glyphs.size();) {
        std::size_t end = i + 1;
        while (end < glyphs.size() && glyphs[end] == glyphs[end - 1] + 1) ++end;
        AppendInt(w, glyphs[i]);
        w += '[';
        for (std::size_t k = i; k < end; ++k) {
            if (k > i) w += ' ';
            AppendInt(w, width(glyphs[k]));
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

PdfFonts::PdfFonts(PdfFile& file, GlyphSource& source) : file_(file), source_(source) {}

PdfFonts::~PdfFonts() = default;

int PdfFonts::NewResource(int& object) {
    object = file_.Reserve();
    resources_.push_back(object);
    return static_cast<int>(resources_.size());
}

PdfFonts::Font& PdfFonts::Get(int program) {
    const auto index = static_cast<std::size_t>(program);
    if (index >= byProgram_.size()) byProgram_.resize(index + 1, -1);
    if (byProgram_[index] >= 0) return *fonts_[static_cast<std::size_t>(byProgram_[index])];

    auto font = std::make_unique<Font>();
    font->program = program;
    const FontProgram& source = source_.Program(program);
    font->info = ReadSfntInfo(source);
    std::vector<OutlinePoint> probe;
    double advance = 0;
    if (font->info.trueType || font->info.cff) {
        font->kind = Kind::kCid;
        font->resource = NewResource(font->object);
        const std::size_t count = std::min<std::size_t>(
            kMaxGlyphs,
            std::max<std::size_t>(static_cast<std::size_t>(std::max(font->info.glyphCount, 0)),
                                  font->info.advances.size()));
        font->widths.resize(count);
        for (std::size_t g = 0; g < count; ++g) {
            font->widths[g] = static_cast<std::uint16_t>(
                std::clamp(Thousandths(font->info.Advance(static_cast<std::uint32_t>(g)),
                                       font->info.unitsPerEm),
                           0, 65535));
        }
        font->characters.assign(count, kUnmapped);
        font->used.assign(count, false);
    } else if (source.Outline(0, probe, advance)) {
        font->kind = Kind::kType3;
    }
    byProgram_[index] = static_cast<int>(fonts_.size());
    fonts_.push_back(std::move(font));
    return *fonts_.back();
}

PdfFonts::Placement PdfFonts::Place(Font& font, std::uint32_t glyph, char32_t character) {
    Placement placed;
    if (font.kind == Kind::kCid) {
        if (glyph >= font.used.size()) return placed;
        font.used[glyph] = true;
        if (font.characters[glyph] == kUnmapped) font.characters[glyph] = character;
        placed = {true, font.resource, glyph, true, font.widths[glyph]};
        return placed;
    }
    if (font.kind != Kind::kType3) return placed;
    auto found = font.codes.find(glyph);
    if (found == font.codes.end()) {
        Type3Glyph drawn;
        drawn.glyph = glyph;
        drawn.character = character;
        double advance = 0;
        outline_.clear();
        if (!source_.Program(font.program).Outline(glyph, outline_, advance)) return placed;
        drawn.width = static_cast<int>(std::lround(advance));
        std::string path;
        const auto point = [&](const OutlinePoint& p) {
            drawn.box[0] = std::min(drawn.box[0], p.x);
            drawn.box[1] = std::min(drawn.box[1], p.y);
            drawn.box[2] = std::max(drawn.box[2], p.x);
            drawn.box[3] = std::max(drawn.box[3], p.y);
            AppendReal(path, p.x, 1);
            path += ' ';
            AppendReal(path, p.y, 1);
            path += ' ';
        };
        for (std::size_t i = 0; i < outline_.size();) {
            const OutlinePoint& p = outline_[i];
            if (p.kind == OutlinePoint::Kind::kCurve && i + 2 < outline_.size()) {
                for (std::size_t k = i; k < i + 3; ++k) point(outline_[k]);
                path += "c\n";
                i += 3;
                continue;
            }
            point(p);
            path += p.kind == OutlinePoint::Kind::kMove ? "m\n" : "l\n";
            ++i;
        }
        std::string procedure;
        AppendInt(procedure, drawn.width);
        procedure += " 0 ";
        for (const double v : drawn.box) {
            AppendReal(procedure, v, 1);
            procedure += ' ';
        }
        // Filled with the text's colour: the glyph sets no colour of its own (d1).
        procedure += "d1\n" + path + (path.empty() ? "" : "f\n");
        drawn.procedure = std::move(procedure);
        const std::size_t index = font.type3Glyphs.size();
        if (index % kType3Codes == 0) {
            Type3Font added;
            added.resource = NewResource(added.object);
            font.type3Fonts.push_back(added);
        }
        font.type3Glyphs.push_back(std::move(drawn));
        found = font.codes.emplace(glyph, index).first;
    }
    const std::size_t index = found->second;
    const Type3Font& type3 = font.type3Fonts[index / kType3Codes];
    placed = {true, type3.resource, static_cast<std::uint32_t>(index % kType3Codes), false,
              font.type3Glyphs[index].width};
    return placed;
}

std::string PdfFonts::ResourceEntries() const {
    std::string entries;
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        entries += "/F";
        AppendInt(entries, static_cast<std::int64_t>(i + 1));
        entries += ' ';
        AppendReference(entries, resources_[i]);
    }
    return entries;
}

void PdfFonts::WriteAll() {
    for (const auto& font : fonts_) {
        if (font->kind == Kind::kCid) WriteCidFont(*font);
        for (std::size_t n = 0; n < font->type3Fonts.size(); ++n) WriteType3Font(*font, n);
    }
}

void PdfFonts::WriteCidFont(Font& font) {
    std::vector<std::uint32_t> glyphs{0};
    for (std::uint32_t g = 1; g < font.used.size(); ++g) {
        if (font.used[g]) glyphs.push_back(g);
    }
    // A CFF font keeps its glyph numbers (a PDF cannot renumber them); TrueType glyphs are
    // renumbered and found through the CID-to-glyph map.
    FontSubset subset;
    const std::string file = AssembleFontFile(source_.Program(font.program), font.info.trueType);
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
    std::vector<std::pair<std::uint32_t, char32_t>> mapped;
    for (const std::uint32_t g : glyphs) {
        if (font.characters[g] != kUnmapped) mapped.emplace_back(g, font.characters[g]);
    }
    file_.WriteStream(toUnicode, "", ToUnicodeMap(mapped, 2));

    const int upem = info.unitsPerEm;
    std::string d = "<</Type/FontDescriptor/FontName" + baseFont + "/Flags ";
    int flags = 4;  // symbolic: the glyphs are addressed by number, not by a standard encoding
    if (info.fixedPitch) flags |= 1;
    if (info.italicAngle != 0) flags |= 64;
    if (info.bold) flags |= 1 << 18;
    AppendInt(d, flags);
    // The descriptor's lengths are in thousandths of an em.
    const auto length = [&](const char* before, int units) {
        d += before;
        AppendInt(d, Thousandths(units, upem));
    };
    length("/FontBBox[", info.xMin);
    length(" ", info.yMin);
    length(" ", info.xMax);
    length(" ", info.yMax);
    d += "]/ItalicAngle ";
    AppendReal(d, info.italicAngle, 2);
    length("/Ascent ", info.ascent);
    length("/Descent ", info.descent);
    length("/CapHeight ", info.capHeight);
    d += info.bold ? "/StemV 120" : "/StemV 80";
    if (embedded) {
        d += info.trueType ? "/FontFile2 " : "/FontFile3 ";
        AppendReference(d, program);
    }
    d += ">>";
    file_.WriteObject(descriptor, d);

    std::string c = "<</Type/Font/Subtype";
    c += info.cff ? "/CIDFontType0" : "/CIDFontType2";
    c += "/BaseFont" + baseFont +
         "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor ";
    AppendReference(c, descriptor);
    c += "/DW 1000/W";
    c += WidthArray(font, glyphs);
    if (cidToGid != 0) {
        c += "/CIDToGIDMap ";
        AppendReference(c, cidToGid);
    }
    c += ">>";
    file_.WriteObject(cidFont, c);

    std::string t =
        "<</Type/Font/Subtype/Type0/BaseFont" + baseFont + "/Encoding/Identity-H/DescendantFonts[";
    AppendReference(t, cidFont);
    t += "]/ToUnicode ";
    AppendReference(t, toUnicode);
    t += ">>";
    file_.WriteObject(font.object, t);
}

void PdfFonts::WriteType3Font(const Font& font, std::size_t n) {
    const std::size_t first = n * kType3Codes;
    const std::size_t count = std::min(kType3Codes, font.type3Glyphs.size() - first);
    std::string procedures = "<<";
    std::string differences = "[0";
    std::string widths = "[";
    std::vector<std::pair<std::uint32_t, char32_t>> mapped;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (std::size_t code = 0; code < count; ++code) {
        const Type3Glyph& glyph = font.type3Glyphs[first + code];
        const int object = file_.Reserve();
        file_.WriteStream(object, "", glyph.procedure);
        const std::string name = "/c" + std::to_string(code);
        procedures += name + ' ';
        AppendReference(procedures, object);
        differences += name;
        if (code > 0) widths += ' ';
        AppendInt(widths, glyph.width);
        mapped.emplace_back(static_cast<std::uint32_t>(code), glyph.character);
        minX = std::min(minX, glyph.box[0]);
        minY = std::min(minY, glyph.box[1]);
        maxX = std::max(maxX, glyph.box[2]);
        maxY = std::max(maxY, glyph.box[3]);
    }
    procedures += ">>";
    differences += "]";
    widths += "]";
    const int toUnicode = file_.Reserve();
    file_.WriteStream(toUnicode, "", ToUnicodeMap(mapped, 1));

    std::string t = "<</Type/Font/Subtype/Type3/FontBBox[";
    for (const double v : {minX, minY, maxX, maxY}) {
        AppendInt(t, static_cast<std::int64_t>(std::floor(v)));
        t += ' ';
    }
    t += "]/FontMatrix[0.001 0 0 0.001 0 0]/CharProcs" + procedures +
         "/Encoding<</Type/Encoding/Differences" + differences + ">>/FirstChar 0/LastChar ";
    AppendInt(t, static_cast<std::int64_t>(count) - 1);
    t += "/Widths" + widths + "/Resources<<>>/ToUnicode ";
    AppendReference(t, toUnicode);
    t += ">>";
    file_.WriteObject(font.type3Fonts[n].object, t);
}

}  // namespace quillon
