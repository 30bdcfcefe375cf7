// The page code: any bytes round-trip through encoder and decoder, the decoder consumes
// exactly the encoder's output, and decoding arbitrary bytes ends in bytes or a clear error.

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <vector>

#include "output/damaged_report.h"
#include "output/qr_compress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> input(data, data + size);
    {
        quillon::MemoryStream code;
        quillon::CompressBytes(input, code);
        if (code.Bytes().size() * 8 < input.size() || (input.empty() && !code.Bytes().empty())) {
            std::abort();
        }
        code.SetPosition(0);
        if (quillon::ExpandBytes(code, input.size()) != input) std::abort();
        if (code.Position() != static_cast<std::int64_t>(code.Bytes().size())) std::abort();
    }
    if (size >= 2) {
        // The first two bytes ask for a count of bytes from the code that follows.
        const std::size_t count = data[0] | static_cast<std::size_t>(data[1]) << 8;
        quillon::MemoryStream code(std::vector<std::uint8_t>(data + 2, data + size));
        try {
            const auto bytes = quillon::ExpandBytes(code, count);
            if (bytes.size() != count) std::abort();
        } catch (const quillon::EReadError&) {
        } catch (const quillon::EDamagedReport&) {
        }
    }
    return 0;
}
