#include "platform/core/page_picture.h"

#include "platform/core/emf_format.h"

namespace quillon {

namespace {

using emf::U32;

// Checks the header record of the first `size` bytes; returns the whole picture's length.
std::uint32_t CheckHeader(const std::uint8_t* p, std::size_t size) {
    if (size < emf::kBaseHeaderSize) throw EInvalidPicture();
    const std::uint32_t headerSize = U32(p + 4);
    const std::uint32_t total = U32(p + 48);
    if (U32(p) != emf::kHeader || U32(p + 40) != emf::kSignature ||
        headerSize < emf::kBaseHeaderSize || headerSize % 4 != 0 ||
        total < static_cast<std::uint64_t>(headerSize) + emf::kEofSize || total % 4 != 0 ||
        total > PagePicture::kMaxBytes) {
        throw EInvalidPicture();
    }
    return total;
}

}  // namespace

PagePicture::PagePicture(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
    const std::uint8_t* p = bytes_.data();
    const std::uint32_t total = CheckHeader(p, bytes_.size());
    if (total != bytes_.size()) throw EInvalidPicture();

    // Every record must fit, and the chain must reach an end-of-file record; bytes after it
    // are ignored.
    std::size_t offset = 0;
    bool ended = false;
    while (offset < total && !ended) {
        if (total - offset < 8) throw EInvalidPicture();
        const std::uint32_t type = U32(p + offset);
        const std::uint32_t length = U32(p + offset + 4);
        if (length < 8 || length % 4 != 0 || length > total - offset) throw EInvalidPicture();
        ended = type == emf::kEof;
        offset += length;
    }
    if (!ended) throw EInvalidPicture();

    const emf::Geometry geometry = emf::ReadGeometry({p, U32(p + 4)});
    width_ = geometry.width;
    height_ = geometry.height;
}

std::unique_ptr<PagePicture> PagePicture::FromBytes(std::vector<std::uint8_t> bytes) {
    return std::unique_ptr<PagePicture>(new PagePicture(std::move(bytes)));
}

std::unique_ptr<PagePicture> PagePicture::LoadFrom(ByteStream& stream) {
    std::vector<std::uint8_t> bytes(emf::kBaseHeaderSize);
    stream.ReadExact(bytes.data(), bytes.size());
    const std::uint32_t total = CheckHeader(bytes.data(), bytes.size());
    bytes.resize(total);
    stream.ReadExact(bytes.data() + emf::kBaseHeaderSize, total - emf::kBaseHeaderSize);
    return FromBytes(std::move(bytes));
}

void PagePicture::SaveTo(ByteStream& stream) const {
    stream.WriteExact(bytes_.data(), bytes_.size());
}

void PagePicture::EnumerateRecords(
    const std::function<bool(std::uint32_t, std::span<const std::uint8_t>)>& visit) const {
    // The constructor checked the record chain.
    std::size_t offset = 0;
    while (offset < bytes_.size()) {
        const std::uint32_t type = U32(bytes_.data() + offset);
        const std::uint32_t length = U32(bytes_.data() + offset + 4);
        if (!visit(type, std::span<const std::uint8_t>(bytes_.data() + offset, length))) return;
        offset += length;
        if (type == emf::kEof) return;
    }
}

}  // namespace quillon
