// Saving the pages to a report file and loading them back.

#include <optional>

#include "output/damaged_report.h"
#include "output/file_stream.h"
#include "output/qr_page_list.h"
#include "platform/files/in_out_error.h"
#include "platform/files/output_file.h"

namespace quillon {

namespace {

constexpr std::size_t kCountOffset = 8;
constexpr std::size_t kCompressionOffset = 25;
constexpr std::int64_t kMinRecord = 16;

std::int32_t I32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

}  // namespace

void TQRPageList::RefuseLoadedFile(const std::string& fileName) const {
    std::lock_guard lock(mutex_);
    // The file that holds the loaded pages cannot be rewritten from itself.
    if (stream_ && stream_->IsOnFile(fileName)) {
        throw EFCreateError(fileName, "The file is in use as the loaded report");
    }
}

void TQRPageList::SaveReportFile(const std::string& fileName, std::span<const std::string> inputs) {
    std::lock_guard lock(mutex_);
    TQRStream& stream = RequireStream();
    TQRStreamLock streamLock(stream);

    RefuseLoadedFile(fileName);
    std::optional<OutputFile> file;
    try {
        file.emplace(fileName, inputs);
    } catch (const EInOutError& e) {
        if (e.Code() == kSharingViolation) throw;
        throw EFCreateError(fileName, SystemErrorText(e.SystemError()));
    }
    OutputFileStream destination(*file);
    stream.CopyTo(destination);
    try {
        file->Commit();
    } catch (const EInOutError&) {
        throw EWriteError();
    }
}

void TQRPageList::LoadReportFile(const std::string& fileName) {
    std::lock_guard lock(mutex_);
    stream_.reset();
    pageCount_ = 0;
    headerLength_ = kHeaderLength;
    compression_ = false;

    std::unique_ptr<TQRStream> stream = TQRStream::CreateOnFile(fileName);
    const int headerLength = stream->HeaderLength();
    std::array<std::uint8_t, kHeaderLength> header{};
    stream->SetPosition(0);
    stream->ReadExact(header.data(), static_cast<std::size_t>(headerLength));
    if (headerLength == kOldHeaderLength) {
        header = UpgradeHeader(
            std::span<const std::uint8_t, kOldHeaderLength>(header.data(), kOldHeaderLength));
    }
    const std::int32_t count = I32(header.data() + kCountOffset);
    const std::int64_t size = stream->Size();
    if (count < 0 || count > (size - headerLength) / kMinRecord) {
        throw EDamagedReport("the page count " + std::to_string(count) + " does not fit the file");
    }
    if (count == 0 && size != headerLength) {
        throw EDamagedReport("the file holds data but no pages");
    }

    stream_ = std::move(stream);
    headerLength_ = headerLength;
    pageCount_ = count;
    compression_ = header[kCompressionOffset] != 0;
    try {
        // Walks the whole chain from the first page, so that damage shows now rather than
        // when the page is shown.
        if (count >= 1) ReadPage(count);
    } catch (...) {
        stream_.reset();
        pageCount_ = 0;
        headerLength_ = kHeaderLength;
        compression_ = false;
        throw;
    }
}

}  // namespace quillon
