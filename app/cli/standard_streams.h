#pragma once

#include <string>

namespace quillon::cli {

// Standard input copied into an unnamed temporary file, for readers that must seek (a report
// file). The file has no name in any folder, so nothing is left behind however the process
// ends; Path() names it through the process's own descriptor.
class SpooledInput {
public:
    // Copies all of standard input; raises EInOutError when it cannot be read or stored.
    SpooledInput();
    ~SpooledInput();
    SpooledInput(const SpooledInput&) = delete;
    SpooledInput& operator=(const SpooledInput&) = delete;

    std::string Path() const;

private:
    int fd_ = -1;
};

// A private temporary file that a writer can create by name and whose bytes are then sent to
// standard output; removed on destruction.
class SpooledOutput {
public:
    SpooledOutput();
    ~SpooledOutput();
    SpooledOutput(const SpooledOutput&) = delete;
    SpooledOutput& operator=(const SpooledOutput&) = delete;

    const std::string& Path() const { return path_; }
    // Copies the file, as the writer left it, to standard output.
    void SendToStandardOutput() const;

private:
    std::string folder_;
    std::string path_;
};

}  // namespace quillon::cli
