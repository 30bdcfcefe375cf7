#include "platform/files/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include "platform/files/in_out_error.h"

namespace quillon::posix {

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

void File::Fail(int error) const { RaiseInOutError(error, path_); }

File File::OpenForReading(const std::string& path) {
    if (path.empty()) throw EInOutError(kPathNotFound, path);
    // Non-blocking so that opening a FIFO cannot hang; only regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) RaiseInOutError(errno, path);
    File file(fd, path);
    const struct stat st = file.Status();
    if (!S_ISREG(st.st_mode)) {
        throw EInOutError(kAccessDenied, path, S_ISDIR(st.st_mode) ? EISDIR : EACCES);
    }
    file.ClearNonBlocking();
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return file;
}

File File::Standard(int fd, std::string name) {
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (own < 0) RaiseInOutError(errno, name);
    return File(own, std::move(name));
}

struct stat File::Status() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) Fail(errno);
    return st;
}

std::size_t File::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) Fail(errno);
    }
}

void File::WriteAll(const void* buffer, std::size_t size) {
    const auto* p = static_cast<const char*>(buffer);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        if (n == 0) Fail(ENOSPC);
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

void File::Close() {
    const int fd = std::exchange(fd_, -1);
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) Fail(errno);
}

int File::Release() noexcept { return std::exchange(fd_, -1); }

void File::ClearNonBlocking() noexcept {
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

bool SameFile(const struct stat& a, const struct stat& b) noexcept {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string DescriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

}  // namespace quillon::posix
