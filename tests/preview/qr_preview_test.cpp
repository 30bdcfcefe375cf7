// The preview control: zoom rules and automatic zooms, the page image's size, place and sheet,
// page numbers, following a report that is still being generated, and links.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <string>
#include <vector>

#include "output/qr_printer.h"
#include "platform/core/messages.h"
#include "platform/core/services.h"
#include "preview/widgets/qr_preview.h"
#include "tests/preview/preview_test_support.h"

namespace quillon {
namespace {

using testing::ProcessEvents;
using testing::RecordTextPages;

class PreviewTest : public ::testing::Test {
protected:
    // A control of 600 x 800 pixels showing `pages` recorded A4 pages.
    void Show(int pages) {
        std::vector<std::vector<std::string>> content;
        for (int i = 1; i <= pages; ++i) content.push_back({"Page " + std::to_string(i)});
        RecordTextPages(printer, content);
        preview.resize(600, 800);
        preview.show();
        preview.SetQRPrinter(&printer);
    }

    testing::ScopedQtPlatform platform;
    TQRPrinter printer;
    TQRPreview preview;
};

TEST_F(PreviewTest, ZoomRangeAndState) {
    Show(1);
    preview.SetZoom(150);
    EXPECT_EQ(preview.ZoomState(), TQRZoomState::qrZoomOther);
    preview.ZoomFitWidth();
    for (const int refused : {1, 0, -5, 2001}) {
        preview.SetZoom(refused);
        EXPECT_EQ(preview.Zoom(), 68) << refused;
        EXPECT_EQ(preview.ZoomState(), TQRZoomState::qrZoomToWidth) << refused;
    }
    for (const int accepted : {2, 2000}) {
        preview.ZoomFitWidth();
        preview.SetZoom(accepted);
        EXPECT_EQ(preview.Zoom(), accepted);
        EXPECT_EQ(preview.ZoomState(), TQRZoomState::qrZoomOther);
        EXPECT_EQ(preview.PreviewImage()->ImageZoom(), accepted);
    }
}

TEST_F(PreviewTest, AutomaticZoomsOfA4OnA600By800Control) {
    Show(1);
    ASSERT_EQ(preview.PagePixelSize(100), QSize(794, 1123));
    preview.SetZoom(100);
    preview.ZoomFitPage();
    EXPECT_EQ(preview.Zoom(), 68);  // 72 across, 68 down: the smaller wins
    EXPECT_EQ(preview.ZoomState(), TQRZoomState::qrZoomToFit);
    preview.SetZoom(100);
    preview.ZoomFitWidth();
    EXPECT_EQ(preview.Zoom(), 68);  // 600 / 794 x 90
    EXPECT_EQ(preview.ZoomState(), TQRZoomState::qrZoomToWidth);

    // A control too small for any zoom keeps the zoom, but the state is taken.
    preview.SetZoom(100);
    preview.resize(1, 1);
    preview.ZoomFitPage();
    EXPECT_EQ(preview.Zoom(), 100);
    EXPECT_EQ(preview.ZoomState(), TQRZoomState::qrZoomToFit);
}

TEST_F(PreviewTest, WithoutAPrinterTheBlankSheetIsLetterSizedAndFitsAt95) {
    preview.resize(600, 800);
    preview.show();
    preview.ZoomFitPage();
    EXPECT_EQ(preview.Zoom(), 264);  // 600 / 215.9 x 95 = 264, 800 / 279.4 x 95 = 272
    preview.ZoomFitWidth();
    EXPECT_EQ(preview.Zoom(), 264);
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(570 + 4, 738 + 4));
}

TEST_F(PreviewTest, ResizingRefitsAnAutomaticZoomButKeepsASetOne) {
    Show(1);
    preview.ZoomFitWidth();
    preview.resize(1200, 800);
    EXPECT_EQ(preview.Zoom(), 136);
    preview.SetZoom(50);
    preview.resize(600, 800);
    EXPECT_EQ(preview.Zoom(), 50);
    // Re-centred for the new width: 397 + 4 pixels wide.
    EXPECT_EQ(preview.PreviewImage()->x(), (600 - 401) / 2);
    preview.resize(500, 800);
    EXPECT_EQ(preview.PreviewImage()->x(), (500 - 401) / 2);
    preview.ZoomFitPage();
    preview.resize(600, 400);
    EXPECT_EQ(preview.Zoom(), 34);
}

TEST_F(PreviewTest, TheImageIsCentredWhenNarrowerAndAtTheLeftWhenWider) {
    Show(1);
    preview.SetZoom(50);  // 397 x 561 page pixels
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(401, 565));
    EXPECT_EQ(preview.PreviewImage()->pos(), QPoint((600 - 401) / 2, (800 - 565) / 2));

    preview.SetZoom(200);  // 1587 x 2245
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(1591, 2249));
    preview.horizontalScrollBar()->setValue(300);
    preview.verticalScrollBar()->setValue(500);
    EXPECT_EQ(preview.PreviewImage()->pos(), QPoint(-300, -500));
    preview.LayOutImage();
    EXPECT_EQ(preview.PreviewImage()->pos(), QPoint(0, 0));
    EXPECT_EQ(preview.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(preview.verticalScrollBar()->value(), 0);
    // The whole image can be scrolled into view.
    EXPECT_EQ(preview.horizontalScrollBar()->maximum(), 1591 - preview.viewport()->width());
    EXPECT_EQ(preview.verticalScrollBar()->maximum(), 2249 - preview.viewport()->height());
}

TEST_F(PreviewTest, TheSheetHasABorderAndATwoPixelShadow) {
    Show(1);
    preview.SetZoom(25);  // 198 x 281 page pixels
    TQRPreviewImage& image = *preview.PreviewImage();
    ASSERT_EQ(image.size(), QSize(202, 285));
    const QImage pixels = image.grab().toImage();
    const int w = pixels.width();
    const int h = pixels.height();
    ASSERT_EQ(QSize(w, h), QSize(202, 285));
    const auto black = [&](int x, int y) { return qGray(pixels.pixel(x, y)) < 64; };
    const auto white = [&](int x, int y) { return pixels.pixel(x, y) == qRgb(255, 255, 255); };
    for (const int y : {2, h / 2, h - 4}) {
        EXPECT_TRUE(black(0, y)) << y;      // left border
        EXPECT_TRUE(black(w - 3, y)) << y;  // right border
        EXPECT_TRUE(black(w - 2, y)) << y;  // shadow
        EXPECT_TRUE(black(w - 1, y)) << y;
        EXPECT_TRUE(white(w - 4, y)) << y;  // the paper inside
    }
    for (const int x : {2, w / 2, w - 3}) {
        EXPECT_TRUE(black(x, 0)) << x;
        EXPECT_TRUE(black(x, h - 3)) << x;
        EXPECT_TRUE(black(x, h - 2)) << x;
        EXPECT_TRUE(black(x, h - 1)) << x;
    }
    // The shadow is offset by two pixels: its corners stay clear.
    EXPECT_FALSE(black(w - 1, 0));
    EXPECT_FALSE(black(w - 1, 1));
    EXPECT_FALSE(black(0, h - 1));
    EXPECT_FALSE(black(1, h - 1));

    // Without a page nothing is drawn.
    preview.SetQRPrinter(nullptr);
    const QImage empty = image.grab().toImage();
    EXPECT_FALSE(qGray(empty.pixel(0, empty.height() / 2)) < 64);
}

TEST_F(PreviewTest, PageNumberRules) {
    Show(3);
    EXPECT_EQ(preview.PageNumber(), 1);
    ASSERT_NE(preview.PreviewImage()->Picture(), nullptr);
    preview.SetPageNumber(3);
    EXPECT_EQ(preview.PageNumber(), 3);
    EXPECT_EQ(preview.PreviewImage()->PageNumber(), 3);
    const PagePicture* shown = preview.PreviewImage()->Picture();
    for (const int ignored : {0, -1, 4, 3}) {
        preview.SetPageNumber(ignored);
        EXPECT_EQ(preview.PageNumber(), 3) << ignored;
        EXPECT_EQ(preview.PreviewImage()->Picture(), shown) << ignored;  // not even reloaded
    }
    preview.SetZoom(200);
    preview.horizontalScrollBar()->setValue(100);
    preview.verticalScrollBar()->setValue(100);
    preview.SetPageNumber(2);
    EXPECT_EQ(preview.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(preview.verticalScrollBar()->value(), 0);

    TQRPreview alone;
    alone.SetPageNumber(2);
    EXPECT_EQ(alone.PageNumber(), 1);
}

TEST_F(PreviewTest, FollowsAReportStillBeingGenerated) {
    std::vector<int> available;
    std::vector<int> progress;
    preview.OnPageAvailable = [&](TQRPreview& sender, int page) {
        EXPECT_EQ(&sender, &preview);
        available.push_back(page);
    };
    preview.OnProgressUpdate = [&](TQRPreview&, int percent) { progress.push_back(percent); };
    printer.BeginDocument();
    printer.NewPage();
    preview.SetQRPrinter(&printer);
    EXPECT_EQ(printer.Client(), &preview);
    EXPECT_EQ(printer.ProgressTarget(), &preview);
    EXPECT_TRUE(printer.PreviewShowing());
    EXPECT_EQ(preview.PreviewImage()->Picture(), nullptr);  // page 1 is not stored yet

    printer.NewPage();  // stores page 1
    printer.Progress(40);
    ProcessEvents();
    EXPECT_NE(preview.PreviewImage()->Picture(), nullptr);
    EXPECT_EQ(available, std::vector<int>{1});
    EXPECT_EQ(progress, std::vector<int>{40});

    // Only the low 16 bits of the parameter count.
    Platform().messages->Post(preview, {kMsgProgress, 0x10000 + 55, 0});
    ProcessEvents();
    EXPECT_EQ(progress, (std::vector<int>{40, 55}));

    // A page-available message for another page only raises the event.
    const PagePicture* shown = preview.PreviewImage()->Picture();
    printer.EndDocument();
    ProcessEvents();
    EXPECT_EQ(available, (std::vector<int>{1, 2}));
    EXPECT_EQ(preview.PreviewImage()->Picture(), shown);
    EXPECT_EQ(preview.PageNumber(), 1);
}

TEST_F(PreviewTest, AttachingAnotherPrinterOrNoneLetsTheOldOneGo) {
    Show(2);
    int afterPreview = 0;
    printer.OnAfterPreview = [&] { ++afterPreview; };
    TQRPrinter second;
    second.BeginDocument();
    second.NewPage();
    second.OnAfterPreview = [&] { ++afterPreview; };
    preview.SetQRPrinter(&second);
    EXPECT_EQ(afterPreview, 1);
    EXPECT_FALSE(printer.PreviewShowing());
    EXPECT_EQ(printer.Client(), nullptr);
    EXPECT_EQ(printer.ProgressTarget(), nullptr);
    // The run still generating for a preview that goes away is cancelled.
    preview.SetQRPrinter(nullptr);
    EXPECT_EQ(afterPreview, 2);
    EXPECT_TRUE(second.CancelRequested());
    EXPECT_EQ(preview.PreviewImage()->Picture(), nullptr);
}

TEST(PreviewLifetime, APrinterDestroyedWhileShownLeavesNoPageAndDestroyingTheControlDetachesIt) {
    testing::ScopedQtPlatform platform;
    TQRPreview preview;
    int gone = 0;
    preview.OnPrinterGone = [&](TQRPreview&) { ++gone; };
    {
        TQRPrinter printer;
        RecordTextPages(printer, {{"one"}});
        preview.SetQRPrinter(&printer);
        ASSERT_NE(preview.PreviewImage()->Picture(), nullptr);
    }
    EXPECT_EQ(gone, 1);
    EXPECT_EQ(preview.QRPrinter(), nullptr);
    EXPECT_EQ(preview.PreviewImage()->Picture(), nullptr);
    preview.SetPageNumber(1);
    preview.ZoomFitWidth();  // no printer: the blank sheet

    TQRPrinter printer;
    int afterPreview = 0;
    printer.OnAfterPreview = [&] { ++afterPreview; };
    {
        TQRPreview shortLived;
        shortLived.SetQRPrinter(&printer);
    }
    EXPECT_EQ(afterPreview, 1);
    EXPECT_FALSE(printer.PreviewShowing());
    EXPECT_EQ(printer.Client(), nullptr);
}

class FakeShell : public Shell {
public:
    bool Open(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
    std::vector<std::string> opened;
};

TEST_F(PreviewTest, LinksOnThePage) {
    Show(1);
    FakeShell shell;
    PlatformServices services = Platform();
    services.shell = &shell;
    InstallPlatform(services);
    preview.SetZoom(50);
    TQRPreviewImage& image = *preview.PreviewImage();
    image.LinkAreas().push_back({{100, 100, 300, 140}, "EXT:https://example.org/"});
    struct Event {
        TQRHyperlinkEventType type;
        std::string link;
    };
    std::vector<Event> events;
    bool handle = false;
    preview.SetOnHyperlink([&](TQRPrinter* sender, TQRHyperlinkEventType type,
                               const std::string& link, bool& handled) {
        EXPECT_EQ(sender, &printer);
        EXPECT_FALSE(handled);
        events.push_back({type, link});
        handled = handle;
    });
    const auto move = [&](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, image.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&image, &event);
    };
    const auto press = [&](QPoint at) {
        QMouseEvent event(QEvent::MouseButtonPress, at, image.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&image, &event);
    };
    move({10, 10});
    EXPECT_TRUE(events.empty());
    move({60, 60});  // (120, 120) on the page at zoom 100
    EXPECT_TRUE(image.OverLink());
    EXPECT_EQ(image.cursor().shape(), Qt::PointingHandCursor);
    move({70, 60});  // still on it: no second event
    press({70, 60});
    EXPECT_EQ(shell.opened, std::vector<std::string>{"https://example.org/"});
    handle = true;
    press({70, 60});
    EXPECT_EQ(shell.opened.size(), 1u);
    move({200, 60});
    EXPECT_FALSE(image.OverLink());
    EXPECT_EQ(image.cursor().shape(), Qt::ArrowCursor);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].type, TQRHyperlinkEventType::heCursorMoveOver);
    EXPECT_EQ(events[0].link, "EXT:https://example.org/");
    EXPECT_EQ(events[1].type, TQRHyperlinkEventType::heGoto);
    EXPECT_EQ(events[2].type, TQRHyperlinkEventType::heGoto);
    EXPECT_EQ(events[3].type, TQRHyperlinkEventType::heCursorMoveAway);
    EXPECT_EQ(events[3].link, "");
    services.shell = nullptr;
    InstallPlatform(services);
}

}  // namespace
}  // namespace quillon
