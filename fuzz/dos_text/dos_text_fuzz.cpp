// DOS text and settings values: the line scanner must give the same lines however the input is
// split into buffers, and the integer reader must never misbehave.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings/print_settings.h"
#include "app/transcode/line_scanner.h"
#include "app/transcode/transcode.h"

namespace {

struct Collect {
    std::vector<std::string> lines;
    std::string current;
    void Bytes(const std::uint8_t* p, std::size_t n) { current.append(reinterpret_cast<const char*>(p), n); }
    bool EndLine() {
        lines.push_back(current);
        current.clear();
        return true;
    }
};

std::vector<std::string> Scan(const std::uint8_t* data, std::size_t size, std::size_t piece) {
    quillon::DosLineScanner scanner;
    Collect sink;
    for (std::size_t at = 0; at < size; at += piece) {
        scanner.Feed(data + at, std::min(piece, size - at), sink);
    }
    scanner.Finish(sink);
    return sink.lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto whole = Scan(data, size, size == 0 ? 1 : size);
    const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 17;
    if (Scan(data, size, piece) != whole) std::abort();
    for (const auto& line : whole) {
        if (line.find_first_of(std::string_view("\n\r\x1A", 3)) != std::string::npos) std::abort();
        if (quillon::ShiftDosLetters(line).size() != line.size()) std::abort();
    }
    const std::string_view text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 64));
    (void)quillon::ParseProfileInteger(text, 10);
    return 0;
}
