#include "output/qr_stream.h"

#include <sys/stat.h>
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/files/posix_file.h"

namespace quillon {

namespace {

constexpr std::size_t kCopyBufferSize = 10240;
constexpr std::int64_t kHeaderProbeOffset = 173;
constexpr int kOldHeaderLength = 124;
constexpr int kHeaderLength = 128;

}  // namespace

TQRStream::TQRStream(std::int32_t memoryLimit)
    : memoryLimit_(std::max<std::int32_t>(memoryLimit, 0)) {}

TQRStream::TQRStream(OnFile, std::unique_ptr<FileStream> file)
    : file_(std::move(file)), inMemory_(false), memoryLimit_(0) {}

std::unique_ptr<TQRStream> TQRStream::CreateOnFile(const std::string& fileName) {
    return std::unique_ptr<TQRStream>(
        new TQRStream(OnFile{}, FileStream::OpenForReading(fileName)));
}

TQRStream::~TQRStream() {
    std::lock_guard lock(mutex_);
    file_.reset();
}

std::size_t TQRStream::Read(void* buffer, std::size_t count) {
    std::lock_guard lock(mutex_);
    if (!inMemory_) return file_->Read(buffer, count);
    if (memoryPosition_ >= memory_.size()) return 0;
    const std::size_t n = std::min(count, memory_.size() - memoryPosition_);
    std::memcpy(buffer, memory_.data() + memoryPosition_, n);
    memoryPosition_ += n;
    return n;
}

std::size_t TQRStream::Write(const void* buffer, std::size_t count) {
    std::lock_guard lock(mutex_);
    if (!inMemory_) return file_->Write(buffer, count);
    if (count == 0) return 0;
    const std::size_t end = memoryPosition_ + count;
    const auto limit = static_cast<std::size_t>(memoryLimit_);
    if (end > memory_.size()) {
        if (end > memory_.capacity()) {
            // Grow geometrically, but never past the limit while the stream fits under it, so
            // that memory stays near the limit.
            std::size_t capacity = std::max({end, 2 * memory_.capacity(), std::size_t{4096}});
            if (end <= limit) capacity = std::min(capacity, limit);
            memory_.reserve(capacity);
        }
        memory_.resize(end);
    }
    std::memcpy(memory_.data() + memoryPosition_, buffer, count);
    memoryPosition_ = end;
    if (memory_.size() > limit) MoveToFile();
    return count;
}

void TQRStream::MoveToFile() {
    std::unique_ptr<FileStream> file = FileStream::CreateTemporary("QRP");
    file->WriteExact(memory_.data(), memory_.size());
    file->SetPosition(static_cast<std::int64_t>(memoryPosition_));
    file_ = std::move(file);
    std::vector<std::uint8_t>().swap(memory_);
    memoryPosition_ = 0;
    inMemory_ = false;
}

std::int64_t TQRStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::lock_guard lock(mutex_);
    if (!inMemory_) return file_->Seek(offset, origin);
    std::int64_t base = 0;
    if (origin == SeekOrigin::kCurrent) base = static_cast<std::int64_t>(memoryPosition_);
    if (origin == SeekOrigin::kEnd) base = static_cast<std::int64_t>(memory_.size());
    const std::int64_t target = base + offset;
    if (target < 0) throw EReadError();
    memoryPosition_ = static_cast<std::size_t>(target);
    return target;
}

void TQRStream::CopyTo(ByteStream& destination) {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> buffer(kCopyBufferSize);
    SetPosition(0);
    for (;;) {
        const std::size_t n = Read(buffer.data(), buffer.size());
        if (n == 0) break;
        destination.WriteExact(buffer.data(), n);
    }
}

int TQRStream::HeaderLength() {
    std::lock_guard lock(mutex_);
    const std::int64_t position = Position();
    char probe[4];
    SetPosition(kHeaderProbeOffset);
    const std::size_t n = Read(probe, sizeof probe);
    SetPosition(position);
    if (n != sizeof probe) throw EReadError();
    // The first picture's signature " EMF" sits 40 bytes into it; right after a header of 124
    // bytes and the record's 8 bytes of fields, "EMF" and the version's zero byte fill 173..176.
    return std::strncmp(probe, "EMF", sizeof probe) == 0 ? kOldHeaderLength : kHeaderLength;
}

void TQRStream::SetSize(std::int64_t size) {
    std::lock_guard lock(mutex_);
    if (size < 0) throw EWriteError();
    if (!inMemory_) {
        file_->SetSize(size);
    } else if (static_cast<std::size_t>(size) < memory_.size()) {
        memory_.resize(static_cast<std::size_t>(size));
    }
}

bool TQRStream::InMemory() const {
    std::lock_guard lock(mutex_);
    return inMemory_;
}

bool TQRStream::IsOnFile(const std::string& path) const {
    std::lock_guard lock(mutex_);
    if (inMemory_) return false;
    struct stat other {};
    if (::stat(path.c_str(), &other) != 0) return false;
    const struct stat own = file_->Status();
    return posix::SameFile(own, other);
}

}  // namespace quillon
