// The report printer on a printer: creation with its device, direct printing with a page
// range, and replay of recorded pages with progress, cancellation and printer failures.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "output/qr_page_list.h"
#include "output/qr_printer.h"
#include "tests/output/printer_test_support.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::FakePrinterDevice;
using testing::FakePrinterSetup;
using testing::FakePrinterSystem;
using testing::RecordingClient;
using testing::RecordPages;
using testing::RecordStart;
using testing::ScopedServices;
using Calls = std::vector<std::string>;

class FakeReport : public TQRPrinterOwner {
public:
    bool UseStandardPrinter() const override { return standard; }
    std::int32_t MemoryLimit() const override { return 1000; }
    MessageTarget& ReportWindow() override { return window; }

    bool standard = false;
    RecordingClient window;
};

// A progress window that records what it receives and can press its cancel button.
class FakeProgressWindow : public TQRProgressWindow {
public:
    struct Log {
        std::vector<std::intptr_t> percents;
        std::vector<std::string> events;
        int cancelOnPercent = -1;  // the n-th percentage presses cancel
        std::function<void(TQRPrinter&)> onPercent;
    };
    FakeProgressWindow(TQRPrinter& printer, Log& log) : printer_(&printer), log_(log) {}

    void HandleMessage(const Message& message) override {
        if (message.id != kMsgProgress) return;
        log_.percents.push_back(message.wParam);
        if (printer_ == nullptr) return;
        if (static_cast<int>(log_.percents.size()) == log_.cancelOnPercent)
            printer_->RequestCancel();
        if (log_.onPercent) log_.onPercent(*printer_);
    }
    void PrinterDestroyed(TQRPrinter&) override { printer_ = nullptr; }
    void ShowProgress() override { log_.events.push_back("show"); }
    void HideProgress() override { log_.events.push_back("hide"); }

private:
    TQRPrinter* printer_;
    Log& log_;
};

// Registers the fake progress window for one test.
class ScopedProgressWindows {
public:
    ScopedProgressWindows() {
        RegisterProgressWindow([this](TQRPrinter& printer) {
            return std::make_unique<FakeProgressWindow>(printer, log);
        });
    }
    ~ScopedProgressWindows() { RegisterProgressWindow(nullptr); }
    FakeProgressWindow::Log log;
};

struct PrinterWorld {
    explicit PrinterWorld(FakePrinterSetup setup = {})
        : system(std::move(setup)), services(&system) {}
    FakePrinterSystem system;
    ScopedServices services;
};

// The report pages whose texts reached each printed page, in document order.
std::vector<std::string> PrintedTexts(const FakePrinterDevice& device) {
    std::vector<std::string> texts;
    for (const auto& drawn : device.Texts()) {
        texts.push_back(std::to_string(drawn.page) + ":" + drawn.text);
    }
    return texts;
}

TEST(QRPrinterDevice, CreationTakesItsPrinterAndReadsItsSettings) {
    PrinterWorld world;
    world.system.Shared().SetPrinterIndex(0);
    {
        TQRPrinter printer;
        EXPECT_TRUE(printer.HasPrinters());
        ASSERT_NE(world.system.LastCreated(), nullptr);
        EXPECT_EQ(printer.Device(), world.system.LastCreated());
        EXPECT_EQ(printer.UnprintableLeft(), 42);
        EXPECT_EQ(printer.Settings().DeviceName(), "Fake");
        EXPECT_FALSE(printer.UseStandardPrinter());
    }
    FakeReport report;
    report.standard = true;
    TQRPrinter printer(&report);
    EXPECT_EQ(printer.Device(), &world.system.Shared());
    EXPECT_TRUE(printer.UseStandardPrinter());
    EXPECT_EQ(printer.Settings().MemoryLimit(), 1000);
}

TEST(QRPrinterDevice, SelectingAPrinterReadsItsSettings) {
    FakePrinterSetup setup;
    setup.printers = {"One", "Two"};
    PrinterWorld world(setup);
    TQRPrinter printer;
    FakePrinterDevice& device = *world.system.LastCreated();
    device.Setup().mode->copies = 3;
    printer.SelectPrinter(1);
    EXPECT_EQ(device.PrinterIndex(), 1);
    EXPECT_EQ(printer.Settings().DeviceName(), "Two");
    EXPECT_EQ(printer.Copies(), 3);
    for (const int ignored : {-1, 2}) {
        printer.SelectPrinter(ignored);
        EXPECT_EQ(device.PrinterIndex(), 1) << ignored;
    }
}

TEST(QRPrinterDevice, DirectPrintingKeepsToThePageRange) {
    struct Case {
        int first, last;
        Calls calls;
        std::vector<std::string> texts;  // printed page:report page
    };
    const Case cases[] = {
        {0,
         0,
         {"BeginDoc Run", "NewPage", "NewPage", "EndDoc"},
         {"1:Page 1", "2:Page 2", "3:Page 3"}},
        {2, 3, {"BeginDoc Run", "NewPage", "EndDoc"}, {"1:Page 2", "2:Page 3"}},
        {3, 0, {"BeginDoc Run", "EndDoc"}, {"1:Page 3"}},
        {0, 1, {"BeginDoc Run", "EndDoc"}, {"1:Page 1"}},
        {5, 9, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + ".." + std::to_string(c.last));
        PrinterWorld world;
        RecordingClient progress;
        TQRPrinter printer;
        int afterPrint = 0;
        printer.OnAfterPrint = [&] { ++afterPrint; };
        printer.SetProgressTarget(&progress);
        printer.SetTitle("Run");
        printer.SetDestination(TQRPageTarget::ptDevice);
        printer.SetFirstPage(c.first);
        printer.SetLastPage(c.last);
        printer.SetOrientation(TPrinterOrientation::poLandscape);
        RecordPages(printer, 3);
        FakePrinterDevice& device = *world.system.LastCreated();
        EXPECT_EQ(device.Calls(), c.calls);
        EXPECT_EQ(PrintedTexts(device), c.texts);
        EXPECT_FALSE(device.Printing());
        // The settings went to the printer before the document.
        ASSERT_FALSE(device.Applied().empty());
        EXPECT_EQ(device.Applied().back().orientation, 2);
        EXPECT_EQ(progress.Params(kMsgPageAvailable), (std::vector<std::intptr_t>{1, 2, 3}));
        EXPECT_EQ(afterPrint, 1);
        EXPECT_EQ(printer.PageList().PageCount(), 0);  // nothing recorded
    }
}

TEST(QRPrinterDevice, DirectPrintingUsesPrinterUnits) {
    PrinterWorld world;
    TQRPrinter printer;
    printer.SetDestination(TQRPageTarget::ptDevice);
    printer.SetFirstPage(2);
    printer.BeginDocument();
    printer.NewPage();  // outside the range: recorded at screen resolution and dropped
    EXPECT_EQ(printer.HorzFactor(), 96.0L / 254);
    printer.NewPage();
    EXPECT_EQ(printer.HorzFactor(), 600.0L / 254);
    EXPECT_EQ(printer.UnprintableLeft(), 42);
    EXPECT_EQ(printer.UnprintableTop(), 51);
    EXPECT_EQ(printer.ToDeviceX(42), 0);
    EXPECT_EQ(printer.ToDeviceY(2051), 4724);  // 2000 * 600 / 254 = 4724.4
    EXPECT_EQ(&printer.PageCanvas(), &printer.Device()->PageCanvas());
    printer.EndDocument();
}

TEST(QRPrinterDevice, PrinterFailureEndsTheRun) {
    for (const bool atEnd : {false, true}) {
        SCOPED_TRACE(atEnd ? "ending" : "new page");
        FakePrinterSetup setup;
        setup.failOnNewPage = atEnd ? 0 : 1;
        setup.failOnEndDoc = atEnd;
        PrinterWorld world(setup);
        TQRPrinter printer;
        printer.SetDestination(TQRPageTarget::ptDevice);
        EXPECT_THROW(RecordPages(printer, 2), EPrinterError);
        if (!atEnd) printer.AbortDocument();  // what the report does with the error
        FakePrinterDevice& device = *world.system.LastCreated();
        EXPECT_FALSE(device.Printing());
        EXPECT_EQ(device.Calls().back(), "Abort");
        EXPECT_EQ(printer.State(), TQRPrinterState::prsFinished);
    }
}

TEST(QRPrinterDevice, ReplayPercentagesAndRange) {
    struct Case {
        int pages, first, last;
        std::vector<std::intptr_t> percents;
        std::vector<int> printed;
    };
    const Case cases[] = {
        {7, 0, 0, {14, 29, 43, 57, 71, 86, 100}, {1, 2, 3, 4, 5, 6, 7}},
        {5, 2, 3, {50, 100}, {2, 3}},
        {5, -1, 9, {20, 40, 60, 80, 100}, {1, 2, 3, 4, 5}},
        {5, 4, 2, {}, {}},
        {5, 6, 0, {}, {}},
        {3, 3, 3, {100}, {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pages) + " pages, " + std::to_string(c.first) + ".." +
                     std::to_string(c.last));
        PrinterWorld world;
        ScopedProgressWindows windows;
        RecordingClient preview;
        TQRPrinter printer;
        printer.SetProgressTarget(&preview);
        RecordPages(printer, c.pages);
        world.services.queue.ProcessMessages();
        preview.messages.clear();
        printer.SetFirstPage(c.first);
        printer.SetLastPage(c.last);
        printer.SetTitle("Replay");
        printer.Print();

        FakePrinterDevice& device = *world.system.LastCreated();
        EXPECT_EQ(windows.log.percents, c.percents);
        ASSERT_EQ(device.Drawn().size(), c.printed.size());
        for (std::size_t i = 0; i < c.printed.size(); ++i) {
            EXPECT_EQ(device.Drawn()[i].page, static_cast<int>(i) + 1);
            EXPECT_EQ(device.Drawn()[i].bytes, printer.PageImage(c.printed[i])->Bytes());
            EXPECT_EQ(device.Drawn()[i].target,
                      (Rect{0, 0, device.PageWidth(), device.PageHeight()}));
        }
        if (c.printed.empty()) {
            EXPECT_TRUE(device.Calls().empty());
            EXPECT_TRUE(windows.log.events.empty());
        } else {
            EXPECT_EQ(device.Calls().front(), "BeginDoc Replay");
            EXPECT_EQ(device.Calls().back(), "EndDoc");
            EXPECT_EQ(windows.log.events, (Calls{"show", "hide"}));
            EXPECT_EQ(printer.CurrentPage(), c.printed.back());
            EXPECT_EQ(printer.PercentDone(), 100);
        }
        // The preview gets its messages again afterwards, and none of the printing ones.
        EXPECT_TRUE(preview.messages.empty());
        EXPECT_EQ(printer.ProgressTarget(), &preview);
        EXPECT_FALSE(device.Printing());
    }
}

TEST(QRPrinterDevice, CancelDuringReplayAbortsAfterTheCurrentPage) {
    PrinterWorld world;
    ScopedProgressWindows windows;
    windows.log.cancelOnPercent = 2;  // pressed while page 2 prints
    TQRPrinter printer;
    RecordPages(printer, 5);
    printer.Print();
    FakePrinterDevice& device = *world.system.LastCreated();
    EXPECT_EQ(device.Calls(), (Calls{"BeginDoc ", "NewPage", "NewPage", "Abort"}));
    EXPECT_EQ(device.Drawn().size(), 2u);
    EXPECT_FALSE(device.Printing());
    EXPECT_EQ(windows.log.events, (Calls{"show", "hide"}));

    // The next replay starts afresh.
    windows.log = {};
    printer.Print();
    EXPECT_EQ(device.Drawn().size(), 7u);
    EXPECT_EQ(device.Calls().back(), "EndDoc");
}

TEST(QRPrinterDevice, PrintAndLoadWaitForTheReplay) {
    PrinterWorld world;
    ScopedProgressWindows windows;
    int refusedLoads = 0;
    windows.log.onPercent = [&](TQRPrinter& printer) {
        printer.Print();
        try {
            printer.Load("/nonexistent/report.qrp");
        } catch (const EQRError& error) {
            EXPECT_STREQ(error.what(), "QRPrinter not ready");
            ++refusedLoads;
        }
    };
    TQRPrinter printer;
    RecordPages(printer, 3);
    printer.Print();
    EXPECT_EQ(world.system.LastCreated()->Calls(),
              (Calls{"BeginDoc ", "NewPage", "NewPage", "EndDoc"}));
    EXPECT_EQ(refusedLoads, 3);
    EXPECT_EQ(printer.PageTotal(), 3);
    // Once done, printing again is possible.
    windows.log.onPercent = nullptr;
    printer.Print();
    EXPECT_EQ(world.system.LastCreated()->Drawn().size(), 6u);
}

TEST(QRPrinterDevice, PrinterDestroyedDuringReplayAbortsItsDocument) {
    PrinterWorld world;
    ScopedProgressWindows windows;
    FakeReport report;
    report.standard = true;  // the shared printer object outlives the report printer
    auto printer = std::make_unique<TQRPrinter>(&report);
    RecordingClient preview;
    printer->SetClient(&preview);
    RecordPages(*printer, 4);
    printer->SetPagesFinal(true);
    // The preview closes while page 2 prints, and the report frees the printer.
    windows.log.onPercent = [&](TQRPrinter&) { printer.reset(); };
    printer->Print();
    EXPECT_EQ(printer, nullptr);
    EXPECT_EQ(preview.destroyedCalls, 1);
    EXPECT_EQ(world.system.Shared().Calls(), (Calls{"BeginDoc ", "NewPage", "Abort"}));
    EXPECT_FALSE(world.system.Shared().Printing());
}

TEST(QRPrinterDevice, ReplayErrorsEndTheDocumentAndReachTheCaller) {
    struct Case {
        const char* what;
        FakePrinterSetup setup;
        const char* lastCall;
    };
    FakePrinterSetup newPage, ending, beginning;
    newPage.failOnNewPage = 2;
    ending.failOnEndDoc = true;
    beginning.failOnBeginDoc = true;
    const Case cases[] = {
        {"new page", newPage, "EndDoc"},
        {"ending", ending, "Abort"},
        {"beginning", beginning, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrinterWorld world(c.setup);
        ScopedProgressWindows windows;
        TQRPrinter printer;
        RecordPages(printer, 4);
        EXPECT_THROW(printer.Print(), EPrinterError);
        FakePrinterDevice& device = *world.system.LastCreated();
        EXPECT_FALSE(device.Printing());
        if (c.lastCall != nullptr) {
            EXPECT_EQ(device.Calls().back(), c.lastCall);
            EXPECT_EQ(windows.log.events, (Calls{"show", "hide"}));
        } else {
            EXPECT_TRUE(device.Calls().empty());
        }
        EXPECT_EQ(printer.State(), TQRPrinterState::prsFinished);
    }
}

// A saved report whose page 3 of 5 holds a broken picture in an intact chain: loading finds
// nothing wrong, printing must find it before the printer sees a page.
TEST(QRPrinterDevice, ADamagedPageStopsThePrintBeforeItBegins) {
    testing::TempDir dir;
    PrinterWorld world;
    ScopedProgressWindows windows;
    {
        TQRPrinter printer;
        RecordPages(printer, 5);
        printer.Save(dir.File("r.qrp"));
    }
    std::string bytes = testing::ReadFile(dir.File("r.qrp"));
    bytes[RecordStart(bytes, 3) + 8] = '\x7F';  // the picture's first record is no header
    testing::WriteFile(dir.File("r.qrp"), bytes);

    TQRPrinter printer;
    printer.Load(dir.File("r.qrp"));
    EXPECT_ANY_THROW(printer.Print());
    EXPECT_TRUE(world.system.LastCreated()->Calls().empty());
    printer.SetLastPage(2);  // the pages before it still print
    printer.Print();
    EXPECT_EQ(world.system.LastCreated()->Drawn().size(), 2u);
}

// An error that is not the printer's once the document has begun (here the loaded file cut
// short by someone else while page 1 prints) cancels the job: nothing reaches the paper.
TEST(QRPrinterDevice, AnErrorAfterThePrintBeganAbortsIt) {
    testing::TempDir dir;
    PrinterWorld world;
    ScopedProgressWindows windows;
    {
        TQRPrinter printer;
        RecordPages(printer, 4);
        printer.Save(dir.File("r.qrp"));
    }
    const std::string bytes = testing::ReadFile(dir.File("r.qrp"));
    TQRPrinter printer;
    printer.Load(dir.File("r.qrp"));
    windows.log.onPercent = [&](TQRPrinter&) {
        testing::WriteFile(dir.File("r.qrp"), bytes.substr(0, RecordStart(bytes, 2) + 20));
    };
    EXPECT_ANY_THROW(printer.Print());
    FakePrinterDevice& device = *world.system.LastCreated();
    // The job is named after the loaded file.
    EXPECT_EQ(device.Calls().front(), "BeginDoc r.qrp");
    EXPECT_EQ(device.Calls().back(), "Abort");
    EXPECT_EQ(std::count(device.Calls().begin(), device.Calls().end(), "EndDoc"), 0);
    EXPECT_FALSE(device.Printing());
    EXPECT_EQ(windows.log.events, (Calls{"show", "hide"}));
}

TEST(QRPrinterDevice, WhenReplayHappens) {
    // Without printers, or before the pages are complete, nothing happens.
    {
        FakePrinterSetup none;
        none.printers.clear();
        PrinterWorld world(none);
        TQRPrinter printer;
        EXPECT_FALSE(printer.HasPrinters());
        RecordPages(printer, 2);
        EXPECT_NO_THROW(printer.Print());
        EXPECT_TRUE(world.system.LastCreated()->Calls().empty());
    }
    {
        PrinterWorld world;
        TQRPrinter printer;
        printer.BeginDocument();
        printer.NewPage();
        printer.Print();
        EXPECT_TRUE(world.system.LastCreated()->Calls().empty());
    }
    // A report's own pages are printed by generating again, unless they are final or the
    // settings ask for the recorded pages.
    struct Case {
        bool pagesFinal, printMetaFile, replays;
    };
    for (const Case c :
         {Case{false, false, false}, Case{true, false, true}, Case{false, true, true}}) {
        PrinterWorld world;
        FakeReport report;
        TQRPrinter printer(&report);
        RecordPages(printer, 2);
        printer.SetPagesFinal(c.pagesFinal);
        printer.SetPrintMetaFile(c.printMetaFile);
        printer.Print();
        world.services.queue.ProcessMessages();
        EXPECT_EQ(world.system.LastCreated()->Drawn().size(), c.replays ? 2u : 0u);
        EXPECT_EQ(report.window.Params(kMsgPrintAgain).size(), c.replays ? 0u : 1u);
    }
}

}  // namespace
}  // namespace quillon
