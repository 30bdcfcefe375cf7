#pragma once

#include <sys/stat.h>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/byte_stream.h"
#include "platform/files/output_file.h"

namespace quillon {

// A byte stream on an open file. Reads and writes go to the file at the stream's own
// position; failures of the system raise EReadError or EWriteError.
class FileStream : public ByteStream {
public:
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // Opens an existing regular file for reading only; raises EFOpenError.
    static std::unique_ptr<FileStream> OpenForReading(const std::string& path);

    // A new file without a name in the temporary folder, private to its owner, which the
    // system frees however the process ends (CreateUnnamedFile). Raises EFCreateError naming
    // "<folder>/<prefix>XXXXXX".
    static std::unique_ptr<FileStream> CreateTemporary(std::string_view prefix);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    // Cuts or extends the file to `size` bytes; the position stays.
    void SetSize(std::int64_t size);
    // Waits until the written bytes are on the device.
    void Flush();
    // Closes the file, reporting a failure of the close itself as a write error.
    void Close();

    const std::string& Path() const { return path_; }
    int Descriptor() const { return fd_; }
    struct stat Status() const;

private:
    FileStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    int fd_;
    std::string path_;
    std::int64_t position_ = 0;
};

// A stream that writes an OutputFile from its start to its end: what a copy needs. Reading,
// and moving anywhere but to the end, raise EReadError; a failed write raises EWriteError.
class OutputFileStream : public ByteStream {
public:
    explicit OutputFileStream(OutputFile& file) : file_(file) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

private:
    OutputFile& file_;
};

// The system's text for an error number.
std::string SystemErrorText(int error);

}  // namespace quillon
