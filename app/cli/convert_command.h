#pragma once

#include <string>
#include <vector>

namespace quillon::cli {

// `quillon-cli convert` with the arguments after the command: one file, or several into a
// folder (-d) on as many threads as there are cores. Failures are written to standard error
// with the file's name; answers the exit status (1 when any file failed). Raises UsageError
// for a wrong command line.
int RunConvert(const std::vector<std::string>& args);

}  // namespace quillon::cli
