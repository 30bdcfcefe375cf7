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

CommandLineReports::~CommandLineReports() {
    // Each printer closes its window as it goes.
    printers_.clear();
}

void CommandLineReports::Open(const std::string& path) {
    auto printer = std::make_unique<TQRPrinter>();
    printer->Load(path);
    printer->Preview();
    auto* window = dynamic_cast<TQRStandardPreview*>(printer->PreviewWindow());
    if (window == nullptr) return;
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
        if (IsReportFileName(file)) {
            alive->HandleAction([&] { reports.Open(file); });
            return;
        }
        alive->SetInputFile(file);
        alive->CheckInputOutput();
        alive->HandleAction([&] { alive->PrintButtonClick(); });
    });
}

}  // namespace quillon
