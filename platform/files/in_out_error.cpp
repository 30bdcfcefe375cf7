#include "platform/files/in_out_error.h"

#include <cerrno>
#include <sys/stat.h>

namespace quillon {

namespace {

struct CodeMessage {
    int code;
    const char* message;
};

constexpr CodeMessage kMessages[] = {
    {2, "File not found"},
    {3, "Invalid filename"},
    {4, "Too many open files"},
    {5, "File access denied"},
    {100, "Read beyond end of file"},
    {101, "Disk full"},
    {106, "Invalid numeric input"},
};

// True when the folder that would hold `path` exists.
bool ParentFolderExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return true;  // relative to the current folder
    const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat st {};
    return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string InOutMessage(int code) {
    for (const auto& entry : kMessages) {
        if (entry.code == code) return entry.message;
    }
    return "I/O error " + std::to_string(code);
}

EInOutError::EInOutError(int code, std::string path, int systemError)
    : std::runtime_error(InOutMessage(code)),
      code_(code),
      path_(std::move(path)),
      systemError_(systemError) {}

int InOutCodeFromErrno(int error, const std::string& path) {
    switch (error) {
        case ENOENT:
            if (path.empty()) return kPathNotFound;
            return ParentFolderExists(path) ? kFileNotFound : kPathNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return kPathNotFound;
        case EMFILE:
        case ENFILE:
            return kTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ENXIO:  // a FIFO without a reader, a device that is not there
        case ENODEV:
            return kAccessDenied;
        case ETXTBSY:
        case EBUSY:
            return kSharingViolation;
        case ENOSPC:
        case EDQUOT:
            return kDiskFull;
        case EFBIG:
            return 223;  // file too large
        case EPIPE:
            return 109;  // the reader of a pipe has gone
        case EINVAL:
            return 87;  // invalid parameter
        case ENOMEM:
            return 8;  // not enough memory
        case EIO:
        default:
            return 29;  // write/read fault: the device failed
    }
}

void RaiseInOutError(int error, const std::string& path) {
    throw EInOutError(InOutCodeFromErrno(error, path), path, error);
}

}  // namespace quillon
