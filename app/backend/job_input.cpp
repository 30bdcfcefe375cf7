#include "app/backend/job_input.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/backend/backend_error.h"
#include "app/backend/termination.h"
#include "platform/files/temporary_file.h"

namespace quillon {

namespace {

struct DocumentSignature {
    std::string_view start;
    std::string_view name;
};

// Formats that CUPS hands a raw queue as they are but that no DOS program prints. Only
// signatures that plain text never starts with.
constexpr std::array<DocumentSignature, 13> kDocumentSignatures = {{
    {"%PDF-", "a PDF document"},
    {"%!PS", "a PostScript document"},
    {"\x04%!", "a PostScript document"},
    {"\x89PNG\r\n\x1a\n", "a PNG image"},
    {"\xFF\xD8\xFF", "a JPEG image"},
    {"GIF87a", "a GIF image"},
    {"GIF89a", "a GIF image"},
    {std::string_view("II*\0", 4), "a TIFF image"},
    {std::string_view("MM\0*", 4), "a TIFF image"},
    {"RaSt", "a CUPS raster"},
    {"RaS2", "a CUPS raster"},
    {"RaS3", "a CUPS raster"},
    {std::string_view("PK\x03\x04", 4), "a ZIP archive or office document"},
}};

std::string MiB(std::uint64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB"; }

EBackendError ReadError(const std::string& what) {
    return EBackendError(CUPS_BACKEND_FAILED, "Cannot read the job: " + what + ": " + std::strerror(errno));
}

// Copies standard input into `fd`; false when it has more than `maxBytes`. Raises
// EJobCancelled as soon as `cancel` becomes readable, however slowly the input comes.
bool CopyStandardInput(int fd, std::uint64_t maxBytes, int cancel, std::uint64_t& size) {
    std::array<char, 65536> buffer;
    for (;;) {
        std::array<pollfd, 2> watched = {{{STDIN_FILENO, POLLIN, 0}, {cancel, POLLIN, 0}}};
        if (::poll(watched.data(), watched.size(), -1) < 0 && errno != EINTR) throw ReadError("standard input");
        if (watched[1].revents != 0) throw EJobCancelled{};
        if (watched[0].revents == 0) continue;
        const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ReadError("standard input");
        }
        size += static_cast<std::uint64_t>(n);
        if (size > maxBytes) return false;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(fd, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) throw EBackendError(CUPS_BACKEND_FAILED, std::string("Cannot keep the job: ") + std::strerror(errno));
            done += w;
        }
    }
}

}  // namespace

WorkFolder::WorkFolder(const std::string& parent) {
    std::string name = parent + "/quillon-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
        throw EBackendError(CUPS_BACKEND_FAILED, "Cannot create a folder in " + parent + ": " + std::strerror(errno));
    }
    path_ = name;
}

WorkFolder::~WorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

JobInput::JobInput(const char* path, const std::string& folder, std::uint64_t maxBytes, int cancel) {
    if (path != nullptr) {
        fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) throw ReadError(path);
    } else {
        try {
            fd_ = CreateUnnamedFile(folder, "input-").Release();
        } catch (const std::exception& error) {
            throw EBackendError(CUPS_BACKEND_FAILED, std::string("Cannot keep the job: ") + error.what());
        }
    }
    try {
        Read(path, maxBytes, cancel);
    } catch (...) {
        ::close(fd_);
        throw;
    }
}

void JobInput::Read(const char* path, std::uint64_t maxBytes, int cancel) {
    if (path != nullptr) {
        struct stat info {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            throw EBackendError(CUPS_BACKEND_FAILED, std::string("The job file ") + path + " is not a regular file");
        }
        size_ = static_cast<std::uint64_t>(info.st_size);
    } else {
        if (!CopyStandardInput(fd_, maxBytes, cancel, size_)) size_ = maxBytes + 1;
        ::lseek(fd_, 0, SEEK_SET);
    }
    if (size_ > maxBytes) {
        throw EBackendError(CUPS_BACKEND_CANCEL, "The job has more than " + MiB(maxBytes) +
                                                     ", the most this queue takes from one job");
    }
    std::array<char, 16> start{};
    const ssize_t n = ::pread(fd_, start.data(), start.size(), 0);
    const std::string_view head(start.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
    for (const DocumentSignature& signature : kDocumentSignatures) {
        if (head.substr(0, signature.start.size()) == signature.start) {
            throw EBackendError(CUPS_BACKEND_CANCEL, "The job is " + std::string(signature.name) +
                                                         ", not the text of a DOS program; print it on another queue");
        }
    }
}

JobInput::~JobInput() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace quillon
