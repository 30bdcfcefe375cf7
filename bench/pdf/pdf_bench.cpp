// A DOS text file to PDF, as a user runs it: `quillon-cli print FILE --pdf OUT` for a tenth of,
// once and ten times the given number of lines (by default 10,000, 100,000 and 1,000,000): the
// time per line shows whether the cost is linear, the peak memory above a one-page print's
// whether it stays flat however long the text. Beside them in the same run: laying the pages
// out only (--qrp), at the given number of lines and ten times it, paps turning the same text
// (UTF-8) into PostScript, and Print to the CUPS queue "PDF" until the job is submitted (the
// job is cancelled right after; cups-pdf is not waited for).
//
//   bench_pdf [lines]
//
// Each figure is the fastest of three runs in fresh processes, with the largest peak of the
// three; times are wall clock and, as the machine may be busy, user + system CPU time.

#include <cups/cups.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "bench/support/bench_support.h"

namespace {

using Figures = quillon::bench::CommandFigures;

std::string TempPath(const std::string& name) {
    const char* base = std::getenv("TMPDIR");
    return std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + name;
}

// The fastest of three runs, with the largest peak among them.
Figures Best(const std::vector<std::string>& argv, const std::string& out = "/dev/null") {
    Figures best;
    long peak = 0;
    for (int i = 0; i < 3; ++i) {
        const Figures f = quillon::bench::RunCommand(argv, out);
        if (f.wall < 0) return f;
        peak = std::max(peak, f.peakKiB);
        if (best.wall < 0 || f.wall < best.wall) best = f;
    }
    best.peakKiB = peak;
    return best;
}

void Show(const char* what, const Figures& f, long baselineKiB) {
    if (f.wall < 0) {
        std::printf("%-34s did not run\n", what);
        return;
    }
    std::printf("%-34s %6.3f s wall, %6.3f s user+sys, peak %6.1f MB", what, f.wall, f.cpu,
                f.peakKiB / 1024.0);
    if (baselineKiB > 0)
        std::printf(" (%.1f MB above baseline)", (f.peakKiB - baselineKiB) / 1024.0);
    std::printf("\n");
}

// Cancels the queue's jobs titled `title` (this run's only).
void CancelJobs(const char* queue, const std::string& title) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs(&jobs, queue, 0, CUPS_WHICHJOBS_ACTIVE);
    for (int i = 0; i < count; ++i) {
        if (title == jobs[i].title) cupsCancelJob(queue, jobs[i].id);
    }
    cupsFreeJobs(count, jobs);
}

long FileBytes(const std::string& file) {
    std::FILE* probe = std::fopen(file.c_str(), "rb");
    if (probe == nullptr) return 0;
    std::fseek(probe, 0, SEEK_END);
    const long bytes = std::ftell(probe);
    std::fclose(probe);
    return bytes;
}

bool QueueExists(const char* queue) {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests(&dests);
    const bool found = cupsGetDest(queue, nullptr, count, dests) != nullptr;
    cupsFreeDests(count, dests);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = std::max(argc > 1 ? std::atoi(argv[1]) : 100000, 100);
    const std::string cli = QUILLON_CLI;
    const std::string tag = std::to_string(::getpid());
    const auto path = [&](const std::string& name) {
        return TempPath("quillon-bench-pdf-" + tag + "-" + name);
    };
    const std::string pdf = path("out.pdf");
    const std::string qrp = path("out.qrp");
    const std::string ps = path("out.ps");
    std::vector<std::string> files{pdf, qrp, ps};
    const auto text = [&](int count) {
        const std::string dos = path(std::to_string(count) + ".txt");
        const std::string utf8 = path(std::to_string(count) + "-utf8.txt");
        quillon::bench::WriteDosText(dos, utf8, count);
        files.push_back(dos);
        files.push_back(utf8);
        return std::make_pair(dos, utf8);
    };
    const auto tiny = text(10);
    const int counts[] = {lines / 10, lines, lines * 10};
    std::vector<std::pair<std::string, std::string>> texts;
    for (const int count : counts) texts.push_back(text(count));
    const std::string& big = texts[1].first;

    const Figures baseline = Best({cli, "print", tiny.first, "--pdf", pdf});
    std::printf("quillon-cli print, fastest of 3 runs each in a fresh process\n");
    Show("1 page to PDF (baseline):", baseline, 0);
    long pdfBytes = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const Figures f = Best({cli, "print", texts[i].first, "--pdf", pdf});
        Show((std::to_string(counts[i]) + " lines to PDF:").c_str(), f, baseline.peakKiB);
        if (f.wall > 0) {
            std::printf("%-34s %.2f us a line (CPU time less the baseline's)\n", "",
                        (f.cpu - baseline.cpu) / counts[i] * 1e6);
        }
        if (i == 1) pdfBytes = FileBytes(pdf);
    }
    std::printf("%-34s %.1f MB\n", (std::to_string(lines) + " lines, PDF size:").c_str(),
                pdfBytes / 1048576.0);
    for (std::size_t i = 1; i < texts.size(); ++i) {
        Show((std::to_string(counts[i]) + " lines laid out (--qrp):").c_str(),
             Best({cli, "print", texts[i].first, "--qrp", qrp}), baseline.peakKiB);
    }
    const Figures paps =
        Best({"paps", "--font=Courier New 10", "--paper=a4", "--top-margin=28",
              "--bottom-margin=28", "--left-margin=28", "--right-margin=28", texts[1].second},
             ps);
    Show("paps, same text -> PostScript:", paps, 0);

    const char* queue = "PDF";
    if (QueueExists(queue)) {
        // The job is named after the input file; the file's name is this run's own.
        const std::string title = big.substr(big.find_last_of('/') + 1);
        Figures submitted;
        for (int i = 0; i < 3; ++i) {
            const Figures f = quillon::bench::RunCommand({cli, "print", big, "--printer", queue});
            CancelJobs(queue, title);
            if (f.wall < 0) {
                submitted = f;
                break;
            }
            if (submitted.wall < 0 || f.wall < submitted.wall) submitted = f;
        }
        Show((std::to_string(lines) + " lines, Print -> job submitted:").c_str(), submitted,
             baseline.peakKiB);
    } else {
        std::printf("%-34s did not run: no CUPS queue \"%s\" (run under scripts/with-cups)\n",
                    "Print -> job submitted:", queue);
    }
    for (const std::string& file : files) std::remove(file.c_str());
    return 0;
}
