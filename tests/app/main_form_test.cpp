// The main window driven as a user drives it: its design, choosing files, the enabling rules,
// Convert, expanding, the orientation and font settings and the maker's labels.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include <unistd.h>
#include <cstdlib>
#include <memory>
#include <filesystem>
#include <string>
#include <vector>

#include "app/gui/error_box.h"
#include "app/settings/print_settings.h"
#include "platform/core/services.h"
#include "platform/dialogs/file_names.h"
#include "platform/qt/qt_platform.h"
#include "tests/app/main_form_test_support.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

using testing::MainFormRig;
using testing::ReadFile;
using testing::WriteFile;

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::EnsureQtApplication();
        platform_ = InstallQtPlatform();
    }
    void TearDown() override { platform_.reset(); }

    MainFormRig rig_;
    std::unique_ptr<QtPlatform> platform_;
};

struct ControlDesign {
    const char* name;
    QRect geometry;
    const char* caption;
};

TEST_F(MainFormTest, IsBuiltFromItsDesign) {
    const auto form = rig_.MakeForm();
    EXPECT_EQ(form->objectName(), "MainForm");
    EXPECT_EQ(form->windowTitle(), "Quillon");
    EXPECT_EQ(form->size(), QSize(352, 105));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "a fixed dialog frame";
    EXPECT_FALSE(form->windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    const ControlDesign kControls[] = {
        {"Label1", {10, 10, 73, 13}, "Входен файл: "},
        {"SpeedButton1", {325, 5, 23, 22}, "..."},
        {"Label2", {5, 40, 79, 13}, "Изходен файл: "},
        {"SpeedButton2", {325, 35, 23, 22}, "..."},
        {"SpeedButton3", {4, 78, 23, 22}, ">>"},
        {"Bevel1", {61, 66, 285, 2}, nullptr},
        {"Label3", {6, 60, 51, 13}, "Велтра"},
        {"Label4", {5, 59, 51, 13}, "Велтра"},
        {"InputFileEdit", {85, 5, 236, 21}, ""},
        {"OutputFileEdit", {85, 35, 236, 21}, ""},
        {"ConvertButton", {142, 75, 101, 25}, "Конвертирай"},
        {"PrintButton", {247, 75, 101, 25}, "Печат"},
        {"RadioButton1", {121, 110, 71, 17}, "Портрет"},
        {"RadioButton2", {196, 110, 71, 17}, "Пейзаж"},
        {"BitBtn1", {273, 105, 75, 25}, "Шрифт"},
        // Not in the design: in the free room of the expanded panel, clear of every control.
        {"CheckBox1", {8, 110, 105, 17}, "Рамки"},
    };
    for (const ControlDesign& design : kControls) {
        const auto* control = form->findChild<QWidget*>(QString::fromLatin1(design.name));
        ASSERT_NE(control, nullptr) << design.name;
        EXPECT_EQ(control->geometry(), design.geometry) << design.name;
        if (design.caption != nullptr) {
            EXPECT_EQ(control->property("text").toString(), QString::fromUtf8(design.caption))
                << design.name;
        }
    }

    EXPECT_FALSE(form->ConvertButton->isEnabled());
    EXPECT_FALSE(form->PrintButton->isEnabled());
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_TRUE(form->InputFileEdit->isReadOnly());
    EXPECT_TRUE(form->OutputFileEdit->isReadOnly());
    for (const QToolButton* button : {form->SpeedButton1, form->SpeedButton2, form->SpeedButton3}) {
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << button->objectName().toStdString();
    }
    // The tab order of the focusable controls.
    std::vector<QString> order;
    QWidget* widget = form->InputFileEdit;
    do {
        if (widget->focusPolicy() & Qt::TabFocus) order.push_back(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != form->InputFileEdit && order.size() < 20);
    EXPECT_EQ(order,
              (std::vector<QString>{"InputFileEdit", "OutputFileEdit", "ConvertButton",
                                    "PrintButton", "RadioButton1", "RadioButton2", "BitBtn1",
                                    "CheckBox1"}));
    for (const QWidget* other : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != static_cast<const QWidget*>(form->CheckBox1)) {
            EXPECT_FALSE(other->geometry().intersects(form->CheckBox1->geometry()))
                << other->objectName().toStdString();
        }
    }
    // The later label lies on top: the one pixel of the other that shows makes the edge.
    EXPECT_EQ(form->childAt(20, 65), form->Label4);
    EXPECT_EQ(form->childAt(56, 72), form->Label3);

    // Fonts in pixels; the window's Tahoma is a real one, not a wider stand-in.
    EXPECT_EQ(form->font().pixelSize(), 11);
    EXPECT_EQ(form->SpeedButton3->font().pixelSize(), 9);
    EXPECT_TRUE(form->SpeedButton3->font().bold());
    EXPECT_EQ(form->FontDialogFont().family(), "MS Sans Serif") << "until settings are loaded";
    if (QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"))) {
        EXPECT_EQ(QFontInfo(form->font()).family(), "Tahoma");
        EXPECT_EQ(QFontInfo(QFont(QStringLiteral("MS Sans Serif"))).family(), "MS Sans Serif");
    }

    form->ShowCentred();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(form->geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form->geometry().center().y() - screen.center().y()), 1);
}

struct EnablingCase {
    const char* what;
    std::optional<std::string> input;  // name in the files folder; none cancels the dialog
    std::optional<std::string> output;
    bool print;
    bool convert;
};

TEST_F(MainFormTest, EnablesPrintForAnInputAndConvertForTwoDifferentPaths) {
    const EnablingCase kCases[] = {
        {"both dialogs cancelled", std::nullopt, std::nullopt, false, false},
        {"only an input", "a.txt", std::nullopt, true, false},
        {"only an output", std::nullopt, "b.txt", false, false},
        {"two files", "a.txt", "b.txt", true, true},
        {"the same path twice", "a.txt", "a.txt", true, false},
        {"paths differing in letter case", "a.txt", "A.txt", true, true},
        {"another spelling of the same path", "a.txt", "./a.txt", true, true},
    };
    for (const EnablingCase& c : kCases) {
        const auto form = rig_.MakeForm();
        const auto path =
            [&](const std::optional<std::string>& name) -> std::optional<std::string> {
            if (!name) return std::nullopt;
            return rig_.files.Path() + "/" + *name;
        };
        rig_.ChooseInput(*form, path(c.input));
        rig_.ChooseOutput(*form, path(c.output));
        EXPECT_EQ(form->PrintButton->isEnabled(), c.print) << c.what;
        EXPECT_EQ(form->ConvertButton->isEnabled(), c.convert) << c.what;
        EXPECT_EQ(form->InputFileEdit->text().toStdString(), path(c.input).value_or("")) << c.what;
    }
    EXPECT_EQ(rig_.dialogs.fileKinds.front(), FileDialogKind::kOpen);
    EXPECT_EQ(rig_.dialogs.fileKinds.back(), FileDialogKind::kSave);
    EXPECT_TRUE(rig_.dialogs.errors.empty());
}

TEST_F(MainFormTest, CancellingADialogKeepsItsPath) {
    const auto form = rig_.MakeForm();
    const std::string input = rig_.files.File("a.txt");
    rig_.ChooseInput(*form, input);
    rig_.ChooseOutput(*form, rig_.files.File("b.txt"));
    rig_.ChooseInput(*form, std::nullopt);
    rig_.ChooseOutput(*form, std::nullopt);
    EXPECT_EQ(form->InputFileEdit->text().toStdString(), input);
    EXPECT_EQ(form->OutputFileEdit->text().toStdString(), rig_.files.File("b.txt"));
    EXPECT_TRUE(form->ConvertButton->isEnabled());
    EXPECT_TRUE(form->PrintButton->isEnabled());
}

TEST_F(MainFormTest, FileDialogsStartInTheFolderOfAPathElseTheLastElseHome) {
    testing::TempDir a, b, c;
    WriteFile(rig_.SettingsPath(), "[Mine]\nX=1\n");
    const auto form = rig_.MakeForm();
    rig_.ChooseInput(*form, std::nullopt);
    EXPECT_EQ(rig_.dialogs.fileFolders.back(), HomeFolder())
        << "nothing chosen, nothing remembered";

    WriteFile(rig_.SettingsPath(), "[Mine]\nX=1\n[Folders]\nLastFolder=" + a.Path() + "\n");
    rig_.ChooseOutput(*form, std::nullopt);
    EXPECT_EQ(rig_.dialogs.fileFolders.back(), a.Path());

    rig_.ChooseInput(*form, b.File("in.txt"));
    rig_.ChooseOutput(*form, c.File("out.txt"));
    EXPECT_EQ(rig_.dialogs.fileFolders.back(), b.Path()) << "the other box's folder";
    rig_.ChooseInput(*form, std::nullopt);
    EXPECT_EQ(rig_.dialogs.fileFolders.back(), b.Path());
    rig_.ChooseOutput(*form, std::nullopt);
    EXPECT_EQ(rig_.dialogs.fileFolders.back(), c.Path());

    // A new window starts where the last dialog was confirmed; foreign lines stay.
    const auto next = rig_.MakeForm();
    rig_.ChooseInput(*next, std::nullopt);
    EXPECT_EQ(rig_.dialogs.fileFolders.back(), c.Path());
    EXPECT_TRUE(ReadFile(rig_.SettingsPath()).starts_with("[Mine]\nX=1\n"));
    EXPECT_TRUE(rig_.dialogs.errors.empty());
}

TEST_F(MainFormTest, LegacyFileNamesReachTheCoreAsTheirBytes) {
    const std::string input = rig_.files.File("\x8e\xb2\xb7\xa5\xb2.txt");  // a DOS-coded name
    const std::string output = rig_.files.File("\xcf\xf0\xe8.txt");         // a Windows-coded one
    WriteFile(input, "\x80\xA0\r\n");
    const auto form = rig_.MakeForm();
    rig_.ChooseInput(*form, input);
    rig_.ChooseOutput(*form, output);
    EXPECT_EQ(form->InputFile(), input);
    EXPECT_TRUE(form->InputFileEdit->text().endsWith(QStringLiteral("/Отчет.txt")));
    EXPECT_TRUE(form->OutputFileEdit->text().endsWith(QStringLiteral("/При.txt")));
    ASSERT_TRUE(form->ConvertButton->isEnabled());
    form->ConvertButton->click();
    EXPECT_TRUE(rig_.dialogs.errors.empty());
    EXPECT_EQ(ReadFile(output), "\xC0\xE0\r\n");
}

TEST_F(MainFormTest, ConvertWritesTheShiftedLetters) {
    const auto form = rig_.MakeForm();
    // Letters at both ends of the DOS range, a line-drawing byte kept, LF and missing line ends.
    WriteFile(rig_.files.File("in.txt"), "\x80\xAF\xBF\xC4 ab\r\n\xE0\nlast");
    rig_.ChooseInput(*form, rig_.files.File("in.txt"));
    // Differing only in letter case: on this file system another file, so it is converted.
    rig_.ChooseOutput(*form, rig_.files.File("IN.txt"));
    form->ConvertButton->click();
    EXPECT_TRUE(rig_.dialogs.errors.empty());
    EXPECT_EQ(ReadFile(rig_.files.File("IN.txt")), "\xC0\xEF\xFF\xC4 ab\r\n\xE0\r\nlast\r\n");
    EXPECT_EQ(ReadFile(rig_.files.File("in.txt")), "\x80\xAF\xBF\xC4 ab\r\n\xE0\nlast");
}

TEST_F(MainFormTest, ConvertRefusesTheInputUnderAnotherNameAndGoesOn) {
    const std::string input = rig_.files.File("a.txt");
    const std::string content = "\x80\xA0 keep me\r\n";
    WriteFile(input, content);
    ASSERT_EQ(::symlink(input.c_str(), rig_.files.File("link.txt").c_str()), 0);
    ASSERT_EQ(::link(input.c_str(), rig_.files.File("hard.txt").c_str()), 0);
    for (const std::string& output : {rig_.files.Path() + "/./a.txt", rig_.files.File("link.txt"),
                                      rig_.files.File("hard.txt")}) {
        const auto form = rig_.MakeForm();
        rig_.dialogs.errors.clear();
        rig_.ChooseInput(*form, input);
        rig_.ChooseOutput(*form, output);
        ASSERT_TRUE(form->ConvertButton->isEnabled()) << output;
        form->ConvertButton->click();
        ASSERT_EQ(rig_.dialogs.errors.size(), 1u) << output;
        EXPECT_EQ(rig_.dialogs.errors[0].title, "Quillon");
        EXPECT_EQ(rig_.dialogs.errors[0].text, "I/O error 32.") << output;
        EXPECT_EQ(ReadFile(input), content) << output;
        // The window goes on as before.
        EXPECT_TRUE(form->ConvertButton->isEnabled());
        EXPECT_EQ(form->OutputFileEdit->text().toStdString(), output);
    }
}

TEST_F(MainFormTest, ConvertOfAMissingFileReportsItAndCreatesNothing) {
    const auto form = rig_.MakeForm();
    rig_.ChooseInput(*form, rig_.files.File("typed-name.txt"));
    rig_.ChooseOutput(*form, rig_.files.File("out"));
    form->ConvertButton->click();
    ASSERT_EQ(rig_.dialogs.errors.size(), 1u);
    EXPECT_EQ(rig_.dialogs.errors[0].text, "File not found.");
    EXPECT_FALSE(testing::FileExists(rig_.files.File("out")));
}

TEST_F(MainFormTest, ExpandButtonTogglesTheHeight) {
    const auto form = rig_.MakeForm();
    form->SpeedButton3->click();
    EXPECT_EQ(form->height(), 134);
    EXPECT_EQ(form->SpeedButton3->text(), "<<");
    EXPECT_TRUE(form->rect().contains(form->BitBtn1->geometry()));
    form->SpeedButton3->click();
    EXPECT_EQ(form->height(), 105);
    EXPECT_EQ(form->SpeedButton3->text(), ">>");
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
}

TEST_F(MainFormTest, StartsInPortraitWithoutWritingSettings) {
    const auto form = rig_.MakeForm();
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_EQ(form->Report1().Page().Orientation(), TPrinterOrientation::poPortrait);
    EXPECT_EQ(form->Report1().Font().face, "Courier New");
    EXPECT_EQ(form->Report1().Font().size, 10);
    EXPECT_FALSE(testing::FileExists(rig_.SettingsPath()));
    EXPECT_TRUE(rig_.dialogs.errors.empty());
}

TEST_F(MainFormTest, ALandscapeSettingIsAppliedAndWrittenBackAtStart) {
    WriteFile(rig_.SettingsPath(),
              "[Other]\r\nKey=1\r\n[Print]\r\nOrientation=Landscape\r\nFont=Arial\r\n");
    const auto form = rig_.MakeForm();
    EXPECT_TRUE(form->RadioButton2->isChecked());
    EXPECT_EQ(form->Report1().Page().Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(form->Report1().Font().face, "Arial");
    EXPECT_EQ(form->FontDialogFont().family(), "Arial");
    EXPECT_EQ(form->FontDialogFont().pointSize(), 10);
    EXPECT_EQ(
        ReadFile(rig_.SettingsPath()),
        "[Other]\r\nKey=1\r\n[Print]\r\nOrientation=landscape\r\nFont=Arial\r\nFontSize=10\r\n");

    // Selecting the checked button runs nothing; the other one saves.
    std::remove(rig_.SettingsPath().c_str());
    form->RadioButton2->click();
    EXPECT_FALSE(testing::FileExists(rig_.SettingsPath()));
    form->RadioButton1->click();
    EXPECT_EQ(form->Report1().Page().Orientation(), TPrinterOrientation::poPortrait);
    EXPECT_TRUE(ReadPrintSettings(rig_.SettingsPath()).portrait);
    EXPECT_TRUE(rig_.dialogs.errors.empty());
}

TEST_F(MainFormTest, LineDrawingFollowsTheSettingsFileAndIsSavedWithTheOtherKeys) {
    WriteFile(rig_.SettingsPath(), "[Print]\r\nLineDrawing=1\r\n[Mine]\r\nKept=yes\r\n");
    auto form = rig_.MakeForm();
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->Report1().Font().charset, kOemCharset);
    form->CheckBox1->click();
    EXPECT_EQ(form->Report1().Font().charset, kRussianCharset);
    EXPECT_EQ(ReadFile(rig_.SettingsPath()),
              "[Print]\r\nLineDrawing=0\r\nOrientation=portrait\r\nFont=Courier New\r\n"
              "FontSize=10\r\n[Mine]\r\nKept=yes\r\n");

    // A file without the key keeps exactly the original three until the box is ticked.
    std::remove(rig_.SettingsPath().c_str());
    form = rig_.MakeForm();
    EXPECT_FALSE(form->CheckBox1->isChecked());
    form->RadioButton2->click();
    EXPECT_EQ(ReadFile(rig_.SettingsPath()),
              "[Print]\r\nOrientation=landscape\r\nFont=Courier New\r\nFontSize=10\r\n");
    form->CheckBox1->click();
    EXPECT_TRUE(ReadPrintSettings(rig_.SettingsPath()).lineDrawing);
    EXPECT_TRUE(rig_.dialogs.errors.empty());
}

struct FontSizeCase {
    const char* stored;
    double printed;
};

TEST_F(MainFormTest, FontSizesThatNameNoFontPrintUsablyAndAreKept) {
    const FontSizeCase kCases[] = {
        {"14", 14}, {"0", 10}, {"-12", 12}, {"-2147483648", 2147483648.0}};
    for (const FontSizeCase& c : kCases) {
        WriteFile(rig_.SettingsPath(), std::string("[Print]\nFontSize=") + c.stored + "\n");
        const auto form = rig_.MakeForm();
        EXPECT_EQ(form->Report1().Font().size, c.printed) << c.stored;
        EXPECT_EQ(form->FontDialogFont().pointSizeF(), c.printed) << c.stored;
        form->RadioButton2->click();
        EXPECT_NE(ReadFile(rig_.SettingsPath()).find(std::string("FontSize=") + c.stored + "\n"),
                  std::string::npos)
            << c.stored;
    }
}

TEST_F(MainFormTest, CancellingTheFontDialogChangesAndWritesNothing) {
    const auto form = rig_.MakeForm();
    const FontSpec before = form->Report1().Font();
    form->BitBtn1->click();
    ASSERT_EQ(rig_.dialogs.fontsShown.size(), 1u);
    // The dialog opens on the report font.
    EXPECT_EQ(rig_.dialogs.fontsShown[0].family(), "Courier New");
    EXPECT_EQ(rig_.dialogs.fontsShown[0].pointSize(), 10);
    EXPECT_EQ(form->Report1().Font(), before);
    EXPECT_FALSE(testing::FileExists(rig_.SettingsPath()));
}

TEST_F(MainFormTest, AChosenFontBecomesTheReportFontAndIsSaved) {
    WriteFile(rig_.SettingsPath(), "[Print]\nFontSize=0\n");
    const auto form = rig_.MakeForm();
    QFont chosen(QStringLiteral("Liberation Serif"));
    chosen.setPointSize(14);
    chosen.setBold(true);
    chosen.setUnderline(true);
    rig_.dialogs.font = FontChoice{chosen, QColor(0, 0, 0x80)};
    form->BitBtn1->click();
    const FontSpec font = form->Report1().Font();
    EXPECT_EQ(font.face, "Liberation Serif");
    EXPECT_EQ(font.size, 14);
    EXPECT_EQ(font.style, kFontBold | kFontUnderline);
    EXPECT_EQ(font.color, Rgb(0, 0, 0x80));
    const PrintSettings saved = ReadPrintSettings(rig_.SettingsPath());
    EXPECT_EQ(saved.fontName, "Liberation Serif");
    EXPECT_EQ(saved.fontSize, 14);
    EXPECT_EQ(saved.fontColor, Rgb(0, 0, 0x80));
    // The dialog opens on the colour chosen last, in this run and the next.
    rig_.dialogs.font.reset();
    form->BitBtn1->click();
    const auto next = rig_.MakeForm();
    EXPECT_EQ(next->Report1().Font().color, Rgb(0, 0, 0x80));
    next->BitBtn1->click();
    ASSERT_EQ(rig_.dialogs.coloursShown.size(), 3u);
    EXPECT_EQ(rig_.dialogs.coloursShown[0], QColor(Qt::black));
    EXPECT_EQ(rig_.dialogs.coloursShown[1], QColor(0, 0, 0x80));
    EXPECT_EQ(rig_.dialogs.coloursShown[2], QColor(0, 0, 0x80));

    // The installed stand-in of the report's face, confirmed as the dialog preselects it,
    // keeps the face name.
    form->RadioButton2->click();
    const QString standIn = QFontInfo(QFont(QStringLiteral("Courier New"))).family();
    WriteFile(rig_.SettingsPath(), "[Print]\nFont=Courier New\n");
    const auto second = rig_.MakeForm();
    QFont confirmed(standIn);
    confirmed.setPointSize(12);
    rig_.dialogs.font = FontChoice{confirmed, Qt::black};
    second->BitBtn1->click();
    EXPECT_EQ(second->Report1().Font().face, "Courier New");
    EXPECT_EQ(ReadPrintSettings(rig_.SettingsPath()).fontSize, 12);
    EXPECT_TRUE(rig_.dialogs.errors.empty());
}

class RecordingShell : public Shell {
public:
    bool Open(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
    std::vector<std::string> opened;
};

TEST_F(MainFormTest, TheMakersLabelsOpenTheMakersPage) {
    RecordingShell shell;
    PlatformServices services = Platform();
    services.shell = &shell;
    InstallPlatform(services);
    const auto form = rig_.MakeForm();
    EXPECT_EQ(form->Label4->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(form->Label4, Qt::LeftButton);
    QTest::mouseClick(form->Label3, Qt::RightButton, {}, QPoint(50, 12));
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{TMainForm::kMakerAddress, TMainForm::kMakerAddress}));
    EXPECT_TRUE(QString::fromLatin1(TMainForm::kMakerAddress).startsWith("https://"));
}

TEST(ErrorBoxMessage, DecodesFileNamesAsTheFileSystemDoesAndLegacyNamesAsCyrillic) {
    EXPECT_EQ(ErrorBoxMessage("File not found"), "File not found.");
    EXPECT_EQ(ErrorBoxMessage("Unable to write to /home/\xD0\xB8/quillon.ini"),
              QString::fromUtf8("Unable to write to /home/и/quillon.ini."));
    // A name from an old disk reads as the file dialog lists it: Windows-1251, DOS letters.
    EXPECT_EQ(ErrorBoxMessage("Unable to write to /home/\xE8"),
              QString::fromUtf8("Unable to write to /home/и."));
    EXPECT_EQ(ErrorBoxMessage("Cannot open file \"/d/\x8E\x92\x97\x85\x92.TXT\""),
              QString::fromUtf8("Cannot open file \"/d/ОТЧЕТ.TXT\""));
    EXPECT_EQ(ErrorBoxMessage("I/O error 32."), "I/O error 32.");
}

// A folder the program may not write to: the error box of the settings file, at start-up for
// a landscape setting and after a change of orientation, and the orientation still in use.
// Permissions bind only an unprivileged user, so the check runs as one in a fresh process.
TEST(MainFormWriteProtected, ShowsTheSettingsErrorAndKeepsTheOrientation) {
    if (const char* folder = std::getenv("QUILLON_PROTECTED_PROGRAM_FOLDER")) {
        ASSERT_NE(::geteuid(), 0u) << "the check must not run with root's rights";
        testing::EnsureQtApplication();
        const auto platform = InstallQtPlatform();
        testing::ScriptedDialogs dialogs;
        const std::string settings = std::string(folder) + "/quillon.ini";
        TMainForm form(dialogs.Dialogs(), settings, QStringLiteral("Quillon"));
        const QString expected =
            QFile::decodeName(QByteArray::fromStdString("Unable to write to " + settings + "."));
        ASSERT_EQ(dialogs.errors.size(), 1u) << "once, during start-up";
        EXPECT_EQ(dialogs.errors[0].title, "Quillon");
        EXPECT_EQ(dialogs.errors[0].text, expected);
        EXPECT_TRUE(form.RadioButton2->isChecked());
        EXPECT_EQ(form.Report1().Page().Orientation(), TPrinterOrientation::poLandscape);

        form.RadioButton1->click();
        ASSERT_EQ(dialogs.errors.size(), 2u);
        EXPECT_EQ(dialogs.errors[1].text, expected);
        EXPECT_EQ(form.Report1().Page().Orientation(), TPrinterOrientation::poPortrait);
        EXPECT_EQ(ReadFile(settings), "[Print]\nOrientation=landscape\n");
        return;
    }

    // "Пейзаж" in the folder's name: the message carries the file system's bytes.
    testing::TempDir root;
    const std::string folder = root.File("програма");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    WriteFile(folder + "/quillon.ini", "[Print]\nOrientation=landscape\n");
    ASSERT_EQ(::chmod((folder + "/quillon.ini").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    // Run from a copy the unprivileged user can reach wherever the build is (one under /root is
    // closed to it).
    const std::string self = root.File("main_form_test");
    std::filesystem::copy_file(QUILLON_BINARY_DIR "/tests/app/main_form_test", self);
    ASSERT_EQ(::chmod(self.c_str(), 0755), 0);
    const int status = testing::RunUnprivileged([&] {
        ::setenv("QUILLON_PROTECTED_PROGRAM_FOLDER", folder.c_str(), 1);
        ::unsetenv("XDG_RUNTIME_DIR");
        ::execl(self.c_str(), self.c_str(),
                "--gtest_filter=MainFormWriteProtected.ShowsTheSettingsErrorAndKeepsTheOrientation",
                static_cast<char*>(nullptr));
        return 253;
    });
    EXPECT_EQ(status, 0) << "the unprivileged run failed (see its output above)";
}

}  // namespace
}  // namespace quillon
