#pragma once

// The open and save dialog. It lists folders straight from the file system and keeps every
// name as its bytes, so files whose names are not UTF-8 (names from old DOS disks) are listed,
// shown readably and handed back exactly; Qt's own file dialog cannot list them. Its texts are
// Qt's own, so Qt's translations apply.

#include <QDialog>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs/folder_listing.h"

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillon {

struct FileDialogOptions {
    enum class Mode { kOpen, kSave };
    Mode mode = Mode::kOpen;
    QString title;        // empty: the stock "Open" or "Save As"
    QStringList filters;  // "Description (*.a *.b)"; none lists every file
    int selectedFilter = 0;
    bool showFilterPatterns = true;  // false: the descriptions only
    std::string folder;              // where it opens (bytes); empty or missing: home
    // Added to a typed name without an extension while the file type the dialog opened with is
    // chosen; another type that names one extension ("PDF file (*.pdf)") gives its own.
    QString defaultSuffix;
    bool confirmOverwrite = false;   // save: ask before an existing file is chosen
};

struct ChosenFile {
    std::string path;     // full path, the file system's bytes
    int filterIndex = 0;  // the filter selected when it was confirmed
};

class FileDialog : public QDialog {
public:
    FileDialog(QWidget* owner, FileDialogOptions options);

    // The folder on show (bytes) and the names it lists, in order.
    const std::string& Folder() const { return folder_; }
    void SetFolder(const std::string& folder);
    std::vector<std::string> ListedNames() const;
    // Selects a listed entry by its bytes, as a click does; false when it is not listed.
    bool SelectEntry(const std::string& name);
    QLineEdit* NameEdit() const { return nameEdit_; }
    QComboBox* FilterBox() const { return filterBox_; }
    // Confirms as the Open or Save button does.
    void Confirm();

    // The choice once the dialog was accepted.
    const std::optional<ChosenFile>& Choice() const { return choice_; }

private:
    void Refill();
    void EntryActivated(QTreeWidgetItem* item);
    void SelectionChanged();
    void GoUp();
    // The path the name box stands for: the selected entry's bytes, else what was typed.
    std::string WantedPath() const;
    std::string TypedSuffix() const;

    FileDialogOptions options_;
    std::string folder_;
    std::vector<FolderEntry> entries_;
    // The entry whose display name is in the name box, as long as nobody edits it.
    std::optional<std::string> selectedName_;
    std::optional<ChosenFile> choice_;
    QComboBox* folderBox_ = nullptr;
    QToolButton* upButton_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QComboBox* filterBox_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

// Shows the dialog modally; the choice, none when cancelled.
std::optional<ChosenFile> RunFileDialog(QWidget* owner, const FileDialogOptions& options);

}  // namespace quillon
