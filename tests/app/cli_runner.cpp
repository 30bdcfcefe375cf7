#include "tests/app/cli_runner.h"

#include "tests/support/temp_dir.h"

namespace quillon::testing {

std::string CliPath() { return std::string(QUILLON_BINARY_DIR) + "/app/quillon-cli"; }

CliRun RunCli(const std::string& arguments, const std::string& prefix) {
    CliRun run{-1, {}};
    run.output = CommandOutput(
        (prefix.empty() ? "" : prefix + "; ") + "exec " + CliPath() + " " + arguments + " 2>&1",
        &run.status);
    return run;
}

}  // namespace quillon::testing
