#include "platform/core/page_picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillon {

namespace {

constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmrEof = 14;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::size_t kBaseHeaderSize = 88;

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

// Checks the header record of the first `size` bytes; returns the whole picture's length.
std::uint32_t CheckHeader(const std::uint8_t* p, std::size_t size) {
    if (size < kBaseHeaderSize) throw EInvalidPicture();
    const std::uint32_t headerSize = U32(p + 4);
    const std::uint32_t total = U32(p + 48);
    if (U32(p) != kEmrHeader || U32(p + 40) != kEmfSignature || headerSize < kBaseHeaderSize ||
        headerSize % 4 != 0 || total < headerSize + 20 || total % 4 != 0 ||
        total > PagePicture::kMaxBytes) {
        throw EInvalidPicture();
    }
    return total;
}

}  // namespace

PagePicture::PagePicture(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
    const std::uint8_t* p = bytes_.data();
    const std::uint32_t total = CheckHeader(p, bytes_.size());
    if (total != bytes_.size() || U32(p + 4) > total) throw EInvalidPicture();

    // Every record must fit, and the last one must be the end-of-file record.
    std::size_t offset = 0;
    std::uint32_t lastType = 0;
    while (offset < total) {
        if (total - offset < 8) throw EInvalidPicture();
        const std::uint32_t type = U32(p + offset);
        const std::uint32_t length = U32(p + offset + 4);
        if (length < 8 || length % 4 != 0 || length > total - offset) throw EInvalidPicture();
        if (offset == 0 && type != kEmrHeader) throw EInvalidPicture();
        lastType = type;
        offset += length;
        if (type == kEmrEof) break;
    }
    if (lastType != kEmrEof) throw EInvalidPicture();

    // The picture's size comes from its frame (hundredths of a millimetre, inclusive) and the
    // reference device's pixels per millimetre.
    const std::int64_t frameWidth = static_cast<std::int64_t>(I32(p + 32)) - I32(p + 24) + 1;
    const std::int64_t frameHeight = static_cast<std::int64_t>(I32(p + 36)) - I32(p + 28) + 1;
    const auto deviceX = static_cast<std::int32_t>(U32(p + 72));
    const auto deviceY = static_cast<std::int32_t>(U32(p + 76));
    double microX = static_cast<std::int32_t>(U32(p + 80)) * 1000.0;
    double microY = static_cast<std::int32_t>(U32(p + 84)) * 1000.0;
    if (U32(p + 4) >= 108) {
        microX = static_cast<std::int32_t>(U32(p + 100));
        microY = static_cast<std::int32_t>(U32(p + 104));
    }
    if (frameWidth > 0 && frameHeight > 0 && deviceX > 0 && deviceY > 0 && microX > 0 && microY > 0) {
        const double w = std::nearbyint(static_cast<double>(frameWidth) * deviceX / (microX / 10.0));
        const double h = std::nearbyint(static_cast<double>(frameHeight) * deviceY / (microY / 10.0));
        if (w >= 0 && w <= 1e6 && h >= 0 && h <= 1e6) {
            width_ = static_cast<int>(w);
            height_ = static_cast<int>(h);
            return;
        }
    }
    // No usable frame: fall back on the bounds.
    const std::int64_t boundsWidth = static_cast<std::int64_t>(I32(p + 16)) - I32(p + 8) + 1;
    const std::int64_t boundsHeight = static_cast<std::int64_t>(I32(p + 20)) - I32(p + 12) + 1;
    width_ = static_cast<int>(std::clamp<std::int64_t>(boundsWidth, 0, 1000000));
    height_ = static_cast<int>(std::clamp<std::int64_t>(boundsHeight, 0, 1000000));
}

std::unique_ptr<PagePicture> PagePicture::FromBytes(std::vector<std::uint8_t> bytes) {
    return std::unique_ptr<PagePicture>(new PagePicture(std::move(bytes)));
}

std::unique_ptr<PagePicture> PagePicture::LoadFrom(ByteStream& stream) {
    std::vector<std::uint8_t> bytes(kBaseHeaderSize);
    stream.ReadExact(bytes.data(), bytes.size());
    const std::uint32_t total = CheckHeader(bytes.data(), bytes.size());
    bytes.resize(total);
    stream.ReadExact(bytes.data() + kBaseHeaderSize, total - kBaseHeaderSize);
    return FromBytes(std::move(bytes));
}

void PagePicture::SaveTo(ByteStream& stream) const { stream.WriteExact(bytes_.data(), bytes_.size()); }

void PagePicture::EnumerateRecords(
    const std::function<bool(std::uint32_t, std::span<const std::uint8_t>)>& visit) const {
    // The constructor checked the record chain.
    std::size_t offset = 0;
    while (offset < bytes_.size()) {
        const std::uint32_t type = U32(bytes_.data() + offset);
        const std::uint32_t length = U32(bytes_.data() + offset + 4);
        if (!visit(type, std::span<const std::uint8_t>(bytes_.data() + offset, length))) return;
        offset += length;
        if (type == kEmrEof) return;
    }
}

}  // namespace quillon
