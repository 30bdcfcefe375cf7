// quillon-cli: batch and headless use of Quillon.
//
// Converting needs nothing but the Qt-free libraries, so this executable links only those and
// starts in a few milliseconds; printing and rendering live in a module with the Qt and CUPS
// layers that is loaded only for them (print_module.h).

#include <dlfcn.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/cli/cli_text.h"
#include "app/cli/convert_command.h"
#include "app/cli/print_module.h"
#include "app/common/executable_folder.h"

namespace {

using quillon::cli::kProgram;
using quillon::cli::UsageError;

// Runs print or render in the printing module: beside the executable in a build, in the
// module folder below the prefix (QUILLON_MODULE_DIR) when installed.
int RunInPrintModule(int argc, char** argv) {
    const std::string folder = quillon::ExecutableFolder();
    std::string tried;
    for (const std::string& path :
         {folder + "/" + quillon::cli::kPrintModuleFile,
          folder + "/../" QUILLON_MODULE_DIR "/" + quillon::cli::kPrintModuleFile}) {
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            tried += std::string("\n  ") + ::dlerror();
            continue;
        }
        auto* run = reinterpret_cast<quillon::cli::PrintModuleEntry>(
            ::dlsym(module, quillon::cli::kPrintModuleEntryName));
        if (run != nullptr) return run(argc, argv);
        tried += "\n  " + path + ": no entry point";
    }
    std::fprintf(stderr, "%s: printing is not available:%s\n", kProgram, tried.c_str());
    return 1;
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h" || arg == "help";
}

}  // namespace

int main(int argc, char** argv) {
    // A file size limit then fails the write, which is reported, instead of ending the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty()) throw UsageError("", "no command given");
        const std::string command = args[0];
        if (IsHelp(command)) {
            std::fputs(quillon::cli::UsageText(args.size() > 1 ? args[1] : "").c_str(), stdout);
            return 0;
        }
        if (command == "--version") {
            std::printf("%s %s\n", kProgram, QUILLON_VERSION);
            return 0;
        }
        if (!quillon::cli::IsCommand(command))
            throw UsageError("", "unknown command \"" + command + "\"");
        // "help" alone after a command asks for its help too: alone it names no file to work on.
        if (args.size() > 1 && IsHelp(args[1]) && (args[1] != "help" || args.size() == 2)) {
            std::fputs(quillon::cli::UsageText(command).c_str(), stdout);
            return 0;
        }
        if (command == "convert") return quillon::cli::RunConvert({args.begin() + 1, args.end()});
        return RunInPrintModule(argc, argv);
    } catch (const UsageError& error) {
        return quillon::cli::ReportUsageError(error);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", quillon::cli::FailureText("", error.what()).c_str());
        return 1;
    }
}
