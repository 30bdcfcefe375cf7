#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "output/qr_outline.h"
#include "output/qr_stream.h"
#include "platform/core/page_picture.h"

namespace quillon {

// The recorded pages of one report run or one loaded report file, kept in a TQRStream whose
// bytes are exactly the report file: a 128-byte header, then one record per page in order.
// A record holds its page number, the offset of the next record, (when compressed) the
// picture's length, the picture's bytes or their code, and its own start offset; pages are
// found by walking that chain forwards or backwards from wherever the stream stands, so
// neighbouring pages cost one step and no index is kept.
//
// Stored pages are untrusted: every offset and length is checked against the stream before it
// is used, and a chain that does not hold together raises EDamagedReport.
//
// The list's re-entrant lock is held for the whole of AppendPage and ReadPage; it is always
// taken before the stream's lock.
class TQRPageList {
public:
    static constexpr int kHeaderLength = 128;
    static constexpr int kOldHeaderLength = 124;

    TQRPageList() = default;
    ~TQRPageList() = default;
    TQRPageList(const TQRPageList&) = delete;
    TQRPageList& operator=(const TQRPageList&) = delete;

    // Appends the picture as the next page, writing the header first for page 1. The page
    // count grows only once the record is completely written; after a failure the stream's
    // end and position are as before. Offsets past the signed 32-bit range raise EWriteError.
    void AppendPage(const PagePicture& picture);

    // A new picture of page `pageNumber`, or none when there is no such page (the stream is
    // not touched then). The stream is left at the next record's start, or at the place it
    // was when reading fails.
    std::unique_ptr<PagePicture> ReadPage(std::int32_t pageNumber);

    // Place the stream at a record's first byte. These take no lock of their own: callers
    // hold the list's lock or run between pages. PositionAtPage needs 1 <= n <= PageCount().
    void PositionAtFirstPage();
    void PositionAtLastPage();
    void PositionAtPage(std::int32_t pageNumber);

    // Writes the header at offset 0 with the page count, the present local date and time and
    // the compression flag; the stream is left just behind it.
    void WriteHeader();
    // Forgets the pages; the stream stays.
    void ClearPages();

    // Raises EFCreateError ("The file is in use as the loaded report") when `fileName` is the
    // report file the pages are read from, however it is named.
    void RefuseLoadedFile(const std::string& fileName) const;
    // Writes the stream to `fileName` as an OutputFile: a regular file is replaced only once
    // everything is written, a FIFO or device is written through. Refuses the file the stream
    // reads (EFCreateError) and any of `inputs` (EInOutError, code 32); a file that cannot be
    // made raises EFCreateError, a failed write EWriteError.
    void SaveReportFile(const std::string& fileName, std::span<const std::string> inputs = {});
    // Opens `fileName` as the page stream, reads its header (either layout) and reads its
    // last page once, so that a damaged chain or picture fails here. On failure the list has
    // no stream and no pages.
    void LoadReportFile(const std::string& fileName);

    bool Compression() const;
    void SetCompression(bool compression);
    std::int32_t PageCount() const;
    TQRStream* Stream() const;
    // Hands over the stream to write pages to (or none); the old one is freed.
    void SetStream(std::unique_ptr<TQRStream> stream);
    TQROutline& Outline() { return outline_; }
    // The header length of the stream: 124 for an older loaded file, else 128.
    int HeaderLength() const;
    // Records stepped over by the walks so far, and pages read; for measuring.
    std::uint64_t ChainSteps() const;
    std::uint64_t PagesRead() const;

private:
    struct RecordHead {
        std::int64_t start = 0;
        std::int32_t page = 0;
        std::int64_t next = 0;
    };

    TQRStream& RequireStream() const;
    RecordHead ReadHead(std::int64_t start, std::int32_t page, std::int64_t size);
    RecordHead LastHead(std::int64_t size);
    RecordHead StepBack(const RecordHead& head, std::int64_t size);
    RecordHead FindPage(std::int32_t pageNumber, std::int64_t size);
    std::unique_ptr<PagePicture> ReadPicture(const RecordHead& head);
    void WriteHeaderWithCount(std::int32_t count);

    mutable std::recursive_mutex mutex_;
    bool compression_ = false;
    std::int32_t pageCount_ = 0;
    std::unique_ptr<TQRStream> stream_;
    TQROutline outline_;
    int headerLength_ = kHeaderLength;
    std::uint64_t chainSteps_ = 0;
    std::uint64_t pagesRead_ = 0;
};

// Moves the fields of an older 124-byte header into the 128-byte layout.
std::array<std::uint8_t, TQRPageList::kHeaderLength> UpgradeHeader(
    std::span<const std::uint8_t, TQRPageList::kOldHeaderLength> old);

}  // namespace quillon
