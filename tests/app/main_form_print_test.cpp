// Print from the main window: the input file's lines through the report into the standard
// preview, the window while the preview is open, and closing the window during a preview.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/gui/command_line_file.h"
#include "output/qr_printer.h"
#include "platform/core/page_picture.h"
#include "platform/qt/qt_canvas.h"
#include "preview/widgets/qr_standard_preview.h"
#include "preview/widgets/qr_standard_preview_interface.h"
#include "report/export_filter_library.h"
#include "report/pdf_export_filter.h"
#include "report/print_setup.h"
#include "tests/app/main_form_test_support.h"
#include "tests/preview/preview_test_support.h"
#include "tests/report/report_test_support.h"

namespace quillon {
namespace {

using testing::MainFormRig;
using testing::WriteFile;

// The ten line-drawing bytes in a frame around DOS Cyrillic text, then numbered lines.
std::string FramedText(int numberedLines) {
    std::string text =
        "\xDA\xC4\xC2\xC4\xBF\r\n"              // top: corner, line, tee, line, and a letter
        "\xD3\x8F\xB0\xA8\xA2\xA5\xB2\xD3\r\n"  // "|Привет|"
        "\xC3\xC4\xC5\xC4\xB4\r\n"              // 195 tee, 197 stays, 180 is a letter
        "\xC0\xC1\xCF\xD4\xD9\xDA\r\n";         // the remaining corners and tees
    for (int i = 1; i <= numberedLines; ++i) {
        text += "\x8B\xA8\xAD\xA8\xBF " + std::to_string(i) + "\r\n";  // "Линия N"
    }
    return text;
}

class MainFormPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterStandardPreview();
        // A preview that nobody closes would hold the test in its wait loop.
        watchdog_.setSingleShot(true);
        QObject::connect(&watchdog_, &QTimer::timeout, [] {
            ADD_FAILURE() << "a preview was still open after 30 s";
            std::vector<QPointer<QWidget>> previews;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (dynamic_cast<TQRStandardPreview*>(widget) != nullptr)
                    previews.emplace_back(widget);
            }
            for (const QPointer<QWidget>& preview : previews) {
                QWidget* const window = preview.data();
                if (window != nullptr && window->isVisible()) window->close();
            }
        });
        watchdog_.start(30000);
    }
    void TearDown() override {
        RegisterPreviewInterface(nullptr);
        RegisterPrintDialog(nullptr);
        testing::ProcessEvents();
    }

    // Runs `action` on the preview window once its pages are complete.
    static void WhenShown(TMainForm& form, std::function<void(TQRStandardPreview&)> action) {
        testing::WhenPreviewReady(form.Report1(), action);
    }

    static int PreviewWindows() {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (dynamic_cast<TQRStandardPreview*>(widget) != nullptr && widget->isVisible())
                ++count;
        }
        return count;
    }

    testing::ScopedQtPlatform platform_;
    testing::ScopedPreviewDialogs previewDialogs_;
    QTimer watchdog_;
    MainFormRig rig_;
};

struct PrintCase {
    const char* settings;
    int numberedLines;
    int pages;
};

TEST_F(MainFormPrintTest, PrintsTheNormalisedLinesIntoThePreview) {
    // Courier New 10 points: 68 lines on a portrait page, 48 on a landscape one.
    const PrintCase kCases[] = {{"", 100, 2}, {"[Print]\nOrientation=landscape\n", 100, 3}};
    for (const PrintCase& c : kCases) {
        WriteFile(rig_.SettingsPath(), c.settings);
        WriteFile(rig_.files.File("dos.txt"), FramedText(c.numberedLines));
        const auto form = rig_.MakeForm();
        form->ShowCentred();
        rig_.ChooseInput(*form, rig_.files.File("dos.txt"));
        const TPrinterOrientation orientation = form->Report1().Page().Orientation();

        std::vector<std::vector<std::string>> pages;
        bool shown = false;
        WhenShown(*form, [&](TQRStandardPreview& preview) {
            shown = true;
            pages = testing::PageStrings(*preview.QRPrinter());
            EXPECT_TRUE(form->PreviewRunning());
            // The window answers, Print does nothing, the report's settings are locked.
            TQRPrinter* const printer = form->Report1().QRPrinter();
            form->PrintButton->click();
            EXPECT_EQ(form->Report1().QRPrinter(), printer);
            EXPECT_EQ(PreviewWindows(), 1);
            EXPECT_FALSE(form->RadioButton1->isEnabled());
            EXPECT_FALSE(form->BitBtn1->isEnabled());
            // As the print dialog does: the page turned while the preview is open.
            form->Report1().Page().SetOrientation(orientation == TPrinterOrientation::poPortrait
                                                      ? TPrinterOrientation::poLandscape
                                                      : TPrinterOrientation::poPortrait);
            preview.close();
        });
        form->PrintButton->click();
        ASSERT_TRUE(shown) << c.settings;
        EXPECT_TRUE(rig_.dialogs.errors.empty());
        ASSERT_EQ(static_cast<int>(pages.size()), c.pages) << c.settings;
        ASSERT_GE(pages[0].size(), 4u);
        EXPECT_EQ(pages[0][0], "+-+-\xFF");
        EXPECT_EQ(pages[0][1], "|\xCF\xF0\xE8\xE2\xE5\xF2|");
        EXPECT_EQ(pages[0][2], "+-\xC5-\xF4");
        EXPECT_EQ(pages[0][3],
                  "+++++"
                  "+");
        EXPECT_EQ(pages.back().back(), "\xCB\xE8\xED\xE8\xFF " + std::to_string(c.numberedLines));

        // Back in control: the preview and its printer are gone, the memo keeps its lines, and
        // the page lies as the checked button says.
        EXPECT_FALSE(form->PreviewRunning());
        EXPECT_EQ(form->Report1().QRPrinter(), nullptr);
        EXPECT_EQ(form->QRMemo1().Lines().size(), 4u + c.numberedLines);
        EXPECT_EQ(form->Report1().Page().Orientation(), orientation);
        EXPECT_TRUE(form->RadioButton1->isEnabled());
        EXPECT_TRUE(form->BitBtn1->isEnabled());
    }
}

// Pixels of `picture` played on a white image through the Qt canvas, as the preview and the
// printer play pages, that are clearly red.
int RedPixels(const PagePicture& picture) {
    QImage image(picture.Width(), picture.Height(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, QtCanvas::CapsOf(image));
        picture.Play(canvas, Rect{0, 0, image.width(), image.height()});
    }
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 90 && c.blue() < 90) ++red;
        }
    }
    return red;
}

TEST_F(MainFormPrintTest, TheFontDialogsColourPrintsOnThePagesAndInReportFiles) {
    WriteFile(rig_.files.File("dos.txt"), FramedText(5));
    const auto form = rig_.MakeForm();
    rig_.dialogs.font = FontChoice{QFont(QStringLiteral("Liberation Mono"), 12), Qt::red};
    form->BitBtn1->click();
    rig_.ChooseInput(*form, rig_.files.File("dos.txt"));
    const std::string saved = rig_.files.File("red.QRP");
    int shownRed = 0;
    WhenShown(*form, [&](TQRStandardPreview& preview) {
        if (const auto page = preview.QRPrinter()->PageImage(1)) shownRed = RedPixels(*page);
        preview.QRPrinter()->Save(saved);
        preview.close();
    });
    form->PrintButton->click();
    EXPECT_GT(shownRed, 100);
    TQRPrinter loaded;
    loaded.Load(saved);
    const auto page = loaded.PageImage(1);
    ASSERT_TRUE(page);
    EXPECT_EQ(RedPixels(*page), shownRed);
    EXPECT_TRUE(rig_.dialogs.errors.empty());
}

// A line of 136 columns is wider than a portrait page at 10 points. A stream that prints it in
// condensed print gets a font that fits it, for that preview only; plain text keeps the size
// the user chose.
TEST_F(MainFormPrintTest, ALineInCondensedPrintIsFittedToThePaperForThatRunOnly) {
    const std::string wide(136, 'x');
    for (const bool condensed : {false, true}) {
        SCOPED_TRACE(condensed ? "condensed" : "plain");
        WriteFile(rig_.files.File("wide.prn"), (condensed ? "\x0F" : "") + wide + "\x12\r\n\f");
        const auto form = rig_.MakeForm();
        rig_.ChooseInput(*form, rig_.files.File("wide.prn"));
        const double chosen = form->Report1().Font().size;
        double printed = 0;
        WhenShown(*form, [&](TQRStandardPreview& preview) {
            printed = form->Report1().Font().size;
            preview.close();
        });
        form->PrintButton->click();
        EXPECT_TRUE(rig_.dialogs.errors.empty());
        EXPECT_EQ(chosen, 10);
        if (condensed) {
            EXPECT_LT(printed, 7.5);
            EXPECT_GT(printed, 5);
        } else {
            EXPECT_EQ(printed, chosen);
        }
        EXPECT_EQ(form->Report1().Font().size, chosen) << "the chosen size is back";
    }
}

TEST_F(MainFormPrintTest, AFileOnTheCommandLineIsPrintedAtOnce) {
    WriteFile(rig_.files.File("notes.txt"), FramedText(3));
    const auto form = rig_.MakeForm();
    form->ShowCentred();
    CommandLineReports reports;
    int lines = 0;
    WhenShown(*form, [&](TQRStandardPreview& preview) {
        lines = static_cast<int>(testing::PageStrings(*preview.QRPrinter())[0].size());
        preview.close();
    });
    // A relative name is taken in the working folder.
    char* const previous = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(rig_.files.Path().c_str()), 0);
    OpenCommandLineFile(*form, reports, "notes.txt");
    for (int i = 0; i < 200 && lines == 0; ++i) testing::ProcessEvents();
    EXPECT_EQ(::chdir(previous), 0);
    std::free(previous);
    EXPECT_EQ(lines, 7);
    EXPECT_EQ(form->InputFile(), rig_.files.File("notes.txt"));
    EXPECT_TRUE(form->PrintButton->isEnabled());
    EXPECT_TRUE(rig_.dialogs.errors.empty());
}

// How a preview window opened: what the program's Print and a report file on the command line
// must have in common.
struct OpenedPreview {
    QSize size;
    Qt::WindowStates state;
    QString zoom;  // the zoom button that is down
    bool thumbnails = false;
    bool search = false;
    bool operator==(const OpenedPreview&) const = default;
    friend void PrintTo(const OpenedPreview& p, std::ostream* out) {
        *out << p.size.width() << " x " << p.size.height() << ", state " << p.state.toInt() << ", "
             << p.zoom.toStdString() << (p.thumbnails ? ", thumbnails" : "")
             << (p.search ? ", search" : "");
    }
};

OpenedPreview Opened(const TQRStandardPreview& preview) {
    OpenedPreview opened{preview.size(),
                         preview.windowState(),
                         {},
                         preview.Tabs()->isVisible(),
                         preview.Button("FindButton")->isVisible()};
    for (const char* zoom : {"ZoomFit", "ZoomToWidth", "Zoom100"}) {
        if (preview.Button(zoom)->isChecked()) opened.zoom = QString::fromLatin1(zoom);
    }
    return opened;
}

TEST_F(MainFormPrintTest, AReportFileOnTheCommandLineOpensAsTheProgramsPreviewLoadsIt) {
    const std::string path = rig_.files.File("saved.QRP");
    {
        TQRPrinter printer;
        testing::RecordTextPages(printer, {{"One"}, {"Two"}, {"Three"}});
        printer.Save(path);
    }
    WriteFile(rig_.files.File("dos.txt"), FramedText(3));
    const auto form = rig_.MakeForm();
    form->ShowCentred();
    // The program's own preview, as Print opens it.
    rig_.ChooseInput(*form, rig_.files.File("dos.txt"));
    std::optional<OpenedPreview> printed;
    WhenShown(*form, [&](TQRStandardPreview& preview) {
        printed = Opened(preview);
        preview.close();
    });
    form->PrintButton->click();
    ASSERT_TRUE(printed.has_value());
    EXPECT_EQ(*printed,
              (OpenedPreview{QSize(500, 500), Qt::WindowNoState, "ZoomToWidth", true, true}));

    CommandLineReports reports;
    OpenCommandLineFile(*form, reports, path);
    testing::ProcessEvents();
    ASSERT_EQ(reports.OpenCount(), 1);
    TQRStandardPreview* shown = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* preview = dynamic_cast<TQRStandardPreview*>(widget);
            preview && preview->isVisible())
            shown = preview;
    }
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(Opened(*shown), *printed);
    EXPECT_EQ(shown->QRPrinter()->PageTotal(), 3);
    EXPECT_EQ(shown->StatusPanel(2)->text(), QString::fromStdString(path));
    EXPECT_EQ(shown->StatusPanel(1)->text(), "Page 1 of 3");
    EXPECT_TRUE(shown->Button("Print")->isEnabled());
    EXPECT_FALSE(shown->Button("PrintSetup")->isEnabled());
    shown->close();
    testing::ProcessEvents();
    testing::ProcessEvents();
    EXPECT_EQ(reports.OpenCount(), 0);

    // A file that is no report, and one that is not there: the program's error box with what
    // loading says (for a missing file, what the preview's Load says), and no window.
    WriteFile(rig_.files.File("broken.qrp"), "not a report");
    for (const std::string name : {"broken.qrp", "missing.qrp"}) {
        rig_.dialogs.errors.clear();
        OpenCommandLineFile(*form, reports, rig_.files.File(name));
        testing::ProcessEvents();
        ASSERT_EQ(rig_.dialogs.errors.size(), 1u) << name;
        EXPECT_EQ(rig_.dialogs.errors[0].title, "Quillon");
        EXPECT_EQ(reports.OpenCount(), 0);
        EXPECT_EQ(PreviewWindows(), 0);
    }
    EXPECT_EQ(rig_.dialogs.errors[0].text.toStdString(), "File does not exist.");
}

TEST_F(MainFormPrintTest, ThePreviewsSaveNeverReplacesTheFileBeingPrinted) {
    const std::string input = rig_.files.File("dos.txt");
    WriteFile(input, FramedText(100));
    ASSERT_EQ(::symlink("dos.txt", rig_.files.File("link.txt").c_str()), 0);
    ASSERT_EQ(::link(input.c_str(), rig_.files.File("hard.txt").c_str()), 0);
    const std::string before = testing::ReadFile(input);
    const auto form = rig_.MakeForm();
    rig_.ChooseInput(*form, input);
    RegisterPdfExportFilter();

    // Each file type onto the input by other names (1 report file, 2 PDF), then a PDF beside it.
    const std::vector<FileChoice> answers{{rig_.files.Path() + "/./dos.txt", 1},
                                          {rig_.files.File("link.txt"), 2},
                                          {rig_.files.File("hard.txt"), 1},
                                          {input, 2},
                                          {rig_.files.File("dos.pdf"), 2}};
    const std::size_t refusals = answers.size() - 1;
    previewDialogs_.AnswerFiles(answers);
    std::vector<QString> errors;
    previewDialogs_.KeepErrors(errors);
    WhenShown(*form, [&](TQRStandardPreview& preview) {
        for (std::size_t i = 0; i <= refusals; ++i) preview.Button("SaveReport")->click();
        preview.close();
    });
    form->PrintButton->click();
    QRExportFilterLibrary().Remove("PDF file");

    EXPECT_EQ(errors, std::vector<QString>(refusals, QStringLiteral("I/O error 32")));
    EXPECT_TRUE(testing::ReadFile(input) == before) << "the text being printed was replaced";
    struct stat st {};
    ASSERT_EQ(::lstat(rig_.files.File("link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(testing::CommandOutput("ls -A '" + rig_.files.Path() + "'"),
              "dos.pdf\ndos.txt\nhard.txt\nlink.txt\n");
    EXPECT_EQ(testing::ReadFile(rig_.files.File("dos.pdf")).rfind("%PDF-", 0), 0u);
}

TEST_F(MainFormPrintTest, AnEmptyFilePreviewsOnePageAndAMissingOneNone) {
    WriteFile(rig_.files.File("empty.txt"), "");
    const auto form = rig_.MakeForm();
    rig_.ChooseInput(*form, rig_.files.File("empty.txt"));
    int pageTotal = 0;
    WhenShown(*form, [&](TQRStandardPreview& preview) {
        pageTotal = preview.QRPrinter()->PageTotal();
        preview.close();
    });
    form->PrintButton->click();
    EXPECT_EQ(pageTotal, 1);
    EXPECT_TRUE(form->QRMemo1().Lines().empty());

    rig_.ChooseInput(*form, rig_.files.File("typed-name.txt"));
    form->PrintButton->click();
    ASSERT_EQ(rig_.dialogs.errors.size(), 1u);
    EXPECT_EQ(rig_.dialogs.errors[0].text, "File not found.");
    EXPECT_TRUE(form->QRMemo1().Lines().empty());
    EXPECT_EQ(form->Report1().QRPrinter(), nullptr);
    EXPECT_EQ(PreviewWindows(), 0);
}

TEST_F(MainFormPrintTest, ClosingTheWindowDuringThePreviewClosesThePreviewThenTheWindow) {
    WriteFile(rig_.files.File("dos.txt"), FramedText(10));
    const auto form = rig_.MakeForm();
    form->ShowCentred();
    rig_.ChooseInput(*form, rig_.files.File("dos.txt"));
    bool closedDuringPreview = false;
    WhenShown(*form, [&](TQRStandardPreview&) {
        EXPECT_FALSE(form->close()) << "the window waits for the preview to end";
        closedDuringPreview = true;
    });
    form->PrintButton->click();
    ASSERT_TRUE(closedDuringPreview);
    // The preview has gone and Print's handler has returned; the window closes after it.
    EXPECT_EQ(form->Report1().QRPrinter(), nullptr);
    EXPECT_TRUE(form->isVisible());
    testing::ProcessEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(PreviewWindows(), 0);
}

}  // namespace
}  // namespace quillon
