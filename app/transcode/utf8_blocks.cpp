#include "app/transcode/utf8_blocks.h"

#include <array>
#include <cstring>

#include "platform/core/dos_code_page.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUILLON_X86 1
#endif

namespace quillon {

namespace {

struct Entry {
    std::uint8_t bytes[4];
    std::uint8_t length;
};

std::array<Entry, 256> MakeTable() {
    std::array<Entry, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const Utf8Char c = DosToUtf8(static_cast<std::uint8_t>(b));
        table[b] = {{c.bytes[0], c.bytes[1], c.bytes[2], 0}, c.length};
    }
    return table;
}

const std::array<Entry, 256> kTable = MakeTable();

std::uint8_t* Scalar(const std::uint8_t* in, std::size_t count, std::uint8_t* out) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        const Entry& e = kTable[in[i]];
        std::memcpy(out, e.bytes, 4);
        out += e.length;
    }
    return out;
}

#if defined(QUILLON_X86)
// For eight bytes of ASCII and letters laid out as (lead, trail) pairs: the shuffle that keeps
// both bytes of a letter and only the trail (the byte itself) of an ASCII character, by the
// mask of the letters.
constexpr std::array<std::array<std::uint8_t, 16>, 256> MakePackTable() {
    std::array<std::array<std::uint8_t, 16>, 256> table{};
    for (int mask = 0; mask < 256; ++mask) {
        int at = 0;
        for (int k = 0; k < 8; ++k) {
            if ((mask >> k) & 1) table[mask][at++] = static_cast<std::uint8_t>(2 * k);
            table[mask][at++] = static_cast<std::uint8_t>(2 * k + 1);
        }
        while (at < 16) table[mask][at++] = 0x80;  // zero
    }
    return table;
}

alignas(16) constexpr auto kPack = MakePackTable();

// Stores the (lead, trail) pairs of eight characters, packed by the mask of the letters.
__attribute__((target("ssse3"))) inline void Pack(__m128i pairs, int letters, std::uint8_t* to) {
    const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(kPack[letters].data()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_shuffle_epi8(pairs, shuffle));
}

// The letters 0x80..0xBF are U+0410..U+044F: lead byte 0xD0 (0xD1 from 0xB0 on), trail byte
// 0x80 | ((b + 0x10) & 0x3F).
__attribute__((target("ssse3,popcnt"))) std::uint8_t* Ssse3(const std::uint8_t* in,
                                                            std::size_t count,
                                                            std::uint8_t* out) noexcept {
    const __m128i top2 = _mm_set1_epi8(static_cast<char>(0xC0));
    const __m128i top4 = _mm_set1_epi8(static_cast<char>(0xF0));
    const __m128i b0 = _mm_set1_epi8(static_cast<char>(0xB0));
    const __m128i d0 = _mm_set1_epi8(static_cast<char>(0xD0));
    const __m128i low6 = _mm_set1_epi8(0x3F);
    const __m128i x80 = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i x10 = _mm_set1_epi8(0x10);
    // The three bytes of a character repeated over 48 bytes, from three shuffles of one entry.
    const __m128i repeat0 = _mm_setr_epi8(0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0);
    const __m128i repeat1 = _mm_setr_epi8(1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1);
    const __m128i repeat2 = _mm_setr_epi8(2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2);
    std::size_t i = 0;
    while (i + 16 <= count) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        int letters = _mm_movemask_epi8(v);
        if (letters == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
            out += 16;
            i += 16;
            continue;
        }
        const int others = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, top2), top2));
        const __m128i lead = _mm_sub_epi8(d0, _mm_cmpeq_epi8(_mm_and_si128(v, top4), b0));
        const __m128i letterTrail = _mm_or_si128(_mm_and_si128(_mm_add_epi8(v, x10), low6), x80);
        const __m128i isLetter = _mm_cmplt_epi8(v, _mm_setzero_si128());
        const __m128i trail =
            _mm_or_si128(_mm_and_si128(isLetter, letterTrail), _mm_andnot_si128(isLetter, v));
        if (others == 0) {
            // Sixteen bytes of ASCII and letters, the common case.
            Pack(_mm_unpacklo_epi8(lead, trail), letters & 0xFF, out);
            out +=
                8 + static_cast<std::size_t>(_mm_popcnt_u32(static_cast<unsigned>(letters & 0xFF)));
            Pack(_mm_unpackhi_epi8(lead, trail), letters >> 8, out);
            out +=
                8 + static_cast<std::size_t>(_mm_popcnt_u32(static_cast<unsigned>(letters >> 8)));
            i += 16;
            continue;
        }
        const Entry& first = kTable[in[i]];
        if (first.length == 3 && _mm_movemask_epi8(_mm_cmpeq_epi8(
                                     v, _mm_set1_epi8(static_cast<char>(in[i])))) == 0xFFFF) {
            // A rule of one line-drawing character, as tables have them.
            std::uint32_t bytes;
            std::memcpy(&bytes, first.bytes, 4);
            const __m128i c = _mm_cvtsi32_si128(static_cast<int>(bytes));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(c, repeat0));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_shuffle_epi8(c, repeat1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), _mm_shuffle_epi8(c, repeat2));
            out += 48;
            i += 16;
            continue;
        }
        // Line drawing and symbols among the rest: the bytes before the first of them go here
        // (eight at most), it goes alone through the table, and the next block starts after it.
        std::size_t take = static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(others)));
        if (take == 0) {
            out = Scalar(in + i, 1, out);
            ++i;
            continue;
        }
        if (take > 8) take = 8;
        letters &= (1 << take) - 1;
        Pack(_mm_unpacklo_epi8(lead, trail), letters, out);
        out += take + static_cast<std::size_t>(_mm_popcnt_u32(static_cast<unsigned>(letters)));
        i += take;
    }
    return Scalar(in + i, count - i, out);
}

using RunFunction = std::uint8_t* (*)(const std::uint8_t*, std::size_t, std::uint8_t*) noexcept;

RunFunction ChooseRun() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt") ? Ssse3 : Scalar;
}

const RunFunction kRun = ChooseRun();
#endif

}  // namespace

std::uint8_t* DosToUtf8Run(const std::uint8_t* in, std::size_t count, std::uint8_t* out) noexcept {
#if defined(QUILLON_X86)
    return kRun(in, count, out);
#else
    return Scalar(in, count, out);
#endif
}

}  // namespace quillon
