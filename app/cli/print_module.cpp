// The printing module of quillon-cli: `print` and `render` with the Qt and CUPS layers.

#include "app/cli/print_module.h"

#include <QGuiApplication>

#include <charconv>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/cli_text.h"
#include "app/cli/print_command.h"
#include "app/settings/print_settings.h"
#include "app/transcode/text_file.h"
#include "platform/files/output_file.h"
#include "platform/qt/qt_platform.h"

namespace quillon::cli {

namespace {

int ParseInt(const std::string& command, std::string_view text, const char* what) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw UsageError(
            command, std::string("not a number for ") + what + ": \"" + std::string(text) + "\"");
    }
    return value;
}

// Reads the arguments after the command of print (`generating`) or render.
PrintJob ParseJob(const std::string& command, const std::vector<std::string>& args) {
    const bool generating = command == "print";
    PrintJob job;
    // The input comes first ("-" is standard input); options follow.
    if (args.empty() || (args[0].size() > 1 && args[0][0] == '-')) {
        throw UsageError(command, "no input file given");
    }
    job.input = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](const char* option) -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(command, std::string(option) + " needs a value");
            return args[++i];
        };
        // One run makes one document; a second destination would be dropped without a word.
        const auto choose = [&](PrintOutput output) {
            if (job.output != PrintOutput::kNone) {
                throw UsageError(command, generating ? "give one of --qrp, --pdf and --printer"
                                                     : "give one of --pdf and --printer");
            }
            job.output = output;
        };
        if (a == "--qrp" && generating) {
            choose(PrintOutput::kReportFile);
            job.target = value("--qrp");
        } else if (a == "--pdf") {
            choose(PrintOutput::kPdf);
            job.target = value("--pdf");
        } else if (a == "--printer") {
            choose(PrintOutput::kPrinter);
            job.target.clear();
            // The name is optional: the next argument is one unless it is another option.
            if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
                job.target = args[++i];
            }
        } else if (a == "--title") {
            job.title = value("--title");
        } else if (a == "--pages") {
            const std::string& range = value("--pages");
            const auto dash = range.find('-');
            if (dash == std::string::npos) throw UsageError(command, "--pages takes FROM-TO");
            job.firstPage = ParseInt(command, std::string_view(range).substr(0, dash), "--pages");
            job.lastPage = ParseInt(command, std::string_view(range).substr(dash + 1), "--pages");
            if (job.firstPage < 1 || job.lastPage < job.firstPage) {
                throw UsageError(command, "--pages needs 1 <= FROM <= TO");
            }
        } else if (a == "--landscape" && generating) {
            job.landscape = true;
        } else if (a == "--portrait" && generating) {
            job.landscape = false;
        } else if (a == "--font" && generating) {
            job.fontName = value("--font");
        } else if (a == "--size" && generating) {
            job.fontSize = ParseInt(command, value("--size"), "--size");
        } else if (a == "--color" && generating) {
            const std::string& color = value("--color");
            job.fontColor = ParseColorText(color);
            if (!job.fontColor) {
                throw UsageError(command,
                                 "--color takes RRGGBB, six hexadecimal digits: \"" + color + "\"");
            }
        } else if (a == "--fit" && generating) {
            job.fit = true;
        } else if (a == "--no-fit" && generating) {
            job.fit = false;
        } else if (a == "--line-drawing" && generating) {
            job.lineDrawing = true;
        } else if (a == "--max-pages" && generating) {
            job.maxPages = ParseInt(command, value("--max-pages"), "--max-pages");
            if (job.maxPages < 1) throw UsageError(command, "--max-pages needs N >= 1");
        } else if (a == "--compress" && generating) {
            job.compress = true;
        } else {
            throw UsageError(command, "unknown option \"" + a + "\"");
        }
    }
    if (job.output == PrintOutput::kNone) {
        throw UsageError(
            command, generating ? "choose --qrp, --pdf or --printer" : "choose --pdf or --printer");
    }
    if (job.input.empty() || (job.output != PrintOutput::kPrinter && job.target.empty())) {
        throw UsageError(command, "a file name is empty");
    }
    // A report file always holds every page; a range would be dropped without a word.
    if (job.output == PrintOutput::kReportFile && job.firstPage > 0) {
        throw UsageError(command, "--pages is for --pdf and --printer, not --qrp");
    }
    return job;
}

// Qt's own diagnostics (missing runtime folders, font substitutions, ...) are not the user's
// business; the tool reports its failures itself.
void Quiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg)
        std::fprintf(stderr, "%s: %s\n", kProgram, message.toLocal8Bit().constData());
}

}  // namespace

}  // namespace quillon::cli

extern "C" __attribute__((visibility("default"))) int QuillonCliPrint(int argc, char** argv) {
    using namespace quillon;
    using namespace quillon::cli;
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        const PrintJob job = ParseJob(command, std::vector<std::string>(argv + 2, argv + argc));
        // The tool draws without a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(Quiet);
        PrepareQtEnvironment();
        QGuiApplication app(argc, argv);
        const int pages = command == "print" ? RunPrint(job) : RunRender(job);
        // Standard output may carry the document itself, also under a name (/dev/stdout).
        if (job.output == PrintOutput::kPrinter ||
            (job.target != kStandardStream && !IsStandardOutput(job.target))) {
            std::printf("%d %s\n", pages, pages == 1 ? "page" : "pages");
        }
        return 0;
    } catch (const UsageError& error) {
        return ReportUsageError(error);
    } catch (const EJobFailure& error) {
        std::fprintf(stderr, "%s\n", FailureText(error.File(), error.what()).c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", FailureText("", error.what()).c_str());
        return 1;
    }
}
