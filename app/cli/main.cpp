// quillon-cli: batch and headless use of Quillon.

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/common/error_text.h"
#include "app/transcode/text_file.h"

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  quillon-cli convert INPUT OUTPUT\n"
    "      Writes OUTPUT as a copy of the DOS Cyrillic text file INPUT with the letters moved\n"
    "      to their Windows-1251 positions and every line ended by CR LF.\n"
    "  quillon-cli --help\n"
    "      Shows this text.\n"
    "\n"
    "On failure the program's error message is written to standard error and the exit\n"
    "status is 1; a wrong command line gives status 2.\n";

int UsageError(const char* what) {
    std::fprintf(stderr, "quillon-cli: %s\n\n%s", what, kUsage);
    return 2;
}

int Convert(const std::vector<std::string>& args) {
    if (args.size() != 2) return UsageError("convert needs an input and an output file");
    quillon::ConvertTextFile(args[0], args[1]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return UsageError("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        const std::string command = args[0];
        args.erase(args.begin());
        if (command == "convert") return Convert(args);
        return UsageError(("unknown command \"" + command + "\"").c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", quillon::ErrorBoxText(error.what()).c_str());
        return 1;
    }
}
