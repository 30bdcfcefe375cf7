#include "app/cli/standard_streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "app/transcode/in_out_error.h"
#include "app/transcode/posix_file.h"

namespace quillon::cli {

namespace {

constexpr std::size_t kCopyBuffer = 128 << 10;

std::string TemporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

void Copy(posix::File& from, posix::File& to) {
    std::unique_ptr<char[]> buffer(new char[kCopyBuffer]);
    for (std::size_t n; (n = from.Read(buffer.get(), kCopyBuffer)) > 0;)
        to.WriteAll(buffer.get(), n);
}

}  // namespace

SpooledInput::SpooledInput() {
    const std::string folder = TemporaryFolder();
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        // A file system without unnamed files: a named one, unlinked at once.
        std::string name = folder + "/quillon-stdin-XXXXXX";
        fd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd_ >= 0) ::unlink(name.c_str());
    }
    if (fd_ < 0) throw EInOutError(InOutCodeFromErrno(errno, folder), "-");
    posix::File input = posix::File::Standard(0, "-");
    posix::File store(::fcntl(fd_, F_DUPFD_CLOEXEC, 3), "-");
    Copy(input, store);
}

SpooledInput::~SpooledInput() {
    if (fd_ >= 0) ::close(fd_);
}

std::string SpooledInput::Path() const {
    return "/proc/self/fd/" + std::to_string(fd_);
}

SpooledOutput::SpooledOutput() {
    // A private folder: the writers make their own temporary files beside their target.
    std::string folder = TemporaryFolder() + "/quillon-stdout-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr)
        throw EInOutError(InOutCodeFromErrno(errno, folder), "-");
    folder_ = folder;
    path_ = folder_ + "/output";
}

SpooledOutput::~SpooledOutput() {
    ::unlink(path_.c_str());
    ::rmdir(folder_.c_str());
}

void SpooledOutput::SendToStandardOutput() const {
    posix::File file = posix::File::OpenForReading(path_);
    posix::File output = posix::File::Standard(1, "-");
    Copy(file, output);
    output.Close();
}

}  // namespace quillon::cli
