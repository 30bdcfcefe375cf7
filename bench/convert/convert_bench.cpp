// Conversion throughput, all measured in this run on the same generated DOS text file:
// - `quillon-cli convert` to a file, as a user runs it (whole process), beside a plain
//   user-space copy of the file (`dd bs=128K`), with the ratio;
// - UTF-8 conversion beside `iconv -f MIK -t UTF-8`, with the ratio, like with like: both
//   whole processes writing a new file, and both writing to /dev/null;
// - ConvertTextFile in this process beside `cat` and `iconv -f MIK -t CP1251`;
// - the peak memory of `quillon-cli convert` on two file sizes (it must not grow with the file).
// Each figure is the best of several runs; whole processes are also given in user + system
// time, which other work on the machine disturbs less.
//
//   bench_convert [megabytes]        (default 256; the files are made in $TMPDIR)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/transcode/text_file.h"
#include "bench/support/bench_support.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string TempPath(const char* name) {
    const char* base = std::getenv("TMPDIR");
    return std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + name;
}

// DOS text: Cyrillic words, ASCII numbers and box-drawing frames, lines of 60..120 bytes, CR LF.
void GenerateDosText(const std::string& path, std::size_t bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::exit(1);
    std::mt19937 random(7);
    std::size_t written = 0;
    while (written < bytes) {
        const std::string line = quillon::bench::RandomDosLine(random, static_cast<char>(211)) + "\r\n";
        std::fwrite(line.data(), 1, line.size(), f);
        written += line.size();
    }
    std::fclose(f);
}

struct Result {
    double seconds;
    double cpuSeconds;  // user + system
    long peakKiB;
};

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Runs a program with stdin and stdout redirected; returns its wall time and peak RSS.
Result Spawn(const std::vector<std::string>& argv, const std::string& in, const std::string& out,
             int allowedStatus = 0) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!in.empty()) posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        std::fprintf(stderr, "cannot run %s\n", args[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != allowedStatus)) {
        std::fprintf(stderr, "%s failed\n", args[0]);
        std::exit(1);
    }
    return {seconds, Seconds(usage.ru_utime) + Seconds(usage.ru_stime), usage.ru_maxrss};
}

template <class F>
double BestOf(int runs, F f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) best = std::min(best, f());
    return best;
}

struct Job {
    std::vector<std::string> argv;
    std::string in;
    std::string out;
};

// The best wall and the best user + system time of each process over several rounds. The
// processes take turns, and the dirty pages of the previous one are written out before each
// starts, so that none pays for another's writing. Each writes a new `output`, as a user's
// conversion usually does: emptying the last one's file costs the file system more than the
// copy (ext4 writes a file emptied and written again back when it is closed).
std::vector<Result> Compare(int rounds, const std::string& output, const std::vector<Job>& jobs) {
    std::vector<Result> best(jobs.size(), Result{1e30, 1e30, 0});
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            std::remove(output.c_str());
            ::sync();
            const Result r = Spawn(jobs[j].argv, jobs[j].in, jobs[j].out);
            best[j].seconds = std::min(best[j].seconds, r.seconds);
            best[j].cpuSeconds = std::min(best[j].cpuSeconds, r.cpuSeconds);
            best[j].peakKiB = std::max(best[j].peakKiB, r.peakKiB);
        }
    }
    return best;
}

template <class F>
double TimeOf(F f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const std::size_t bytes = megabytes << 20;
    const std::string input = TempPath("quillon-bench-dos.txt");
    const std::string output = TempPath("quillon-bench-1251.txt");
    const std::string small = TempPath("quillon-bench-small.txt");
    GenerateDosText(input, bytes);
    GenerateDosText(small, bytes / 8);

    const std::string cli = std::string(QUILLON_BINARY_DIR) + "/app/quillon-cli";
    Spawn({"cat", input}, "", "/dev/null");  // warm the page cache
    const double mb = static_cast<double>(bytes) / (1 << 20);
    constexpr int kRuns = 5;

    // As a user meets it: the whole process, file to file; and UTF-8 beside iconv, to a file
    // and to /dev/null (the conversion without the kernel's writing).
    const std::vector<Result> files = Compare(kRuns, output, {
        {{"dd", "if=" + input, "of=" + output, "bs=128K", "status=none"}, "", "/dev/null"},
        {{cli, "convert", input, output}, "", "/dev/null"},
        {{"iconv", "-f", "MIK", "-t", "UTF-8"}, input, output},
        {{cli, "convert", "--to", "utf-8", input, output}, "", "/dev/null"},
        {{"iconv", "-f", "MIK", "-t", "UTF-8"}, input, "/dev/null"},
        {{cli, "convert", "--to", "utf-8", input, "-"}, "", "/dev/null"},
    });
    const Result& dd = files[0];
    const Result& tool = files[1];
    const Result& iconvUtf8 = files[2];
    const Result& toolUtf8 = files[3];
    const Result& iconvUtf8Null = files[4];
    const Result& toolUtf8Null = files[5];

    // In this process, to /dev/null.
    const double cat = BestOf(3, [&] { return Spawn({"cat", input}, "", "/dev/null").seconds; });
    const double iconv1251 = BestOf(3, [&] {
        // -c: the box-drawing bytes have no Windows-1251 character; iconv drops them and
        // exits with status 1.
        return Spawn({"iconv", "-c", "-f", "MIK", "-t", "CP1251"}, input, "/dev/null", 1).seconds;
    });
    const double toNull = BestOf(3, [&] { return TimeOf([&] { quillon::ConvertTextFile(input, "/dev/null"); }); });
    const double utf8ToNull = BestOf(3, [&] {
        return TimeOf([&] {
            quillon::ConvertTextFile(input, "/dev/null", {quillon::TextEncoding::kUtf8, quillon::LineEnd::kLf});
        });
    });
    const Result big = Spawn({cli, "convert", input, output}, "", "/dev/null");
    const Result little = Spawn({cli, "convert", small, output}, "", "/dev/null");

    std::printf("input: %.0f MB of DOS text\n\n", mb);
    std::printf("whole processes                              wall MB/s   user+sys MB/s\n");
    const auto row = [&](const char* what, const Result& r) {
        std::printf("%-44s %9.0f %13.0f\n", what, mb / r.seconds, mb / r.cpuSeconds);
    };
    const auto ratio = [&](const char* what, const Result& r, const Result& reference, const char* to) {
        std::printf("%-44s %9.2f x %s (wall), %.2f x %s (user+sys)\n", what,
                    reference.seconds / r.seconds, to, reference.cpuSeconds / r.cpuSeconds, to);
    };
    row("dd bs=128K, file to file", dd);
    row("quillon-cli convert, file to file", tool);
    row("iconv -f MIK -t UTF-8, file to file", iconvUtf8);
    row("quillon-cli convert --to utf-8, file to file", toolUtf8);
    row("iconv -f MIK -t UTF-8 > /dev/null", iconvUtf8Null);
    row("quillon-cli convert --to utf-8 > /dev/null", toolUtf8Null);
    ratio("quillon-cli convert", tool, dd, "dd");
    ratio("quillon-cli convert --to utf-8, to a file", toolUtf8, iconvUtf8, "iconv");
    ratio("quillon-cli convert --to utf-8 > /dev/null", toolUtf8Null, iconvUtf8Null, "iconv");
    std::printf("\n");

    std::printf("to /dev/null                             wall MB/s\n");
    std::printf("%-40s %9.0f\n", "cat", mb / cat);
    std::printf("%-40s %9.0f\n", "iconv -c -f MIK -t CP1251", mb / iconv1251);
    std::printf("%-40s %9.0f  (%.2f x cat, %.1f x iconv)\n", "ConvertTextFile", mb / toNull,
                cat / toNull, iconv1251 / toNull);
    std::printf("%-40s %9.0f  (%.1f x iconv > /dev/null)\n", "ConvertTextFile to UTF-8", mb / utf8ToNull,
                iconvUtf8Null.seconds / utf8ToNull);
    std::printf("%-40s %9ld KiB for %zu MB, %ld KiB for %zu MB\n", "quillon-cli convert peak RSS",
                big.peakKiB, megabytes, little.peakKiB, megabytes / 8);
    std::remove(input.c_str());
    std::remove(output.c_str());
    std::remove(small.c_str());
    return 0;
}
