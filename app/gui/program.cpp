#include "app/gui/program.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

#include <csignal>
#include <exception>
#include <string>

#include "app/common/error_text.h"
#include "app/gui/command_line_file.h"
#include "app/gui/dialog_folder_file.h"
#include "app/gui/error_box.h"
#include "app/gui/main_form.h"
#include "app/gui/preview_placement_file.h"
#include "app/gui/translations.h"
#include "app/settings/print_settings.h"
#include "expr/environment.h"
#include "expr/library.h"
#include "output/widgets/qr_progress_form.h"
#include "platform/qt/qt_platform.h"
#include "preview/widgets/qr_standard_preview_interface.h"
#include "report/pdf_export_filter.h"

namespace quillon {

int RunProgram(int argc, char** argv) {
    // A file size limit then fails the write, which the error box reports, instead of ending
    // the program.
    std::signal(SIGXFSZ, SIG_IGN);
    PrepareQtEnvironment();
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("quillon"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillon/quillon.png")));
    InstallTranslations();
    const auto platform = InstallQtPlatform();
    RegisterProgressForm();
    RegisterStandardPreview();

    const std::string title = ProgramTitle(argc > 0 && argv[0] != nullptr ? argv[0] : "quillon");
    const QString errorTitle = QFile::decodeName(QByteArray::fromStdString(title));
    const MainFormDialogs dialogs = StandardMainFormDialogs();

    // The report engine's process-wide objects exist before any window uses them.
    try {
        QRFunctionLibrary();
        CreateGlobalEnvironment(title);
        RegisterPdfExportFilter();
    } catch (const std::exception& error) {
        dialogs.showError(nullptr, errorTitle, ErrorBoxMessage(error));
    }

    const std::string settingsPath = SettingsFilePath();
    SetPreviewPlacementMemory(std::make_unique<PreviewPlacementFile>(settingsPath));
    SetDialogFolderMemory(std::make_unique<DialogFolderFile>(settingsPath));
    TMainForm MainForm(dialogs, settingsPath, errorTitle);
    MainForm.ShowCentred();
    // Qt has taken its own options out of argv; the first argument left is a file to open.
    CommandLineReports reports;
    if (argc > 1 && argv[1] != nullptr && argv[1][0] != '\0')
        OpenCommandLineFile(MainForm, reports, argv[1]);
    return QApplication::exec();
}

}  // namespace quillon
