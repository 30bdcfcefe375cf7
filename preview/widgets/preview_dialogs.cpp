#include "preview/widgets/preview_dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include "preview/widgets/search_dialog.h"

namespace quillon {

namespace {

std::optional<FileChoice> ChooseWithQt(QWidget* owner, const FileDialogRequest& request) {
    QFileDialog dialog(owner, request.title);
    dialog.setAcceptMode(request.mode == FileDialogRequest::Mode::kSave ? QFileDialog::AcceptSave
                                                                        : QFileDialog::AcceptOpen);
    // Any name is accepted; the window itself checks whether a file to load exists.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.defaultExtension.isEmpty()) dialog.setDefaultSuffix(request.defaultExtension);
    const QStringList filters = QtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (!request.defaultExtension.isEmpty()) {
        // A name typed without an extension takes that of the file type chosen ("PDF file
        // (*.pdf)" gives ".pdf"), as the default extension does for the first one.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
            static const QRegularExpression single(QStringLiteral("\\(\\*\\.(\\w+)\\)\\s*$"));
            const QRegularExpressionMatch match = single.match(f);
            if (match.hasMatch()) dialog.setDefaultSuffix(match.captured(1));
        });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    FileChoice choice;
    choice.fileName = dialog.selectedFiles().front().toStdString();
    choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (choice.filterIndex < 1) choice.filterIndex = 1;
    return choice;
}

void MessageWithQt(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    owner);
    box.exec();
}

void ErrorWithQt(QWidget* owner, const QString& message) {
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                    ErrorBoxText(message), QMessageBox::Ok, owner);
    box.exec();
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

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
    return message;
}

}  // namespace quillon
