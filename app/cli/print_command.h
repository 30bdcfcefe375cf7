#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "platform/core/geometry.h"

namespace quillon {

enum class PrintOutput { kNone, kReportFile, kPdf, kPrinter };

// One print or render of the command-line tool. Unset choices come from the program's
// settings file.
struct PrintJob {
    std::string input;  // the DOS text file, or the report file to render; "-": stdin
    PrintOutput output = PrintOutput::kNone;
    std::string target;  // the report file, the PDF file ("-": stdout), or the printer
                         // (empty: default)
    std::optional<bool> landscape;
    std::optional<std::string> fontName;
    std::optional<int> fontSize;  // as the settings' "FontSize" (PrintedFontSize)
    std::optional<Color> fontColor;
    // The document's name: the PDF's title and the printer job's. Unset: the input file's
    // name (none for standard input).
    std::optional<std::string> title;
    // A smaller font where the widest line needs it. Unset: when the stream selected
    // condensed print (PrintText::narrowPrint), as the program's Print does.
    std::optional<bool> fit;
    bool lineDrawing = false;
    bool compress = false;
    int firstPage = 0;  // 0: from the first page
    int lastPage = 0;   // 0: to the last page
    int maxPages = 0;   // more pages than this end the run with an error; 0: no limit
};

// A failure of a job, with the file it concerns (none for a printer's).
class EJobFailure : public std::runtime_error {
public:
    EJobFailure(std::string file, const std::string& message)
        : std::runtime_error(message), file_(std::move(file)) {}
    const std::string& File() const noexcept { return file_; }

private:
    std::string file_;
};

// Reads the text as the program's Print does, generates the program's report into recorded
// pages and sends them where the job says. Returns the number of pages saved (all of the
// report's), or written or printed (those of the job's range). Needs a QGuiApplication. Errors
// raise EJobFailure with the program's messages.
int RunPrint(const PrintJob& job);

// Loads a saved report and writes or prints the pages of the job's range. Returns the number
// of pages written or printed.
int RunRender(const PrintJob& job);

}  // namespace quillon
