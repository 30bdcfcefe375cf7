// Report generation: the program's report turns a DOS text file into recorded pages, as
// Print does (lines read and print-normalised into the memo, then one generation run on a
// recording report printer whose pages spill to a temporary file). Figures for 100,000 lines
// and for 10,000 (the cost must be linear), the peak memory above the process's baseline,
// and, in the same run, paps and enscript turning the same text (as UTF-8) into PostScript.
//
//   bench_report [lines] [--headless]
//
// Text is measured with the real fonts (Qt, offscreen) unless --headless asks for the
// fixed-pitch measurer.

#include <QGuiApplication>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/support/bench_support.h"
#include "app/transcode/text_file.h"
#include "app/transcode/transcode.h"
#include "platform/core/cp1251.h"
#include "platform/qt/qt_platform.h"
#include "report/program_report.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string TempPath(const std::string& name) {
    const char* base = std::getenv("TMPDIR");
    return std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + name;
}

struct Run {
    int lines = 0;
    int pages = 0;
    double readSeconds = 0;
    double generateSeconds = 0;
    long baselineKiB = 0;
    long peakAboveKiB = 0;
};

Run GenerateOnce(const std::string& dosPath, int lines) {
    Run run;
    run.lines = lines;
    quillon::bench::ResetPeak();
    run.baselineKiB = quillon::bench::StatusKiB("VmRSS:");

    quillon::ProgramReport program;
    const auto start = Clock::now();
    program.Memo().ClearLines();
    quillon::DosTextReader reader(dosPath);
    quillon::Line line;
    while (reader.ReadLine(line)) program.Memo().AddLine(quillon::NormaliseForPrint(line));
    const auto read = Clock::now();

    quillon::TRozerEdedid& report = program.Report();
    report.SetQRPrinter(std::make_unique<quillon::TQRPrinter>(&report));
    report.GenerateReport(false);
    const auto generated = Clock::now();

    run.pages = report.QRPrinter()->PageTotal();
    run.readSeconds = std::chrono::duration<double>(read - start).count();
    run.generateSeconds = std::chrono::duration<double>(generated - read).count();
    run.peakAboveKiB = quillon::bench::StatusKiB("VmHWM:") - run.baselineKiB;
    return run;
}

double Spawn(const std::vector<std::string>& argv, const std::string& out) {
    return quillon::bench::RunCommand(argv, out).wall;
}

void Print(const Run& run) {
    const double total = run.readSeconds + run.generateSeconds;
    std::printf(
        "%7d lines -> %5d pages: read %.3f s, generate %.3f s (%.0f pages/s, %.0f lines/s), "
        "total %.3f s; peak %.1f MB above baseline\n",
        run.lines, run.pages, run.readSeconds, run.generateSeconds, run.pages / run.generateSeconds,
        run.lines / run.generateSeconds, total, run.peakAboveKiB / 1024.0);
}

// One measurement in a fresh process, so that each peak is measured from its own baseline:
// bench_report --run DOSFILE LINES [--headless] prints "lines pages read generate peakKiB".
int RunChild(const std::string& dosPath, int lines) {
    const std::string warmDos = dosPath + ".warm";
    const std::string warmUtf8 = dosPath + ".warm-utf8";
    quillon::bench::WriteDosText(warmDos, warmUtf8, 300);  // fonts and caches
    GenerateOnce(warmDos, 300);
    std::remove(warmDos.c_str());
    std::remove(warmUtf8.c_str());
    const Run run = GenerateOnce(dosPath, lines);
    std::printf("%d %d %.6f %.6f %ld\n", run.lines, run.pages, run.readSeconds, run.generateSeconds,
                run.peakAboveKiB);
    return 0;
}

// The fastest of `times` runs in fresh processes, with the largest peak among them.
Run Measure(const std::string& self, const std::string& dosPath, int lines, bool headless,
            int times) {
    const std::string out = TempPath("quillon-bench-report-result.txt");
    Run best;
    best.generateSeconds = 1e30;
    long peak = 0;
    for (int i = 0; i < times; ++i) {
        std::vector<std::string> args{self, "--run", dosPath, std::to_string(lines)};
        if (headless) args.emplace_back("--headless");
        if (Spawn(args, out) < 0) {
            std::fprintf(stderr, "the measuring run failed\n");
            std::exit(1);
        }
        Run run;
        std::FILE* f = std::fopen(out.c_str(), "r");
        if (f == nullptr ||
            std::fscanf(f, "%d %d %lf %lf %ld", &run.lines, &run.pages, &run.readSeconds,
                        &run.generateSeconds, &run.peakAboveKiB) != 5) {
            std::fprintf(stderr, "the measuring run gave no figures\n");
            std::exit(1);
        }
        std::fclose(f);
        peak = std::max(peak, run.peakAboveKiB);
        if (run.generateSeconds < best.generateSeconds) best = run;
    }
    std::remove(out.c_str());
    best.peakAboveKiB = peak;
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    int lines = 100000;
    bool headless = false;
    std::string runFile;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) {
            headless = true;
        } else if (std::strcmp(argv[i], "--run") == 0 && i + 1 < argc) {
            runFile = argv[++i];
        } else {
            lines = std::atoi(argv[i]);
        }
    }
    if (lines < 10) lines = 10;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    std::unique_ptr<quillon::QtPlatform> platform;
    if (!headless) platform = quillon::InstallQtPlatform();
    if (!runFile.empty()) return RunChild(runFile, lines);

    const std::string bigDos = TempPath("quillon-bench-report.txt");
    const std::string bigUtf8 = TempPath("quillon-bench-report-utf8.txt");
    const std::string smallDos = TempPath("quillon-bench-report-small.txt");
    const std::string smallUtf8 = TempPath("quillon-bench-report-small-utf8.txt");
    const std::string ps = TempPath("quillon-bench-report.ps");
    quillon::bench::WriteDosText(bigDos, bigUtf8, lines);
    quillon::bench::WriteDosText(smallDos, smallUtf8, lines / 10);

    std::printf("text measured with %s; fastest of 3 runs, each in a fresh process\n",
                headless ? "the headless fixed-pitch measurer" : "the real fonts (Qt, offscreen)");
    const std::string self = "/proc/self/exe";
    const std::string exe = std::filesystem::read_symlink(self).string();
    const Run big = Measure(exe, bigDos, lines, headless, 3);
    const Run small = Measure(exe, smallDos, lines / 10, headless, 3);
    Print(small);
    Print(big);
    std::printf("cost per line: %.2f us at %d lines, %.2f us at %d lines\n",
                small.generateSeconds / small.lines * 1e6, small.lines,
                big.generateSeconds / big.lines * 1e6, big.lines);

    const double quillonTotal = big.readSeconds + big.generateSeconds;
    const auto compare = [quillonTotal](const char* what, double seconds) {
        if (seconds < 0) {
            std::printf("%-24s did not run\n", what);
            return;
        }
        std::printf("%-24s %.3f s; Quillon (read + generate) is %.1f x %s\n", what, seconds,
                    seconds >= quillonTotal ? seconds / quillonTotal : quillonTotal / seconds,
                    seconds >= quillonTotal ? "faster" : "slower");
    };
    compare("paps -> PostScript:",
            Spawn({"paps", "--font=Courier New 10", "--paper=a4", "--top-margin=28",
                   "--bottom-margin=28", "--left-margin=28", "--right-margin=28", bigUtf8},
                  ps));
    compare("enscript -> PostScript:", Spawn({"enscript", "-q", "-B", "-f", "Courier10", "-M", "A4",
                                              "--margins=28:28:28:28", "-o", "-", bigUtf8},
                                             ps));
    for (const std::string& path : {bigDos, bigUtf8, smallDos, smallUtf8, ps}) {
        std::remove(path.c_str());
    }
    return 0;
}
