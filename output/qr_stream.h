#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "output/file_stream.h"
#include "platform/core/byte_stream.h"

namespace quillon {

// The byte stream that holds the pages of one report run or one loaded report file. It stays
// in memory until it grows past its memory limit, then moves into a temporary file in the
// temporary folder ($TMPDIR, else /tmp), readable by the owner only, that has no name: the
// system frees it when the stream closes it or the process ends in any way. A stream opened on
// a report file reads that file in place and never deletes it.
//
// Every operation takes the stream's re-entrant lock for its own duration; callers that need
// several operations to stay together (the page list) hold it across them with Lock/Unlock,
// always after their own lock.
class TQRStream : public ByteStream {
public:
    explicit TQRStream(std::int32_t memoryLimit);
    // A stream on an existing file, for reading only; raises EFOpenError.
    static std::unique_ptr<TQRStream> CreateOnFile(const std::string& fileName);
    ~TQRStream() override;
    TQRStream(const TQRStream&) = delete;
    TQRStream& operator=(const TQRStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    // A write that leaves the stream in memory larger than the limit moves it to a temporary
    // file. When that file cannot be made, the written bytes stay in memory, the error
    // (EFCreateError or EWriteError) is raised, and the next write tries again.
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }

    // Copies the whole stream from its start to `destination` in pieces of 10240 bytes; the
    // position is left at the end.
    void CopyTo(ByteStream& destination);

    // The length of the report header at the start of the stream: 124 for the older layout,
    // whose first page's picture signature shows at offset 173, else 128. The position is
    // kept. A stream too short to tell raises EReadError.
    int HeaderLength();

    // Cuts the stream to `size` bytes; the position stays. Undoes a write that failed half-way.
    void SetSize(std::int64_t size);

    bool InMemory() const;
    std::int32_t MemoryLimit() const { return memoryLimit_; }
    // True when the stream is on file and `path` names that same file.
    bool IsOnFile(const std::string& path) const;

private:
    struct OnFile {};
    TQRStream(OnFile, std::unique_ptr<FileStream> file);

    void MoveToFile();

    mutable std::recursive_mutex mutex_;
    std::vector<std::uint8_t> memory_;
    std::size_t memoryPosition_ = 0;
    std::unique_ptr<FileStream> file_;
    bool inMemory_ = true;
    std::int32_t memoryLimit_;
};

// Holds a stream's lock for a scope.
class TQRStreamLock {
public:
    explicit TQRStreamLock(TQRStream& stream) : stream_(stream) { stream_.Lock(); }
    ~TQRStreamLock() { stream_.Unlock(); }
    TQRStreamLock(const TQRStreamLock&) = delete;
    TQRStreamLock& operator=(const TQRStreamLock&) = delete;

private:
    TQRStream& stream_;
};

}  // namespace quillon
