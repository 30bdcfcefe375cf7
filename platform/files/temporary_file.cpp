#include "platform/files/temporary_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "platform/files/in_out_error.h"
#include "platform/files/termination_cleanup.h"

namespace quillon {

namespace {

std::atomic<bool> g_forceNamed{false};

// Errors with which open(2) says that a file system or kernel cannot make unnamed files.
bool NoUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// False while tests make every file go the way of file systems without unnamed files.
bool UnnamedFilesWanted() noexcept { return !g_forceNamed.load(std::memory_order_relaxed); }

}  // namespace

void ForceNamedTemporaryFilesForTesting(bool force) noexcept {
    g_forceNamed.store(force, std::memory_order_relaxed);
}

std::string TemporaryDirectory() {
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir != nullptr && *dir != '\0' ? dir : "/tmp";
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string RandomName(const std::string& directory, std::string_view prefix) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[6] = {};
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        // Without the system's random source the names still differ from try to try.
        static std::atomic<unsigned> counter{0};
        const unsigned seed = static_cast<unsigned>(::getpid()) * 2654435761u + ++counter;
        for (std::size_t i = 0; i < sizeof random; ++i) random[i] = static_cast<unsigned char>(seed >> (i * 5));
    }
    std::string name = directory + "/" + std::string(prefix);
    for (const unsigned char r : random) name += kLetters[r % (sizeof kLetters - 1)];
    return name;
}

posix::File CreatePrivateFile(const std::string& directory, std::string_view prefix, int access,
                              bool unnamed, const std::function<void(const std::string&)>& named,
                              const std::string& nameForErrors) {
    if (unnamed && UnnamedFilesWanted()) {
        const int fd = ::open(directory.c_str(), O_TMPFILE | access | O_CLOEXEC, 0600);
        if (fd >= 0) return posix::File(fd, nameForErrors);
        if (!NoUnnamedFiles(errno)) RaiseInOutError(errno, nameForErrors);
    }
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        const std::string name = RandomName(directory, prefix);
        TerminationSignalsHeld held;
        const int fd = ::open(name.c_str(), access | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW,
                              0600);
        if (fd >= 0) {
            named(name);
            return posix::File(fd, nameForErrors);
        }
        error = errno;
    }
    RaiseInOutError(error, nameForErrors);
}

posix::File CreateUnnamedFile(const std::string& directory, std::string_view prefix) {
    return CreatePrivateFile(directory, prefix, O_RDWR, true,
                             [](const std::string& name) { ::unlink(name.c_str()); },
                             directory + "/" + std::string(prefix));
}

}  // namespace quillon
