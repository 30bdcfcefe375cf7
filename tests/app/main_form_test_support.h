#pragma once

// Driving the main window on the offscreen platform: answers for its dialogs, a record of its
// error boxes, and a program folder of its own for the settings file.

#include <QFont>
#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/gui/main_form.h"
#include "app/gui/main_form_dialogs.h"
#include "tests/support/temp_dir.h"

namespace quillon::testing {

// Dialogs that answer from queues and remember what they were asked.
class ScriptedDialogs {
public:
    struct ErrorBox {
        QString title;
        QString text;
    };

    // Answers of the file dialogs (file system bytes), in order; none left means cancel.
    std::deque<std::optional<std::string>> files;
    std::vector<FileDialogKind> fileKinds;
    // The folders the file dialogs opened in.
    std::vector<std::string> fileFolders;
    // The font dialog's answer (none: cancel) and the fonts and colours it was opened on.
    std::optional<FontChoice> font;
    std::vector<QFont> fontsShown;
    std::vector<QColor> coloursShown;
    std::vector<ErrorBox> errors;

    MainFormDialogs Dialogs();
};

// The window's program folder (holding "quillon.ini") and a folder for the files it works on.
struct MainFormRig {
    TempDir program;
    TempDir files;
    ScriptedDialogs dialogs;

    std::string SettingsPath() const { return program.File("quillon.ini"); }
    std::unique_ptr<TMainForm> MakeForm();

    // Chooses a file through the window's dialog buttons; none cancels the dialog.
    void ChooseInput(TMainForm& form, std::optional<std::string> path);
    void ChooseOutput(TMainForm& form, std::optional<std::string> path);
};

}  // namespace quillon::testing
