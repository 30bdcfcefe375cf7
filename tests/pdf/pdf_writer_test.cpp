// The PDF writer on its own, without Qt: documents of text and shapes that qpdf and poppler
// read without a word, text where its advances put it with the characters it was drawn for,
// the numbers and strings of the file syntax, and a sink that fails.

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "pdf/pdf_document.h"
#include "platform/core/cp1251.h"
#include "tests/pdf/file_glyph_source.h"
#include "tests/support/pdf_check.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using Strings = std::vector<std::string>;

class FileSink : public PdfSink {
public:
    explicit FileSink(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
    ~FileSink() override { std::fclose(file_); }
    void Write(const char* data, std::size_t size) override { std::fwrite(data, 1, size, file_); }

private:
    std::FILE* file_;
};

class PdfWriter : public ::testing::Test {
protected:
    DeviceCaps Caps(int dpi) {
        DeviceCaps caps;
        caps.dpiX = caps.dpiY = dpi;
        return caps;
    }

    testing::TempDir dir;
    testing::FileGlyphSource glyphs{testing::kMonoFontFile};
    FixedPitchMeasurer measurer;
};

TEST_F(PdfWriter, PagesOfTextAndShapesReadBackWhole) {
    const std::string path = dir.File("doc.pdf");
    {
        FileSink sink(path);
        PdfDocument document(sink, glyphs, measurer, {"Отчет: проба", "Quillon"});
        Canvas& page1 = document.NewPage(595.2756, 841.8898, Caps(96));
        page1.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
        page1.SetBackgroundTransparent(true);
        page1.TextOutW(40, 40, u"Quillon prints: Hello, world", nullptr);
        page1.TextOut(40, 60, "\xC7\xE4\xF0\xE0\xE2\xE5\xE9, \xF1\xE2\xFF\xF2");  // Windows-1251
        page1.TextOutW(40, 80, u"\u250C\u2500\u2500\u2510 (a) \\ \u2514\u2500\u2500\u2518",
                       nullptr);
        page1.SetPen({Rgb(0, 0, 128), 3, PenStyle::psSolid});
        page1.SetBrush({Rgb(255, 255, 0), BrushStyle::bsSolid});
        page1.Rectangle({40, 120, 200, 180});
        page1.Ellipse({220, 120, 300, 180});
        page1.RoundRect({320, 120, 400, 180}, 20, 20);
        page1.SetPen({kBlack, 1, PenStyle::psDash});
        page1.MoveTo({40, 200});
        page1.LineTo({400, 200});
        page1.SetClipRect({40, 220, 100, 240});
        page1.FillRect({0, 0, 794, 1123});
        page1.RemoveClip();
        page1.SetFont({"Courier New", 10, kFontUnderline, Rgb(200, 0, 0), kRussianCharset});
        page1.TextOutW(40, 260, u"подчертано", nullptr);

        Canvas& page2 = document.NewPage(841.8898, 595.2756, Caps(1200));
        page2.SetFont({"Courier New", 12, 0, kBlack, kRussianCharset});
        page2.TextOutW(1200, 1200, u"Страница 2 — край", nullptr);
        document.Finish();
    }
    const testing::PdfFacts facts = testing::InspectPdf(path);
    EXPECT_TRUE(facts.qpdfClean) << facts.qpdfReport;
    EXPECT_EQ(facts.warnings, "");
    EXPECT_EQ(facts.pages, 2);
    EXPECT_NEAR(facts.width, 595.28, 0.01);
    EXPECT_NEAR(facts.height, 841.89, 0.01);
    EXPECT_EQ(facts.title, "Отчет: проба");
    EXPECT_EQ(facts.creator, "Quillon");
    ASSERT_EQ(facts.fonts.size(), 1u);
    EXPECT_NE(facts.fonts[0].find("CID TrueType      Identity-H       yes yes yes"),
              std::string::npos)
        << facts.fonts[0];
    EXPECT_EQ(testing::TextLines(facts.text),
              (std::vector<std::string>{"Quillon prints: Hello, world", "Здравей, свят",
                                        "┌──┐ (a) \\ └──┘", "подчертано", "Страница 2 — край"}));
    // The font is a subset: the whole of Liberation Mono is over 300 KB.
    EXPECT_LT(testing::ReadFile(path).size(), 30u * 1024);
}

TEST_F(PdfWriter, EachCharacterStartsWhereTheAdvancesBeforeItEnd) {
    const std::string path = dir.File("advances.pdf");
    {
        FileSink sink(path);
        PdfDocument document(sink, glyphs, measurer, {});
        // At 72 pixels per inch a pixel is a point.
        Canvas& canvas = document.NewPage(300, 200, Caps(72));
        canvas.SetFont({"Courier New", 12, 0, kBlack, kRussianCharset});
        const int advances[] = {10, 20, 30, 5, 50, 7, 7};
        canvas.TextOutW(100, 50, u"AB CD E", advances);
        canvas.SetTextAlign(kTaRight);
        canvas.TextOutW(290, 100, u"xy", nullptr);  // fixed pitch: 0.6 em = 7 points each
        document.Finish();
    }
    ASSERT_TRUE(testing::InspectPdf(path).qpdfClean);
    const std::string words = testing::CommandOutput("pdftotext -bbox " + path + " -");
    std::vector<std::pair<std::string, double>> found;
    const std::regex word(R"re(<word xMin="([0-9.]+)"[^>]*>([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(words.begin(), words.end(), word);
         it != std::sregex_iterator(); ++it) {
        found.emplace_back((*it)[2].str(), std::stod((*it)[1].str()));
    }
    ASSERT_EQ(found.size(), 4u) << words;
    EXPECT_EQ(found[0].first, "AB");
    EXPECT_NEAR(found[0].second, 100, 0.05);
    EXPECT_EQ(found[1].first, "CD");
    EXPECT_NEAR(found[1].second, 160, 0.05);  // 10 + 20 + 30 after the start
    EXPECT_EQ(found[2].first, "E");
    EXPECT_NEAR(found[2].second, 222, 0.05);
    EXPECT_EQ(found[3].first, "xy");
    EXPECT_NEAR(found[3].second, 290 - 2 * 7, 0.05);
}

TEST_F(PdfWriter, AFontWithoutAnEmbeddableFileBecomesType3FontsOfItsOutlines) {
    testing::FileGlyphSource outlines(testing::kMonoFontFile, true);
    const std::string path = dir.File("type3.pdf");
    // More than the 256 glyphs of one Type 3 font.
    std::u16string lines[5];
    for (char16_t c = 0x21; c < 0x7F; ++c) lines[0] += c;
    for (char16_t c = 0x410; c < 0x450; ++c) lines[1] += c;
    for (char16_t c = 0xA1; c < 0x110; ++c) lines[2] += c;
    for (char16_t c = 0x110; c < 0x17F; ++c) lines[3] += c;
    lines[4] = u"\u250C\u2500\u2510 Край";
    {
        FileSink sink(path);
        PdfDocument document(sink, outlines, measurer, {});
        Canvas& canvas = document.NewPage(842, 595, Caps(96));
        canvas.SetFont({"Nimbus Mono PS", 10, 0, Rgb(0, 0, 200), kRussianCharset});
        for (int i = 0; i < 5; ++i) canvas.TextOutW(20, 40 + 20 * i, lines[i], nullptr);
        document.Finish();
    }
    const testing::PdfFacts facts = testing::InspectPdf(path);
    EXPECT_TRUE(facts.qpdfClean) << facts.qpdfReport;
    EXPECT_EQ(facts.warnings, "");
    ASSERT_EQ(facts.fonts.size(), 2u);
    EXPECT_NE(facts.fonts[0].find("Type 3"), std::string::npos) << facts.fonts[0];
    Strings expected;
    for (const std::u16string& line : lines) expected.push_back(Utf16ToUtf8(line));
    EXPECT_EQ(testing::TextLines(facts.text), expected);
}

TEST_F(PdfWriter, ADocumentWithoutPagesIsOneBlankA4Page) {
    const std::string path = dir.File("empty.pdf");
    {
        FileSink sink(path);
        PdfDocument document(sink, glyphs, measurer, {"empty"});
        document.Finish();
    }
    const testing::PdfFacts facts = testing::InspectPdf(path);
    EXPECT_TRUE(facts.qpdfClean) << facts.qpdfReport;
    EXPECT_EQ(facts.warnings, "");
    EXPECT_EQ(facts.pages, 1);
    EXPECT_NEAR(facts.width, 595.28, 0.01);
    EXPECT_TRUE(facts.fonts.empty());
    EXPECT_TRUE(testing::TextLines(facts.text).empty());
}

TEST_F(PdfWriter, AFailingSinkStopsTheDocumentWithItsError) {
    class FullDisk : public PdfSink {
    public:
        void Write(const char*, std::size_t size) override {
            written += size;
            if (written > 100000) throw std::runtime_error("No space left on device");
        }
        std::size_t written = 0;
    } sink;
    PdfDocument document(sink, glyphs, measurer, {});
    const auto fill = [&] {
        for (int page = 0; page < 400; ++page) {
            Canvas& canvas = document.NewPage(595, 842, Caps(96));
            canvas.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
            for (int line = 0; line < 60; ++line) {
                canvas.TextOutW(40, 40 + line * 16, u"Ред " + std::u16string(70, u'0' + line % 10),
                                nullptr);
            }
        }
        document.Finish();
    };
    EXPECT_THROW(fill(), std::runtime_error);
}

TEST(PdfSyntax, NumbersNamesAndTextStrings) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } numbers[] = {
        {0, 3, "0"},       {12, 3, "12"},         {-3.25, 3, "-3.25"}, {0.5, 2, "0.5"},
        {-0.5, 2, "-0.5"}, {1.23456, 3, "1.235"}, {2.0004, 3, "2"},    {1e12, 2, "1000000000000"}};
    for (const auto& n : numbers) {
        std::string out;
        AppendReal(out, n.value, n.decimals);
        EXPECT_EQ(out, n.text) << n.value;
    }
    std::string nan;
    AppendReal(nan, std::nan(""));
    EXPECT_EQ(nan, "0");
    EXPECT_EQ(PdfName("Liberation Mono(1)#"), "/Liberation#20Mono#281#29#23");
    EXPECT_EQ(PdfTextString("Aя"), "<FEFF0041044F>");
    EXPECT_EQ(PdfTextString("\xE2\x82"), "<FEFF00E20082>");  // a cut sequence: bytes as Latin-1
    EXPECT_EQ(PdfTextString("\xF0\x9F\x98\x80"), "<FEFFD83DDE00>");
}

}  // namespace
}  // namespace quillon
