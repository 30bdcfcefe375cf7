#pragma once

// The dialogs and the error box the main window opens, behind replaceable functions, so that
// tests on the offscreen platform can answer them. The defaults are the program's file dialog
// (which keeps file names as bytes), the font dialog with the colour, and a message box.

#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "platform/dialogs/font_dialog.h"

class QWidget;

namespace quillon {

enum class FileDialogKind { kOpen, kSave };

struct MainFormDialogs {
    // The open or save dialog, opened in `folder`; the chosen file's full path as the file
    // system's bytes, none when cancelled. The open dialog takes names of files that do not
    // exist; the save dialog does not ask before an existing file is chosen.
    std::function<std::optional<std::string>(QWidget* owner, FileDialogKind kind,
                                             const std::string& folder)>
        chooseFile;
    // The font dialog opened on `initial`; the chosen font and colour, none when cancelled.
    std::function<std::optional<FontChoice>(QWidget* owner, const FontChoice& initial)> chooseFont;
    // The error box: `text` under `title` with the error icon and an OK button.
    std::function<void(QWidget* owner, const QString& title, const QString& text)> showError;
};

// Qt's dialogs and message box.
MainFormDialogs StandardMainFormDialogs();

// The name filters of both file dialogs, first one selected: text files, documents, all.
QStringList MainFormFileFilters();

}  // namespace quillon
