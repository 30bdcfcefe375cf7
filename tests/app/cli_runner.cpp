#include "tests/app/cli_runner.h"

#include <cstdio>
#include <sys/wait.h>

namespace quillon::testing {

std::string CliPath() { return std::string(QUILLON_BINARY_DIR) + "/app/quillon-cli"; }

CliRun RunCli(const std::string& arguments, const std::string& prefix) {
    const std::string command =
        (prefix.empty() ? "" : prefix + "; ") + "exec " + CliPath() + " " + arguments + " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    CliRun run{-1, {}};
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace quillon::testing
