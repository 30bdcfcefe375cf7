// The file dialog over real folders: names that are not UTF-8 are listed, shown readably and
// chosen as their exact bytes; filters ignore letter case; typed names and folders.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include <sys/stat.h>
#include <algorithm>

#include "platform/dialogs/file_dialog.h"
#include "platform/dialogs/file_names.h"
#include "tests/platform/qt_test_app.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::TempDir;
using testing::WriteFile;

// Names from a DOS disk: "Отчет.txt" in the DOS code page, "При.TXT" in Windows-1251, a
// folder "Папка" in the DOS code page; beside them ordinary names.
const std::string kDosName = "\x8e\xb2\xb7\xa5\xb2.txt";
const std::string kWindowsName = "\xcf\xf0\xe8.TXT";
const std::string kDosFolder = "\x8f\xa0\xaf\xaa\xa0";

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::EnsureQtApplication();
        for (const std::string& name : {kDosName, kWindowsName, std::string("notes.txt"),
                                        std::string("letter.doc"), std::string(".hidden.txt")})
            WriteFile(dir.File(name), "x");
        ::mkdir(dir.File(kDosFolder).c_str(), 0777);
        WriteFile(dir.File(kDosFolder) + "/" + kDosName, "y");
    }

    FileDialogOptions Options(FileDialogOptions::Mode mode = FileDialogOptions::Mode::kOpen) {
        FileDialogOptions options;
        options.mode = mode;
        options.filters = {"Text (*.txt)", "All (*)"};
        options.folder = dir.Path();
        return options;
    }

    TempDir dir;
};

TEST(DisplayFileName, DecodesUtf8ElseTheDosAndWindowsLetters) {
    const std::pair<std::string, QString> table[] = {
        {"plain.txt", "plain.txt"},
        {"\xd0\x9e\xd1\x82\xd1\x87\xd0\xb5\xd1\x82.txt", "Отчет.txt"},  // UTF-8 stays UTF-8
        {kDosName, "Отчет.txt"},
        {kWindowsName, "При.TXT"},
        {"/home/" + kDosFolder + "/a", "/home/Папка/a"},
    };
    for (const auto& [bytes, shown] : table) EXPECT_EQ(DisplayFileName(bytes), shown) << bytes;
}

TEST(FileNames, FolderOfIsThePathBeforeItsLastSlash) {
    const struct {
        std::string path, folder;
    } table[] = {
        {"/home/u/" + kDosName, "/home/u"},
        {"/report.txt", "/"},
        {"report.txt", ""},
        {"/home/u/", "/home/u"},
    };
    for (const auto& c : table) EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
}

TEST_F(FileDialogTest, ListsLegacyNamesAndChoosesTheirBytes) {
    FileDialog dialog(nullptr, Options());
    EXPECT_EQ(dialog.Folder(), dir.Path());
    // Folders first, then by the names shown; *.txt matches .TXT too; hidden files and other
    // types are left out.
    EXPECT_EQ(dialog.ListedNames(),
              (std::vector<std::string>{kDosFolder, "notes.txt", kDosName, kWindowsName}));

    ASSERT_TRUE(dialog.SelectEntry(kDosName));
    EXPECT_EQ(dialog.NameEdit()->text(), "Отчет.txt");
    dialog.Confirm();
    ASSERT_TRUE(dialog.Choice());
    EXPECT_EQ(dialog.Choice()->path, dir.File(kDosName));
    EXPECT_EQ(dialog.Choice()->filterIndex, 0);
}

TEST_F(FileDialogTest, EntersLegacyFoldersAndTakesTypedNames) {
    FileDialog dialog(nullptr, Options());
    dialog.FilterBox()->setCurrentIndex(1);
    EXPECT_NE(std::find(dialog.ListedNames().begin(), dialog.ListedNames().end(), "letter.doc"),
              dialog.ListedNames().end());
    // A typed folder name opens it.
    dialog.NameEdit()->setText(DisplayFileName(kDosFolder));
    dialog.SetFolder(dir.File(kDosFolder));
    EXPECT_EQ(dialog.ListedNames(), std::vector<std::string>{kDosName});
    ASSERT_TRUE(dialog.SelectEntry(kDosName));
    // Editing the name drops the selection: what is typed counts, as UTF-8.
    dialog.NameEdit()->setText(QStringLiteral("нов.txt"));
    emit dialog.NameEdit()->textEdited(dialog.NameEdit()->text());
    dialog.Confirm();
    ASSERT_TRUE(dialog.Choice());
    EXPECT_EQ(dialog.Choice()->path, dir.File(kDosFolder) + "/\xd0\xbd\xd0\xbe\xd0\xb2.txt");
    EXPECT_EQ(dialog.Choice()->filterIndex, 1);
}

TEST_F(FileDialogTest, TypedFoldersOpenAndSaveAddsTheDefaultExtension) {
    FileDialogOptions options = Options(FileDialogOptions::Mode::kSave);
    options.defaultSuffix = "QRP";
    FileDialog dialog(nullptr, options);
    dialog.NameEdit()->setText(QStringLiteral(".."));
    dialog.Confirm();
    EXPECT_FALSE(dialog.Choice());
    EXPECT_EQ(dialog.Folder(), FolderOf(dir.Path()));
    dialog.SetFolder(dir.Path());
    dialog.NameEdit()->setText(QStringLiteral("report"));
    dialog.Confirm();
    ASSERT_TRUE(dialog.Choice());
    EXPECT_EQ(dialog.Choice()->path, dir.File("report.QRP"));
    // A file type of any extension keeps the default one.
    FileDialog all(nullptr, options);
    all.FilterBox()->setCurrentIndex(1);
    all.NameEdit()->setText(QStringLiteral("report"));
    all.Confirm();
    ASSERT_TRUE(all.Choice());
    EXPECT_EQ(all.Choice()->path, dir.File("report.QRP"));
}

TEST_F(FileDialogTest, AMissingStartFolderGivesTheHomeFolder) {
    FileDialogOptions options = Options();
    options.folder = dir.File("gone");
    EXPECT_EQ(FileDialog(nullptr, options).Folder(), HomeFolder());
}

}  // namespace
}  // namespace quillon
