#include "bench/support/bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "app/transcode/transcode.h"
#include "platform/core/cp1251.h"

extern char** environ;

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

CommandFigures RunCommand(const std::vector<std::string>& argv, const std::string& out) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    CommandFigures f;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return f;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return f;
    f.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    f.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    f.peakKiB = usage.ru_maxrss;
    return f;
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
