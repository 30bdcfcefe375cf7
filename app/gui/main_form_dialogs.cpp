#include "app/gui/main_form_dialogs.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>

namespace quillon {

namespace {

std::optional<QString> ChooseFile(QWidget* owner, FileDialogKind kind) {
    QFileDialog dialog(owner);
    dialog.setNameFilters(MainFormFileFilters());
    dialog.selectNameFilter(MainFormFileFilters().front());
    // The dialog lists the descriptions only, as the patterns are implied by them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (kind == FileDialogKind::kOpen) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

std::optional<QFont> ChooseFont(QWidget* owner, const QFont& initial) {
    // The dialog lists real families only: preselect the one the font resolves to, so that
    // "Courier New" shows as its installed metric twin rather than as the first family.
    QFont shown = initial;
    shown.setFamilies({QFontInfo(initial).family()});
    QFontDialog dialog(shown, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedFont();
}

void ShowError(QWidget* owner, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace

QStringList MainFormFileFilters() {
    // "Всички" means every file: "*" where names need no period to have no extension.
    return {QStringLiteral("Текстови Файлове (*.txt)"), QStringLiteral("Документи (*.doc)"),
            QStringLiteral("Всички (*)")};
}

MainFormDialogs StandardMainFormDialogs() {
    return {&ChooseFile, &ChooseFont, &ShowError};
}

}  // namespace quillon
