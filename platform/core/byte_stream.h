#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon {

// Errors of byte streams and the files behind them, with the runtime's messages:
// "Stream read error", "Stream write error", "Cannot create file "%s". %s",
// "Cannot open file "%s". %s".
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
};
class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
};
class EFCreateError : public EStreamError {
public:
    EFCreateError(const std::string& fileName, const std::string& reason)
        : EStreamError("Cannot create file \"" + fileName + "\". " + reason) {}
};
class EFOpenError : public EStreamError {
public:
    EFOpenError(const std::string& fileName, const std::string& reason)
        : EStreamError("Cannot open file \"" + fileName + "\". " + reason) {}
};

enum class SeekOrigin { kBegin, kCurrent, kEnd };

// A seekable byte stream. Read and Write return the bytes moved, which may be fewer than asked
// at the end of the stream; ReadExact and WriteExact raise EReadError / EWriteError instead.
class ByteStream {
public:
    virtual ~ByteStream() = default;

    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::kCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::kBegin); }
    std::int64_t Size();

    void ReadExact(void* buffer, std::size_t count);
    void WriteExact(const void* buffer, std::size_t count);

    std::int32_t ReadInt32();  // little-endian
    void WriteInt32(std::int32_t value);
};

// A stream in memory.
class MemoryStream : public ByteStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t> TakeBytes() { position_ = 0; return std::move(bytes_); }
    void Clear() { bytes_.clear(); position_ = 0; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace quillon
