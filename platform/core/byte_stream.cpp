#include "platform/core/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace quillon {

std::int64_t ByteStream::Size() {
    const std::int64_t position = Position();
    const std::int64_t size = Seek(0, SeekOrigin::kEnd);
    SetPosition(position);
    return size;
}

void ByteStream::ReadExact(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void ByteStream::WriteExact(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::int32_t ByteStream::ReadInt32() {
    std::uint8_t b[4];
    ReadExact(b, 4);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                     (static_cast<std::uint32_t>(b[2]) << 16) |
                                     (static_cast<std::uint32_t>(b[3]) << 24));
}

void ByteStream::WriteInt32(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    WriteExact(b, 4);
}

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= bytes_.size()) return 0;
    const std::size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == SeekOrigin::kCurrent) base = static_cast<std::int64_t>(position_);
    if (origin == SeekOrigin::kEnd) base = static_cast<std::int64_t>(bytes_.size());
    const std::int64_t target = base + offset;
    if (target < 0) throw EReadError();
    position_ = static_cast<std::size_t>(target);
    return target;
}

}  // namespace quillon
