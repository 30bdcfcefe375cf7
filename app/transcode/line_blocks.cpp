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
__attribute__((target("avx2"))) LineBlockCopy CopyLineBlocksAvx2(const std::uint8_t* in,
                                                                   std::size_t size,
                                                                   std::uint8_t* out) noexcept {
    const __m256i lf = _mm256_set1_epi8(10);
    const __m256i cr = _mm256_set1_epi8(13);
    const __m256i eof = _mm256_set1_epi8(26);
    const __m256i topBits = _mm256_set1_epi8(static_cast<char>(0xC0));
    const __m256i letterTop = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i shift = _mm256_set1_epi8(64);
    LineBlockCopy result;
    while (result.consumed + 32 <= size) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + result.consumed));
        const auto lineFeeds = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, lf)));
        const auto returns = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, cr)));
        const auto eofs = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, eof)));
        if ((eofs | (lineFeeds ^ (returns << 1))) != 0) break;
        const __m256i isLetter = _mm256_cmpeq_epi8(_mm256_and_si256(v, topBits), letterTop);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + result.written),
                            _mm256_add_epi8(v, _mm256_and_si256(isLetter, shift)));
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
