#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quillon {

// Paper sizes, in the order of the device paper codes (Custom stands apart with its own code).
enum class TQRPaperSize {
    Default,
    Letter,
    LetterSmall,
    Tabloid,
    Ledger,
    Legal,
    Statement,
    Executive,
    A3,
    A4,
    A4Small,
    A5,
    B4,
    B5,
    Folio,
    Quarto,
    qr10X14,
    qr11X17,
    Note,
    Env9,
    Env10,
    Env11,
    Env12,
    Env14,
    CSheet,
    DSheet,
    ESheet,
    Custom,
};
inline constexpr std::size_t kPaperSizeCount = static_cast<std::size_t>(TQRPaperSize::Custom) + 1;

// Paper sources of a printer.
enum class TQRBin {
    First,
    Upper,
    Lower,
    Middle,
    Manual,
    Envelope,
    EnvManual,
    Auto,
    Tractor,
    SmallFormat,
    LargeFormat,
    LargeCapacity,
    Cassette,
    Last,
};
inline constexpr std::size_t kBinCount = static_cast<std::size_t>(TQRBin::Last) + 1;

enum class TPrinterOrientation { poPortrait, poLandscape };

// One row of the paper table: the display name (8-bit Windows-1251 text) and the portrait width
// and length in millimetres. Default and Custom have no dimensions of their own (0 here).
struct PaperEntry {
    TQRPaperSize size;
    std::string_view name;
    long double width;
    long double length;
};

// clang-format off
inline constexpr std::array<PaperEntry, kPaperSizeCount> kPaperTable{{
    {TQRPaperSize::Default,     "Default size",                    0.0L,   0.0L},
    {TQRPaperSize::Letter,      "Letter 8 1/2 x 11 in",            215.9L, 279.4L},
    {TQRPaperSize::LetterSmall, "Letter Small 8 1/2 x 11 in",      215.9L, 279.4L},
    {TQRPaperSize::Tabloid,     "Tabloid 11 x 17 in",              279.4L, 431.8L},
    {TQRPaperSize::Ledger,      "Ledger 17 x 11 in",               431.8L, 279.4L},
    {TQRPaperSize::Legal,       "Legal 8 1/2 x 14 in",             215.9L, 355.6L},
    {TQRPaperSize::Statement,   "Statement 5 1/2 x 8 1/2 in",      139.7L, 215.9L},
    {TQRPaperSize::Executive,   "Executive7 1/2 x 10 in",          190.5L, 254.0L},
    {TQRPaperSize::A3,          "A3 297 x 420 mm",                 297.0L, 420.0L},
    {TQRPaperSize::A4,          "A4 210 x 297 mm",                 210.0L, 297.0L},
    {TQRPaperSize::A4Small,     "A4 Small 210 x 297 mm",           210.0L, 297.0L},
    {TQRPaperSize::A5,          "A5 148 x 210 mm",                 148.0L, 210.0L},
    {TQRPaperSize::B4,          "B4 250 x 354 mm",                 250.0L, 354.0L},
    {TQRPaperSize::B5,          "B5 182 x 257 mm",                 182.0L, 257.0L},
    {TQRPaperSize::Folio,       "Folio 8 1/2 x 13 in",             215.9L, 330.2L},
    {TQRPaperSize::Quarto,      "Quarto 215 x 275 mm",             215.0L, 275.0L},
    {TQRPaperSize::qr10X14,     "10x14 in",                        254.0L, 355.6L},
    {TQRPaperSize::qr11X17,     "11x17 in",                        279.4L, 431.8L},
    {TQRPaperSize::Note,        "Note 8 1/2 x 11 in",              215.9L, 279.0L},
    {TQRPaperSize::Env9,        "Envelope #9 3 7/8 x 8 7/8",       98.43L, 225.4L},
    {TQRPaperSize::Env10,       "Envelope #10 4 1/8 x 9 1/2",      104.8L, 241.3L},
    {TQRPaperSize::Env11,       "Envelope #11 4 1/2 x 10 3/8",     114.3L, 263.5L},
    {TQRPaperSize::Env12,       "Envelope #12 4 \276 x 11",        101.6L, 279.4L},
    {TQRPaperSize::Env14,       "Envelope #14 4 \276 x 11",        127.0L, 292.1L},
    {TQRPaperSize::CSheet,      "C size sheet",                    100.0L, 100.0L},
    {TQRPaperSize::DSheet,      "D size sheet",                    100.0L, 100.0L},
    {TQRPaperSize::ESheet,      "E size sheet",                    100.0L, 100.0L},
    {TQRPaperSize::Custom,      "Custom Size",                     0.0L,   0.0L},
}};

// Device paper codes by paper size.
inline constexpr std::array<int, kPaperSizeCount> kPaperCodes{
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,
    26, 256};

// Device paper-source codes by bin. First and Upper share code 1, Cassette and Last code 14.
inline constexpr std::array<int, kBinCount> kBinCodes{
    1,   // First
    1,   // Upper
    2,   // Lower
    3,   // Middle
    4,   // Manual
    5,   // Envelope
    6,   // EnvManual
    7,   // Auto
    8,   // Tractor
    9,   // SmallFormat
    10,  // LargeFormat
    11,  // LargeCapacity
    14,  // Cassette
    14,  // Last
};
// clang-format on

// The paper table's row of a size.
const PaperEntry& PaperInfo(TQRPaperSize size);
std::string_view PaperSizeName(TQRPaperSize size);
// Whether the size has a row with dimensions (every size except Default and Custom).
bool HasPaperDimensions(TQRPaperSize size);

// Portrait paper dimensions in tenths of a millimetre: the table's millimetres × 10, rounded
// to the nearest integer with halves to even. None for Default and Custom, whose dimensions
// come from elsewhere (the device or the report's page).
struct PaperTenths {
    int width = 0;
    int length = 0;
    friend bool operator==(const PaperTenths&, const PaperTenths&) = default;
};
std::optional<PaperTenths> PaperSizeInTenths(TQRPaperSize size);

// Device codes, both ways. A code maps back to the first enumeration value that has it (so bin
// code 1 reads as First, 14 as Cassette); unknown codes give none.
int PaperCode(TQRPaperSize size);
std::optional<TQRPaperSize> PaperSizeFromCode(int code);
int BinCode(TQRBin bin);
std::optional<TQRBin> BinFromCode(int code);

}  // namespace quillon
