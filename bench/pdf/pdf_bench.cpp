// A DOS text file to PDF, as a user runs it: `quillon-cli print FILE --pdf OUT` for 100,000
// and 10,000 lines (time per line shows whether the cost is linear), the peak memory above a
// one-page print's, and beside them in the same run: laying the pages out only (--qrp), paps
// turning the same text (UTF-8) into PostScript, and Print to the CUPS queue "PDF" until the
// job is submitted (the job is cancelled right after; cups-pdf is not waited for).
//
//   bench_pdf [lines]
//
// Each figure is the fastest of three runs in fresh processes; times are wall clock and, as
// the machine may be busy, user + system CPU time.

#include <cups/cups.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
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
    const std::string big = TempPath("quillon-bench-pdf-" + tag + ".txt");
    const std::string bigUtf8 = TempPath("quillon-bench-pdf-" + tag + "-utf8.txt");
    const std::string small = TempPath("quillon-bench-pdf-small-" + tag + ".txt");
    const std::string smallUtf8 = TempPath("quillon-bench-pdf-small-" + tag + "-utf8.txt");
    const std::string tiny = TempPath("quillon-bench-pdf-tiny-" + tag + ".txt");
    const std::string tinyUtf8 = TempPath("quillon-bench-pdf-tiny-" + tag + "-utf8.txt");
    const std::string pdf = TempPath("quillon-bench-pdf-" + tag + ".pdf");
    const std::string qrp = TempPath("quillon-bench-pdf-" + tag + ".qrp");
    const std::string ps = TempPath("quillon-bench-pdf-" + tag + ".ps");
    quillon::bench::WriteDosText(big, bigUtf8, lines);
    quillon::bench::WriteDosText(small, smallUtf8, lines / 10);
    quillon::bench::WriteDosText(tiny, tinyUtf8, 10);

    const Figures baseline = Best({cli, "print", tiny, "--pdf", pdf});
    const Figures bigPdf = Best({cli, "print", big, "--pdf", pdf});
    std::FILE* probe = std::fopen(pdf.c_str(), "rb");
    long pdfBytes = 0;
    if (probe != nullptr) {
        std::fseek(probe, 0, SEEK_END);
        pdfBytes = std::ftell(probe);
        std::fclose(probe);
    }
    const Figures smallPdf = Best({cli, "print", small, "--pdf", pdf});
    const Figures layout = Best({cli, "print", big, "--qrp", qrp});
    const Figures paps =
        Best({"paps", "--font=Courier New 10", "--paper=a4", "--top-margin=28",
              "--bottom-margin=28", "--left-margin=28", "--right-margin=28", bigUtf8},
             ps);

    std::printf("quillon-cli print, fastest of 3 runs each in a fresh process\n");
    Show("1 page to PDF (baseline):", baseline, 0);
    Show((std::to_string(lines / 10) + " lines to PDF:").c_str(), smallPdf, baseline.peakKiB);
    Show((std::to_string(lines) + " lines to PDF:").c_str(), bigPdf, baseline.peakKiB);
    std::printf("%-34s %.1f MB\n", "  PDF size:", pdfBytes / 1048576.0);
    if (smallPdf.wall > 0 && bigPdf.wall > 0) {
        std::printf("%-34s %.2f us at %d lines, %.2f us at %d lines (CPU time less the baseline)\n",
                    "  cost per line:", (smallPdf.cpu - baseline.cpu) / (lines / 10) * 1e6,
                    lines / 10, (bigPdf.cpu - baseline.cpu) / lines * 1e6, lines);
    }
    Show((std::to_string(lines) + " lines laid out (--qrp):").c_str(), layout, baseline.peakKiB);
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
    for (const std::string& path : {big, bigUtf8, small, smallUtf8, tiny, tinyUtf8, pdf, qrp, ps}) {
        std::remove(path.c_str());
    }
    return 0;
}
