#include "tests/report/report_test_support.h"

#include <span>

#include "platform/core/cp1251.h"

namespace quillon::testing {

namespace {

std::uint32_t U32(std::span<const std::uint8_t> r, std::size_t at) {
    return static_cast<std::uint32_t>(r[at]) | (static_cast<std::uint32_t>(r[at + 1]) << 8) |
           (static_cast<std::uint32_t>(r[at + 2]) << 16) |
           (static_cast<std::uint32_t>(r[at + 3]) << 24);
}

int I32(std::span<const std::uint8_t> r, std::size_t at) {
    return static_cast<std::int32_t>(U32(r, at));
}

constexpr std::uint32_t kExtTextOutW = 84;
constexpr std::uint32_t kRectangle = 43;

}  // namespace

std::vector<PageText> TextsOf(const PagePicture& picture) {
    std::vector<PageText> texts;
    picture.EnumerateRecords([&](std::uint32_t type, std::span<const std::uint8_t> r) {
        if (type != kExtTextOutW) return true;
        // The EMRTEXT begins at 36: reference point, character count, string offset.
        const std::uint32_t count = U32(r, 44);
        const std::uint32_t offset = U32(r, 48);
        std::u16string text;
        for (std::uint32_t i = 0; i < count; ++i) {
            text += static_cast<char16_t>(r[offset + 2 * i] | (r[offset + 2 * i + 1] << 8));
        }
        texts.push_back({I32(r, 36), I32(r, 40), EncodeCp1251(text)});
        return true;
    });
    return texts;
}

std::vector<PageRect> RectanglesOf(const PagePicture& picture) {
    std::vector<PageRect> rects;
    picture.EnumerateRecords([&](std::uint32_t type, std::span<const std::uint8_t> r) {
        if (type == kRectangle) rects.push_back({I32(r, 8), I32(r, 12), I32(r, 16), I32(r, 20)});
        return true;
    });
    return rects;
}

TQRPrinter& Generate(TCustomRozerEdedid& report) {
    report.SetQRPrinter(std::make_unique<TQRPrinter>(&report));
    report.GenerateReport(false);
    return *report.QRPrinter();
}

std::vector<std::vector<PageText>> PageTexts(TQRPrinter& printer) {
    std::vector<std::vector<PageText>> pages;
    for (std::int32_t page = 1; page <= printer.PageTotal(); ++page) {
        const std::unique_ptr<PagePicture> picture = printer.PageImage(page);
        pages.push_back(TextsOf(*picture));
    }
    return pages;
}

std::vector<std::vector<std::string>> PageStrings(TQRPrinter& printer) {
    std::vector<std::vector<std::string>> pages;
    for (const auto& texts : PageTexts(printer)) {
        pages.emplace_back();
        for (const PageText& t : texts) pages.back().push_back(t.text);
    }
    return pages;
}

std::vector<std::string> NumberedLines(int count, const std::string& prefix) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) lines.push_back(prefix + std::to_string(i));
    return lines;
}

MemoReport::MemoReport() : report(std::make_unique<TRozerEdedid>()) {
    report->Bands().SetHasTitle(true);
    band = report->Bands().TitleBand();
    memo = &band->Insert(std::make_unique<TQRMemo>(report.get()));
    memo->SetName("Memo1");
    memo->SetAlignToBand(true);
    memo->SetAutoStretch(true);
}

}  // namespace quillon::testing
