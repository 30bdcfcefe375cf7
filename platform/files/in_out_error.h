#pragma once

#include <stdexcept>
#include <string>

namespace quillon {

// Error of a text-file operation. Codes follow the Windows error numbering so that the
// messages mean the same wherever the files come from (2 file not found, 3 bad path,
// 5 access denied, 32 sharing violation, 112 disk full, ...).
// The message is the code's alone; the file it concerns, when known, travels beside it for
// callers that name files (the command-line tool).
class EInOutError : public std::runtime_error {
public:
    // `path` is the file concerned, when known; `systemError` the errno of the failed call, 0
    // when the refusal is the program's own.
    explicit EInOutError(int code, std::string path = {}, int systemError = 0);

    int Code() const noexcept { return code_; }
    const std::string& Path() const noexcept { return path_; }
    int SystemError() const noexcept { return systemError_; }

private:
    int code_;
    std::string path_;
    int systemError_;
};

// The fixed message of an error code: "File not found", ..., "I/O error %d".
std::string InOutMessage(int code);

// Well-known codes.
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kSharingViolation = 32;
inline constexpr int kDiskFull = 112;

// Maps a POSIX errno to its Windows-style code. `path` is the path the failed call was
// given; it tells a missing file (2) from a missing folder (3).
int InOutCodeFromErrno(int error, const std::string& path);

// Raises the EInOutError of a failed call on `path` that set errno to `error`.
[[noreturn]] void RaiseInOutError(int error, const std::string& path);

}  // namespace quillon
