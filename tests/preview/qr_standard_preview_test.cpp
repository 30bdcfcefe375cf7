// The standard preview window: its design, paging and keys, go to page, the status bar,
// saving and loading report files, text search, thumbnails and closing.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "expr/environment.h"
#include "output/qr_page_list.h"
#include "output/qr_printer.h"
#include "platform/core/canvas.h"
#include "platform/core/cp1251.h"
#include "platform/core/rounding.h"
#include "platform/core/services.h"
#include "preview/core/page_text_search.h"
#include "preview/widgets/preview_placement.h"
#include "preview/widgets/qr_preview.h"
#include "preview/widgets/qr_standard_preview.h"
#include "tests/output/fake_printer.h"
#include "tests/preview/preview_test_support.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::ProcessEvents;
using testing::RecordTextPages;

// Lets events run until `done` or `milliseconds` have passed.
void WaitFor(const std::function<bool()>& done, int milliseconds = 2000) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
}

std::vector<std::vector<std::string>> NumberedPages(int count) {
    std::vector<std::vector<std::string>> pages;
    for (int i = 1; i <= count; ++i) pages.push_back({"Page " + std::to_string(i)});
    return pages;
}

class StandardPreviewTest : public ::testing::Test {
protected:
    // A window on `printer`, shown.
    TQRStandardPreview& Open(TQRPrinter& shown) {
        window = new TQRStandardPreview(&shown);
        window->ShowPreview();
        return *window;
    }
    void TearDown() override {
        if (window) window->close();
        ProcessEvents();
        EXPECT_TRUE(window.isNull());
    }

    QString Panel(int index) const { return window->StatusPanel(index)->text(); }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        // Sent to the focused control: the window sees it first.
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(window->QRPreview(), &event);
    }

    testing::ScopedQtPlatform platform;
    testing::ScopedPreviewDialogs dialogs;
    TQRPrinter printer;
    QPointer<TQRStandardPreview> window;
};

TEST_F(StandardPreviewTest, DesignOfTheWindow) {
    RecordTextPages(printer, NumberedPages(2));
    TQRStandardPreview& w = Open(printer);
    EXPECT_EQ(w.windowTitle(), "Print Preview");
    EXPECT_TRUE(w.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(w.ToolBar1()->height(), 30);

    struct Item {
        const char* name;
        const char* hint;
        bool enabled;
        bool checkable;
    };
    const Item expected[] = {
        {"ToolButton1", "", true, false},
        {"ZoomFit", "Zoom to fit", true, true},
        {"ZoomToWidth", "Zoom to width", true, true},
        {"Zoom100", "100%", true, true},
        {"Spacer3", "", false, false},
        {"FirstPage", "First page", true, false},
        {"PreviousPage", "Previous page", true, false},
        {"ToolButton2", "Next page", true, false},
        {"LastPage", "Last page", true, false},
        {"Spacer2", "", false, false},
        {"GotoPageButton", "Go to page", true, false},
        {"FindButton", "Search for text", true, false},
        {"Spacer1", "", false, false},
        {"PrintSetup", "Printer setup", false, false},
        {"Print", "Print", true, false},
        {"Spacer4", "", false, false},
        {"SaveReport", "Save Report", true, false},
        {"LoadReport", "Load Report", true, false},
        {"Spacer5", "", false, false},
        {"ExitButton", "Close preview", true, false},
    };
    const QList<QAction*> actions = w.ToolBar1()->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(expected)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const Item& e = expected[i];
        SCOPED_TRACE(e.name);
        if (actions[i]->isSeparator()) {
            EXPECT_EQ(actions[i]->objectName(), e.name);
            continue;
        }
        QWidget* widget = w.ToolBar1()->widgetForAction(actions[i]);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->objectName(), e.name);
        EXPECT_EQ(widget->toolTip(), e.hint);
        EXPECT_EQ(widget->isEnabled(), e.enabled);
        if (auto* button = qobject_cast<QToolButton*>(widget)) {
            EXPECT_EQ(button->isCheckable(), e.checkable);
            EXPECT_EQ(button->iconSize(), QSize(16, 16));
            EXPECT_FALSE(button->icon().isNull());
        }
    }
    EXPECT_EQ(w.ExitButton()->text(), "&Close");
    EXPECT_EQ(w.ExitButton()->size(), QSize(40, 22));

    // Without a report: both side tabs, the search button, and the page fitted.
    EXPECT_TRUE(w.Tabs()->isVisible());
    ASSERT_EQ(w.Tabs()->count(), 2);
    EXPECT_EQ(w.Tabs()->tabText(0), "Thumbnails");
    EXPECT_EQ(w.Tabs()->tabText(1), "Search result");
    EXPECT_TRUE(w.Button("FindButton")->isVisible());
    EXPECT_FALSE(w.SearchResultBox()->isEnabled());
    EXPECT_TRUE(w.Button("ZoomFit")->isChecked());
    EXPECT_EQ(w.QRPreview()->ZoomState(), TQRZoomState::qrZoomToFit);
    EXPECT_TRUE(w.isMaximized());
    // The pages were complete before the window opened: printing is offered, the set-up
    // waits for a page-available message.
    EXPECT_TRUE(w.Button("Print")->isEnabled());
    EXPECT_EQ(Panel(0), "0%");
    EXPECT_EQ(Panel(1), "Page 1 of 2");

    // One zoom button is down at a time.
    w.Button("Zoom100")->click();
    EXPECT_TRUE(w.Button("Zoom100")->isChecked());
    EXPECT_FALSE(w.Button("ZoomFit")->isChecked());
    EXPECT_EQ(w.QRPreview()->Zoom(), 100);
    w.Button("ZoomToWidth")->click();
    EXPECT_FALSE(w.Button("Zoom100")->isChecked());
    EXPECT_EQ(w.QRPreview()->ZoomState(), TQRZoomState::qrZoomToWidth);
}

TEST_F(StandardPreviewTest, APrinterTitleBecomesTheCaption) {
    printer.SetTitle(Utf8ToCp1251("Отчет за май"));
    RecordTextPages(printer, NumberedPages(1));
    EXPECT_EQ(Open(printer).windowTitle(), "Отчет за май");
}

TEST_F(StandardPreviewTest, PagingKeys) {
    RecordTextPages(printer, NumberedPages(5));
    Open(printer);
    struct Case {
        int from;
        int key;
        Qt::KeyboardModifiers modifiers;
        int to;
    };
    const Case cases[] = {
        {1, Qt::Key_PageDown, Qt::NoModifier, 2},
        {2, Qt::Key_PageDown, Qt::ControlModifier, 5},
        {2, Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier, 3},
        {2, Qt::Key_PageDown, Qt::ControlModifier | Qt::AltModifier, 3},
        {2, Qt::Key_PageDown, Qt::ControlModifier | Qt::KeypadModifier, 5},
        {5, Qt::Key_PageDown, Qt::NoModifier, 5},
        {4, Qt::Key_PageUp, Qt::NoModifier, 3},
        {4, Qt::Key_PageUp, Qt::ControlModifier, 1},
        {4, Qt::Key_PageUp, Qt::ShiftModifier | Qt::ControlModifier, 3},
        {1, Qt::Key_PageUp, Qt::NoModifier, 1},
        {3, Qt::Key_Home, Qt::ShiftModifier, 1},
        {3, Qt::Key_End, Qt::AltModifier, 5},
        {3, Qt::Key_Down, Qt::NoModifier, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " key " + std::to_string(c.key));
        window->GoToPage(c.from);
        ASSERT_EQ(window->QRPreview()->PageNumber(), c.from);
        Key(c.key, c.modifiers);
        EXPECT_EQ(window->QRPreview()->PageNumber(), c.to);
        EXPECT_EQ(Panel(1), QStringLiteral("Page %1 of 5").arg(c.to));
    }
    // The buttons do the same.
    window->GoToPage(3);
    window->Button("ToolButton2")->click();
    EXPECT_EQ(window->QRPreview()->PageNumber(), 4);
    window->Button("PreviousPage")->click();
    window->Button("PreviousPage")->click();
    EXPECT_EQ(window->QRPreview()->PageNumber(), 2);
    window->Button("LastPage")->click();
    EXPECT_EQ(window->QRPreview()->PageNumber(), 5);
    window->Button("FirstPage")->click();
    EXPECT_EQ(window->QRPreview()->PageNumber(), 1);

    // Esc closes the window from any control.
    Key(Qt::Key_Escape);
    ProcessEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(printer.PreviewShowing());
}

TEST_F(StandardPreviewTest, GoToPageReadsTheTypedText) {
    RecordTextPages(printer, NumberedPages(7));
    Open(printer);
    struct Case {
        const char* typed;
        bool confirm;
        int page;
    };
    const Case cases[] = {
        {"5x", true, 5},  {"0", true, 1}, {"-3", true, 1},
        {"abc", true, 1}, {"8", true, 1}, {" 6", true, 6},
        {"$7", true, 7},  {"", true, 1},  {"99999999999999999999999", true, 1},
        {"2", false, 3},  // cancelled: stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        window->GoToPage(3);
        int asked = 0;
        dialogs->inputQuery = [&](QWidget* owner, const QString& title, const QString& prompt,
                                  QString& value) {
            ++asked;
            EXPECT_EQ(owner, window.data());
            EXPECT_EQ(title, "Select a page from 1 to 7");
            EXPECT_EQ(prompt, "Go to page >>");
            EXPECT_EQ(value, "3");
            value = QString::fromUtf8(c.typed);
            return c.confirm;
        };
        window->Dialogs() = *dialogs;
        window->Button("GotoPageButton")->click();
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(window->QRPreview()->PageNumber(), c.page);
    }
}

TEST_F(StandardPreviewTest, ProgressAndPagesWhileGenerating) {
    printer.BeginDocument();
    printer.NewPage();
    TQRStandardPreview& w = Open(printer);
    EXPECT_FALSE(w.Button("Print")->isEnabled());
    EXPECT_FALSE(w.Button("PrintSetup")->isEnabled());
    struct Step {
        int progress;
        const char* panel;
    };
    const Step steps[] = {{3, "0%"}, {7, "7%"}, {12, "12%"}, {9, "12%"}, {100, ""}};
    for (const Step& s : steps) {
        printer.Progress(s.progress);
        ProcessEvents();
        EXPECT_EQ(Panel(0), s.panel) << s.progress;
    }
    printer.NewPage();
    printer.NewPage();
    ProcessEvents();
    EXPECT_EQ(Panel(1), "Page 1 of 3");
    // The thumbnail rows follow within a frame.
    WaitFor([&] { return w.ThumbGrid()->rowCount() == 3; });
    EXPECT_EQ(w.ThumbGrid()->rowCount(), 3);
    EXPECT_FALSE(w.Button("Print")->isEnabled());
    printer.EndDocument();
    ProcessEvents();
    EXPECT_TRUE(w.Button("Print")->isEnabled());
    EXPECT_TRUE(w.Button("PrintSetup")->isEnabled());
}

TEST_F(StandardPreviewTest, SavingAndLoadingAReportFile) {
    RecordTextPages(printer, NumberedPages(3));
    testing::TempDir dir;
    const std::string saved = dir.File("report.QRP");
    dialogs->chooseFile = [&](QWidget*, const FileDialogRequest& request) {
        EXPECT_EQ(request.mode, FileDialogRequest::Mode::kSave);
        EXPECT_EQ(request.title, "Save report");
        EXPECT_EQ(request.filter, "RozerEdedid file(*.QRP)|*.QRP");
        EXPECT_EQ(request.defaultExtension, "QRP");
        return std::optional<FileChoice>(FileChoice{saved, 1});
    };
    Open(printer).Button("SaveReport")->click();
    ASSERT_TRUE(testing::FileExists(saved));
    window->close();
    ProcessEvents();

    // A fresh window on a printer with other pages loads the file.
    TQRPrinter other;
    RecordTextPages(other, NumberedPages(5));
    TQRStandardPreview& w = Open(other);
    w.GoToPage(4);
    dialogs->chooseFile = [&](QWidget*, const FileDialogRequest& request) {
        EXPECT_EQ(request.mode, FileDialogRequest::Mode::kOpen);
        EXPECT_EQ(request.title, "Load report");
        EXPECT_EQ(request.filter, "RozerEdedid file (*.QRP)|*.QRP");
        EXPECT_EQ(request.defaultExtension, "");
        return std::optional<FileChoice>(FileChoice{saved, 1});
    };
    w.Dialogs() = *dialogs;
    w.QRPreview()->SetZoom(77);
    w.Button("LoadReport")->click();
    EXPECT_EQ(other.PageTotal(), 3);
    EXPECT_EQ(w.QRPreview()->PageNumber(), 1);
    EXPECT_EQ(w.QRPreview()->PreviewImage()->PageNumber(), 1);
    ASSERT_NE(w.QRPreview()->PreviewImage()->Picture(), nullptr);
    EXPECT_EQ(w.QRPreview()->PreviewImage()->Picture()->Bytes(), printer.PageImage(1)->Bytes());
    EXPECT_EQ(w.QRPreview()->Zoom(), 77);
    EXPECT_EQ(TQRStandardPreview::StatusText(), QString::fromStdString(saved));
    EXPECT_EQ(Panel(1), "Page 1 of 3");
    EXPECT_EQ(Panel(2), QString::fromStdString(saved));
    EXPECT_EQ(w.ThumbGrid()->rowCount(), 3);
    EXPECT_EQ(w.ThumbGrid()->currentRow(), 0);
    EXPECT_FALSE(w.Button("PrintSetup")->isEnabled());
    EXPECT_TRUE(w.Button("Print")->isEnabled());

    // Saving the loaded report copies the file byte for byte.
    const std::string copy = dir.File("copy.QRP");
    dialogs->chooseFile = [&](QWidget*, const FileDialogRequest&) {
        return std::optional<FileChoice>(FileChoice{copy, 1});
    };
    w.Dialogs() = *dialogs;
    w.Button("SaveReport")->click();
    EXPECT_EQ(testing::ReadFile(copy), testing::ReadFile(saved));
}

// A landscape report loaded into a window that shows portrait pages is laid out as a window
// opened on that file lays it out: page image, zoom and thumbnails.
TEST_F(StandardPreviewTest, LoadingALandscapeReportLaysItOutAsAFreshWindowDoes) {
    testing::TempDir dir;
    const std::string file = dir.File("landscape.QRP");
    {
        TQRPrinter landscape;
        landscape.SetOrientation(TPrinterOrientation::poLandscape);
        RecordTextPages(landscape, NumberedPages(2));
        landscape.Save(file);
    }
    TQRPrinter loaded;
    loaded.Load(file);
    ASSERT_EQ(loaded.Orientation(), TPrinterOrientation::poLandscape);
    const QPointer<TQRStandardPreview> fresh = new TQRStandardPreview(&loaded);
    fresh->ShowPreview();
    fresh->ZoomToWidthClick();
    fresh->QRPreviewPageAvailable(2);
    ProcessEvents();

    RecordTextPages(printer, NumberedPages(3));
    TQRStandardPreview& w = Open(printer);
    w.ZoomToWidthClick();
    ProcessEvents();
    const QSize portrait = w.QRPreview()->PreviewImage()->size();
    dialogs->chooseFile = [&](QWidget*, const FileDialogRequest&) {
        return std::optional<FileChoice>(FileChoice{file, 1});
    };
    w.Dialogs() = *dialogs;
    w.Button("LoadReport")->click();
    ProcessEvents();

    const QSize image = w.QRPreview()->PreviewImage()->size();
    EXPECT_GT(image.width(), image.height());
    EXPECT_NE(image, portrait);
    EXPECT_EQ(image, fresh->QRPreview()->PreviewImage()->size());
    EXPECT_EQ(w.QRPreview()->Zoom(), fresh->QRPreview()->Zoom());
    EXPECT_EQ(w.QRPreview()->ZoomState(), TQRZoomState::qrZoomToWidth);
    ASSERT_EQ(w.ThumbGrid()->rowCount(), 2);
    EXPECT_EQ(w.ThumbGrid()->rowHeight(0), fresh->ThumbGrid()->rowHeight(0));
    EXPECT_LT(w.ThumbGrid()->rowHeight(0), w.ThumbGrid()->columnWidth(0) - 20);  // wide sheets
    fresh->close();
    ProcessEvents();
}

TEST_F(StandardPreviewTest, SavingWhileGeneratingOrCancelledWritesNothing) {
    testing::TempDir dir;
    printer.BeginDocument();
    printer.NewPage();
    TQRStandardPreview& w = Open(printer);
    w.Button("SaveReport")->click();  // no dialog: the pages are not complete
    printer.EndDocument();
    dialogs->chooseFile = [&](QWidget*, const FileDialogRequest&) {
        return std::optional<FileChoice>();
    };
    w.Dialogs() = *dialogs;
    w.Button("SaveReport")->click();
    w.Button("LoadReport")->click();
    EXPECT_EQ(printer.PageTotal(), 1);
}

TEST_F(StandardPreviewTest, PrintWithoutAPrinterSaysSo) {
    testing::FakePrinterSetup noQueues;
    noQueues.printers.clear();
    testing::FakePrinterSystem none(noQueues);
    const PlatformServices saved = Platform();
    PlatformServices services = saved;
    services.printers = &none;
    InstallPlatform(services);
    {
        TQRPrinter unprintable;
        RecordTextPages(unprintable, NumberedPages(1));
        TQRStandardPreview& w = Open(unprintable);
        std::vector<QString> messages;
        dialogs->showMessage = [&](QWidget*, const QString& text) { messages.push_back(text); };
        w.Dialogs() = *dialogs;
        w.Button("Print")->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].startsWith("No printer is installed")) << messages[0].toStdString();
        EXPECT_TRUE(none.Shared().Calls().empty());
        w.close();
        ProcessEvents();
    }
    InstallPlatform(saved);
}

// A program's memory of the last preview window, kept in the test.
class RecordedPlacement : public PreviewPlacementMemory {
public:
    std::optional<PreviewPlacement> last;
    int remembered = 0;
    std::optional<PreviewPlacement> Recall() override { return last; }
    void Remember(const PreviewPlacement& placement) override {
        last = placement;
        ++remembered;
    }
};

TEST_F(StandardPreviewTest, OpensWhereTheLastOneClosed) {
    auto owned = std::make_unique<RecordedPlacement>();
    RecordedPlacement& memory = *owned;
    SetPreviewPlacementMemory(std::move(owned));
    RecordTextPages(printer, NumberedPages(1));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

    // First use: where the design puts it.
    TQRStandardPreview* w = &Open(printer);
    EXPECT_TRUE(w->isMaximized());
    w->setWindowState(Qt::WindowNoState);
    w->setGeometry(screen.x() + 30, screen.y() + 40, 450, 350);
    w->close();
    ProcessEvents();
    ASSERT_EQ(memory.remembered, 1);
    EXPECT_EQ(memory.last->geometry, QRect(screen.x() + 30, screen.y() + 40, 450, 350));
    EXPECT_FALSE(memory.last->maximized);

    w = &Open(printer);
    EXPECT_FALSE(w->isMaximized());
    EXPECT_EQ(w->geometry(), QRect(screen.x() + 30, screen.y() + 40, 450, 350));
    w->close();
    ProcessEvents();

    // A place off the screen (another monitor, gone) is moved back onto it.
    memory.last = PreviewPlacement{QRect(screen.right() + 500, screen.y() - 900, 400, 300), false};
    w = &Open(printer);
    EXPECT_TRUE(screen.contains(w->geometry())) << w->geometry().x() << "," << w->geometry().y();
    EXPECT_EQ(w->size(), QSize(400, 300));
    w->close();
    ProcessEvents();
    SetPreviewPlacementMemory(nullptr);
}

TEST(FitOnScreen, MovesAndCutsIntoTheFreeArea) {
    const QRect area(0, 30, 1280, 870);
    const struct {
        QRect wanted;
        std::optional<QRect> fitted;
    } cases[] = {
        {QRect(100, 100, 500, 500), QRect(100, 100, 500, 500)},
        {QRect(-300, 0, 500, 500), QRect(0, 30, 500, 500)},
        {QRect(1200, 800, 500, 500), QRect(780, 400, 500, 500)},
        {QRect(10, 10, 3000, 2000), QRect(0, 30, 1280, 870)},
        {QRect(10, 10, 20, 500), std::nullopt},  // too small to be a window's
        {QRect(), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(FitOnScreen(c.wanted, area), c.fitted) << c.wanted.x();
}

TEST_F(StandardPreviewTest, LoadingAMissingFileKeepsThePages) {
    RecordTextPages(printer, NumberedPages(4));
    TQRStandardPreview& w = Open(printer);
    w.GoToPage(2);
    testing::TempDir dir;
    std::vector<QString> messages;
    dialogs->chooseFile = [&](QWidget*, const FileDialogRequest&) {
        return std::optional<FileChoice>(FileChoice{dir.File("absent.QRP"), 1});
    };
    dialogs->showMessage = [&](QWidget*, const QString& text) { messages.push_back(text); };
    w.Dialogs() = *dialogs;
    w.Button("LoadReport")->click();
    EXPECT_EQ(messages, std::vector<QString>{"File does not exist"});
    EXPECT_EQ(printer.PageTotal(), 4);
    EXPECT_EQ(w.QRPreview()->PageNumber(), 2);
    EXPECT_NE(w.QRPreview()->PreviewImage()->Picture(), nullptr);
    EXPECT_EQ(Panel(1), "Page 2 of 4");
}

TEST_F(StandardPreviewTest, LoadingADamagedOrForeignFileShowsTheErrorAndStaysUsable) {
    RecordTextPages(printer, NumberedPages(2));
    testing::TempDir dir;
    const std::string good = dir.File("good.QRP");
    printer.Save(good);
    const std::string full = testing::ReadFile(good);
    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"text.QRP", "This is a plain text file, not a report.\r\n"},
        {"short.QRP", full.substr(0, 100)},
        {"cut.QRP", full.substr(0, full.size() - 40)},
        {"zeros.QRP", std::string(4096, '\0')},
    };
    TQRStandardPreview& w = Open(printer);
    std::vector<QString> errors;
    std::string chosen;
    dialogs->chooseFile = [&](QWidget*, const FileDialogRequest&) {
        return std::optional<FileChoice>(FileChoice{chosen, 1});
    };
    dialogs->showError = [&](QWidget* owner, const QString& text) {
        EXPECT_EQ(owner, window.data());
        errors.push_back(text);
    };
    w.Dialogs() = *dialogs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        chosen = dir.File(c.name);
        testing::WriteFile(chosen, c.content);
        errors.clear();
        w.Button("LoadReport")->click();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_FALSE(errors[0].isEmpty());
        EXPECT_EQ(printer.PageTotal(), 0);
        EXPECT_EQ(w.QRPreview()->PreviewImage()->Picture(), nullptr);
        EXPECT_EQ(Panel(1), "Page 1 of 0");
        EXPECT_FALSE(w.Button("Print")->isEnabled());
        // Paging and searching an empty report do nothing harmful.
        w.Button("ToolButton2")->click();
        w.Button("LastPage")->click();
        w.Button("ZoomToWidth")->click();
        // A good file loads afterwards.
        chosen = good;
        w.Button("LoadReport")->click();
        EXPECT_EQ(errors.size(), 1u);
        EXPECT_EQ(printer.PageTotal(), 2);
        EXPECT_NE(w.QRPreview()->PreviewImage()->Picture(), nullptr);
    }
}

TEST_F(StandardPreviewTest, ADamagedPageShowsItsErrorAndLeavesTheOthersUsable) {
    RecordTextPages(printer, NumberedPages(3));
    testing::TempDir dir;
    const std::string good = dir.File("good.QRP");
    printer.Save(good);
    std::string bytes = testing::ReadFile(good);
    // The second picture signature belongs to page 2; the file loads, since loading reads
    // only the last page.
    const std::size_t second = bytes.find(" EMF", bytes.find(" EMF") + 1);
    ASSERT_NE(second, std::string::npos);
    bytes[second + 1] = 'X';
    const std::string damaged = dir.File("damaged.QRP");
    testing::WriteFile(damaged, bytes);

    TQRPrinter other;
    RecordTextPages(other, NumberedPages(1));
    TQRStandardPreview& w = Open(other);
    std::vector<QString> errors;
    dialogs->chooseFile = [&](QWidget*, const FileDialogRequest&) {
        return std::optional<FileChoice>(FileChoice{damaged, 1});
    };
    dialogs->showError = [&](QWidget*, const QString& text) { errors.push_back(text); };
    dialogs->askSearchText = [](QWidget*) {
        return std::optional<SearchRequest>(SearchRequest{"Page", false});
    };
    w.Dialogs() = *dialogs;
    w.Button("LoadReport")->click();
    ASSERT_TRUE(errors.empty());
    ASSERT_EQ(other.PageTotal(), 3);

    Key(Qt::Key_PageDown);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(w.QRPreview()->PageNumber(), 2);
    EXPECT_EQ(w.QRPreview()->PreviewImage()->Picture(), nullptr);
    EXPECT_EQ(Panel(1), "Page 2 of 3");
    Key(Qt::Key_PageDown);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(w.QRPreview()->PageNumber(), 3);
    EXPECT_NE(w.QRPreview()->PreviewImage()->Picture(), nullptr);

    // The search stops at the damaged page with its error and lists nothing.
    w.Button("FindButton")->click();
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(w.SearchResultBox()->count(), 0);
    EXPECT_FALSE(SearchBusyFlag::Busy());
}

TEST_F(StandardPreviewTest, SearchListsTheMatchingPages) {
    RecordTextPages(printer,
                    {{"Grand Total: 10"}, {"nothing"}, {Utf8ToCp1251("Общо: 5"), "TOTAL 3"}});
    TQRStandardPreview& w = Open(printer);
    struct Case {
        const char* text;
        bool matchCase;
        std::vector<QString> items;
        bool enabled;
    };
    const Case cases[] = {
        {"total", false, {"Page 1", "Page 3"}, true},
        {"Total", true, {"Page 1"}, true},
        {"общо", false, {"Page 3"}, true},
        {"ОБЩО", false, {"Page 3"}, true},
        {"общо", true, {"No matching text"}, false},
        {"Общо", true, {"Page 3"}, true},
        {"Total: 10 nothing", false, {"No matching text"}, false},
        {"", false, {"No matching text"}, false},
        {"é", false, {"No matching text"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        dialogs->askSearchText = [&](QWidget* owner) {
            EXPECT_EQ(owner, window.data());
            return std::optional<SearchRequest>(
                SearchRequest{QString::fromUtf8(c.text), c.matchCase});
        };
        w.Dialogs() = *dialogs;
        w.Button("FindButton")->click();
        std::vector<QString> items;
        for (int i = 0; i < w.SearchResultBox()->count(); ++i)
            items.push_back(w.SearchResultBox()->item(i)->text());
        EXPECT_EQ(items, c.items);
        EXPECT_EQ(w.SearchResultBox()->isEnabled(), c.enabled);
        EXPECT_EQ(w.SearchTextLabel()->text(), QString::fromUtf8(c.text));
    }
    // Cancelling leaves the list and its label as they were.
    dialogs->askSearchText = [](QWidget*) { return std::optional<SearchRequest>(); };
    w.Dialogs() = *dialogs;
    w.Button("FindButton")->click();
    EXPECT_EQ(w.SearchTextLabel()->text(), "é");
    ASSERT_EQ(w.SearchResultBox()->count(), 1);
    EXPECT_EQ(w.SearchResultBox()->item(0)->text(), "No matching text");
}

TEST_F(StandardPreviewTest, ASecondSearchDuringALongOneIsRefused) {
    std::vector<std::vector<std::string>> pages(80, std::vector<std::string>{"filler"});
    pages[69] = {"needle"};
    RecordTextPages(printer, pages);
    TQRStandardPreview& w = Open(printer);
    int asked = 0;
    dialogs->askSearchText = [&](QWidget*) {
        ++asked;
        // Runs while the search lets the window's messages run.
        QTimer::singleShot(0, window.data(), [this] {
            EXPECT_TRUE(SearchBusyFlag::Busy());
            window->FindButtonClick();
        });
        return std::optional<SearchRequest>(SearchRequest{"needle", false});
    };
    w.Dialogs() = *dialogs;
    w.FindButtonClick();
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(w.SearchResultBox()->count(), 1);
    EXPECT_EQ(w.SearchResultBox()->item(0)->text(), "Page 70");
    EXPECT_FALSE(SearchBusyFlag::Busy());
}

TEST_F(StandardPreviewTest, ClosingDuringASearchStopsIt) {
    RecordTextPages(printer, std::vector<std::vector<std::string>>(80, {"x"}));
    TQRStandardPreview& w = Open(printer);
    dialogs->askSearchText = [&](QWidget*) {
        QTimer::singleShot(0, window.data(), [this] { window->close(); });
        return std::optional<SearchRequest>(SearchRequest{"x", false});
    };
    w.Dialogs() = *dialogs;
    w.FindButtonClick();
    ProcessEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(SearchBusyFlag::Busy());
    EXPECT_FALSE(printer.PreviewShowing());
}

TEST_F(StandardPreviewTest, Thumbnails) {
    RecordTextPages(printer, NumberedPages(40));
    TQRStandardPreview& w = Open(printer);
    QTableWidget& grid = *w.ThumbGrid();
    ProcessEvents();
    w.QRPreviewPageAvailable(40);
    EXPECT_EQ(grid.rowCount(), 40);
    // Rows as tall as a thumbnail of the page's shape, less a line of text.
    const int column = grid.width() - 4;
    EXPECT_EQ(grid.columnWidth(0), column);
    const int textHeight = QFontMetrics(grid.font()).height();
    EXPECT_EQ(grid.rowHeight(0),
              RoundHalfEven32(static_cast<long double>(column - 20) / 2100 * 2970 - textHeight));
    // Picking a thumbnail shows its page; going to a page selects its thumbnail.
    grid.setCurrentCell(2, 0);
    EXPECT_EQ(w.QRPreview()->PageNumber(), 3);
    EXPECT_EQ(Panel(1), "Page 3 of 40");
    w.GoToPage(2);
    EXPECT_EQ(grid.currentRow(), 1);
    EXPECT_EQ(w.QRPreview()->PageNumber(), 2);

    // Drawing them reads only the pages of the rows in view, each once however often the grid
    // is painted again.
    grid.scrollToTop();
    ProcessEvents();
    const int inView = grid.viewport()->height() / grid.rowHeight(0) + 1;
    ASSERT_LT(inView, 20);
    const std::uint64_t before = printer.PageList().PagesRead();
    for (int paint = 0; paint < 3; ++paint) grid.viewport()->repaint();
    const QImage shot = grid.viewport()->grab().toImage();
    EXPECT_LE(printer.PageList().PagesRead() - before, static_cast<std::uint64_t>(inView));
    const std::uint64_t all = printer.PageList().PagesRead();
    EXPECT_EQ(shot.pixelColor(column / 2, 20), QColor(Qt::white)) << "the first sheet's paper";
    w.QRPreviewPageAvailable(40);
    grid.viewport()->repaint();
    EXPECT_EQ(printer.PageList().PagesRead(), all);
}

// While a run adds pages, the rows in view are drawn again with every new row; their pages are
// read once all the same.
TEST_F(StandardPreviewTest, ThumbnailsOfARunInProgressAreReadOnce) {
    printer.BeginDocument();
    TQRStandardPreview& w = Open(printer);
    const auto addPage = [&](int number) {
        printer.NewPage();
        Canvas& canvas = printer.PageCanvas();
        canvas.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
        canvas.TextOut(printer.ToDeviceX(100), printer.ToDeviceY(100), std::to_string(number));
    };
    for (int page = 1; page <= 30; ++page) {
        addPage(page);
        // A frame passes between pages, as in a run over records.
        WaitFor([] { return false; }, 20);
        ProcessEvents();
    }
    printer.EndDocument();
    ProcessEvents();
    QTableWidget& grid = *w.ThumbGrid();
    ASSERT_EQ(grid.rowCount(), 30);
    const int inView = grid.viewport()->height() / grid.rowHeight(0) + 1;
    // The page on show, and each thumbnail in view.
    EXPECT_LE(printer.PageList().PagesRead(), static_cast<std::uint64_t>(inView + 1));
}

// Drawing wider than the paper shows on a thumbnail no more than on paper.
TEST_F(StandardPreviewTest, AThumbnailKeepsToItsSheet) {
    printer.BeginDocument();
    printer.NewPage();
    Canvas& canvas = printer.PageCanvas();
    canvas.SetBrush(Brush{kBlack, BrushStyle::bsSolid});
    canvas.FillRect(Rect{printer.ToDeviceX(100), printer.ToDeviceY(100), printer.ToDeviceX(6000),
                         printer.ToDeviceY(1500)});
    printer.EndDocument();
    TQRStandardPreview& w = Open(printer);
    w.QRPreviewPageAvailable(1);
    ProcessEvents();
    QTableWidget& grid = *w.ThumbGrid();
    ASSERT_EQ(grid.rowCount(), 1);
    const QImage shot = grid.viewport()->grab().toImage();
    const int column = grid.columnWidth(0);
    const auto blackRows = [&](int x) {
        int rows = 0;
        for (int y = 0; y < std::min(shot.height(), grid.rowHeight(0)); ++y)
            rows += shot.pixelColor(x, y) == QColor(Qt::black) ? 1 : 0;
        return rows;
    };
    EXPECT_GT(blackRows(column - 45), 20) << "the bar on the paper";
    EXPECT_EQ(blackRows(column - 15), 0) << "beyond the sheet's edge";
}

TEST_F(StandardPreviewTest, ClosingTellsThePrinterAndDestroyingThePrinterClosesTheWindow) {
    RecordTextPages(printer, NumberedPages(2));
    int afterPreview = 0;
    printer.OnAfterPreview = [&] { ++afterPreview; };
    Open(printer).ExitButton()->click();
    ProcessEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(afterPreview, 1);
    EXPECT_FALSE(printer.PreviewShowing());
    EXPECT_EQ(printer.Client(), nullptr);

    auto temporary = std::make_unique<TQRPrinter>();
    RecordTextPages(*temporary, NumberedPages(2));
    Open(*temporary);
    temporary.reset();
    ProcessEvents();
    EXPECT_TRUE(window.isNull());
}

// A report that releases its printer when the preview closes.
class ReleasingReport : public TQRPrinterOwner, public MessageTarget {
public:
    bool UseStandardPrinter() const override { return false; }
    std::int32_t MemoryLimit() const override { return 250000; }
    MessageTarget& ReportWindow() override { return *this; }
    void HandleMessage(const Message& message) override {
        messages.push_back(message);
        if (message.id == kMsgPreviewClosed &&
            message.lParam == reinterpret_cast<std::intptr_t>(printer.get())) {
            printer->SetPreviewShowing(false);
            printer.reset();
        }
    }
    std::unique_ptr<TQRPrinter> printer;
    std::vector<Message> messages;
};

TEST_F(StandardPreviewTest, ClosingSendsTheReportItsPrinter) {
    ReleasingReport report;
    report.printer = std::make_unique<TQRPrinter>(&report);
    RecordTextPages(*report.printer, NumberedPages(2));
    int afterPreview = 0;
    report.printer->OnAfterPreview = [&] { ++afterPreview; };
    const auto expected = reinterpret_cast<std::intptr_t>(report.printer.get());
    Open(*report.printer).close();
    ASSERT_EQ(report.messages.size(), 1u);  // sent, not posted
    EXPECT_EQ(report.messages[0].id, kMsgPreviewClosed);
    EXPECT_EQ(report.messages[0].wParam, 0);
    EXPECT_EQ(report.messages[0].lParam, expected);
    EXPECT_EQ(report.printer, nullptr);
    EXPECT_EQ(afterPreview, 1);
    ProcessEvents();
    EXPECT_TRUE(window.isNull());
}

// The preview's own message and error boxes carry the program's title, which the program
// gives the report engine at start-up.
TEST(PreviewMessageBoxes, CarryTheProgramTitle) {
    testing::ScopedQtPlatform platform;
    std::vector<QString> titles;
    const auto closeOnceShown = [&] {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [&titles, poll] {
            QWidget* box = QApplication::activeModalWidget();
            if (box == nullptr) return;
            titles.push_back(box->windowTitle());
            box->close();
            poll->deleteLater();
        });
        poll->start(1);
    };
    CreateGlobalEnvironment("DOS Printer");
    closeOnceShown();
    DefaultPreviewDialogs().showMessage(nullptr, QStringLiteral("File does not exist"));
    closeOnceShown();
    DefaultPreviewDialogs().showError(nullptr, QStringLiteral("Stream read error"));
    CreateGlobalEnvironment("Quillon");
    closeOnceShown();
    DefaultPreviewDialogs().showMessage(nullptr, QStringLiteral("File does not exist"));
    ProcessEvents();
    EXPECT_EQ(titles, (std::vector<QString>{"DOS Printer", "DOS Printer", "Quillon"}));
}

}  // namespace
}  // namespace quillon
