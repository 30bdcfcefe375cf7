#pragma once

namespace quillon {

// The whole command-line tool: reads the command from argv (argv[0] is the program),
// runs it and returns the exit status. Messages go to standard error, results to standard
// output. Kept apart from main() so that other programs (the CUPS backend) run exactly the
// tool's commands.
int RunCommandLine(int argc, char** argv);

}  // namespace quillon
