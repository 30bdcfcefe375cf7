#pragma once

// Helpers the benchmarks share: memory figures of the process, a count of its allocations, and
// realistic DOS text.

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace quillon::bench {

// kB from a "Key:   1234 kB" line of /proc/self/status ("VmRSS:", "VmHWM:"), -1 if absent.
long StatusKiB(const char* key);

// Resets the peak resident size to the present one.
void ResetPeak();

// Allocations made by the process so far (operator new), when the benchmark links the
// counting operators (allocation_counter.cpp); 0 otherwise.
long long AllocationCount();

// One line of DOS text as reports of the period look: 60 to 120 bytes of Cyrillic words,
// numbers and Latin words between frame bars (bar byte `bar`), or a frame line of 196s.
std::string RandomDosLine(std::mt19937& random, char bar);

// What running a command cost: wall-clock seconds (negative when it failed or could not
// start), user + system CPU seconds and its peak resident size.
struct CommandFigures {
    double wall = -1;
    double cpu = 0;
    long peakKiB = 0;
};

// Runs `argv` (looked up in PATH) with standard output to `out` and standard error discarded.
CommandFigures RunCommand(const std::vector<std::string>& argv,
                          const std::string& out = "/dev/null");

// Writes `lines` such lines (bar byte 179, a letter of the code page) as a DOS file with CR LF
// ends, and the same lines as the program prints them, in UTF-8, for tools that read UTF-8.
void WriteDosText(const std::string& dosPath, const std::string& utf8Path, int lines);

}  // namespace quillon::bench
