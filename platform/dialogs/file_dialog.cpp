#include "platform/dialogs/file_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>

#include "platform/core/file_name_text.h"
#include "platform/dialogs/file_names.h"

#include <climits>
#include <cstdlib>

namespace quillon {

namespace {

// Qt's own texts of its file dialog and file model, so that its translations apply.
QString DialogText(const char* text) {
    return QCoreApplication::translate("QFileDialog", text);
}
QString ModelText(const char* text) {
    return QCoreApplication::translate("QFileSystemModel", text);
}

constexpr int kNameRole = Qt::UserRole;  // the entry's bytes

// The folders from the root down to `folder`, each as bytes.
std::vector<std::string> FolderChain(const std::string& folder) {
    std::vector<std::string> chain;
    for (std::string f = folder; !f.empty(); f = FolderOf(f)) {
        chain.insert(chain.begin(), f);
        if (f == "/") break;
    }
    return chain;
}

}  // namespace

FileDialog::FileDialog(QWidget* owner, FileDialogOptions options)
    : QDialog(owner), options_(std::move(options)) {
    setObjectName(QStringLiteral("FileDialog"));
    const bool save = options_.mode == FileDialogOptions::Mode::kSave;
    setWindowTitle(!options_.title.isEmpty() ? options_.title
                   : save                    ? DialogText("Save As")
                                             : DialogText("Open"));
    setSizeGripEnabled(true);
    resize(560, 380);

    auto* layout = new QGridLayout(this);
    auto* lookIn = new QLabel(DialogText("Look in:"), this);
    folderBox_ = new QComboBox(this);
    folderBox_->setObjectName(QStringLiteral("FolderBox"));
    folderBox_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    upButton_ = new QToolButton(this);
    upButton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    upButton_->setToolTip(DialogText("Parent Directory"));
    upButton_->setAutoRaise(true);
    auto* homeButton = new QToolButton(this);
    homeButton->setIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
    homeButton->setAutoRaise(true);
    auto* top = new QHBoxLayout;
    top->addWidget(folderBox_);
    top->addWidget(upButton_);
    top->addWidget(homeButton);
    layout->addWidget(lookIn, 0, 0);
    layout->addLayout(top, 0, 1, 1, 2);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("FileList"));
    list_->setRootIsDecorated(false);
    list_->setColumnCount(3);
    list_->setHeaderLabels({ModelText("Name"), ModelText("Size"), ModelText("Date Modified")});
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    layout->addWidget(list_, 1, 0, 1, 3);

    auto* nameLabel = new QLabel(DialogText("File &name:"), this);
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("FileNameEdit"));
    nameLabel->setBuddy(nameEdit_);
    auto* typeLabel = new QLabel(DialogText("Files of type:"), this);
    filterBox_ = new QComboBox(this);
    filterBox_->setObjectName(QStringLiteral("FilterBox"));
    typeLabel->setBuddy(filterBox_);
    const QStringList filters =
        options_.filters.isEmpty() ? QStringList{DialogText("All Files (*)")} : options_.filters;
    for (const QString& filter : filters) {
        // The description alone when the patterns go without saying.
        const qsizetype bracket = filter.lastIndexOf(QLatin1Char('('));
        filterBox_->addItem(
            options_.showFilterPatterns || bracket <= 0 ? filter : filter.left(bracket).trimmed(),
            filter);
    }
    filterBox_->setCurrentIndex(std::clamp(options_.selectedFilter, 0, int(filters.size()) - 1));
    buttons_ = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* accept = buttons_->addButton(save ? DialogText("&Save") : DialogText("&Open"),
                                              QDialogButtonBox::AcceptRole);
    accept->setDefault(true);
    buttons_->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(nameLabel, 2, 0);
    layout->addWidget(nameEdit_, 2, 1);
    layout->addWidget(typeLabel, 3, 0);
    layout->addWidget(filterBox_, 3, 1);
    layout->addWidget(buttons_, 2, 2, 2, 1);
    layout->setColumnStretch(1, 1);

    connect(folderBox_, &QComboBox::activated, this, [this](int index) {
        SetFolder(folderBox_->itemData(index).toByteArray().toStdString());
    });
    connect(upButton_, &QToolButton::clicked, this, [this] { GoUp(); });
    connect(homeButton, &QToolButton::clicked, this, [this] { SetFolder(HomeFolder()); });
    connect(list_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item, int) { EntryActivated(item); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });
    connect(nameEdit_, &QLineEdit::textEdited, this, [this] { selectedName_.reset(); });
    connect(filterBox_, &QComboBox::currentIndexChanged, this, [this] { Refill(); });
    connect(buttons_, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    SetFolder(IsFolder(options_.folder) ? options_.folder : HomeFolder());
    nameEdit_->setFocus();
}

void FileDialog::SetFolder(const std::string& folder) {
    // "..", "." and links resolved: the folder box shows the real chain of folders.
    if (char* real = ::realpath(folder.c_str(), nullptr)) {
        folder_ = real;
        std::free(real);
    } else {
        folder_ = folder;
    }
    folderBox_->clear();
    for (const std::string& f : FolderChain(folder_)) {
        folderBox_->addItem(style()->standardIcon(QStyle::SP_DirIcon), DisplayFileName(f),
                            QByteArray::fromStdString(f));
    }
    folderBox_->setCurrentIndex(folderBox_->count() - 1);
    upButton_->setEnabled(folder_ != "/");
    entries_ = ListFolder(folder_);
    Refill();
}

void FileDialog::Refill() {
    const std::vector<std::string> patterns =
        PatternsOfFilter(filterBox_->currentData().toString());
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    const QLocale locale;
    list_->clear();
    for (const FolderEntry& entry : entries_) {
        if (!entry.folder && !MatchesPatterns(entry.name, patterns)) continue;
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, DisplayFileName(entry.name));
        item->setIcon(0, entry.folder ? folderIcon : fileIcon);
        item->setData(0, kNameRole, QByteArray::fromStdString(entry.name));
        if (!entry.folder) {
            item->setText(1, locale.formattedDataSize(entry.size));
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setText(2, locale.toString(entry.modified, QLocale::ShortFormat));
    }
    list_->resizeColumnToContents(1);
    list_->resizeColumnToContents(2);
}

std::vector<std::string> FileDialog::ListedNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        names.push_back(list_->topLevelItem(i)->data(0, kNameRole).toByteArray().toStdString());
    return names;
}

bool FileDialog::SelectEntry(const std::string& name) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->data(0, kNameRole).toByteArray().toStdString() == name) {
            list_->setCurrentItem(item);
            return true;
        }
    }
    return false;
}

void FileDialog::SelectionChanged() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return;
    const std::string name = selected.front()->data(0, kNameRole).toByteArray().toStdString();
    if (IsFolder(JoinPath(folder_, name))) return;
    selectedName_ = name;
    nameEdit_->setText(selected.front()->text(0));
}

void FileDialog::EntryActivated(QTreeWidgetItem* item) {
    const std::string name = item->data(0, kNameRole).toByteArray().toStdString();
    if (IsFolder(JoinPath(folder_, name))) {
        SetFolder(JoinPath(folder_, name));
        return;
    }
    selectedName_ = name;
    Confirm();
}

void FileDialog::GoUp() {
    if (folder_ != "/") SetFolder(FolderOf(folder_));
}

std::string FileDialog::WantedPath() const {
    if (selectedName_) return JoinPath(folder_, *selectedName_);
    const QString typed = nameEdit_->text().trimmed();
    if (typed.isEmpty()) return {};
    QString name = typed;
    if (name == QLatin1String("~") || name.startsWith(QLatin1String("~/")))
        name = DisplayFileName(HomeFolder()) + name.mid(1);
    return JoinPath(folder_, TypedFileName(name));
}

void FileDialog::Confirm() {
    std::string path = WantedPath();
    if (path.empty()) return;
    // A typed folder (or "..") is opened, not chosen.
    if (IsFolder(path)) {
        SetFolder(path);
        nameEdit_->clear();
        selectedName_.reset();
        return;
    }
    const bool save = options_.mode == FileDialogOptions::Mode::kSave;
    if (!selectedName_ && !options_.defaultSuffix.isEmpty()) {
        if (FileNameOf(path).find('.') == std::string::npos && !IsFile(path)) path += "." + TypedSuffix();
    }
    if (save && options_.confirmOverwrite && IsFile(path)) {
        const QString question = DialogText("%1 already exists.\nDo you want to replace it?")
                                     .arg(DisplayFileName(FileNameOf(path)));
        if (QMessageBox::warning(this, windowTitle(), question,
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    choice_ = ChosenFile{path, filterBox_->currentIndex()};
    accept();
}

std::string FileDialog::TypedSuffix() const {
    // The default suffix belongs to the file type the dialog opened with; another type chosen
    // that names one extension ("PDF file (*.pdf)") gives its own.
    if (filterBox_->currentIndex() != options_.selectedFilter) {
        const std::vector<std::string> patterns =
            PatternsOfFilter(filterBox_->currentData().toString());
        const std::string& first = patterns.front();
        if (first.size() > 2 && first.compare(0, 2, "*.") == 0 &&
            first.find_first_of("*?[", 2) == std::string::npos) {
            return first.substr(2);
        }
    }
    return options_.defaultSuffix.toStdString();
}

std::optional<ChosenFile> RunFileDialog(QWidget* owner, const FileDialogOptions& options) {
    FileDialog dialog(owner, options);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

}  // namespace quillon
