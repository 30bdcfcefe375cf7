#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "output/paper.h"

namespace quillon {
namespace {

struct PaperRow {
    TQRPaperSize size;
    std::string_view name;
    std::optional<PaperTenths> tenths;  // portrait width and length
    int code;
};

// Names are 8-bit Windows-1251 text; the two larger envelopes carry byte 0xBE.
const PaperRow kRows[] = {
    {TQRPaperSize::Default, "Default size", std::nullopt, 0},
    {TQRPaperSize::Letter, "Letter 8 1/2 x 11 in", PaperTenths{2159, 2794}, 1},
    {TQRPaperSize::LetterSmall, "Letter Small 8 1/2 x 11 in", PaperTenths{2159, 2794}, 2},
    {TQRPaperSize::Tabloid, "Tabloid 11 x 17 in", PaperTenths{2794, 4318}, 3},
    {TQRPaperSize::Ledger, "Ledger 17 x 11 in", PaperTenths{4318, 2794}, 4},
    {TQRPaperSize::Legal, "Legal 8 1/2 x 14 in", PaperTenths{2159, 3556}, 5},
    {TQRPaperSize::Statement, "Statement 5 1/2 x 8 1/2 in", PaperTenths{1397, 2159}, 6},
    {TQRPaperSize::Executive, "Executive7 1/2 x 10 in", PaperTenths{1905, 2540}, 7},
    {TQRPaperSize::A3, "A3 297 x 420 mm", PaperTenths{2970, 4200}, 8},
    {TQRPaperSize::A4, "A4 210 x 297 mm", PaperTenths{2100, 2970}, 9},
    {TQRPaperSize::A4Small, "A4 Small 210 x 297 mm", PaperTenths{2100, 2970}, 10},
    {TQRPaperSize::A5, "A5 148 x 210 mm", PaperTenths{1480, 2100}, 11},
    {TQRPaperSize::B4, "B4 250 x 354 mm", PaperTenths{2500, 3540}, 12},
    {TQRPaperSize::B5, "B5 182 x 257 mm", PaperTenths{1820, 2570}, 13},
    {TQRPaperSize::Folio, "Folio 8 1/2 x 13 in", PaperTenths{2159, 3302}, 14},
    {TQRPaperSize::Quarto, "Quarto 215 x 275 mm", PaperTenths{2150, 2750}, 15},
    {TQRPaperSize::qr10X14, "10x14 in", PaperTenths{2540, 3556}, 16},
    {TQRPaperSize::qr11X17, "11x17 in", PaperTenths{2794, 4318}, 17},
    {TQRPaperSize::Note, "Note 8 1/2 x 11 in", PaperTenths{2159, 2790}, 18},
    {TQRPaperSize::Env9, "Envelope #9 3 7/8 x 8 7/8", PaperTenths{984, 2254}, 19},
    {TQRPaperSize::Env10, "Envelope #10 4 1/8 x 9 1/2", PaperTenths{1048, 2413}, 20},
    {TQRPaperSize::Env11, "Envelope #11 4 1/2 x 10 3/8", PaperTenths{1143, 2635}, 21},
    {TQRPaperSize::Env12, "Envelope #12 4 \xBE x 11", PaperTenths{1016, 2794}, 22},
    {TQRPaperSize::Env14, "Envelope #14 4 \xBE x 11", PaperTenths{1270, 2921}, 23},
    {TQRPaperSize::CSheet, "C size sheet", PaperTenths{1000, 1000}, 24},
    {TQRPaperSize::DSheet, "D size sheet", PaperTenths{1000, 1000}, 25},
    {TQRPaperSize::ESheet, "E size sheet", PaperTenths{1000, 1000}, 26},
    {TQRPaperSize::Custom, "Custom Size", std::nullopt, 256},
};

TEST(PaperTable, NamesDimensionsAndCodesOfEverySize) {
    static_assert(std::size(kRows) == kPaperSizeCount);
    for (const PaperRow& row : kRows) {
        SCOPED_TRACE(std::string(row.name));
        EXPECT_EQ(PaperSizeName(row.size), row.name);
        EXPECT_EQ(PaperSizeInTenths(row.size), row.tenths);
        EXPECT_EQ(HasPaperDimensions(row.size), row.tenths.has_value());
        EXPECT_EQ(PaperCode(row.size), row.code);
        EXPECT_EQ(PaperSizeFromCode(row.code), row.size);
    }
    EXPECT_EQ(PaperSizeFromCode(27), std::nullopt);
    EXPECT_EQ(PaperSizeFromCode(-1), std::nullopt);
}

TEST(BinCodes, BothWaysWithSharedCodesReadingAsTheFirstBin) {
    const std::pair<TQRBin, int> toCode[] = {
        {TQRBin::First, 1},       {TQRBin::Upper, 1},        {TQRBin::Lower, 2},
        {TQRBin::Middle, 3},      {TQRBin::Manual, 4},       {TQRBin::Envelope, 5},
        {TQRBin::EnvManual, 6},   {TQRBin::Auto, 7},         {TQRBin::Tractor, 8},
        {TQRBin::SmallFormat, 9}, {TQRBin::LargeFormat, 10}, {TQRBin::LargeCapacity, 11},
        {TQRBin::Cassette, 14},   {TQRBin::Last, 14},
    };
    static_assert(std::size(toCode) == kBinCount);
    for (const auto& [bin, code] : toCode) EXPECT_EQ(BinCode(bin), code);

    EXPECT_EQ(BinFromCode(1), TQRBin::First);
    EXPECT_EQ(BinFromCode(7), TQRBin::Auto);
    EXPECT_EQ(BinFromCode(14), TQRBin::Cassette);
    for (const int unknown : {0, 12, 13, 15, 256}) EXPECT_EQ(BinFromCode(unknown), std::nullopt);
}

}  // namespace
}  // namespace quillon
