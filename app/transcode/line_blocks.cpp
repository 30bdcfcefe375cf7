#include "app/transcode/line_blocks.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUILLON_X86 1
#endif

namespace quillon {

namespace {

// Portable form, sixteen bytes at a time with the compiler's vector extension.
LineBlockCopy CopyLineBlocksGeneric(const std::uint8_t* in, std::size_t size, std::uint8_t* out) noexcept {
    using Vec16 = std::uint8_t __attribute__((vector_size(16)));
    LineBlockCopy result;
    while (result.consumed + 16 <= size) {
        const std::uint8_t* block = in + result.consumed;
        unsigned lineFeeds = 0, returns = 0, eofs = 0;
        for (unsigned k = 0; k < 16; ++k) {
            lineFeeds |= static_cast<unsigned>(block[k] == 10) << k;
            returns |= static_cast<unsigned>(block[k] == 13) << k;
            eofs |= static_cast<unsigned>(block[k] == 26) << k;
        }
        if (eofs != 0 || lineFeeds != ((returns << 1) & 0xFFFFu)) break;
        Vec16 v;
        std::memcpy(&v, block, 16);
        v += __builtin_convertvector((v & 0xC0) == 0x80, Vec16) & 64;
        std::memcpy(out + result.written, &v, 16);
        result.consumed += 16;
        if ((returns & 0x8000u) != 0) {
            result.written += 15;
            result.pendingReturn = true;
            return result;
        }
        result.written += 16;
        result.atLineStart = (lineFeeds & 0x8000u) != 0;
    }
    return result;
}

#if defined(QUILLON_X86)
// The letters (bytes 128..191) of 32 bytes moved up by 64.
__attribute__((target("avx2"))) inline __m256i ShiftedLetters(__m256i v) {
    const __m256i isLetter = _mm256_cmpeq_epi8(_mm256_and_si256(v, _mm256_set1_epi8(static_cast<char>(0xC0))),
                                               _mm256_set1_epi8(static_cast<char>(0x80)));
    return _mm256_add_epi8(v, _mm256_and_si256(isLetter, _mm256_set1_epi8(64)));
}

__attribute__((target("avx2"))) LineBlockCopy CopyLineBlocksAvx2(const std::uint8_t* in,
                                                                   std::size_t size,
                                                                   std::uint8_t* out) noexcept {
    const __m256i lf = _mm256_set1_epi8(10);
    const __m256i cr = _mm256_set1_epi8(13);
    const __m256i eof = _mm256_set1_epi8(26);
    LineBlockCopy result;
    // Most text goes here: groups of four blocks, each byte checked against the byte after it
    // (a CR must come before a line feed and a line feed after a CR), with one test a group.
    // A line feed first has no CR before it, since the copy starts inside a line.
    constexpr std::size_t kGroup = 4 * 32;
    if (size > 0 && in[0] != 10) {
        while (result.consumed + kGroup + 1 <= size) {
            const std::uint8_t* group = in + result.consumed;
            __m256i bad = _mm256_setzero_si256();
            for (std::size_t k = 0; k < kGroup; k += 32) {
                const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(group + k));
                const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(group + k + 1));
                const __m256i unpaired = _mm256_xor_si256(_mm256_cmpeq_epi8(v, cr), _mm256_cmpeq_epi8(next, lf));
                bad = _mm256_or_si256(bad, _mm256_or_si256(unpaired, _mm256_cmpeq_epi8(v, eof)));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + result.consumed + k), ShiftedLetters(v));
            }
            if (!_mm256_testz_si256(bad, bad)) break;
            result.consumed += kGroup;
        }
        if (result.consumed > 0) {
            const std::uint8_t last = in[result.consumed - 1];
            if (last == 13) {
                // Its line feed comes next; the line ends there.
                result.written = result.consumed - 1;
                result.pendingReturn = true;
                return result;
            }
            result.written = result.consumed;
            result.atLineStart = last == 10;
        }
    }
    // The rest block by block, up to the first block that is not plain CR LF text.
    while (result.consumed + 32 <= size) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + result.consumed));
        const auto lineFeeds = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, lf)));
        const auto returns = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, cr)));
        const auto eofs = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, eof)));
        if ((eofs | (lineFeeds ^ (returns << 1))) != 0) break;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + result.written), ShiftedLetters(v));
        result.consumed += 32;
        if ((returns >> 31) != 0) {
            result.written += 31;
            result.pendingReturn = true;
            return result;
        }
        result.written += 32;
        result.atLineStart = (lineFeeds >> 31) != 0;
    }
    return result;
}

using CopyFunction = LineBlockCopy (*)(const std::uint8_t*, std::size_t, std::uint8_t*) noexcept;

CopyFunction ChooseCopy() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? CopyLineBlocksAvx2 : CopyLineBlocksGeneric;
}

const CopyFunction kCopy = ChooseCopy();
#endif

}  // namespace

LineBlockCopy CopyLineBlocks(const std::uint8_t* in, std::size_t size, std::uint8_t* out) noexcept {
#if defined(QUILLON_X86)
    return kCopy(in, size, out);
#else
    return CopyLineBlocksGeneric(in, size, out);
#endif
}

}  // namespace quillon
