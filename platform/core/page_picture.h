#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "platform/core/byte_stream.h"
#include "platform/core/geometry.h"

namespace quillon {

class Canvas;

// A page picture that cannot be read: not an enhanced metafile, or damaged.
class EInvalidPicture : public std::runtime_error {
public:
    EInvalidPicture() : std::runtime_error("Metafile is not valid") {}
};

// One recorded page: the bytes of a Windows enhanced metafile (EMF), as published, so that
// pages exchange with other EMF readers and writers. Pictures are made by EmfRecordingCanvas
// or read from a stream, and are immutable.
class PagePicture {
public:
    // The largest picture accepted from a stream; a page of text is a few hundred kilobytes.
    static constexpr std::uint32_t kMaxBytes = 64u << 20;

    // Takes complete EMF bytes; raises EInvalidPicture unless they hold a valid header and a
    // well-formed record sequence ending in an end-of-file record.
    static std::unique_ptr<PagePicture> FromBytes(std::vector<std::uint8_t> bytes);

    // Reads one picture from the stream's position: the header states the length. A stream
    // that ends early raises EReadError; bytes that are not a picture raise EInvalidPicture.
    static std::unique_ptr<PagePicture> LoadFrom(ByteStream& stream);

    // Writes exactly the picture's bytes at the stream's position.
    void SaveTo(ByteStream& stream) const;

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::size_t ByteLength() const { return bytes_.size(); }

    // Size in pixels of the reference device, taken from the header's frame rectangle.
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Hands out every record in order (type and the record's own bytes, its size field
    // included); stops when `visit` returns false.
    void EnumerateRecords(
        const std::function<bool(std::uint32_t type, std::span<const std::uint8_t> record)>& visit) const;

    // Replays the records onto `canvas`, the picture's frame stretched over `target`. Records
    // this player does not draw, and records whose fields do not fit them, are skipped. The
    // canvas's font, pen, brush and text alignment are as before afterwards; a clip the picture
    // leaves in place is removed.
    void Play(Canvas& canvas, const Rect& target) const;

private:
    explicit PagePicture(std::vector<std::uint8_t> bytes);

    std::vector<std::uint8_t> bytes_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace quillon
