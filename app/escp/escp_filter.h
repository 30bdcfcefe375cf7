#pragma once

#include <cstddef>
#include <cstdint>

namespace quillon {

// Takes the printer commands out of a DOS printer stream for Epson-compatible printers
// (ESC/P and ESC/P2), so that only the text is left.
//
// Removed: every ESC command with its parameter bytes, the bit-image, raster and user-defined
// character data that follows some of them (its length follows from their parameters), and
// the single control bytes that mean nothing in printed text (0-31 other than those below, and
// delete, 127).
// Kept: text bytes (32-255) and the bytes that shape the text: horizontal tab (9), line feed
// (10), form feed (12), carriage return (13) and the end-of-file mark (26).
//
// An ESC followed by a command byte that has no known length loses the ESC and that byte;
// when the byte is itself a control byte, only the ESC goes and the control byte is read as if
// the ESC had not been there. A command cut off by the end of the stream is dropped.
//
// The filter keeps its state between calls, so a command may span buffers; it never reads
// outside the bytes it is given and never writes more than it reads.
class EscpFilter {
public:
    // Filters `size` bytes of `data` in place and returns how many text bytes are left at its
    // front.
    std::size_t Filter(std::uint8_t* data, std::size_t size) noexcept;

    // Whether the bytes so far end inside a command.
    bool InCommand() const noexcept { return state_ != State::kText; }

    // Whether the stream has selected condensed print (SI, ESC SI, ESC ! with its condensed
    // bit) or 15 characters an inch (ESC g): the program made its lines wider than the paper
    // takes at the usual 10.
    bool NarrowPrint() const noexcept { return narrowPrint_; }

private:
    enum class State : std::uint8_t {
        kText,
        kCommand,     // after ESC: the command byte
        kParameters,  // the command's parameter bytes
        kStops,       // tab stops up to and including a NUL
        kSkip,        // data bytes to pass over
        kRunCounter,  // compressed raster: the next counter byte
        kRunLiteral,  // compressed raster: literal bytes
        kRunRepeat,   // compressed raster: the byte that is repeated
        kCharHeader,  // user-defined character: its three header bytes
    };

    void Begin(std::uint8_t command) noexcept;
    void ParametersDone() noexcept;
    void CharacterDone() noexcept;

    State state_ = State::kText;
    std::uint8_t command_ = 0;
    std::uint8_t parameters_[8] = {};
    std::uint8_t have_ = 0;         // parameter bytes collected
    std::uint8_t need_ = 0;         // parameter bytes wanted
    std::uint32_t stopsLeft_ = 0;   // tab stops still allowed before the NUL
    std::uint64_t skip_ = 0;        // data bytes still to pass over
    std::uint64_t rasterLeft_ = 0;  // decoded raster bytes still to come
    std::uint32_t runLeft_ = 0;     // literal bytes or repeat count of the current run
    std::uint32_t charsLeft_ = 0;   // user-defined characters still to come
    bool narrowPrint_ = false;
};

}  // namespace quillon
