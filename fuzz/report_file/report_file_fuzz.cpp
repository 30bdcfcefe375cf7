// Report files are untrusted: loading one and reading every page, in both directions and
// from wherever the last read left the stream, must end in a picture or a clear error, never
// in a crash, a hang, a huge allocation or a read outside the file. A page read twice must
// give the same picture both times.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "output/qr_page_list.h"

namespace {

// The report file of this process, removed at exit.
struct ScratchFile {
    ScratchFile() {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") +
               "/quillon-fuzz-report-" + std::to_string(::getpid()) + ".qrp";
    }
    ~ScratchFile() { ::unlink(path.c_str()); }
    std::string path;
};

const std::string& FilePath() {
    static const ScratchFile file;
    return file.path;
}

void Read(quillon::TQRPageList& list, std::int32_t n,
          std::map<std::int32_t, std::vector<std::uint8_t>>& seen) {
    try {
        const auto page = list.ReadPage(n);
        if (page == nullptr) return;
        const auto [it, fresh] = seen.emplace(n, page->Bytes());
        if (!fresh && it->second != page->Bytes()) std::abort();
    } catch (const std::exception&) {
        // A damaged page: the error is the expected outcome.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(FilePath().c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);

    quillon::TQRPageList list;
    try {
        list.LoadReportFile(FilePath());
    } catch (const std::exception&) {
        if (list.Stream() != nullptr || list.PageCount() != 0) std::abort();
        return 0;
    }
    const std::int32_t count = list.PageCount();
    if (count < 1 || static_cast<std::size_t>(count) > size / 16) std::abort();
    std::map<std::int32_t, std::vector<std::uint8_t>> seen;
    for (std::int32_t n = 1; n <= count + 1; ++n) Read(list, n, seen);
    for (std::int32_t n = count; n >= 1; --n) Read(list, n, seen);
    // Jumps driven by the input's bytes.
    for (std::size_t i = 0; i < size && i < 64; ++i) Read(list, 1 + data[i] % count, seen);
    return 0;
}
