#include "preview/widgets/preview_dialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include "expr/environment.h"
#include "platform/dialogs/file_dialog.h"
#include "platform/dialogs/file_names.h"
#include "platform/dialogs/message_box.h"
#include "preview/widgets/search_dialog.h"

namespace quillon {

namespace {

std::unique_ptr<DialogFolderMemory>& FolderMemory() {
    static std::unique_ptr<DialogFolderMemory> memory;
    return memory;
}

std::optional<FileChoice> ChooseWithQt(QWidget* owner, const FileDialogRequest& request) {
    DialogFolderMemory* const memory = FolderMemory().get();
    FileDialogOptions options;
    if (memory != nullptr) options.folder = memory->LastFolder();
    options.mode = request.mode == FileDialogRequest::Mode::kSave ? FileDialogOptions::Mode::kSave
                                                                  : FileDialogOptions::Mode::kOpen;
    options.title = request.title;
    options.filters = QtNameFilters(request.filter);
    options.defaultSuffix = request.defaultExtension;
    options.confirmOverwrite = true;
    // Any name is accepted; the window itself checks whether a file to load exists.
    const std::optional<ChosenFile> chosen = RunFileDialog(owner, options);
    if (!chosen) return std::nullopt;
    if (memory != nullptr) memory->Remember(FolderOf(chosen->path));
    return FileChoice{chosen->path, chosen->filterIndex + 1};
}

void MessageWithQt(QWidget* owner, const QString& text) {
    RunMessageBox(owner, QMessageBox::NoIcon, MessageBoxTitle(), text);
}

void ErrorWithQt(QWidget* owner, const QString& message) {
    RunMessageBox(owner, QMessageBox::Critical, MessageBoxTitle(), ErrorBoxText(message));
}

bool InputWithQt(QWidget* owner, const QString& title, const QString& prompt, QString& value) {
    QInputDialog dialog(owner);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    if (dialog.exec() != QDialog::Accepted) return false;
    value = dialog.textValue();
    return true;
}

std::optional<SearchRequest> SearchWithDialog(QWidget* owner) {
    TSearchDlg dialog(owner);
    dialog.exec();
    if (dialog.Cancelled()) return std::nullopt;
    return SearchRequest{dialog.SearchText(), dialog.MatchCase()};
}

}  // namespace

void SetDialogFolderMemory(std::unique_ptr<DialogFolderMemory> memory) {
    FolderMemory() = std::move(memory);
}

PreviewDialogs& DefaultPreviewDialogs() {
    static PreviewDialogs dialogs{ChooseWithQt, MessageWithQt, ErrorWithQt, InputWithQt,
                                  SearchWithDialog};
    return dialogs;
}

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // A description that names its patterns in brackets already is taken as it is.
        static const QRegularExpression named(QStringLiteral("\\([^()]*\\)\\s*$"));
        filters << (named.match(description).hasMatch()
                        ? description
                        : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

QString MessageBoxTitle() {
    const TQRValue name = GlobalEnvironment().Result("APPNAME");
    if (name.Kind() != vkString || name.Text().empty()) return QCoreApplication::applicationName();
    // The title came from the executable's name, as the file system spells names.
    return QFile::decodeName(
        QByteArray(name.Text().data(), static_cast<qsizetype>(name.Text().size())));
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
    return message;
}

}  // namespace quillon
