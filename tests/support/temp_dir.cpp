#include "tests/support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon::testing {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/quillon-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    ::chmod(path_.c_str(), 0777);
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Restore write access to folders that a test made read-only, then remove everything.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored)) ::chmod(it->path().c_str(), 0777);
    }
    ::chmod(path_.c_str(), 0777);
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::size_t EntryCount(const std::string& folder) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), {}));
}

namespace {

int RunForked(const std::function<int()>& body, bool dropPrivileges) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (dropPrivileges && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                ::setresuid(65534, 65534, 65534) != 0 || ::geteuid() == 0) {
                ::_exit(255);
            }
        }
        int result = 255;
        try {
            result = body();
        } catch (...) {
            result = 254;
        }
        ::_exit(result);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    const int code = WEXITSTATUS(status);
    return code >= 254 ? -1 : code;
}

}  // namespace

int RunUnprivileged(const std::function<int()>& body) { return RunForked(body, true); }

int RunInChild(const std::function<int()>& body) { return RunForked(body, false); }

std::string CommandOutput(const std::string& command, int* status) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (status != nullptr) *status = -1;
        return out;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int result = ::pclose(pipe);
    if (status != nullptr) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return out;
}

}  // namespace quillon::testing
