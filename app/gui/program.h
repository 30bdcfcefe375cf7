#pragma once

namespace quillon {

// The whole program: the application, the platform services and the report engine's
// process-wide objects, then the main window, which runs until it is closed. Returns the
// process's exit status.
int RunProgram(int argc, char** argv);

}  // namespace quillon
