#pragma once

#include <string>

#include "platform/files/posix_file.h"

namespace quillon::cli {

// Standard input copied into an unnamed temporary file, for readers that must seek (a report
// file). The file has no name in any folder, so nothing is left behind however the process
// ends; Path() names it through the process's own descriptor.
class SpooledInput {
public:
    // Copies all of standard input; raises EInOutError when it cannot be read or stored.
    SpooledInput();

    std::string Path() const;

private:
    posix::File file_;
};

// An unnamed temporary file that a writer can write by name (Path(), through the process's
// own descriptor) and whose bytes are then sent to standard output, so that a failure halfway
// sends nothing. Like the input's, it leaves nothing behind however the process ends.
class SpooledOutput {
public:
    SpooledOutput();

    std::string Path() const;
    // Copies the file, as the writer left it, to standard output.
    void SendToStandardOutput();

private:
    posix::File file_;
};

}  // namespace quillon::cli
