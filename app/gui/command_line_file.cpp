#include "app/gui/command_line_file.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <unistd.h>
#include <algorithm>
#include <climits>

#include "app/gui/main_form.h"
#include "output/qr_printer.h"
#include "platform/dialogs/file_names.h"
#include "preview/widgets/qr_standard_preview.h"
#include "preview/widgets/report_link.h"
#include "report/rozer_ededid.h"

namespace quillon {

bool IsReportFileName(const std::string& path) {
    if (path.size() < 4) return false;
    std::string extension = path.substr(path.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension == ".qrp";
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::string folder(PATH_MAX, '\0');
    if (::getcwd(folder.data(), folder.size()) == nullptr) return path;
    folder.resize(folder.find('\0'));
    std::string_view rest = path;
    while (rest.starts_with("./")) rest.remove_prefix(2);
    return JoinPath(folder, rest);
}

// Each printer closes its window as it goes.
CommandLineReports::~CommandLineReports() = default;

void CommandLineReports::Open(const std::string& path, const TCustomRozerEdedid& report) {
    if (!IsFile(path)) throw EQRError("File does not exist");
    auto printer = std::make_unique<TQRPrinter>();
    printer->Load(path);
    // The window the report's own Print opens (its placement, zoom and panels); the file is
    // then shown as its Load shows one.
    auto* window = new TQRStandardPreview(printer.get(), PreviewSettingsOf(report));
    window->ShowPreview();
    window->ShowLoadedReport(DisplayFileName(path));
    TQRPrinter* const shown = printer.get();
    printers_.push_back(std::move(printer));
    // The printer goes once its window has; not inside the window's own destruction.
    QObject::connect(window, &QObject::destroyed, [this, shown] {
        QTimer::singleShot(0, [this, shown] {
            std::erase_if(printers_, [shown](const auto& p) { return p.get() == shown; });
        });
    });
}

void OpenCommandLineFile(TMainForm& form, CommandLineReports& reports, const std::string& path) {
    const std::string file = AbsolutePath(path);
    const QPointer<TMainForm> alive(&form);
    // Print waits in its own loop until the preview closes: run it from the event loop, not
    // before it.
    QTimer::singleShot(0, &form, [alive, &reports, file] {
        if (!alive) return;
        TMainForm& window = *alive;
        if (IsReportFileName(file)) {
            window.HandleAction([&] { reports.Open(file, window.Report1()); });
            return;
        }
        window.SetInputFile(file);
        window.CheckInputOutput();
        window.HandleAction([&] { window.PrintButtonClick(); });
    });
}

}  // namespace quillon
