#include "tests/support/process_files.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace quillon::testing {

std::vector<OpenFile> OpenFilesIn(pid_t pid, const std::string& folder) {
    std::vector<OpenFile> files;
    std::error_code error;
    const std::string prefix = folder + "/";
    for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string target = std::filesystem::read_symlink(it->path(), error).string();
        if (!error && target.rfind(prefix, 0) == 0) files.push_back({it->path().string(), target});
        error.clear();
    }
    return files;
}

bool WaitForOpenFiles(pid_t pid, const std::string& folder, std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (OpenFilesIn(pid, folder).size() >= count) return true;
        std::error_code error;
        if (!std::filesystem::exists("/proc/" + std::to_string(pid) + "/fd", error)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

}  // namespace quillon::testing
