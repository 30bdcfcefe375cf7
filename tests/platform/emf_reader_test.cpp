// An independent EMF reader (emf2svg-conv, from the emf2svg package) must understand the
// pages we record: it finds the text, Cyrillic included, in the right font, size and place.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/core/emf_recorder.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

struct SvgText {
    std::string attributes;
    std::string content;
};

// The <text> elements of an SVG, their content without a CDATA wrapper.
std::vector<SvgText> TextElements(const std::string& svg) {
    std::vector<SvgText> texts;
    std::size_t at = 0;
    while ((at = svg.find("<text", at)) != std::string::npos) {
        const std::size_t open = svg.find('>', at);
        const std::size_t close = svg.find("</text>", open);
        if (open == std::string::npos || close == std::string::npos) break;
        SvgText t{svg.substr(at, open - at), svg.substr(open + 1, close - open - 1)};
        if (t.content.rfind("<![CDATA[", 0) == 0 && t.content.size() >= 12) {
            t.content = t.content.substr(9, t.content.size() - 12);
        }
        texts.push_back(t);
        at = close;
    }
    return texts;
}

TEST(EmfReaderInterop, AnotherReaderFindsOurCyrillicText) {
    EmfRecordingCanvas canvas(794, 1123);
    canvas.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
    canvas.SetBackgroundTransparent(true);
    canvas.TextOut(38, 51, "\xCF\xE5\xF7\xE0\xF2 \xED\xE0 \xF2\xE5\xEA\xF1\xF2 | Print test");
    canvas.SetFont({"Arial", 12, kFontBold, Rgb(200, 0, 0), kRussianCharset});
    canvas.SetTextAlign(kTaRight | kTaBaseline);
    canvas.TextOut(700, 100, "\xC1\xFA\xEB\xE3\xE0\xF0\xE8\xFF");
    const auto picture = canvas.Finish();

    testing::TempDir dir;
    const std::string emf = dir.File("page.emf");
    const std::string svg = dir.File("page.svg");
    std::ofstream(emf, std::ios::binary)
        .write(reinterpret_cast<const char*>(picture->Bytes().data()),
               static_cast<std::streamsize>(picture->ByteLength()));
    const std::string command = "emf2svg-conv -i '" + emf + "' -o '" + svg + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const std::string output = testing::ReadFile(svg);
    const auto texts = TextElements(output);
    ASSERT_EQ(texts.size(), 2u) << output;
    EXPECT_EQ(texts[0].content, "Печат на текст | Print test");
    EXPECT_NE(texts[0].attributes.find("font-family=\"Courier New\""), std::string::npos);
    EXPECT_NE(texts[0].attributes.find("x=\"38"), std::string::npos) << texts[0].attributes;
    EXPECT_NE(texts[0].attributes.find("font-size=\"13"), std::string::npos) << texts[0].attributes;
    EXPECT_EQ(texts[1].content, "България");
    EXPECT_NE(texts[1].attributes.find("font-weight=\"700\""), std::string::npos);
    EXPECT_NE(texts[1].attributes.find("text-anchor=\"end\""), std::string::npos);
    EXPECT_NE(texts[1].attributes.find("y=\"100"), std::string::npos) << texts[1].attributes;
    // The reader sizes its picture from our bounds: the whole A4 page.
    EXPECT_NE(output.find("width=\"793"), std::string::npos);
    EXPECT_NE(output.find("height=\"1122"), std::string::npos);
}

}  // namespace
}  // namespace quillon
