// The progress window of printing: what it shows of a replay, and its cancel button.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <memory>
#include <vector>

#include "output/widgets/qr_progress_form.h"
#include "platform/qt/qt_message_queue.h"
#include "tests/output/printer_test_support.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

using testing::FakePrinterSystem;
using testing::RecordPages;

// Qt's message queue with fake printers.
class QtWithFakePrinters {
public:
    QtWithFakePrinters() {
        testing::EnsureQtApplication();
        queue_ = std::make_unique<QtMessageQueue>();
        PlatformServices services;
        services.messages = queue_.get();
        services.printers = &printers;
        InstallPlatform(services);
    }
    ~QtWithFakePrinters() {
        RegisterProgressWindow(nullptr);
        InstallPlatform({});
    }
    FakePrinterSystem printers;

private:
    std::unique_ptr<QtMessageQueue> queue_;
};

TEST(QRProgressForm, SevenPageReplayShowsOnlyTheHundred) {
    QtWithFakePrinters world;
    TQRProgressForm* shown = nullptr;
    std::vector<int> barValues;
    std::vector<QString> texts;
    bool visibleWhilePrinting = false;
    RegisterProgressWindow([&](TQRPrinter& printer) -> std::unique_ptr<TQRProgressWindow> {
        auto form = std::make_unique<TQRProgressForm>(&printer);
        shown = form.get();
        QObject::connect(form->Gauge(), &QProgressBar::valueChanged, [&](int value) {
            barValues.push_back(value);
            texts.push_back(shown->Info()->text());
            visibleWhilePrinting = shown->isVisible();
        });
        return form;
    });
    TQRPrinter printer;
    RecordPages(printer, 7);
    printer.Print();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(barValues, std::vector<int>{100});
    EXPECT_EQ(shown->Info()->text(), "100%  Completed");
    EXPECT_TRUE(visibleWhilePrinting);
    EXPECT_FALSE(shown->isVisible());
    EXPECT_EQ(world.printers.LastCreated()->Drawn().size(), 7u);
}

TEST(QRProgressForm, ShowsStepsOfFiveAndCancelsItsPrinter) {
    QtWithFakePrinters world;
    TQRProgressForm form(nullptr);
    EXPECT_EQ(form.windowTitle(), "Printing progress");
    EXPECT_EQ(form.size(), QSize(149, 97));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form.CancelButton()->text(), "Cancel");
    form.ShowProgress();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(form.frameGeometry().center().x(), screen.center().x(), 1);
    EXPECT_NEAR(form.frameGeometry().center().y(), screen.center().y(), 1);

    struct Step {
        int percent;
        int bar;
        const char* text;
    };
    for (const Step s : {Step{3, 0, ""}, Step{15, 15, "15%  Completed"},
                         Step{43, 15, "15%  Completed"}, Step{60, 60, "60%  Completed"}}) {
        form.HandleMessage({kMsgProgress, s.percent, 0});
        EXPECT_EQ(form.Gauge()->value(), s.bar) << s.percent;
        EXPECT_EQ(form.Info()->text(), s.text) << s.percent;
    }
    form.CancelButton()->click();  // no printer: nothing to cancel

    auto printer = std::make_unique<TQRPrinter>();
    TQRProgressForm tied(printer.get());
    tied.CancelButton()->click();
    EXPECT_TRUE(printer->CancelRequested());
    printer->SetProgressTarget(&tied);
    printer.reset();
    EXPECT_EQ(tied.Printer(), nullptr);
    tied.CancelButton()->click();
    form.HideProgress();
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace quillon
