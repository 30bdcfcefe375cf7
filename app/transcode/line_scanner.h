#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/transcode/line_blocks.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

// Splits DOS text into lines, one buffer at a time, by the reading rules:
// - a line ends at a line feed, at carriage return + line feed, at a byte 26 or at the end of
//   the file; a carriage return not followed by a line feed is dropped;
// - a byte 26 at the start of a line ends the text; inside a line it cuts the line, and the
//   rest of that physical line (up to and including its line feed) is discarded;
// - a last line without terminator is a line; a final terminator adds no empty line.
//
// The sink receives `Bytes(const uint8_t*, size_t)` for the bytes of the current line (a line
// may arrive in several pieces) and `EndLine()` at each line end; EndLine returns false to make
// Feed stop right after that line.
//
// A sink that writes lines back out with CR LF ends may also have
// `LineBlockCopy CopyLineBlocks(const uint8_t*, size_t)` (see line_blocks.h): inside a line the
// scanner first lets it copy whole blocks of CR LF text as they are, and goes on from where it
// stopped.
class DosLineScanner {
public:
    // With `paddedInput` the caller promises that 15 bytes after every range it feeds may be
    // read (their values do not matter); the scanner then reads whole 16-byte blocks.
    explicit DosLineScanner(bool paddedInput = false) : paddedInput_(paddedInput) {}

    // Scans `data[0..size)`; returns how many bytes were consumed (all of them unless the sink
    // asked to stop, or the text has ended).
    template <class Sink>
    std::size_t Feed(const std::uint8_t* data, std::size_t size, Sink& sink);

    // End of file: completes a line still open.
    template <class Sink>
    void Finish(Sink& sink);

    // The text has ended (a byte 26 at a line start, or Finish): further input is ignored.
    bool Ended() const noexcept { return state_ == State::kEnded; }

private:
    enum class State { kLineStart, kInLine, kAfterCarriageReturn, kSkippingRest, kEnded };

    std::size_t FindLineBreak(const std::uint8_t* data, std::size_t size) const noexcept;

    State state_ = State::kLineStart;
    bool paddedInput_;
};

inline std::size_t DosLineScanner::FindLineBreak(const std::uint8_t* data,
                                                 std::size_t size) const noexcept {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(10);
    const __m128i cr = _mm_set1_epi8(13);
    const __m128i eof = _mm_set1_epi8(26);
    const std::size_t blocks = paddedInput_ ? size + 15 : size;
    for (; i + 16 <= blocks; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)),
                                         _mm_cmpeq_epi8(v, eof));
        const int mask = _mm_movemask_epi8(hit);
        if (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
            return at < size ? at : size;
        }
    }
    if (paddedInput_) return size;
#endif
    for (; i < size; ++i) {
        const std::uint8_t b = data[i];
        if (b == 10 || b == 13 || b == 26) return i;
    }
    return size;
}


template <class Sink>
std::size_t DosLineScanner::Feed(const std::uint8_t* data, std::size_t size, Sink& sink) {
    std::size_t i = 0;
    while (i < size) {
        switch (state_) {
            case State::kEnded:
                return i;
            case State::kLineStart:
                if (data[i] == 26) {
                    state_ = State::kEnded;
                    return i;
                }
                state_ = State::kInLine;
                break;
            case State::kInLine: {
                if constexpr (requires { sink.CopyLineBlocks(data, size); }) {
                    const LineBlockCopy copy = sink.CopyLineBlocks(data + i, size - i);
                    i += copy.consumed;
                    if (copy.pendingReturn) {
                        state_ = State::kAfterCarriageReturn;
                        break;
                    }
                    if (copy.atLineStart) {
                        state_ = State::kLineStart;
                        break;
                    }
                    if (i == size) return i;
                }
                const std::size_t run = FindLineBreak(data + i, size - i);
                if (run > 0) sink.Bytes(data + i, run);
                i += run;
                if (i == size) return i;
                const std::uint8_t b = data[i++];
                if (b == 13) {
                    state_ = State::kAfterCarriageReturn;
                } else {
                    state_ = b == 10 ? State::kLineStart : State::kSkippingRest;
                    if (!sink.EndLine()) return i;
                }
                break;
            }
            case State::kAfterCarriageReturn:
                if (data[i] == 10) {
                    ++i;
                    state_ = State::kLineStart;
                    if (!sink.EndLine()) return i;
                } else {
                    state_ = State::kInLine;  // the carriage return is dropped
                }
                break;
            case State::kSkippingRest: {
                const void* lineFeed = std::memchr(data + i, 10, size - i);
                if (lineFeed == nullptr) return size;
                i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(lineFeed) - data) + 1;
                state_ = State::kLineStart;
                break;
            }
        }
    }
    return i;
}

template <class Sink>
void DosLineScanner::Finish(Sink& sink) {
    if (state_ == State::kInLine || state_ == State::kAfterCarriageReturn) sink.EndLine();
    state_ = State::kEnded;
}

}  // namespace quillon
