#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quillon::testing {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it on destruction. It is
// readable and writable by every user, so that tests that drop privileges can use it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

void WriteFile(const std::string& path, std::string_view content);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// The number of entries in `folder`, hidden ones included.
std::size_t EntryCount(const std::string& folder);

// The standard output of a shell command; `status` receives its exit status when given.
std::string CommandOutput(const std::string& command, int* status = nullptr);

// Runs `body` in a child process as an unprivileged user (uid and gid 65534) when the tests
// run as root, so that permission checks really apply; as the current user otherwise. Returns
// what `body` returned, or -1 when the child died or could not drop its privileges.
int RunUnprivileged(const std::function<int()>& body);

// Runs `body` in a child process as the current user (for limits and signal settings that
// must not reach the test itself). Returns what `body` returned, or -1 when the child died.
int RunInChild(const std::function<int()>& body);

}  // namespace quillon::testing
