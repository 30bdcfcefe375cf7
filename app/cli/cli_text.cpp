#include "app/cli/cli_text.h"

#include <cstdio>

#include "app/common/error_text.h"

namespace quillon::cli {

namespace {

struct CommandUsage {
    const char* command;
    const char* text;
};

constexpr CommandUsage kCommands[] = {
    {"convert",
     "  quillon-cli convert [--to cp1251|utf-8] [--eol crlf|lf] INPUT OUTPUT\n"
     "  quillon-cli convert [--to cp1251|utf-8] [--eol crlf|lf] -d FOLDER FILE...\n"
     "      Converts DOS Cyrillic text. To Windows-1251 (the default) the letters move to\n"
     "      their Windows-1251 positions and every other byte stays; to UTF-8 every byte\n"
     "      becomes its character of the DOS code page, line drawing included. Lines end in\n"
     "      CR LF for Windows-1251 and LF for UTF-8 unless --eol says otherwise. With -d\n"
     "      every FILE is written into FOLDER under its own name; a file that fails is\n"
     "      reported and the others are still converted.\n"},
    {"print",
     "  quillon-cli print INPUT [options] (--qrp FILE | --pdf FILE | --printer [NAME])\n"
     "      Lays out the lines of INPUT, a DOS text file or printer stream, on A4 pages as\n"
     "      the program's Print does, and saves the prepared report (--qrp), writes a PDF\n"
     "      (--pdf) or prints on a CUPS printer (--printer; the default printer when NAME is\n"
     "      left out). Printer commands are left out, tabs expanded and a form feed starts a\n"
     "      new page. Prints the number of pages saved, written or printed unless the\n"
     "      document goes to standard output.\n"
     "      --landscape, --portrait  the page's orientation\n"
     "      --font NAME        the print font\n"
     "      --size POINTS      the font size; as in the program, 0 prints at 10 points, a\n"
     "                         negative size at its magnitude, and sizes above 1000 points\n"
     "                         at 1000 points\n"
     "      --color RRGGBB     the text's colour, in hexadecimal (800000 is dark red)\n"
     "      --fit              a smaller font size where the widest line needs it to fit;\n"
     "                         a stream that selects condensed print is fitted unless\n"
     "      --no-fit           says otherwise\n"
     "      --line-drawing     DOS line drawing as real lines (not \"+\", \"-\" and \"|\")\n"
     "      --compress         store the prepared pages compressed\n"
     "      --pages FROM-TO    only these pages (for --pdf and --printer)\n"
     "      --title TEXT       the document's name, as the PDF's title and the printer\n"
     "                         job's; by default the name of INPUT\n"
     "      --max-pages N      fail when the report would have more than N pages\n"
     "      Orientation, font, size and colour default to the program's settings file.\n"},
    {"render",
     "  quillon-cli render REPORT.QRP [--pages FROM-TO] [--title TEXT]\n"
     "                     (--pdf FILE | --printer [NAME])\n"
     "      Loads a saved report and writes it as a PDF or prints it, as it was saved.\n"
     "      Prints the number of pages written or printed.\n"},
};

constexpr const char* kCommon =
    "  quillon-cli help [COMMAND] | COMMAND help | COMMAND --help | --version\n"
    "\n"
    "\"-\" stands for standard input where a file is read and for standard output where one\n"
    "is written. No command writes onto its input. Print and render replace an existing file\n"
    "only once the new one is complete; convert empties its output first. On failure the\n"
    "message goes to standard error and the exit status is 1; a wrong command line gives\n"
    "status 2.\n";

}  // namespace

bool IsCommand(std::string_view command) {
    for (const CommandUsage& usage : kCommands) {
        if (command == usage.command) return true;
    }
    return false;
}

std::string UsageText(std::string_view command) {
    std::string text = "Usage:\n";
    for (const CommandUsage& usage : kCommands) {
        if (!IsCommand(command) || command == usage.command) text += usage.text;
    }
    return text + kCommon;
}

std::string FailureText(std::string_view file, std::string_view message) {
    std::string text = std::string(kProgram) + ": ";
    if (!file.empty()) text += std::string(file) + ": ";
    return text + ErrorBoxText(message);
}

int ReportUsageError(const UsageError& error) {
    std::fprintf(stderr, "%s: %s\n\n%s", kProgram, error.what(),
                 UsageText(error.Command()).c_str());
    return 2;
}

}  // namespace quillon::cli
