#include "platform/files/line_store.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/files/in_out_error.h"
#include "platform/files/temporary_file.h"

namespace quillon {

namespace {

// One offset kept in memory for this many lines.
constexpr std::size_t kIndexStep = 64;
// Once on file, bytes go out and come back in pieces of this size.
constexpr std::size_t kWriteSize = 64 << 10;
constexpr std::size_t kReadSize = 64 << 10;
// A record's length: seven bits a byte, low bits first, the top bit set on all but the last.
constexpr std::size_t kMaxLengthBytes = 10;
constexpr std::string_view kFilePrefix = "quillon-lines-";

std::size_t EncodeLength(std::size_t length, char* out) {
    std::size_t n = 0;
    while (length >= 0x80) {
        out[n++] = static_cast<char>((length & 0x7f) | 0x80);
        length >>= 7;
    }
    out[n++] = static_cast<char>(length);
    return n;
}

}  // namespace

LineStore::LineStore(std::size_t memoryLimit) : memoryLimit_(memoryLimit) {}

LineStore::LineStore(LineStore&& other) noexcept
    : memoryLimit_(other.memoryLimit_),
      count_(std::exchange(other.count_, 0)),
      index_(std::move(other.index_)),
      pending_(std::move(other.pending_)),
      pendingStart_(std::exchange(other.pendingStart_, 0)),
      file_(std::exchange(other.file_, std::nullopt)) {
    other.index_.clear();
    other.pending_.clear();
    ++other.generation_;
}

LineStore& LineStore::operator=(LineStore&& other) noexcept {
    if (this != &other) {
        memoryLimit_ = other.memoryLimit_;
        count_ = std::exchange(other.count_, 0);
        index_ = std::move(other.index_);
        pending_ = std::move(other.pending_);
        pendingStart_ = std::exchange(other.pendingStart_, 0);
        file_ = std::exchange(other.file_, std::nullopt);
        other.index_.clear();
        other.pending_.clear();
        ++generation_;
        ++other.generation_;
    }
    return *this;
}

void LineStore::Append(std::string_view line) {
    char header[kMaxLengthBytes];
    const std::size_t headerSize = EncodeLength(line.size(), header);
    const std::size_t before = pending_.size();
    const bool indexed = count_ % kIndexStep == 0;
    if (indexed) index_.push_back(pendingStart_ + before);
    try {
        pending_.insert(pending_.end(), header, header + headerSize);
        pending_.insert(pending_.end(), line.begin(), line.end());
        const bool full =
            InMemory() ? pending_.size() > memoryLimit_ : pending_.size() >= kWriteSize;
        if (full) WritePending();
    } catch (...) {
        pending_.resize(before);
        if (indexed) index_.pop_back();
        throw;
    }
    ++count_;
}

void LineStore::WritePending() {
    if (!file_) file_ = CreateUnnamedFile(TemporaryDirectory(), kFilePrefix);
    // Written at the first unwritten offset, so that what a failed write left behind is
    // written over by the next try.
    std::size_t done = 0;
    while (done < pending_.size()) {
        const ssize_t n =
            ::pwrite(file_->Descriptor(), pending_.data() + done, pending_.size() - done,
                     static_cast<off_t>(pendingStart_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) RaiseInOutError(n < 0 ? errno : ENOSPC, file_->Path());
        done += static_cast<std::size_t>(n);
    }
    const bool first = InMemory();
    pendingStart_ += pending_.size();
    if (first) {
        // The memory the lines took until now is given back.
        std::vector<char>().swap(pending_);
        pending_.reserve(kWriteSize);
    } else {
        pending_.clear();
    }
}

void LineStore::Clear() {
    count_ = 0;
    std::vector<std::uint64_t>().swap(index_);
    std::vector<char>().swap(pending_);
    pendingStart_ = 0;
    file_.reset();
    ++generation_;
}

// --- Reader --------------------------------------------------------------------------------

std::pair<const char*, std::size_t> LineStore::Reader::Bytes(std::uint64_t offset,
                                                             std::size_t count) {
    const LineStore& store = *store_;
    if (offset >= store.pendingStart_) {
        const auto at = static_cast<std::size_t>(offset - store.pendingStart_);
        return {store.pending_.data() + at, store.pending_.size() - at};
    }
    const std::uint64_t onFile = store.pendingStart_ - offset;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, onFile));
    const std::uint64_t bufferEnd = bufferOffset_ + bufferSize_;
    if (offset >= bufferOffset_ && offset + wanted <= bufferEnd) {
        return {buffer_.get() + (offset - bufferOffset_),
                static_cast<std::size_t>(bufferEnd - offset)};
    }
    const auto size =
        static_cast<std::size_t>(std::min<std::uint64_t>(std::max(wanted, kReadSize), onFile));
    if (size > bufferCapacity_) {
        buffer_ = std::make_unique_for_overwrite<char[]>(size);
        bufferCapacity_ = size;
    }
    bufferSize_ = 0;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(store.file_->Descriptor(), buffer_.get() + done, size - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) RaiseInOutError(errno, store.file_->Path());
        if (n == 0) Fault();
        done += static_cast<std::size_t>(n);
    }
    bufferOffset_ = offset;
    bufferSize_ = size;
    return {buffer_.get(), size};
}

std::string_view LineStore::Reader::ReadNext(bool wanted) {
    const auto [head, available] = Bytes(nextOffset_, kMaxLengthBytes);
    std::uint64_t length = 0;
    std::size_t used = 0;
    for (unsigned shift = 0;; shift += 7) {
        if (used == available || shift >= 64) Fault();
        const auto byte = static_cast<unsigned char>(head[used++]);
        length |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
        if ((byte & 0x80) == 0) break;
    }
    const auto size = static_cast<std::size_t>(length);
    const std::uint64_t start = nextOffset_ + used;
    nextOffset_ = start + size;
    ++next_;
    if (!wanted) return {};
    const auto [data, held] = Bytes(start, size);
    if (held < size) Fault();
    return {data, size};
}

void LineStore::Reader::Fault() const {
    const std::string path = store_->file_ ? store_->file_->Path() : std::string();
    throw EInOutError(InOutCodeFromErrno(EIO, path), path, EIO);
}

std::string_view LineStore::Reader::Line(std::size_t index) {
    if (generation_ != store_->generation_) {
        generation_ = store_->generation_;
        next_ = 0;
        nextOffset_ = 0;
        bufferSize_ = 0;
    }
    // Forwards within the same stretch of 64 lines the reader walks on; anywhere else it starts
    // from the stretch's indexed line.
    if (index < next_ || index / kIndexStep != next_ / kIndexStep) {
        next_ = index / kIndexStep * kIndexStep;
        nextOffset_ = store_->index_[index / kIndexStep];
    }
    while (next_ < index) ReadNext(false);
    return ReadNext(true);
}

}  // namespace quillon
