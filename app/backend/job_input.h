#pragma once

#include <cstdint>
#include <string>

namespace quillon {

// A private folder for one job (0700, in $TMPDIR), removed with everything in it when the
// object goes: whatever the layout leaves behind, even when it is killed, goes with it.
class WorkFolder {
public:
    explicit WorkFolder(const std::string& parent);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The bytes of the job as an open regular file at its start: the file the scheduler named,
// or standard input copied to an unnamed file in a folder. Raises EBackendError (cancel the
// job) when it is larger than `maxBytes` or starts like a document that is not a printer
// stream (PDF, PostScript, images, raster), which would print as pages of noise. Raises
// EJobCancelled when `cancel` (a descriptor, -1 for none) becomes readable while it waits for
// standard input.
class JobInput {
public:
    JobInput(const char* path, const std::string& folder, std::uint64_t maxBytes, int cancel = -1);
    ~JobInput();
    JobInput(const JobInput&) = delete;
    JobInput& operator=(const JobInput&) = delete;

    int Descriptor() const { return fd_; }
    std::uint64_t Size() const { return size_; }

private:
    void Read(const char* path, std::uint64_t maxBytes, int cancel);

    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace quillon
