// "PDF file" in the preview's Save, through the window as a user meets it: the PDF holds the
// pages the window shows (count, paper, orientation, text), saving onto the loaded report is
// refused, and a write that fails part way ends in the error box with nothing left behind.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include "output/qr_printer.h"
#include "platform/core/cp1251.h"
#include "platform/dialogs/file_dialog.h"
#include "platform/dialogs/file_names.h"
#include "preview/widgets/qr_standard_preview.h"
#include "preview/widgets/qr_standard_preview_interface.h"
#include "report/export_filter_library.h"
#include "report/pdf_export_filter.h"
#include "report/program_report.h"
#include "tests/preview/preview_test_support.h"
#include "tests/support/pdf_check.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::ProcessEvents;
using Strings = std::vector<std::string>;

constexpr const char* kSaveFilter = "RozerEdedid file(*.QRP)|*.QRP|PDF file (*.pdf)|*.pdf";

class PdfExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterStandardPreview();
        RegisterPdfExportFilter();
        for (int i = 1; i <= 150; ++i) {
            utf8.push_back("Ред " + std::to_string(i) + " │ Хляб бял │ 12.50");
            program.Memo().AddLine(Utf8ToCp1251(utf8.back(), '|'));
        }
        // The program's report prints the line-drawing bar as "|".
        for (std::string& line : utf8) {
            for (std::size_t p = line.find("│"); p != std::string::npos; p = line.find("│")) {
                line.replace(p, std::string("│").size(), "|");
            }
        }
        program.Report().SetDocumentName("notes.txt");
    }
    void TearDown() override {
        QRExportFilterLibrary().Remove("PDF file");
        RegisterPreviewInterface(nullptr);
        ProcessEvents();
    }

    // Runs `action` on the preview window once its pages are complete, then closes it.
    void WhenShown(const std::function<void(TQRStandardPreview&)>& action) {
        testing::WhenPreviewReady(program.Report(), [action](TQRStandardPreview& window) {
            action(window);
            window.close();
        });
    }

    // Answers the save dialog with the PDF entry and `path`.
    void SaveAsPdfTo(const std::string& path) {
        dialogs->chooseFile = [path](QWidget*, const FileDialogRequest& request) {
            EXPECT_EQ(request.title, "Save report");
            EXPECT_EQ(request.filter, kSaveFilter);
            return std::optional<FileChoice>(FileChoice{path, 2});
        };
    }

    testing::ScopedQtPlatform platform;
    testing::ScopedPreviewDialogs dialogs;
    testing::TempDir dir;
    ProgramReport program;
    Strings utf8;
};

TEST_F(PdfExportTest, SavingAsPdfWritesThePagesTheWindowShows) {
    program.Report().Page().SetOrientation(TPrinterOrientation::poLandscape);
    const std::string path = dir.File("notes.pdf");
    SaveAsPdfTo(path);
    int pages = 0;
    WhenShown([&](TQRStandardPreview& w) {
        pages = w.QRPrinter()->PageTotal();
        w.Button("SaveReport")->click();
        // The window keeps its pages.
        EXPECT_EQ(w.QRPrinter()->PageTotal(), pages);
    });
    program.Report().Preview();

    ASSERT_GT(pages, 1);
    const testing::PdfFacts facts = testing::InspectPdf(path);
    EXPECT_TRUE(facts.qpdfClean) << facts.qpdfReport;
    EXPECT_EQ(facts.warnings, "");
    EXPECT_EQ(facts.pages, pages);
    EXPECT_NEAR(facts.width, 841.89, 0.5);
    EXPECT_NEAR(facts.height, 595.28, 0.5);
    EXPECT_EQ(facts.title, "notes.txt");
    EXPECT_EQ(testing::TextLines(facts.text), utf8);
}

TEST_F(PdfExportTest, SavingOntoTheLoadedReportIsRefused) {
    const std::string qrp = dir.File("saved.qrp");
    // The report file loaded, then the PDF onto it (named another way), then elsewhere.
    dialogs.AnswerFiles(
        {{qrp, 1},
         {dir.Path() + "/../" + dir.Path().substr(dir.Path().rfind('/') + 1) + "/saved.qrp", 2},
         {dir.File("loaded.pdf"), 2}});
    std::vector<QString> errors;
    dialogs.KeepErrors(errors);
    WhenShown([&](TQRStandardPreview& w) {
        w.QRPrinter()->Save(qrp);
        w.Button("LoadReport")->click();
        ASSERT_EQ(w.QRPrinter()->State(), TQRPrinterState::prsFinished);
        const std::string before = testing::ReadFile(qrp);
        w.Button("SaveReport")->click();
        EXPECT_EQ(testing::ReadFile(qrp), before);
        w.Button("SaveReport")->click();
    });
    program.Report().Preview();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith("Cannot create file \"")) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].endsWith("saved.qrp\". The file is in use as the loaded report"))
        << errors[0].toStdString();
    const testing::PdfFacts facts = testing::InspectPdf(dir.File("loaded.pdf"));
    EXPECT_EQ(facts.title, "saved.qrp");
    EXPECT_EQ(testing::TextLines(facts.text), utf8);
    EXPECT_EQ(testing::CommandOutput("ls -A '" + dir.Path() + "'"), "loaded.pdf\nsaved.qrp\n");
}

TEST_F(PdfExportTest, AWriteThatFailsEndsInTheErrorBoxWithNothingLeft) {
    const std::string path = dir.File("notes.pdf");
    testing::WriteFile(path, "the old file");
    SaveAsPdfTo(path);
    std::vector<QString> errors;
    dialogs.KeepErrors(errors);
    WhenShown([&](TQRStandardPreview& w) {
        // The file system takes 4 KB of this process's files, as if it were full.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        w.Button("SaveReport")->click();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
    });
    program.Report().Preview();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "I/O error 223");  // the file size limit (EFBIG)
    EXPECT_EQ(testing::ReadFile(path), "the old file");
    EXPECT_EQ(testing::CommandOutput("ls -A '" + dir.Path() + "'"), "notes.pdf\n");
}

TEST(PdfSaveDialog, ANameWithoutExtensionTakesThatOfTheChosenFileType) {
    testing::ScopedQtPlatform platform;
    RegisterPdfExportFilter();
    const auto chooseFile = DefaultPreviewDialogs().chooseFile;  // the program's own dialog
    testing::TempDir dir;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<FileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->SetFolder(dir.Path());
        dialog->FilterBox()->setCurrentIndex(1);
        dialog->NameEdit()->setText(QStringLiteral("notes"));
        dialog->Confirm();
    });
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::kSave;
    request.title = QStringLiteral("Save report");
    request.filter = QString::fromStdString(QRExportFilterLibrary().SaveDialogFilter());
    request.defaultExtension = QStringLiteral("QRP");
    const std::optional<FileChoice> choice = chooseFile(nullptr, request);
    QRExportFilterLibrary().Remove("PDF file");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->filterIndex, 2);
    EXPECT_EQ(choice->fileName, dir.File("notes.pdf"));
}

// The program's memory of the last folder a dialog was confirmed in, kept in the test.
class RecordedFolder : public DialogFolderMemory {
public:
    std::string last;
    std::vector<std::string> remembered;
    std::string LastFolder() override { return last; }
    void Remember(const std::string& folder) override { remembered.push_back(folder); }
};

// The preview's Save and Load dialogs open in the last folder used, else at home, and a
// confirmed choice becomes the last folder.
TEST(PreviewFileDialogs, OpenInTheLastFolderUsedAndRememberTheOneChosen) {
    testing::ScopedQtPlatform platform;
    testing::TempDir dir;
    const std::string folder = dir.File("reports");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const auto chooseFile = DefaultPreviewDialogs().chooseFile;
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::kSave;
    request.filter = QStringLiteral("RozerEdedid file (*.QRP)|*.QRP");
    request.defaultExtension = QStringLiteral("QRP");
    // Answers the dialog with `name` in the folder it opened in, which it records.
    const auto answer = [](std::string& openedIn, const char* name) {
        QTimer::singleShot(0, [&openedIn, name] {
            FileDialog* dialog = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = dynamic_cast<FileDialog*>(w); d != nullptr && d->isVisible()) dialog = d;
            }
            ASSERT_NE(dialog, nullptr);
            openedIn = dialog->Folder();
            if (name == nullptr) {
                dialog->reject();
                return;
            }
            dialog->NameEdit()->setText(QString::fromUtf8(name));
            dialog->Confirm();
        });
    };

    std::string openedIn;
    answer(openedIn, nullptr);
    EXPECT_FALSE(chooseFile(nullptr, request));
    EXPECT_EQ(openedIn, HomeFolder());

    auto owned = std::make_unique<RecordedFolder>();
    RecordedFolder& memory = *owned;
    memory.last = folder;
    SetDialogFolderMemory(std::move(owned));
    answer(openedIn, nullptr);
    EXPECT_FALSE(chooseFile(nullptr, request));
    EXPECT_EQ(openedIn, folder);
    EXPECT_TRUE(memory.remembered.empty());

    answer(openedIn, "notes");
    const std::optional<FileChoice> choice = chooseFile(nullptr, request);
    EXPECT_EQ(memory.remembered, std::vector<std::string>{folder});
    SetDialogFolderMemory(nullptr);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->fileName, folder + "/notes.QRP");
}

}  // namespace
}  // namespace quillon
