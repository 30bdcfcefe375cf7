// Text search in page pictures: which records count, letter case (Latin and Cyrillic), the
// code page of 16-bit records, damaged records, and the search over a report's pages.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/cp1251.h"
#include "platform/core/emf_recorder.h"
#include "platform/core/page_picture.h"
#include "preview/core/page_text_search.h"

namespace quillon {
namespace {

std::string Cp(const char* utf8) {
    return Utf8ToCp1251(utf8);
}

void Put32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A text-output record as other writers make them: type 83 holds `chars` as bytes, type 84
// as 16-bit units. `count` and `offset` default to the true values.
std::vector<std::uint8_t> TextRecord(std::uint32_t type, const std::u16string& chars,
                                     std::int64_t count = -1, std::int64_t offset = -1) {
    std::vector<std::uint8_t> r;
    Put32(r, type);
    Put32(r, 0);                              // size, patched
    for (int i = 0; i < 4; ++i) Put32(r, 0);  // bounds
    Put32(r, 1);                              // graphics mode
    Put32(r, 0), Put32(r, 0);                 // scales
    Put32(r, 10), Put32(r, 20);               // reference point
    Put32(r, static_cast<std::uint32_t>(count < 0 ? chars.size() : count));
    Put32(r, static_cast<std::uint32_t>(offset < 0 ? 76 : offset));
    Put32(r, 0);                              // options
    for (int i = 0; i < 4; ++i) Put32(r, 0);  // rectangle
    Put32(r, 0);                              // no advances
    for (const char16_t c : chars) {
        r.push_back(static_cast<std::uint8_t>(c));
        if (type == 84) r.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    while (r.size() % 4 != 0) r.push_back(0);
    const auto size = static_cast<std::uint32_t>(r.size());
    for (int i = 0; i < 4; ++i) r[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    return r;
}

// A page recorded by the recording canvas with one line per text, and then `extra` records
// spliced in before its end-of-file record.
std::unique_ptr<PagePicture> Page(const std::vector<std::string>& lines,
                                  const std::vector<std::vector<std::uint8_t>>& extra = {}) {
    EmfRecordingCanvas canvas(794, 1123);
    canvas.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
    int y = 40;
    for (const std::string& line : lines) {
        canvas.TextOut(40, y, line);
        y += 15;
    }
    std::vector<std::uint8_t> bytes = canvas.Finish()->Bytes();
    constexpr std::size_t kEofSize = 20;
    std::vector<std::uint8_t> inserted;
    for (const auto& record : extra) inserted.insert(inserted.end(), record.begin(), record.end());
    bytes.insert(bytes.end() - kEofSize, inserted.begin(), inserted.end());
    const auto patch = [&](std::size_t at, std::uint32_t add) {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
        v += add;
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    patch(48, static_cast<std::uint32_t>(inserted.size()));
    patch(52, static_cast<std::uint32_t>(extra.size()));
    return PagePicture::FromBytes(std::move(bytes));
}

TEST(PageContainsText, LetterCaseOfLatinAndCyrillicText) {
    const auto page = Page({"Grand Total: 12", Cp("Общо за месеца: 340 лв."), Cp("ёЖ and ЃЂ")});
    struct Case {
        std::string text;
        bool matchCase;
        bool found;
    };
    const Case cases[] = {
        {"total", false, true},
        {"TOTAL", false, true},
        {"total", true, false},
        {"Total", true, true},
        {Cp("общо"), false, true},
        {Cp("ОБЩО ЗА"), false, true},
        {Cp("общо"), true, false},
        {Cp("Общо"), true, true},
        {Cp("МЕСЕЦА: 340 ЛВ."), false, true},
        {Cp("Ёж"), false, true},
        {Cp("Ёж"), true, false},
        {Cp("ѓђ"), false, true},
        {Cp("Общо зa"), false, false},  // Latin "a" is not Cyrillic "а"
        {"", false, false},
        {"", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Cp1251ToUtf8(c.text) + (c.matchCase ? " (match case)" : ""));
        EXPECT_EQ(PageContainsText(c.text, *page, c.matchCase), c.found);
    }
}

TEST(PageContainsText, OnlyWithinOneTextRecord) {
    const auto page = Page({"The quick brown", "fox jumps"});
    EXPECT_TRUE(PageContainsText("brown", *page, true));
    EXPECT_TRUE(PageContainsText("fox", *page, true));
    EXPECT_FALSE(PageContainsText("brown fox", *page, false));
    EXPECT_FALSE(PageContainsText("brownfox", *page, false));
    // Font names and other records are not text on the page.
    EXPECT_FALSE(PageContainsText("Courier", *page, false));
}

TEST(PageContainsText, EightBitRecordsAreWindows1251AndSixteenBitOnesGoThroughIt) {
    std::u16string bytes;
    for (const char c : Cp("Сума: 5")) bytes += static_cast<char16_t>(static_cast<std::uint8_t>(c));
    const auto page = Page({}, {TextRecord(83, bytes), TextRecord(84, u"caf\u00e9 a?b \u4e2d")});
    EXPECT_TRUE(PageContainsText(Cp("СУМА"), *page, false));
    EXPECT_TRUE(PageContainsText(Cp("Сума: 5"), *page, true));
    EXPECT_TRUE(PageContainsText("a?b", *page, true));
    // Characters outside the code page equal only themselves: not the fallback "?" and not
    // their low 8 bits.
    EXPECT_FALSE(PageContainsText("caf?", *page, false));
    EXPECT_FALSE(PageContainsText("caf\xe9", *page, false));
    EXPECT_FALSE(PageContainsText("\x2d", *page, false));  // low byte of U+4E2D
    EXPECT_TRUE(PageContainsText(u"\u00e9 A?B \u4e2d", *page, false));
}

TEST(PageContainsText, FindsLineDrawingOfTheDosCodePage) {
    // A page printed in a font of the DOS code page: a frame and a Cyrillic word.
    EmfRecordingCanvas canvas(794, 1123);
    canvas.SetFont({"Courier New", 10, 0, kBlack, kOemCharset});
    canvas.TextOut(40, 40, "\xDA\xC4\xC4\xCF");
    canvas.TextOut(40, 55, "\xD3\x91\xB3\xAC\xA0\xD3");
    const auto page = canvas.Finish();
    EXPECT_TRUE(PageContainsText(u"\u250c\u2500\u2500\u2510", *page, true));
    EXPECT_TRUE(PageContainsText(u"\u2502\u0421\u0443\u043c", *page, true));
    EXPECT_TRUE(PageContainsText(Cp("СУМА"), *page, false));
    EXPECT_FALSE(PageContainsText("+--+", *page, false));
}

TEST(PageContainsText, RecordsThatDoNotFitTheirBytesAreSkipped) {
    const std::vector<std::vector<std::uint8_t>> damaged = {
        TextRecord(84, u"needle", 0x7FFFFFFF),      // count far beyond the record
        TextRecord(84, u"needle", 0x80000001),      // count * 2 overflows 32 bits
        TextRecord(84, u"needle", -1, 0xFFFFFFF0),  // offset outside the record
        TextRecord(83, u"needle", 9),               // past the record's padded end
        TextRecord(84, u"needle", 4, 80),           // in range: "edle"
    };
    const auto page = Page({}, damaged);
    EXPECT_FALSE(PageContainsText("needle", *page, true));
    EXPECT_TRUE(PageContainsText("edle", *page, true));

    // A record too short to hold its count and offset.
    std::vector<std::uint8_t> shortRecord;
    Put32(shortRecord, 84);
    Put32(shortRecord, 48);
    shortRecord.resize(48, 'x');
    const auto withShort = Page({"after"}, {shortRecord});
    EXPECT_FALSE(PageContainsText("xxxx", *withShort, false));
    EXPECT_TRUE(PageContainsText("after", *withShort, false));
}

TEST(SearchPages, ListsMatchingPagesInOrderAndSkipsPagesNotStored) {
    std::vector<std::unique_ptr<PagePicture>> pages;
    pages.push_back(Page({"Total 1"}));
    pages.push_back(Page({"nothing here"}));
    pages.push_back(Page({"TOTAL 3"}));
    pages.push_back(nullptr);  // not stored yet
    std::vector<int> asked;
    const auto pageAt = [&](int page) -> std::unique_ptr<PagePicture> {
        asked.push_back(page);
        const auto& p = pages[static_cast<std::size_t>(page - 1)];
        return p ? PagePicture::FromBytes(p->Bytes()) : nullptr;
    };
    EXPECT_EQ(SearchPages(u"total", false, 4, pageAt), (std::vector<int>{1, 3}));
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(SearchPages(u"Total", true, 4, pageAt), (std::vector<int>{1}));
    EXPECT_EQ(SearchPages(u"absent", false, 4, pageAt), std::vector<int>{});
    EXPECT_EQ(SearchPages(u"total", false, 0, pageAt), std::vector<int>{});
}

TEST(SearchPages, ASecondSearchWhileOneRunsIsRefusedAndAStoppedSearchAnswersNothing) {
    const auto page = Page({"Total"});
    const auto pageAt = [&](int) { return PagePicture::FromBytes(page->Bytes()); };
    std::optional<std::vector<int>> nested = std::vector<int>{-1};
    int between = 0;
    const auto result = SearchPages(u"total", false, 3, pageAt, [&] {
        ++between;
        EXPECT_TRUE(SearchBusyFlag::Busy());
        nested = SearchPages(u"total", false, 3, pageAt);
        return true;
    });
    EXPECT_EQ(between, 2);
    EXPECT_EQ(nested, std::nullopt);
    EXPECT_EQ(result, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(SearchBusyFlag::Busy());

    int calls = 0;
    EXPECT_EQ(SearchPages(u"total", false, 3, pageAt, [&] { return ++calls < 2; }), std::nullopt);
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(SearchBusyFlag::Busy());
}

}  // namespace
}  // namespace quillon
