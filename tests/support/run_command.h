#pragma once

#include <string>

namespace quillon::testing {

struct CommandResult {
    int status = -1;     // exit status, or -1 when the command did not exit
    std::string output;  // standard output and standard error
};

// Runs a shell command and collects what it writes.
CommandResult RunCommand(const std::string& command);

}  // namespace quillon::testing
