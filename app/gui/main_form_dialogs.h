#pragma once

// The dialogs and the error box the main window opens, behind replaceable functions, so that
// tests on the offscreen platform can answer them. The defaults are Qt's file and font dialogs
// and a message box.

#include <QFont>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace quillon {

enum class FileDialogKind { kOpen, kSave };

struct MainFormDialogs {
    // The open or save dialog; the chosen file's full path, none when cancelled. The open
    // dialog takes names of files that do not exist; the save dialog does not ask before an
    // existing file is chosen.
    std::function<std::optional<QString>(QWidget* owner, FileDialogKind kind)> chooseFile;
    // The font dialog opened on `initial`; the chosen font, none when cancelled.
    std::function<std::optional<QFont>(QWidget* owner, const QFont& initial)> chooseFont;
    // The error box: `text` under `title` with the error icon and an OK button.
    std::function<void(QWidget* owner, const QString& title, const QString& text)> showError;
};

// Qt's dialogs and message box.
MainFormDialogs StandardMainFormDialogs();

// The name filters of both file dialogs, first one selected: text files, documents, all.
QStringList MainFormFileFilters();

}  // namespace quillon
