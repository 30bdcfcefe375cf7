// Printer streams: the command filter must never read or write outside its buffer, never
// grow the text, leave only text and line-structure bytes, and give the same text however the
// stream is split into buffers. The whole print reading (filter, reading rules, form feeds,
// tabs) runs on the same bytes.

#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/escp/escp_filter.h"
#include "app/printtext/print_text.h"

namespace {

std::string FilterInPieces(const std::uint8_t* data, std::size_t size, std::size_t piece) {
    quillon::EscpFilter filter;
    std::string text;
    std::vector<std::uint8_t> part;
    for (std::size_t at = 0; at < size; at += piece) {
        const std::size_t n = std::min(piece, size - at);
        part.assign(data + at, data + at + n);
        const std::size_t kept = filter.Filter(part.data(), n);
        if (kept > n) std::abort();
        text.append(reinterpret_cast<const char*>(part.data()), kept);
    }
    return text;
}

// The print reading over a pipe, as standard input reaches it.
void ReadThroughPipe(const std::uint8_t* data, std::size_t size, bool lineDrawing) {
    int fds[2];
    if (size > 60000 || ::pipe(fds) != 0) return;
    if (::write(fds[1], data, size) != static_cast<ssize_t>(size)) std::abort();
    ::close(fds[1]);
    quillon::posix::File input(fds[0], "-");
    quillon::PrintText text;
    quillon::ReadPrintText(input, {lineDrawing}, text);
    std::int32_t previous = 0;
    for (const std::int32_t at : text.formFeeds) {
        if (at < previous || at > static_cast<std::int32_t>(text.lines.size())) std::abort();
        previous = at;
    }
    for (const std::string_view line : text.lines) {
        for (const char c : line) {
            const auto b = static_cast<std::uint8_t>(c);
            if (b < 32 || b == 127) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string whole = FilterInPieces(data, size, size == 0 ? 1 : size);
    for (const char c : whole) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b == 127 || (b < 32 && b != 9 && b != 10 && b != 12 && b != 13 && b != 26)) std::abort();
    }
    const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 13;
    if (FilterInPieces(data, size, piece) != whole) std::abort();
    ReadThroughPipe(data, size, size > 0 && (data[0] & 1) != 0);
    return 0;
}
