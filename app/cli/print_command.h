#pragma once

#include <string>

namespace quillon {

enum class PrintOutput { kNone, kReportFile, kPdf, kPrinter };

// One print or render of the command-line tool.
struct PrintJob {
    std::string input;          // the DOS text file, or the report file to render
    PrintOutput output = PrintOutput::kNone;
    std::string target;         // the report file, the PDF file, or the printer (empty: default)
    bool landscape = false;
    std::string fontName = "Courier New";
    int fontSize = 10;          // as the settings' "FontSize" (PrintedFontSize)
    bool compress = false;
    int firstPage = 0;          // 0: from the first page
    int lastPage = 0;           // 0: to the last page
};

// Reads the text file as the program's Print does, generates the program's report into
// recorded pages and sends them where the job says. Returns the number of pages saved (all of
// the report's), or written or printed (those of the job's range).
// Needs a QGuiApplication. Errors raise with the program's messages.
int RunPrint(const PrintJob& job);

// Loads a saved report and writes or prints the pages of the job's range. Returns the number
// of pages written or printed.
int RunRender(const PrintJob& job);

}  // namespace quillon
