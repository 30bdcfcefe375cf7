#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quillon::testing {

// A file a process holds open: its descriptor's entry under /proc (open it or stat it to reach
// the file) and the path /proc shows for it; a file without a name shows as
// "<folder>/#<inode> (deleted)" or "<folder>/<old name> (deleted)".
struct OpenFile {
    std::string descriptor;
    std::string target;
};

// The files that process `pid` holds open inside `folder`.
std::vector<OpenFile> OpenFilesIn(pid_t pid, const std::string& folder);

// Waits, up to 60 seconds, until process `pid` holds at least `count` files open in `folder`.
// False when it did not, or ended first.
bool WaitForOpenFiles(pid_t pid, const std::string& folder, std::size_t count);

}  // namespace quillon::testing
