#include "platform/qt/paper_codes.h"

#include <array>

namespace quillon {

namespace {

struct PaperCode {
    int code;
    QPageSize::PageSizeId size;
};

// Device paper codes and the page sizes they stand for, as the report engine's paper table
// gives them. Qt's own mapping of these codes (QPageSize::id) differs in places: it takes 7 for
// the 7 1/4 x 10 1/2 in Executive instead of 7 1/2 x 10 in, 12 for JIS B4 instead of the
// 250 x 353 mm B4, has nothing for 14 (Folio, 8 1/2 x 13 in) and takes 24 to 26 for the
// architectural sheets instead of the ANSI C, D and E sheets. 22 keeps the size its name says
// (4 3/4 x 11 in).
// clang-format off
constexpr std::array<PaperCode, 26> kPaperCodes{{
    {1, QPageSize::Letter},
    {2, QPageSize::LetterSmall},
    {3, QPageSize::Tabloid},
    {4, QPageSize::Ledger},
    {5, QPageSize::Legal},
    {6, QPageSize::Statement},
    {7, QPageSize::Executive},
    {8, QPageSize::A3},
    {9, QPageSize::A4},
    {10, QPageSize::A4Small},
    {11, QPageSize::A5},
    {12, QPageSize::B4},
    {13, QPageSize::JisB5},
    {14, QPageSize::FanFoldGermanLegal},
    {15, QPageSize::Quarto},
    {16, QPageSize::Imperial10x14},
    {17, QPageSize::Tabloid},
    {18, QPageSize::Note},
    {19, QPageSize::Envelope9},
    {20, QPageSize::Envelope10},
    {21, QPageSize::Envelope11},
    {22, QPageSize::Envelope12},
    {23, QPageSize::Envelope14},
    {24, QPageSize::AnsiC},
    {25, QPageSize::AnsiD},
    {26, QPageSize::AnsiE},
}};
// clang-format on

// Variants with the size of another code that a printer never lists by themselves.
bool IsVariant(int code) {
    return code == 2 || code == 10 || code == 17;
}

}  // namespace

std::optional<QPageSize::PageSizeId> PageSizeOfPaperCode(int code) {
    for (const PaperCode& entry : kPaperCodes) {
        if (entry.code == code) return entry.size;
    }
    return std::nullopt;
}

std::optional<int> PaperCodeOfPageSize(const QPageSize& size) {
    if (!size.isValid()) return std::nullopt;
    for (const PaperCode& entry : kPaperCodes) {
        if (entry.size == size.id() && size.id() != QPageSize::Custom) return entry.code;
    }
    for (const PaperCode& entry : kPaperCodes) {
        if (!IsVariant(entry.code) && QPageSize(entry.size).isEquivalentTo(size)) return entry.code;
    }
    return std::nullopt;
}

}  // namespace quillon
