#include "bench/support/bench_support.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace quillon::bench {

long StatusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t keyLength = std::strlen(key);
    while (std::getline(status, line)) {
        if (line.compare(0, keyLength, key) == 0) return std::atol(line.c_str() + keyLength + 1);
    }
    return -1;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::string RandomDosLine(std::mt19937& random, char bar) {
    std::string line;
    const std::size_t length = 60 + random() % 61;
    if (random() % 10 == 0) {
        line += static_cast<char>(195);
        while (line.size() < length - 1) line += static_cast<char>(196);
        line += static_cast<char>(180);
        return line;
    }
    line += bar;
    while (line.size() < length - 1) {
        const int word = static_cast<int>(random() % 8);
        const std::size_t wordLength = 2 + random() % 9;
        for (std::size_t i = 0; i < wordLength && line.size() < length - 1; ++i) {
            if (word < 5) {
                line += static_cast<char>(128 + random() % 64);  // letters
            } else if (word < 7) {
                line += static_cast<char>('0' + random() % 10);
            } else {
                line += static_cast<char>('a' + random() % 26);
            }
        }
        if (line.size() < length - 1) line += ' ';
    }
    line += bar;
    return line;
}

}  // namespace quillon::bench
