#include "bench/support/bench_support.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "app/transcode/transcode.h"
#include "platform/core/cp1251.h"

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

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

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

void WriteDosText(const std::string& dosPath, const std::string& utf8Path, int lines) {
    std::ofstream dos(dosPath, std::ios::binary);
    std::ofstream utf8(utf8Path, std::ios::binary);
    std::mt19937 random(11);
    for (int n = 0; n < lines; ++n) {
        // The bar byte 179 is a letter of the code page: these lines keep their letters.
        const std::string line = RandomDosLine(random, static_cast<char>(179));
        dos << line << "\r\n";
        utf8 << Cp1251ToUtf8(NormaliseForPrint(line)) << '\n';
    }
}

}  // namespace quillon::bench
