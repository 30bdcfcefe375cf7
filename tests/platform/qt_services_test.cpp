#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <vector>

#include "platform/core/services.h"
#include "platform/qt/qt_message_queue.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_text_measurer.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

struct Recorder : MessageTarget {
    std::vector<Message> seen;
    void HandleMessage(const Message& m) override { seen.push_back(m); }
};

class QtMessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::EnsureQtApplication();
        queue = std::make_unique<QtMessageQueue>();
    }
    std::unique_ptr<QtMessageQueue> queue;
};

TEST_F(QtMessageQueueTest, PostedMessagesRunInOrderWhenEventsAreProcessed) {
    Recorder target;
    queue->Post(target, {kMsgProgress, 50, 0});
    queue->Post(target, {kMsgPageAvailable, 3, 7});
    EXPECT_TRUE(target.seen.empty());
    queue->ProcessMessages();
    ASSERT_EQ(target.seen.size(), 2u);
    EXPECT_EQ(target.seen[0].id, kMsgProgress);
    EXPECT_EQ(target.seen[0].wParam, 50);
    EXPECT_EQ(target.seen[1].id, kMsgPageAvailable);
    EXPECT_EQ(target.seen[1].lParam, 7);
}

TEST_F(QtMessageQueueTest, MessagesForTargetsThatAreGoneAreDropped) {
    Recorder survivor;
    {
        Recorder gone;
        queue->Post(gone, {kMsgProgress, 1, 0});
    }
    queue->Post(survivor, {kMsgPrintAgain, 0, 0});
    queue->ProcessMessages();
    ASSERT_EQ(survivor.seen.size(), 1u);
    EXPECT_EQ(survivor.seen[0].id, kMsgPrintAgain);
}

TEST_F(QtMessageQueueTest, WaitingReturnsOnceAMessageArrives) {
    Recorder target;
    QTimer::singleShot(30, [&] { queue->Post(target, {kMsgPageAvailable, 1, 0}); });
    for (int i = 0; i < 1000 && target.seen.empty(); ++i) queue->WaitAndHandleMessage();
    ASSERT_EQ(target.seen.size(), 1u);
    EXPECT_EQ(target.seen[0].id, kMsgPageAvailable);
}

TEST_F(QtMessageQueueTest, QuitRequestMeansTerminating) {
    EXPECT_FALSE(queue->Terminating());
    bool terminatingAfterQuit = false;
    QTimer::singleShot(0, [&] {
        QCoreApplication::quit();
        terminatingAfterQuit = queue->Terminating();
    });
    QCoreApplication::exec();
    EXPECT_TRUE(terminatingAfterQuit);
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

TEST(QtShell, OpensAddressesAsUrlsAndPathsAsLocalFiles) {
    testing::EnsureQtApplication();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("quillon-test", &catcher, "Open");
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    QtShell shell;
    EXPECT_TRUE(shell.Open("quillon-test://example/page?a=1"));
    EXPECT_TRUE(shell.Open("/tmp/report one.qrp"));
    EXPECT_TRUE(shell.Open("relative.txt"));
    EXPECT_FALSE(shell.Open("   "));
    QDesktopServices::unsetUrlHandler("quillon-test");
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.opened.size(), 3u);
    EXPECT_EQ(catcher.opened[0], QUrl("quillon-test://example/page?a=1"));
    EXPECT_EQ(catcher.opened[1], QUrl::fromLocalFile("/tmp/report one.qrp"));
    EXPECT_EQ(catcher.opened[2],
              QUrl::fromLocalFile(QDir::current().absoluteFilePath("relative.txt")));
}

TEST(QtPlatform, InstallsTheQtServicesWhileItLives) {
    testing::EnsureQtApplication();
    const FontSpec font{"Arial", 10, 0, kBlack, kRussianCharset};
    {
        const auto platform = InstallQtPlatform();
        EXPECT_NE(dynamic_cast<QtTextMeasurer*>(Platform().measurer), nullptr);
        EXPECT_NE(dynamic_cast<QtMessageQueue*>(Platform().messages), nullptr);
        EXPECT_NE(dynamic_cast<QtShell*>(Platform().shell), nullptr);
        // The measuring canvas of the engine now measures real fonts: "i" is narrower than "W".
        const auto canvas = CreateMeasuringCanvas();
        canvas->SetFont(font);
        EXPECT_LT(canvas->TextExtentW(u"i").cx, canvas->TextExtentW(u"W").cx);
    }
    EXPECT_NE(dynamic_cast<FixedPitchMeasurer*>(Platform().measurer), nullptr);
}

}  // namespace
}  // namespace quillon

#include "qt_services_test.moc"
