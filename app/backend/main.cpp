// The CUPS backend "quillon": DOS printer streams laid out by the command-line tool's print
// command and printed on another queue.

#include <string>
#include <vector>

#include "app/backend/backend.h"
#include "app/cli/print_module.h"

int main(int argc, char** argv) {
    return quillon::RunBackend(argc, argv, [](std::vector<std::string>& arguments) {
        std::vector<char*> toolArgv;
        for (std::string& argument : arguments) toolArgv.push_back(argument.data());
        toolArgv.push_back(nullptr);
        return QuillonCliPrint(static_cast<int>(arguments.size()), toolArgv.data());
    });
}
