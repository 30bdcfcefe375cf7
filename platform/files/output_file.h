#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/files/posix_file.h"

namespace quillon {

class RemovedOnTermination;

// Raises EInOutError with code 32 ("I/O error 32") when `path` names one of `inputs`: the same
// file by device and inode, however it is spelled and whatever links lead to it. Paths that do
// not exist match nothing.
void RefuseInputAsOutput(const std::string& path, std::span<const std::string> inputs);

// True when `path` names the file, pipe or terminal that is the process's standard output.
bool IsStandardOutput(const std::string& path);

// A file written to take the place of `path` as a whole, or nothing at all.
//
// A regular file, or a name that does not exist yet, is replaced atomically: the bytes go to a
// file of its own in the target's folder that has no name while it is written (a hidden
// ".NAME.XXXXXX" on file systems that cannot make unnamed files, removed by SIGTERM, SIGINT and
// SIGHUP), and Commit links it over the target in one rename, keeping the old file's
// permissions (and owner, where allowed). A symbolic link is followed: the file it leads to is
// replaced and the link stays. Until Commit succeeds the target is exactly as it was, and a
// file that is dropped (Discard, destruction, any failure) leaves nothing behind.
//
// A target that exists and is not a regular file (a FIFO, a character device, a terminal) is
// written straight through and never renamed over, so a device stays a device and its failures
// are reported; a FIFO without a reader is waited for, as a shell's redirection does. A target
// that is the process's standard output is written through that descriptor, and a file that
// has no name (an unnamed temporary reached through /proc/self/fd) in place.
//
// Every failure raises EInOutError with the Windows-style code and the errno of the failed
// call: when the target is one of `inputs` (code 32, before anything is written), a folder, a
// block device or a read-only file (code 5, also for a privileged user), and whenever a write,
// flush, sync, close, link or rename fails.
class OutputFile {
public:
    explicit OutputFile(const std::string& path, std::span<const std::string> inputs = {});
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Appends bytes. Writes are gathered in a buffer of 64 KiB.
    void Write(const void* data, std::size_t size);
    // Writes what is buffered, makes it durable and puts the file in place of the target.
    void Commit();
    // Drops everything written; the target stays as it was. Never fails.
    void Discard() noexcept;

    // The path as given.
    const std::string& Path() const noexcept { return path_; }
    // False when the target is written straight through.
    bool ReplacesTarget() const noexcept { return replaces_; }
    // Bytes written so far.
    std::int64_t Size() const noexcept { return size_; }

private:
    void OpenReplacement(const std::string& target, const struct stat* existing);
    void OpenThrough(const struct stat& existing);
    void WriteOut(const void* data, std::size_t size);
    void FlushBuffer();
    void LinkIntoPlace();
    void RenameIntoPlace();
    [[noreturn]] void Fail(int error);

    std::string path_;
    std::string target_;   // the file replaced: `path_` with its symbolic links followed
    posix::File file_;
    bool replaces_ = true;
    std::string named_;    // the temporary's name; empty for an unnamed one
    std::unique_ptr<RemovedOnTermination> namedCleanup_;
    mode_t finalMode_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::int64_t size_ = 0;
    int failure_ = 0;      // errno of the first failure
    bool done_ = false;    // committed or discarded
};

}  // namespace quillon
