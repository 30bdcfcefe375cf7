#include "app/escp/escp_filter.h"

#include <array>
#include <string_view>

namespace quillon {

namespace {

constexpr std::uint8_t kNul = 0;
constexpr std::uint8_t kTab = 9;
constexpr std::uint8_t kLineFeed = 10;
constexpr std::uint8_t kFormFeed = 12;
constexpr std::uint8_t kReturn = 13;
constexpr std::uint8_t kShiftIn = 15;  // condensed print, alone or after ESC
constexpr std::uint8_t kEndOfFile = 26;
constexpr std::uint8_t kEsc = 27;
constexpr std::uint8_t kDelete = 127;

// How the bytes after an ESC command byte are laid out.
enum class Shape : std::uint8_t {
    kUnknown,     // no known length: only ESC and the command byte
    kFixed,       // `parameters` bytes
    kPageLength,  // ESC C n, or ESC C NUL n
    kStops,       // stops up to and including a NUL, at most `parameters` of them
    kChannel,     // ESC b: a channel byte, then stops as kStops
    kExtended,    // ESC ( c nL nH, then nL + 256 nH bytes
    kImage,       // `parameters` bytes ending in nL nH, then image columns
    kUserChars,   // ESC & NUL n m, then characters n..m
    kRaster,      // ESC . c v h m nL nH, then raster rows
};

struct Command {
    Shape shape = Shape::kUnknown;
    std::uint8_t parameters = 0;
};

// The published parameter lengths of the ESC/P and ESC/P2 commands, by command byte.
constexpr std::array<Command, 256> MakeCommandTable() {
    std::array<Command, 256> table{};
    const auto fixed = [&table](std::string_view commands, std::uint8_t count) {
        for (const char c : commands) table[static_cast<std::uint8_t>(c)] = {Shape::kFixed, count};
    };
    fixed("\x0E\x0F#0124356789<=>@EFGHMOPTg", 0);
    fixed("\x19 !%+-/3AIJNQRSUWaijklmpqrstwx", 1);
    fixed("$\\?cef", 2);
    fixed(":X", 3);
    table['C'] = {Shape::kPageLength, 1};
    table['B'] = {Shape::kStops, 16};
    table['D'] = {Shape::kStops, 32};
    table['b'] = {Shape::kChannel, 1};
    table['('] = {Shape::kExtended, 3};
    table['K'] = table['L'] = table['Y'] = table['Z'] = {Shape::kImage, 2};
    table['*'] = {Shape::kImage, 3};
    table['^'] = {Shape::kImage, 3};
    table['&'] = {Shape::kUserChars, 3};
    table['.'] = {Shape::kRaster, 6};
    return table;
}

constexpr auto kCommands = MakeCommandTable();

// Single bytes that stay in the text: tab, line feed, form feed, carriage return, byte 26.
constexpr bool KeptControl(std::uint8_t b) {
    return b == kTab || b == kLineFeed || b == kFormFeed || b == kReturn || b == kEndOfFile;
}

// Bytes per image column of ESC * by density mode; 0 for a mode without a known layout.
constexpr std::uint8_t BytesPerColumn(std::uint8_t mode) {
    switch (mode) {
        // clang-format off
        case 0: case 1: case 2: case 3: case 4: case 6:
            return 1;
        case 32: case 33: case 38: case 39: case 40:
            return 3;
        case 71: case 72: case 73:
            return 6;
        // clang-format on
        default:
            return 0;
    }
}

std::uint32_t Word(std::uint8_t low, std::uint8_t high) {
    return low + 256u * high;
}

}  // namespace

void EscpFilter::Begin(std::uint8_t command) noexcept {
    if (command == kShiftIn || command == 'g') narrowPrint_ = true;
    command_ = command;
    have_ = 0;
    const Command c = kCommands[command];
    switch (c.shape) {
        case Shape::kUnknown:
            state_ = State::kText;
            break;
        case Shape::kFixed:
        case Shape::kPageLength:
        case Shape::kChannel:
        case Shape::kExtended:
        case Shape::kImage:
        case Shape::kUserChars:
        case Shape::kRaster:
            need_ = c.parameters;
            state_ = need_ == 0 ? State::kText : State::kParameters;
            break;
        case Shape::kStops:
            stopsLeft_ = c.parameters;
            state_ = State::kStops;
            break;
    }
}

void EscpFilter::ParametersDone() noexcept {
    const std::uint8_t* p = parameters_;
    state_ = State::kText;
    switch (kCommands[command_].shape) {
        case Shape::kPageLength:
            // ESC C NUL n gives the length in inches: one more byte.
            if (have_ == 1 && p[0] == kNul) {
                need_ = 2;
                state_ = State::kParameters;
            }
            break;
        case Shape::kChannel:
            stopsLeft_ = 16;
            state_ = State::kStops;
            break;
        case Shape::kExtended:
            skip_ = Word(p[1], p[2]);
            break;
        case Shape::kImage: {
            const std::uint64_t columns = Word(p[have_ - 2], p[have_ - 1]);
            std::uint64_t perColumn = 1;
            if (command_ == '*') perColumn = BytesPerColumn(p[0]);
            if (command_ == '^') perColumn = 2;
            skip_ = columns * perColumn;
            break;
        }
        case Shape::kUserChars:
            // ESC & NUL n m: characters n..m, each three header bytes and its columns.
            charsLeft_ = p[2] >= p[1] ? p[2] - p[1] + 1u : 0u;
            if (charsLeft_ > 0) {
                have_ = 0;
                state_ = State::kCharHeader;
            }
            break;
        case Shape::kRaster: {
            // Rows of ceil(width / 8) bytes; m rows.
            const std::uint64_t rowBytes = (Word(p[4], p[5]) + 7) / 8;
            const std::uint64_t total = p[3] * rowBytes;
            if (p[0] == 0) {
                skip_ = total;
            } else if (p[0] == 1 && total > 0) {
                rasterLeft_ = total;
                state_ = State::kRunCounter;
            }
            break;
        }
        case Shape::kFixed:
            // ESC ! n: the print mode's bit 2 is condensed.
            if (command_ == '!' && (p[0] & 0x04) != 0) narrowPrint_ = true;
            break;
        case Shape::kUnknown:
        case Shape::kStops:
            break;
    }
    if (state_ == State::kText && skip_ > 0) state_ = State::kSkip;
}

void EscpFilter::CharacterDone() noexcept {
    // Header a0 a1 a2 (left space, columns, right space): three bytes per column follow.
    skip_ = std::uint64_t{parameters_[1]} * 3;
    --charsLeft_;
    have_ = 0;
    state_ = skip_ > 0 ? State::kSkip : (charsLeft_ > 0 ? State::kCharHeader : State::kText);
}

std::size_t EscpFilter::Filter(std::uint8_t* data, std::size_t size) noexcept {
    std::size_t out = 0;
    std::size_t i = 0;
    while (i < size) {
        switch (state_) {
            case State::kText: {
                // Runs of text are the common case: copy them until the next control byte.
                // Delete is one too: it has no glyph in either code page, only a box.
                while (i < size && data[i] >= 32 && data[i] != kDelete) data[out++] = data[i++];
                if (i == size) break;
                const std::uint8_t b = data[i++];
                if (b == kEsc) {
                    state_ = State::kCommand;
                } else if (b == kShiftIn) {
                    narrowPrint_ = true;
                } else if (KeptControl(b)) {
                    data[out++] = b;
                }
                break;
            }
            case State::kCommand: {
                const std::uint8_t b = data[i];
                if (kCommands[b].shape == Shape::kUnknown && b < 32) {
                    state_ = State::kText;  // the control byte is read again as text
                    break;
                }
                ++i;
                Begin(b);
                break;
            }
            case State::kParameters:
                parameters_[have_++] = data[i++];
                if (have_ == need_) ParametersDone();
                break;
            case State::kStops: {
                const std::uint8_t b = data[i++];
                // A NUL ends the list; after the most stops a list may hold, text follows.
                if (b == kNul || --stopsLeft_ == 0) state_ = State::kText;
                break;
            }
            case State::kSkip: {
                const std::size_t n = skip_ < size - i ? static_cast<std::size_t>(skip_) : size - i;
                i += n;
                skip_ -= n;
                if (skip_ == 0) {
                    state_ = charsLeft_ > 0 ? State::kCharHeader : State::kText;
                }
                break;
            }
            case State::kRunCounter: {
                const std::uint8_t counter = data[i++];
                if (counter < 128) {
                    runLeft_ = counter + 1u;
                    state_ = State::kRunLiteral;
                } else {
                    runLeft_ = 257u - counter;
                    state_ = State::kRunRepeat;
                }
                break;
            }
            case State::kRunLiteral:
            case State::kRunRepeat: {
                ++i;
                std::uint64_t decoded = 1;
                if (state_ == State::kRunRepeat) {
                    decoded = runLeft_;
                    runLeft_ = 0;
                } else {
                    --runLeft_;
                }
                rasterLeft_ = decoded >= rasterLeft_ ? 0 : rasterLeft_ - decoded;
                if (rasterLeft_ == 0) {
                    state_ = State::kText;
                } else if (runLeft_ == 0) {
                    state_ = State::kRunCounter;
                }
                break;
            }
            case State::kCharHeader:
                parameters_[have_++] = data[i++];
                if (have_ == 3) CharacterDone();
                break;
        }
    }
    return out;
}

}  // namespace quillon
