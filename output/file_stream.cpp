#include "output/file_stream.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace quillon {

std::string SystemErrorText(int error) {
    char buffer[256];
    // The GNU variant returns the text, which need not be in the buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
}

std::string TemporaryDirectory() {
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir != nullptr && *dir != '\0' ? dir : "/tmp";
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

FileStream::~FileStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<FileStream> FileStream::OpenForReading(const std::string& path) {
    // Non-blocking so that opening a FIFO cannot hang; only regular files are streams.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) throw EFOpenError(path, SystemErrorText(errno));
    std::unique_ptr<FileStream> file(new FileStream(fd, path));
    const struct stat st = file->Status();
    if (S_ISDIR(st.st_mode)) throw EFOpenError(path, SystemErrorText(EISDIR));
    if (!S_ISREG(st.st_mode)) throw EFOpenError(path, SystemErrorText(EACCES));
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return file;
}

std::unique_ptr<FileStream> FileStream::CreateUnique(const std::string& directory,
                                                     std::string_view prefix, mode_t mode,
                                                     const std::string& nameForErrors) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::string base = directory + "/" + std::string(prefix);
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        std::uint8_t random[6] = {};
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            error = errno;
            break;
        }
        std::string name = base;
        for (const std::uint8_t r : random) name += kLetters[r % (sizeof kLetters - 1)];
        const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0) return std::unique_ptr<FileStream>(new FileStream(fd, name));
        error = errno;
    }
    throw EFCreateError(nameForErrors.empty() ? base + "XXXXXX" : nameForErrors,
                        SystemErrorText(error));
}

struct stat FileStream::Status() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw EReadError();
    return st;
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
    auto* p = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, p + done, count - done, position_);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EReadError();
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        position_ += n;
    }
    return done;
}

std::size_t FileStream::Write(const void* buffer, std::size_t count) {
    const auto* p = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(fd_, p + done, count - done, position_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EWriteError();
        done += static_cast<std::size_t>(n);
        position_ += n;
    }
    return done;
}

std::int64_t FileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == SeekOrigin::kCurrent) base = position_;
    if (origin == SeekOrigin::kEnd) base = Status().st_size;
    const std::int64_t target = base + offset;
    if (target < 0) throw EReadError();
    position_ = target;
    return target;
}

void FileStream::SetSize(std::int64_t size) {
    while (::ftruncate(fd_, size) != 0) {
        if (errno != EINTR) throw EWriteError();
    }
}

void FileStream::Flush() {
    if (::fsync(fd_) != 0) throw EWriteError();
}

void FileStream::Close() {
    const int fd = std::exchange(fd_, -1);
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw EWriteError();
}

}  // namespace quillon
