#include "output/file_stream.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/files/in_out_error.h"
#include "platform/files/temporary_file.h"

namespace quillon {

std::string SystemErrorText(int error) {
    char buffer[256];
    // The GNU variant returns the text, which need not be in the buffer.
    return ::strerror_r(error, buffer, sizeof buffer);
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

std::unique_ptr<FileStream> FileStream::CreateTemporary(std::string_view prefix) {
    const std::string folder = TemporaryDirectory();
    try {
        posix::File file = CreateUnnamedFile(folder, prefix);
        return std::unique_ptr<FileStream>(new FileStream(file.Release(), folder + "/" + std::string(prefix)));
    } catch (const EInOutError& e) {
        throw EFCreateError(folder + "/" + std::string(prefix) + "XXXXXX",
                            SystemErrorText(e.SystemError()));
    }
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

std::size_t OutputFileStream::Read(void*, std::size_t) { throw EReadError(); }

std::size_t OutputFileStream::Write(const void* buffer, std::size_t count) {
    try {
        file_.Write(buffer, count);
    } catch (const EInOutError&) {
        throw EWriteError();
    }
    return count;
}

std::int64_t OutputFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    const std::int64_t end = file_.Size();
    const std::int64_t target = origin == SeekOrigin::kBegin ? offset : end + offset;
    if (target != end) throw EReadError();
    return end;
}

}  // namespace quillon
