#include "app/transcode/transcode.h"

#include <array>
#include <cstring>

namespace quillon {

namespace {

constexpr std::array<std::uint8_t, 256> MakePrintTable() {
    std::array<std::uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = NormaliseByteForPrint(static_cast<std::uint8_t>(b));
    return table;
}

constexpr auto kPrintTable = MakePrintTable();

using Vec16 = std::uint8_t __attribute__((vector_size(16)));

}  // namespace

void ShiftDosLetters(const std::uint8_t* in, std::uint8_t* out, std::size_t count) noexcept {
    // Sixteen bytes at a time: a letter is a byte whose top two bits are 10.
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        Vec16 v;
        std::memcpy(&v, in + i, 16);
        const auto isLetter = (v & 0xC0) == 0x80;  // all-ones lanes for letters
        v += __builtin_convertvector(isLetter, Vec16) & 64;
        std::memcpy(out + i, &v, 16);
    }
    for (; i < count; ++i) out[i] = ShiftDosLetter(in[i]);
}

void ShiftDosLettersPadded(const std::uint8_t* in, std::uint8_t* out, std::size_t count) noexcept {
    for (std::size_t i = 0; i < count; i += 16) {
        Vec16 v;
        std::memcpy(&v, in + i, 16);
        const auto isLetter = (v & 0xC0) == 0x80;
        v += __builtin_convertvector(isLetter, Vec16) & 64;
        std::memcpy(out + i, &v, 16);
    }
}

void NormaliseForPrint(const std::uint8_t* in, std::uint8_t* out, std::size_t count) noexcept {
    for (std::size_t i = 0; i < count; ++i) out[i] = kPrintTable[in[i]];
}

Line ShiftDosLetters(std::string_view line) {
    Line result(line.size(), '\0');
    ShiftDosLetters(reinterpret_cast<const std::uint8_t*>(line.data()),
                    reinterpret_cast<std::uint8_t*>(result.data()), line.size());
    return result;
}

Line NormaliseForPrint(std::string_view line) {
    Line result(line.size(), '\0');
    NormaliseForPrint(reinterpret_cast<const std::uint8_t*>(line.data()),
                      reinterpret_cast<std::uint8_t*>(result.data()), line.size());
    return result;
}

}  // namespace quillon
