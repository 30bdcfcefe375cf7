#include "app/gui/main_form_dialogs.h"

#include <QFontInfo>

#include "platform/dialogs/file_dialog.h"
#include "platform/dialogs/message_box.h"

namespace quillon {

namespace {

std::optional<std::string> ChooseFile(QWidget* owner, FileDialogKind kind,
                                      const std::string& folder) {
    FileDialogOptions options;
    options.mode = kind == FileDialogKind::kOpen ? FileDialogOptions::Mode::kOpen
                                                 : FileDialogOptions::Mode::kSave;
    options.filters = MainFormFileFilters();
    // The dialog lists the descriptions only, as the patterns are implied by them.
    options.showFilterPatterns = false;
    options.folder = folder;
    const std::optional<ChosenFile> chosen = RunFileDialog(owner, options);
    if (!chosen) return std::nullopt;
    return chosen->path;
}

std::optional<FontChoice> ChooseFont(QWidget* owner, const FontChoice& initial) {
    // The dialog lists real families only: preselect the one the font resolves to, so that
    // "Courier New" shows as its installed metric twin rather than as the first family.
    FontChoice shown = initial;
    shown.font.setFamilies({QFontInfo(initial.font).family()});
    return RunFontDialog(owner, shown);
}

void ShowError(QWidget* owner, const QString& title, const QString& text) {
    RunMessageBox(owner, QMessageBox::Critical, title, text);
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
