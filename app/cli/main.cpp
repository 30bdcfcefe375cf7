// quillon-cli: batch and headless use of Quillon.

#include <QGuiApplication>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/print_command.h"
#include "app/common/error_text.h"
#include "app/transcode/text_file.h"
#include "platform/qt/qt_platform.h"

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  quillon-cli convert INPUT OUTPUT\n"
    "      Writes OUTPUT as a copy of the DOS Cyrillic text file INPUT with the letters moved\n"
    "      to their Windows-1251 positions and every line ended by CR LF.\n"
    "  quillon-cli print INPUT [options] (--qrp FILE | --pdf FILE | --printer [NAME])\n"
    "      Lays the lines of INPUT out on A4 pages as the program's Print does and saves the\n"
    "      prepared report (--qrp), writes a PDF (--pdf) or prints on a CUPS printer\n"
    "      (--printer; the default printer when NAME is left out). Prints the number of\n"
    "      pages saved, written or printed.\n"
    "      --landscape        landscape pages (portrait by default)\n"
    "      --font NAME        the print font (Courier New by default)\n"
    "      --size POINTS      the font size (10 by default); as in the program, 0 prints\n"
    "                         at 10 points, a negative size at its magnitude, and sizes\n"
    "                         above 1000 points at 1000 points\n"
    "      --compress         store the prepared pages compressed\n"
    "      --pages FROM-TO    only these pages (for --pdf and --printer)\n"
    "  quillon-cli render REPORT.QRP [--pages FROM-TO] (--pdf FILE | --printer [NAME])\n"
    "      Loads a saved report and writes it as a PDF or prints it. Prints the number of\n"
    "      pages written or printed.\n"
    "  quillon-cli --help\n"
    "      Shows this text.\n"
    "\n"
    "On failure the program's error message is written to standard error and the exit\n"
    "status is 1; a wrong command line gives status 2.\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int ParseInt(std::string_view text, const char* what) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw UsageError(std::string("not a number for ") + what + ": \"" + std::string(text) + "\"");
    }
    return value;
}

// Reads the options after the input file of print and render.
quillon::PrintJob ParseJob(const std::vector<std::string>& args, bool generating) {
    quillon::PrintJob job;
    if (args.empty()) throw UsageError("no input file given");
    job.input = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](const char* option) -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(std::string(option) + " needs a value");
            return args[++i];
        };
        if (a == "--qrp" && generating) {
            job.output = quillon::PrintOutput::kReportFile;
            job.target = value("--qrp");
        } else if (a == "--pdf") {
            job.output = quillon::PrintOutput::kPdf;
            job.target = value("--pdf");
        } else if (a == "--printer") {
            job.output = quillon::PrintOutput::kPrinter;
            // The name is optional: the next argument is one unless it is another option.
            if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) job.target = args[++i];
        } else if (a == "--pages") {
            const std::string& range = value("--pages");
            const auto dash = range.find('-');
            if (dash == std::string::npos) throw UsageError("--pages takes FROM-TO");
            job.firstPage = ParseInt(std::string_view(range).substr(0, dash), "--pages");
            job.lastPage = ParseInt(std::string_view(range).substr(dash + 1), "--pages");
            if (job.firstPage < 1 || job.lastPage < job.firstPage) {
                throw UsageError("--pages needs 1 <= FROM <= TO");
            }
        } else if (a == "--landscape" && generating) {
            job.landscape = true;
        } else if (a == "--font" && generating) {
            job.fontName = value("--font");
        } else if (a == "--size" && generating) {
            job.fontSize = ParseInt(value("--size"), "--size");
        } else if (a == "--compress" && generating) {
            job.compress = true;
        } else {
            throw UsageError("unknown option \"" + a + "\"");
        }
    }
    if (job.output == quillon::PrintOutput::kNone) {
        throw UsageError(generating ? "choose --qrp, --pdf or --printer" : "choose --pdf or --printer");
    }
    return job;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "quillon-cli: no command given\n\n%s", kUsage);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    try {
        if (command == "convert") {
            if (args.size() != 2) throw UsageError("convert needs an input and an output file");
            quillon::ConvertTextFile(args[0], args[1]);
            return 0;
        }
        if (command == "print" || command == "render") {
            quillon::PrintJob job = ParseJob(args, command == "print");
            // The tool draws without a display.
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            quillon::PrepareQtEnvironment();
            QGuiApplication app(argc, argv);
            const int pages = command == "print" ? quillon::RunPrint(job) : quillon::RunRender(job);
            std::printf("%d %s\n", pages, pages == 1 ? "page" : "pages");
            return 0;
        }
        throw UsageError("unknown command \"" + command + "\"");
    } catch (const UsageError& error) {
        std::fprintf(stderr, "quillon-cli: %s\n\n%s", error.what(), kUsage);
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", quillon::ErrorBoxText(error.what()).c_str());
        return 1;
    }
}
