#pragma once

// The dialogs and message boxes the preview window opens, behind replaceable functions, so
// that tests on the offscreen platform can answer them. The defaults are the file dialog that
// keeps names as bytes, Qt's input dialog and message boxes, and the search dialog.

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace quillon {

// A file dialog to show. `filter` is in the engine's form: description and pattern pairs
// separated by "|" ("RozerEdedid file (*.QRP)|*.QRP").
struct FileDialogRequest {
    enum class Mode { kOpen, kSave };
    Mode mode = Mode::kOpen;
    QString title;
    QString filter;
    QString defaultExtension;  // without the period; empty for none
};

struct FileChoice {
    std::string fileName;  // the file system's bytes
    int filterIndex = 1;   // 1 for the first entry of the filter
};

// The text to search for, as typed.
struct SearchRequest {
    QString text;
    bool matchCase = false;
};

struct PreviewDialogs {
    // A file dialog; none when it was cancelled.
    std::function<std::optional<FileChoice>(QWidget* owner, const FileDialogRequest& request)>
        chooseFile;
    // A plain message box with an OK button.
    std::function<void(QWidget* owner, const QString& text)> showMessage;
    // The error box of a failed command.
    std::function<void(QWidget* owner, const QString& message)> showError;
    // A one-line input box; `value` holds the initial text and receives the typed one.
    // Answers whether it was confirmed.
    std::function<bool(QWidget* owner, const QString& title, const QString& prompt, QString& value)>
        inputQuery;
    // The search dialog; none when it was cancelled.
    std::function<std::optional<SearchRequest>(QWidget* owner)> askSearchText;
};

// Where the default file dialogs open: a program may keep the folder a file dialog was last
// confirmed in (in its own settings) and hand it back here; it is told each folder confirmed
// in a preview's dialog. Without one they open in the home folder.
class DialogFolderMemory {
public:
    virtual ~DialogFolderMemory() = default;
    // The last folder a file dialog was confirmed in (the file system's bytes); empty for none.
    virtual std::string LastFolder() = 0;
    // Failing to remember is not an error of the dialog.
    virtual void Remember(const std::string& folder) = 0;
};

// Installs the memory the default file dialogs use; none (the default) remembers nothing.
void SetDialogFolderMemory(std::unique_ptr<DialogFolderMemory> memory);

// The dialogs new preview windows use; replace members to answer them differently.
PreviewDialogs& DefaultPreviewDialogs();

// The Qt name filters of an engine filter ("a|b|c|d" gives two entries).
QStringList QtNameFilters(const QString& filter);

// The title of the message and error boxes: the program's title, which the program gives the
// report engine at start-up as the global environment's APPNAME.
QString MessageBoxTitle();

// An error message as error boxes show it: a period appended when its last character has a
// higher code than the period.
QString ErrorBoxText(const QString& message);

}  // namespace quillon
