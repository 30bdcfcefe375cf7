#pragma once

// The printing half of quillon-cli, a module loaded on demand: it holds the Qt and CUPS
// layers, which converting never needs.

namespace quillon::cli {

inline constexpr const char* kPrintModuleFile = "quillon-cli-print.so";
inline constexpr const char* kPrintModuleEntryName = "QuillonCliPrint";

// Runs `quillon-cli print ...` or `quillon-cli render ...`: argv[1] is the command. Answers
// the exit status; writes its own messages.
using PrintModuleEntry = int (*)(int argc, char** argv);

}  // namespace quillon::cli
