// The CUPS backend "quillon": DOS printer streams laid out by the command-line tool's print
// command and printed on another queue.

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/backend/backend.h"
#include "app/cli/command_line.h"

namespace {

// TEMPORARY until the tool reads standard input and writes the PDF to standard output
// itself: the same through named files in the layout's private folder.
int RunTool(std::vector<std::string>& arguments) {
    const std::string folder = std::getenv("TMPDIR");
    const std::string pdf = folder + "/layout.pdf";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "-" && i == 2) arguments[i] = "/proc/self/fd/0";
        if (arguments[i] == "-" && i == 4) arguments[i] = pdf;
    }
    const int out = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int status = quillon::RunCommandLine(static_cast<int>(arguments.size()), argv.data());
    std::fflush(stdout);
    if (status != 0) return status;
    std::FILE* file = std::fopen(pdf.c_str(), "rb");
    if (file == nullptr) return 1;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (::write(out, buffer, n) != static_cast<ssize_t>(n)) return 1;
    }
    std::fclose(file);
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return quillon::RunBackend(argc, argv, RunTool); }
