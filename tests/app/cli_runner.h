#pragma once

#include <string>

namespace quillon::testing {

// What a run of quillon-cli gave back: its exit status (-1 when a signal ended it) and
// everything it wrote to standard output and standard error.
struct CliRun {
    int status;
    std::string output;
};

// Runs quillon-cli of this build with `arguments` through the shell; `prefix` runs first in the
// same shell (a size limit, a redirection of a descriptor).
CliRun RunCli(const std::string& arguments, const std::string& prefix = {});

// The path of quillon-cli of this build.
std::string CliPath();

}  // namespace quillon::testing
