#include "output/qr_page_list.h"

#include <bit>
#include <chrono>
#include <cstring>
#include <ctime>
#include <limits>

#include "output/damaged_report.h"
#include "output/qr_compress.h"

namespace quillon {

namespace {

// Header fields (all integers little-endian).
constexpr std::uint16_t kHeaderWord0 = 3;
constexpr std::uint16_t kHeaderWord2 = 40;
constexpr std::size_t kCountOffset = 8;
constexpr std::size_t kDateOffset = 16;
constexpr std::size_t kCompressionOffset = 25;

// The smallest record the walks accept: page number, next offset, four bytes of content and
// the start offset. Every step moves at least this far, so no walk can loop.
constexpr std::int64_t kMinRecord = 16;
constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();

std::int32_t I32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

void PutLE(std::uint8_t* p, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string Page(std::int32_t page) {
    return "page " + std::to_string(page);
}

// Local date and time as days since 30 December 1899, the time of day as the fraction.
double LocalDateTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    const auto day =
        sys_days(year(local.tm_year + 1900) / month(static_cast<unsigned>(local.tm_mon + 1)) /
                 std::chrono::day(static_cast<unsigned>(local.tm_mday)));
    const auto epoch = sys_days(year(1899) / December / 30);
    const double fraction =
        duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000 / 1e6;
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    const double dayTime = (local.tm_hour * 3600 + local.tm_min * 60 + second + fraction) / 86400.0;
    return static_cast<double>((day - epoch).count()) + dayTime;
}

}  // namespace

std::array<std::uint8_t, TQRPageList::kHeaderLength> UpgradeHeader(
    std::span<const std::uint8_t, TQRPageList::kOldHeaderLength> old) {
    std::array<std::uint8_t, TQRPageList::kHeaderLength> header{};
    std::memcpy(header.data(), old.data(), 5);            // words 0 and 2, byte 4
    std::memcpy(header.data() + 8, old.data() + 8, 4);    // page count
    std::memcpy(header.data() + 16, old.data() + 12, 8);  // date and time
    header[24] = old[20];
    header[25] = old[21];  // compression flag
    std::memcpy(header.data() + 26, old.data() + 22, 101);
    return header;
}

bool TQRPageList::Compression() const {
    std::lock_guard lock(mutex_);
    return compression_;
}

void TQRPageList::SetCompression(bool compression) {
    std::lock_guard lock(mutex_);
    compression_ = compression;
}

std::int32_t TQRPageList::PageCount() const {
    std::lock_guard lock(mutex_);
    return pageCount_;
}

TQRStream* TQRPageList::Stream() const {
    std::lock_guard lock(mutex_);
    return stream_.get();
}

void TQRPageList::SetStream(std::unique_ptr<TQRStream> stream) {
    std::lock_guard lock(mutex_);
    stream_ = std::move(stream);
    headerLength_ = kHeaderLength;
}

int TQRPageList::HeaderLength() const {
    std::lock_guard lock(mutex_);
    return headerLength_;
}

std::uint64_t TQRPageList::ChainSteps() const {
    std::lock_guard lock(mutex_);
    return chainSteps_;
}

std::uint64_t TQRPageList::PagesRead() const {
    std::lock_guard lock(mutex_);
    return pagesRead_;
}

void TQRPageList::ClearPages() {
    std::lock_guard lock(mutex_);
    pageCount_ = 0;
}

TQRStream& TQRPageList::RequireStream() const {
    if (!stream_) throw EReadError();
    return *stream_;
}

void TQRPageList::WriteHeader() {
    WriteHeaderWithCount(pageCount_);
}

void TQRPageList::WriteHeaderWithCount(std::int32_t count) {
    TQRStream& stream = RequireStream();
    std::array<std::uint8_t, kHeaderLength> header{};
    PutLE(header.data(), kHeaderWord0, 2);
    PutLE(header.data() + 2, kHeaderWord2, 2);
    PutLE(header.data() + kCountOffset, static_cast<std::uint32_t>(count), 4);
    PutLE(header.data() + kDateOffset, std::bit_cast<std::uint64_t>(LocalDateTime()), 8);
    header[kCompressionOffset] = compression_ ? 1 : 0;
    TQRStreamLock lock(stream);
    stream.SetPosition(0);
    stream.WriteExact(header.data(), header.size());
}

void TQRPageList::AppendPage(const PagePicture& picture) {
    std::lock_guard lock(mutex_);
    if (!stream_ || pageCount_ == std::numeric_limits<std::int32_t>::max()) throw EWriteError();
    TQRStream& stream = *stream_;
    const std::int32_t page = pageCount_ + 1;

    // The record is put together in memory and written in one piece; only its offsets
    // depend on where it lands.
    MemoryStream record;
    record.WriteInt32(page);
    record.WriteInt32(0);  // the next record's offset, filled in below
    if (compression_) {
        if (picture.ByteLength() > static_cast<std::size_t>(kMaxOffset)) throw EWriteError();
        record.WriteInt32(static_cast<std::int32_t>(picture.ByteLength()));
        CompressBytes(picture.Bytes(), record);
    } else {
        picture.SaveTo(record);
    }

    TQRStreamLock streamLock(stream);
    const std::int64_t oldSize = stream.Size();
    const std::int64_t oldPosition = stream.Position();
    const std::int64_t start = page == 1 ? std::max<std::int64_t>(oldSize, kHeaderLength) : oldSize;
    const std::int64_t end = start + static_cast<std::int64_t>(record.Bytes().size()) + 4;
    if (end > kMaxOffset) throw EWriteError();
    record.SetPosition(4);
    record.WriteInt32(static_cast<std::int32_t>(end));
    record.Seek(0, SeekOrigin::kEnd);
    record.WriteInt32(static_cast<std::int32_t>(start));

    try {
        if (page == 1) {
            headerLength_ = kHeaderLength;
            WriteHeaderWithCount(1);
        }
        stream.SetPosition(start);
        stream.WriteExact(record.Bytes().data(), record.Bytes().size());
    } catch (...) {
        // Leave no partial record behind for the next append or walk to trip over.
        try {
            stream.SetSize(oldSize);
            stream.SetPosition(oldPosition);
        } catch (const EStreamError&) {
            // The original failure is the one to report.
        }
        throw;
    }
    pageCount_ = page;
}

TQRPageList::RecordHead TQRPageList::ReadHead(std::int64_t start, std::int32_t page,
                                              std::int64_t size) {
    // `page` 0 accepts any page of the list: the record the stream happens to stand on.
    const auto which = [page] { return page != 0 ? Page(page) : std::string("the current page"); };
    if (start < headerLength_ || start > size - kMinRecord) {
        throw EDamagedReport(which() + " lies outside the file");
    }
    TQRStream& stream = *stream_;
    stream.SetPosition(start);
    std::uint8_t fields[8];
    stream.ReadExact(fields, sizeof fields);
    RecordHead head{start, I32(fields), I32(fields + 4)};
    if (page != 0 ? head.page != page : (head.page < 1 || head.page > pageCount_)) {
        throw EDamagedReport(which() + " is out of sequence (found page " +
                             std::to_string(head.page) + ")");
    }
    if (head.next < start + kMinRecord || head.next > size) {
        throw EDamagedReport(Page(head.page) + " has an invalid length");
    }
    if (head.page == pageCount_ && head.next != size) {
        throw EDamagedReport("data follows the last page, " + Page(head.page));
    }
    if (head.page < pageCount_ && head.next > size - kMinRecord) {
        throw EDamagedReport("the file ends after page " + std::to_string(head.page) + " of " +
                             std::to_string(pageCount_));
    }
    stream.SetPosition(start);
    return head;
}

TQRPageList::RecordHead TQRPageList::LastHead(std::int64_t size) {
    TQRStream& stream = *stream_;
    if (size < headerLength_ + kMinRecord)
        throw EDamagedReport("the file ends before its first page");
    stream.SetPosition(size - 4);
    return ReadHead(stream.ReadInt32(), pageCount_, size);
}

TQRPageList::RecordHead TQRPageList::StepBack(const RecordHead& head, std::int64_t size) {
    TQRStream& stream = *stream_;
    ++chainSteps_;
    stream.SetPosition(head.start - 4);
    const std::int64_t previous = stream.ReadInt32();
    if (previous > head.start - kMinRecord) {
        throw EDamagedReport(Page(head.page - 1) + " does not lie before " + Page(head.page));
    }
    const RecordHead before = ReadHead(previous, head.page - 1, size);
    if (before.next != head.start) {
        throw EDamagedReport(Page(before.page) + " and " + Page(head.page) + " are not linked");
    }
    return before;
}

TQRPageList::RecordHead TQRPageList::FindPage(std::int32_t pageNumber, std::int64_t size) {
    if (pageNumber == 1) return ReadHead(headerLength_, 1, size);
    // Start from wherever the last operation left the stream: usually on the page just read
    // or appended, or at the end.
    const std::int64_t position = stream_->Position();
    RecordHead head;
    if (position >= size) {
        head = LastHead(size);
    } else if (position <= headerLength_) {
        head = ReadHead(headerLength_, 1, size);
    } else {
        head = ReadHead(position, 0, size);
    }
    while (head.page < pageNumber) {
        ++chainSteps_;
        head = ReadHead(head.next, head.page + 1, size);
    }
    while (head.page > pageNumber) head = StepBack(head, size);
    return head;
}

void TQRPageList::PositionAtFirstPage() {
    RequireStream().SetPosition(headerLength_);
}

void TQRPageList::PositionAtLastPage() {
    TQRStream& stream = RequireStream();
    TQRStreamLock lock(stream);
    LastHead(stream.Size());
}

void TQRPageList::PositionAtPage(std::int32_t pageNumber) {
    TQRStream& stream = RequireStream();
    if (pageNumber < 1 || pageNumber > pageCount_) throw EReadError();
    TQRStreamLock lock(stream);
    FindPage(pageNumber, stream.Size());
}

std::unique_ptr<PagePicture> TQRPageList::ReadPage(std::int32_t pageNumber) {
    std::lock_guard lock(mutex_);
    if (pageNumber < 1 || pageNumber > pageCount_) return nullptr;
    TQRStream& stream = RequireStream();
    TQRStreamLock streamLock(stream);
    const std::int64_t entry = stream.Position();
    ++pagesRead_;
    try {
        const RecordHead head = FindPage(pageNumber, stream.Size());
        std::unique_ptr<PagePicture> picture = ReadPicture(head);
        stream.SetPosition(head.next);
        return picture;
    } catch (...) {
        stream.SetPosition(entry);
        throw;
    }
}

std::unique_ptr<PagePicture> TQRPageList::ReadPicture(const RecordHead& head) {
    // Everything after the two head fields, up to and including the start offset that ends
    // the record; its length was checked against the stream.
    const auto length = static_cast<std::size_t>(head.next - head.start - 8);
    const std::size_t extra = compression_ ? 8 : 4;  // the picture length and the start offset
    if (length - extra > PagePicture::kMaxBytes) throw EInvalidPicture();
    std::vector<std::uint8_t> body(length);
    TQRStream& stream = *stream_;
    stream.SetPosition(head.start + 8);
    stream.ReadExact(body.data(), body.size());
    if (I32(body.data() + length - 4) != head.start) {
        throw EDamagedReport(Page(head.page) + " does not point back to its own start");
    }
    body.resize(length - 4);
    if (!compression_) return PagePicture::FromBytes(std::move(body));

    const std::int32_t pictureLength = I32(body.data());
    const std::size_t codeLength = body.size() - 4;
    // Every byte takes at least one bit of code.
    if (pictureLength <= 0 || static_cast<std::uint32_t>(pictureLength) > PagePicture::kMaxBytes ||
        static_cast<std::uint64_t>(pictureLength) > 8 * static_cast<std::uint64_t>(codeLength)) {
        throw EDamagedReport(Page(head.page) + " has an impossible picture length");
    }
    body.erase(body.begin(), body.begin() + 4);
    MemoryStream code(std::move(body));
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ExpandBytes(code, static_cast<std::size_t>(pictureLength));
    } catch (const EReadError&) {
        throw EDamagedReport(Page(head.page) + " has a compressed picture that is cut short");
    } catch (const EDamagedReport&) {
        throw EDamagedReport(Page(head.page) + " holds an invalid compressed code");
    }
    if (code.Position() != static_cast<std::int64_t>(codeLength)) {
        throw EDamagedReport(Page(head.page) + " has bytes after its compressed picture");
    }
    return PagePicture::FromBytes(std::move(bytes));
}

}  // namespace quillon
