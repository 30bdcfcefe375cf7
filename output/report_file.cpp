// Saving the pages to a report file and loading them back.

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "output/damaged_report.h"
#include "output/file_stream.h"
#include "output/qr_page_list.h"

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

// The file a name leads to, following symbolic links, so that saving through a link replaces
// the file it points to and not the link.
std::string RealTarget(const std::string& fileName) {
    std::string real = fileName;
    if (char* resolved = ::realpath(fileName.c_str(), nullptr)) {
        real = resolved;
        std::free(resolved);
    }
    return real;
}

}  // namespace

void TQRPageList::SaveReportFile(const std::string& fileName) {
    std::lock_guard lock(mutex_);
    TQRStream& stream = RequireStream();
    TQRStreamLock streamLock(stream);

    const std::string target = RealTarget(fileName);
    // The file that holds the loaded pages cannot be rewritten from itself.
    if (stream.IsOnFile(target)) {
        throw EFCreateError(fileName, "The file is in use as the loaded report");
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode)) throw EFCreateError(fileName, SystemErrorText(EISDIR));
        // A read-only file stays unwritten, also for a privileged user.
        if (!S_ISREG(existing.st_mode) || (existing.st_mode & 0222) == 0 ||
            ::access(target.c_str(), W_OK) != 0) {
            throw EFCreateError(fileName, SystemErrorText(EACCES));
        }
    }

    // Everything goes to a new file beside the target first, so that a full disk or a failing
    // read never leaves a half-written report in place of an existing one.
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : target.substr(0, slash);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::unique_ptr<FileStream> temporary =
        FileStream::CreateUnique(folder, "." + base + ".", 0666, fileName);
    const std::string temporaryName = temporary->Path();
    try {
        stream.CopyTo(*temporary);
        if (exists && ::fchmod(temporary->Descriptor(), existing.st_mode & 07777) != 0) {
            throw EFCreateError(fileName, SystemErrorText(errno));
        }
        temporary->Flush();
        temporary->Close();
        if (::rename(temporaryName.c_str(), target.c_str()) != 0) {
            throw EFCreateError(fileName, SystemErrorText(errno));
        }
    } catch (...) {
        ::unlink(temporaryName.c_str());
        throw;
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
