// Page store figures: appends and reads of many realistic text pages (60 lines of report text
// each, recorded as EMF by the recording canvas), with and without compression, the cost of the
// walks, the compression ratio and speed, and the process's peak memory, which must stay near the
// memory limit plus one page whatever the page count.
//
//   bench_page_store [pages]     (default 10000; temporary files go to $TMPDIR)

#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "output/qr_compress.h"
#include "output/qr_page_list.h"
#include "platform/core/emf_recorder.h"

namespace {

using Clock = std::chrono::steady_clock;
using quillon::TQRPageList;

constexpr std::int32_t kMemoryLimit = 250000;
constexpr int kLinesPerPage = 60;

// One line of a DOS report after conversion: Windows-1251 letters, table rules drawn with
// "+", "-" and "|", numbers that change from line to line.
std::string ReportLine(int page, int line, unsigned& seed) {
    static constexpr std::string_view kWords[] = {"\xD4\xE0\xEA\xF2\xF3\xF0\xE0",
                                                  "\xD1\xEE\xF4\xE8\xFF",
                                                  "\xEF\xEB\xE0\xF2\xE5\xED\xEE",
                                                  "\xF1\xF3\xEC\xE0",
                                                  "\xCF\xEB\xEE\xE2\xE4\xE8\xE2",
                                                  "\xE4\xEE\xF1\xF2\xE0\xE2\xEA\xE0",
                                                  "\xEA\xEB\xE8\xE5\xED\xF2",
                                                  "\xF1\xEC\xE5\xF2\xEA\xE0",
                                                  "\xC4\xC4\xD1",
                                                  "\xEA\xE3"};
    if (line % 20 == 0)
        return "+" + std::string(20, '-') + "+" + std::string(50, '-') + "+" +
               std::string(14, '-') + "+";
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    std::string text = "| " + std::to_string(page) + "/" + std::to_string(line);
    text.resize(21, ' ');
    text += "| ";
    while (text.size() < 70) {
        text += kWords[next() % std::size(kWords)];
        text += ' ';
    }
    text.resize(72, ' ');
    text += "| ";
    std::string amount = std::to_string(next() % 1000000) + "." + std::to_string(10 + next() % 90);
    text += std::string(12 - std::min<std::size_t>(12, amount.size()), ' ') + amount + " |";
    return text;
}

// A page as the report printer records it: an A4 page at 96 pixels per inch with 60 lines of
// Courier New 10 pt from the top margin, measured by the installed (headless) measurer.
std::unique_ptr<quillon::PagePicture> RecordPage(int page) {
    quillon::EmfRecordingCanvas canvas(794, 1123);
    quillon::FontSpec font;
    font.face = "Courier New";
    font.size = 10;
    canvas.SetFont(font);
    canvas.SetBackgroundTransparent(true);
    unsigned seed = static_cast<unsigned>(page) * 2654435761u;
    const int lineHeight = canvas.Metrics().Height();
    for (int line = 0; line < kLinesPerPage; ++line) {
        canvas.TextOut(38, 38 + line * lineHeight, ReportLine(page, line, seed));
    }
    return canvas.Finish();
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string Fixed(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

void Line(const char* label, const std::string& value) {
    std::printf("  %-44s %s\n", label, value.c_str());
}

struct ReadFigures {
    double pagesPerSecond = 0;
    double medianMicroseconds = 0;
    double p99Microseconds = 0;
    double worstMicroseconds = 0;
    std::uint64_t worstSteps = 0;
    std::uint64_t totalSteps = 0;
};

ReadFigures ReadInOrder(TQRPageList& list, const std::vector<std::int32_t>& order,
                        std::size_t& bytes) {
    ReadFigures figures;
    std::vector<double> times;
    times.reserve(order.size());
    const auto start = Clock::now();
    for (const std::int32_t n : order) {
        const std::uint64_t stepsBefore = list.ChainSteps();
        const auto t0 = Clock::now();
        const auto page = list.ReadPage(n);
        const double us = Seconds(Clock::now() - t0) * 1e6;
        bytes += page->ByteLength();
        times.push_back(us);
        figures.worstSteps = std::max(figures.worstSteps, list.ChainSteps() - stepsBefore);
    }
    figures.pagesPerSecond = static_cast<double>(order.size()) / Seconds(Clock::now() - start);
    std::sort(times.begin(), times.end());
    figures.medianMicroseconds = times[times.size() / 2];
    figures.p99Microseconds = times[times.size() * 99 / 100];
    figures.worstMicroseconds = times.back();
    return figures;
}

void Run(int pages, bool compressed) {
    std::printf("\n%s, %d pages of %d lines, memory limit %d bytes\n",
                compressed ? "Compressed" : "Uncompressed", pages, kLinesPerPage, kMemoryLimit);
    TQRPageList list;
    list.SetCompression(compressed);
    list.SetStream(std::make_unique<quillon::TQRStream>(kMemoryLimit));

    // Pages are made one at a time, as a report run records them, so that only one lives.
    std::size_t pictureBytes = 0;
    Clock::duration appending{};
    for (int n = 1; n <= pages; ++n) {
        const auto page = RecordPage(n);
        pictureBytes += page->ByteLength();
        const auto t0 = Clock::now();
        list.AppendPage(*page);
        appending += Clock::now() - t0;
    }
    list.WriteHeader();
    const std::int64_t streamBytes = list.Stream()->Size();
    Line("append", Fixed(pages / Seconds(appending), 0) + " pages/s");
    Line("average page picture",
         Fixed(static_cast<double>(pictureBytes) / pages / 1024, 1) + " KiB");
    Line("stream size", Fixed(static_cast<double>(streamBytes) / (1 << 20), 1) + " MiB" +
                            (list.Stream()->InMemory() ? " (memory)" : " (temporary file)"));
    if (compressed) {
        Line("compression ratio (pictures : stream)",
             Fixed(static_cast<double>(pictureBytes) / static_cast<double>(streamBytes), 2) +
                 " : 1");
    }

    std::vector<std::int32_t> forward(static_cast<std::size_t>(pages));
    std::iota(forward.begin(), forward.end(), 1);
    std::vector<std::int32_t> backward(forward.rbegin(), forward.rend());
    std::vector<std::int32_t> shuffled = forward;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));
    struct Order {
        const char* name;
        const std::vector<std::int32_t>* pages;
    };
    for (const Order& order : {Order{"first to last", &forward}, Order{"last to first", &backward},
                               Order{"random order", &shuffled}}) {
        std::size_t bytes = 0;
        const ReadFigures f = ReadInOrder(list, *order.pages, bytes);
        if (bytes != pictureBytes)
            std::printf("  !! read %zu bytes, appended %zu\n", bytes, pictureBytes);
        const std::string label = std::string("read ") + order.name;
        Line(label.c_str(), Fixed(f.pagesPerSecond, 0) + " pages/s");
        Line("  one read: median / 99% / worst", Fixed(f.medianMicroseconds, 0) + " / " +
                                                     Fixed(f.p99Microseconds, 0) + " / " +
                                                     Fixed(f.worstMicroseconds, 0) + " us; worst " +
                                                     std::to_string(f.worstSteps) + " chain steps");
    }
    Line("peak memory of the process so far", Fixed(PeakKiB() / 1024.0, 1) + " MiB");
}

void CodeSpeed() {
    std::vector<std::uint8_t> data;
    for (int n = 1; n <= 200; ++n) {
        const auto page = RecordPage(n);
        data.insert(data.end(), page->Bytes().begin(), page->Bytes().end());
    }
    quillon::MemoryStream code;
    auto t0 = Clock::now();
    quillon::CompressBytes(data, code);
    const double encode = Seconds(Clock::now() - t0);
    code.SetPosition(0);
    t0 = Clock::now();
    const auto decoded = quillon::ExpandBytes(code, data.size());
    const double decode = Seconds(Clock::now() - t0);
    const double mb = static_cast<double>(data.size()) / 1e6;
    std::printf("\nPage code over %s MB of page pictures\n", Fixed(mb, 1).c_str());
    Line("encoder", Fixed(mb / encode, 1) + " MB/s of pictures");
    Line("decoder", Fixed(mb / decode, 1) + " MB/s of pictures");
    Line("ratio", Fixed(mb * 1e6 / static_cast<double>(code.Bytes().size()), 2) + " : 1" +
                      (decoded == data ? "" : " !! round trip failed"));
}

}  // namespace

int main(int argc, char** argv) {
    int pages = 10000;
    if (argc > 1) {
        const std::string_view arg(argv[1]);
        if (std::from_chars(arg.data(), arg.data() + arg.size(), pages).ec != std::errc() ||
            pages < 1) {
            std::fprintf(stderr, "usage: bench_page_store [pages]\n");
            return 2;
        }
    }
    std::printf("Peak memory at start: %s MiB\n", Fixed(PeakKiB() / 1024.0, 1).c_str());
    Run(pages, false);
    Run(pages, true);
    CodeSpeed();
    std::printf("\nPeak memory of the process: %s MiB\n", Fixed(PeakKiB() / 1024.0, 1).c_str());
    return 0;
}
