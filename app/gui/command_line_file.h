#pragma once

// A file handed to the program on its command line (by a file manager, a desktop entry or a
// DOS emulator's printer port): a report file opens in the standard preview as Load would;
// any other file becomes the input file and is printed at once.

#include <memory>
#include <string>
#include <vector>

namespace quillon {

class TCustomRozerEdedid;
class TMainForm;
class TQRPrinter;

// Whether `path` names a report file by its extension (".qrp" in any letter case).
bool IsReportFileName(const std::string& path);

// `path` as an absolute path (relative to the working folder), its bytes otherwise kept.
std::string AbsolutePath(const std::string& path);

// Keeps the report printers of report files opened from the command line until their preview
// windows have closed.
class CommandLineReports {
public:
    CommandLineReports() = default;
    ~CommandLineReports();
    CommandLineReports(const CommandLineReports&) = delete;
    CommandLineReports& operator=(const CommandLineReports&) = delete;

    // Loads the report file and shows it in a standard preview window shaped as `report`'s
    // own preview; raises what loading raises ("File does not exist" for a missing file, as
    // the preview's Load says), before any window opens.
    void Open(const std::string& path, const TCustomRozerEdedid& report);
    int OpenCount() const { return static_cast<int>(printers_.size()); }

private:
    std::vector<std::unique_ptr<TQRPrinter>> printers_;
};

// Does what the command line asks of the shown main window, once its event loop runs:
// opens a report file in a preview like the one Print opens for the window's report, as if
// loaded there, or sets another file as the input and runs Print. Failures show in the
// window's error box.
void OpenCommandLineFile(TMainForm& form, CommandLineReports& reports, const std::string& path);

}  // namespace quillon
