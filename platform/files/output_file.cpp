#include "platform/files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/files/in_out_error.h"
#include "platform/files/temporary_file.h"
#include "platform/files/termination_cleanup.h"

namespace quillon {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where a name that does not exist leads: the end of its chain of dangling symbolic links, or
// the name itself.
std::string FollowDanglingLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno == ENOENT) return current;
            RaiseInOutError(errno, path);
        }
        if (!S_ISLNK(st.st_mode)) return current;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), link, sizeof link - 1);
        if (n < 0) RaiseInOutError(errno, path);
        const std::string next(link, static_cast<std::size_t>(n));
        current = next.front() == '/' ? next : FolderOf(current) + "/" + next;
    }
    RaiseInOutError(ELOOP, path);
}

std::string RealPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) RaiseInOutError(errno, path);
    std::string real = resolved;
    std::free(resolved);
    return real;
}

// The process's file mode creation mask, read without changing it where /proc tells it.
mode_t CurrentUmask() {
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status) != nullptr) {
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        }
        std::fclose(status);
        if (found) return static_cast<mode_t>(mask);
    }
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// An unnamed file is linked in through /proc.
bool ProcFdAvailable() { return ::access("/proc/self/fd", X_OK) == 0; }

// Makes a rename in `folder` durable; file systems that cannot sync a folder need not.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Whether the file `st` describes is the process's standard output.
bool IsStandardOutputFile(const struct stat& st) {
    struct stat out {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && posix::SameFile(out, st);
}

}  // namespace

void RefuseInputAsOutput(const std::string& path, std::span<const std::string> inputs) {
    struct stat target {};
    if (inputs.empty() || ::stat(path.c_str(), &target) != 0) return;
    for (const std::string& input : inputs) {
        struct stat st {};
        if (::stat(input.c_str(), &st) == 0 && posix::SameFile(st, target)) {
            throw EInOutError(kSharingViolation, path);
        }
    }
}

bool IsStandardOutput(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && IsStandardOutputFile(st);
}

OutputFile::OutputFile(const std::string& path, std::span<const std::string> inputs)
    : path_(path), buffer_(new char[kBufferSize]) {
    if (path.empty()) throw EInOutError(kPathNotFound, path, ENOENT);
    RefuseInputAsOutput(path, inputs);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) RaiseInOutError(errno, path);
        OpenReplacement(FollowDanglingLinks(path), nullptr);
        return;
    }
    if (S_ISDIR(st.st_mode)) RaiseInOutError(EISDIR, path);
    if (IsStandardOutputFile(st)) {
        const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) RaiseInOutError(errno, path);
        file_ = posix::File(fd, path);
        replaces_ = false;
        return;
    }
    // A file without a name (an unnamed file reached through /proc/self/fd) has nothing to be
    // replaced under: it is written in place, as a device is.
    if (!S_ISREG(st.st_mode) || st.st_nlink == 0) {
        OpenThrough(st);
        return;
    }
    OpenReplacement(RealPath(path), &st);
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::OpenReplacement(const std::string& target, const struct stat* existing) {
    target_ = target;
    if (existing != nullptr) {
        // A read-only file stays unwritten, also for a privileged user.
        if ((existing->st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
            RaiseInOutError(EACCES, path_);
        }
        finalMode_ = existing->st_mode & 07777;
    } else {
        finalMode_ = 0666 & ~CurrentUmask();
    }
    file_ = CreatePrivateFile(FolderOf(target), "." + NameOf(target) + ".", O_WRONLY,
                              ProcFdAvailable(),
                              [this](const std::string& name) {
                                  named_ = name;
                                  namedCleanup_ = std::make_unique<RemovedOnTermination>(name);
                              },
                              path_);
    const int fd = file_.Descriptor();
    if (existing != nullptr && (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid())) {
        // Keep the owner where the system lets us, else at least the group.
        if (::fchown(fd, existing->st_uid, existing->st_gid) != 0 &&
            ::fchown(fd, static_cast<uid_t>(-1), existing->st_gid) != 0) {
            // Neither: the file is still written, owned by this user.
        }
    }
}

void OutputFile::OpenThrough(const struct stat& existing) {
    // Writing a document onto a disk is never what was meant.
    if (S_ISBLK(existing.st_mode)) RaiseInOutError(EACCES, path_);
    replaces_ = false;
    const int truncate = S_ISREG(existing.st_mode) ? O_TRUNC : 0;
    // A FIFO without a reader fails a non-blocking open; then wait for one.
    int fd = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | truncate);
    if (fd < 0 && errno == ENXIO && S_ISFIFO(existing.st_mode)) {
        fd = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    }
    if (fd < 0) RaiseInOutError(errno, path_);
    file_ = posix::File(fd, path_);
    file_.ClearNonBlocking();
    // Swapped for a regular file since it was looked at: never write into one in place.
    if (!posix::SameFile(file_.Status(), existing)) RaiseInOutError(EAGAIN, path_);
}

void OutputFile::Fail(int error) {
    if (failure_ == 0) failure_ = error;
    RaiseInOutError(error, path_);
}

void OutputFile::WriteOut(const void* data, std::size_t size) {
    try {
        file_.WriteAll(data, size);
    } catch (const EInOutError& e) {
        if (failure_ == 0) failure_ = e.SystemError() != 0 ? e.SystemError() : EIO;
        throw;
    }
}

void OutputFile::FlushBuffer() {
    if (used_ == 0) return;
    const std::size_t used = used_;
    used_ = 0;
    WriteOut(buffer_.get(), used);
}

void OutputFile::Write(const void* data, std::size_t size) {
    if (done_) Fail(EBADF);
    if (failure_ != 0) Fail(failure_);
    if (used_ + size > kBufferSize) FlushBuffer();
    if (size >= kBufferSize) {
        WriteOut(data, size);
    } else {
        std::memcpy(buffer_.get() + used_, data, size);
        used_ += size;
    }
    size_ += static_cast<std::int64_t>(size);
}

void OutputFile::Commit() {
    if (done_) Fail(EBADF);
    try {
        if (failure_ != 0) Fail(failure_);
        FlushBuffer();
        if (!replaces_) {
            file_.Close();
        } else {
            if (::fsync(file_.Descriptor()) != 0) Fail(errno);
            if (::fchmod(file_.Descriptor(), finalMode_) != 0) Fail(errno);
            if (named_.empty()) {
                LinkIntoPlace();
            } else {
                file_.Close();
                RenameIntoPlace();
            }
            SyncFolder(FolderOf(target_));
        }
    } catch (...) {
        Discard();
        throw;
    }
    done_ = true;
}

void OutputFile::LinkIntoPlace() {
    const std::string folder = FolderOf(target_);
    const std::string self = posix::DescriptorPath(file_.Descriptor());
    // A signal must not end the process between the link and the rename; one that reaches
    // another thread finds the name registered.
    TerminationSignalsHeld held;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = RandomName(folder, "." + NameOf(target_) + ".");
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) continue;
            Fail(errno);
        }
        const RemovedOnTermination cleanup(name);
        try {
            file_.Close();
        } catch (...) {
            ::unlink(name.c_str());
            throw;
        }
        if (::rename(name.c_str(), target_.c_str()) != 0) {
            const int error = errno;
            ::unlink(name.c_str());
            Fail(error);
        }
        return;
    }
    Fail(EEXIST);
}

void OutputFile::RenameIntoPlace() {
    TerminationSignalsHeld held;
    if (::rename(named_.c_str(), target_.c_str()) != 0) Fail(errno);
    named_.clear();
    namedCleanup_.reset();
}

void OutputFile::Discard() noexcept {
    if (done_) return;
    done_ = true;
    file_ = posix::File();
    if (!named_.empty()) {
        TerminationSignalsHeld held;
        ::unlink(named_.c_str());
        named_.clear();
        namedCleanup_.reset();
    }
}

}  // namespace quillon
