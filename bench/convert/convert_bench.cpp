// Conversion throughput: ConvertTextFile against `cat` and `iconv -f MIK -t CP1251` on the same
// generated DOS text file, all measured in this run, plus the peak memory of `quillon-cli
// convert` on two file sizes (it must not grow with the file).
//
//   bench_convert [megabytes]        (default 256; the file is made in $TMPDIR)

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
    long peakKiB;
};

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
    return {seconds, usage.ru_maxrss};
}

template <class F>
double BestOf(int runs, F f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) best = std::min(best, f());
    return best;
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
    const double cat = BestOf(3, [&] { return Spawn({"cat", input}, "", "/dev/null").seconds; });
    const double iconv = BestOf(3, [&] {
        // -c: the box-drawing bytes have no Windows-1251 character; iconv drops them and
        // exits with status 1.
        return Spawn({"iconv", "-c", "-f", "MIK", "-t", "CP1251"}, input, "/dev/null", 1).seconds;
    });
    const double toNull = BestOf(3, [&] {
        const auto start = Clock::now();
        quillon::ConvertTextFile(input, "/dev/null");
        return std::chrono::duration<double>(Clock::now() - start).count();
    });
    const double toFile = BestOf(3, [&] {
        const auto start = Clock::now();
        quillon::ConvertTextFile(input, output);
        return std::chrono::duration<double>(Clock::now() - start).count();
    });
    const Result big = Spawn({cli, "convert", input, output}, "", "/dev/null");
    const Result little = Spawn({cli, "convert", small, output}, "", "/dev/null");

    std::printf("input: %.0f MB of DOS text\n", mb);
    std::printf("%-40s %9.0f MB/s\n", "cat > /dev/null", mb / cat);
    std::printf("%-40s %9.0f MB/s\n", "iconv -c -f MIK -t CP1251 > /dev/null", mb / iconv);
    std::printf("%-40s %9.0f MB/s  (%.2f x cat, %.1f x iconv)\n", "ConvertTextFile -> /dev/null",
                mb / toNull, cat / toNull, iconv / toNull);
    std::printf("%-40s %9.0f MB/s\n", "ConvertTextFile -> file", mb / toFile);
    std::printf("%-40s %9ld KiB for %zu MB, %ld KiB for %zu MB\n", "quillon-cli convert peak RSS",
                big.peakKiB, megabytes, little.peakKiB, megabytes / 8);
    std::remove(input.c_str());
    std::remove(output.c_str());
    std::remove(small.c_str());
    return 0;
}
