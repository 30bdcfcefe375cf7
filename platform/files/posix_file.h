#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <sys/stat.h>

namespace quillon::posix {

// An owned file descriptor, closed on destruction. Errors raise EInOutError with the
// Windows-style code of the failure.
class File {
public:
    File() = default;
    // Takes over `fd`; `path` is the name errors are reported for.
    File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens an existing regular file for reading; other kinds of file are refused with code 5.
    static File OpenForReading(const std::string& path);
    // A descriptor of its own for standard input or output (fd 0 or 1), of any kind; `name` is
    // what errors are reported for.
    static File Standard(int fd, std::string name);

    int Descriptor() const noexcept { return fd_; }
    const std::string& Path() const noexcept { return path_; }
    struct stat Status() const;

    // Reads up to `size` bytes; 0 at the end of the file.
    std::size_t Read(void* buffer, std::size_t size);
    // Writes all `size` bytes, retrying short writes.
    void WriteAll(const void* buffer, std::size_t size);
    // Closes the descriptor and reports a failure of the close itself.
    void Close();
    // Hands the descriptor over to the caller, who closes it.
    int Release() noexcept;
    // Makes reads and writes wait again after an open that must not (a FIFO without a peer).
    void ClearNonBlocking() noexcept;

private:
    [[noreturn]] void Fail(int error) const;

    int fd_ = -1;
    std::string path_;
};

bool SameFile(const struct stat& a, const struct stat& b) noexcept;

// A name that opens what descriptor `fd` of this process has open, even a file that has no
// name in any folder: /proc/self/fd/FD.
std::string DescriptorPath(int fd);

}  // namespace quillon::posix
