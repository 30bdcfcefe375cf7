// The report printer on a real CUPS server with the cups-pdf queue "PDF" (run through
// scripts/with-cups): recorded and directly printed pages, the settings that reach the job,
// cancelling, and printers that go away or refuse the job.

#include <gtest/gtest.h>

#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "output/qr_printer.h"
#include "output/widgets/qr_progress_form.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_printer.h"
#include "tests/output/cups_jobs.h"
#include "tests/output/printer_test_support.h"
#include "tests/platform/qt_test_app.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::Command;
using testing::JobAttribute;
using testing::JobWithTitle;
using testing::kPdfQueue;
using testing::RecordPages;
using testing::UniqueTitle;
using testing::WaitForPdf;

class QRPrinterCupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
        testing::EnsureQtApplication();
        ASSERT_FALSE(QPrinterInfo::printerInfo(kPdfQueue).isNull())
            << "The CUPS queue \"PDF\" (cups-pdf) is missing: run the tests through "
               "scripts/with-cups, which starts a CUPS server with that queue";
        platform_ = InstallQtPlatform();
    }
    void TearDown() override {
        RegisterProgressWindow(nullptr);
        platform_.reset();
    }

    // Selects `queue` on the printer's own printer object by name (other tests may add and
    // remove queues meanwhile, which moves the indexes) and reads its settings.
    static void SelectQueue(TQRPrinter& printer, const std::string& queue) {
        auto* device = dynamic_cast<QtPrinterDevice*>(printer.Device());
        ASSERT_NE(device, nullptr);
        device->SelectPrinter(queue);
        printer.Settings().ReadFromDevice();
        ASSERT_EQ(printer.Settings().DeviceName(), queue);
    }

private:
    std::unique_ptr<QtPlatform> platform_;
};

TEST_F(QRPrinterCupsTest, PageRangeReachesThePrinterInOrder) {
    for (const bool direct : {false, true}) {
        SCOPED_TRACE(direct ? "printed directly" : "replayed");
        const std::string title = UniqueTitle(direct ? "direct" : "replay");
        TQRPrinter printer;
        ASSERT_TRUE(printer.HasPrinters());
        SelectQueue(printer, kPdfQueue);
        printer.SetTitle(title);
        printer.SetFirstPage(2);
        printer.SetLastPage(3);
        if (direct) printer.SetDestination(TQRPageTarget::ptDevice);
        RecordPages(printer, 5);
        if (!direct) printer.Print();

        const std::string pdf = WaitForPdf(title);
        ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
        EXPECT_NE(Command("pdfinfo '" + pdf + "'").find("Pages:           2\n"), std::string::npos);
        // One page of text per printed page, separated by form feeds.
        const std::string text = Command("pdftotext -layout -enc UTF-8 '" + pdf + "' -");
        const auto page2 = text.find("Page 2");
        const auto feed = text.find('\f');
        const auto page3 = text.find("Page 3");
        ASSERT_NE(page2, std::string::npos) << text;
        ASSERT_NE(page3, std::string::npos) << text;
        EXPECT_LT(page2, feed) << text;
        EXPECT_LT(feed, page3) << text;
        for (const char* absent : {"Page 1", "Page 4", "Page 5"}) {
            EXPECT_EQ(text.find(absent), std::string::npos) << absent << " in " << text;
        }
    }
}

TEST_F(QRPrinterCupsTest, CopiesOrientationAndPaperReachTheJob) {
    const std::string title = UniqueTitle("options");
    TQRPrinter printer;
    SelectQueue(printer, kPdfQueue);
    printer.SetTitle(title);
    printer.SetCopies(3);
    printer.SetOrientation(TPrinterOrientation::poLandscape);
    printer.SetPaperSize(TQRPaperSize::A5);
    ASSERT_EQ(printer.PaperSize(), TQRPaperSize::A5);
    RecordPages(printer, 1);
    EXPECT_EQ(printer.PageImage(1)->Width(), 794);  // 210 mm wide on screen
    printer.Print();

    const std::optional<int> job = JobWithTitle(title);
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(JobAttribute(*job, "copies"), "3");
    EXPECT_EQ(JobAttribute(*job, "media"), "A5");
    EXPECT_EQ(JobAttribute(*job, "orientation-requested"), "landscape");
    const std::string pdf = WaitForPdf(title);
    ASSERT_FALSE(pdf.empty());
    EXPECT_NE(Command("pdfinfo '" + pdf + "'").find("(A5)"), std::string::npos);
}

TEST_F(QRPrinterCupsTest, CancelOnTheProgressFormPrintsNothing) {
    // The user presses Cancel as soon as the first percentage shows.
    RegisterProgressWindow([](TQRPrinter& printer) -> std::unique_ptr<TQRProgressWindow> {
        auto form = std::make_unique<TQRProgressForm>(&printer);
        QPushButton* cancel = form->CancelButton();
        QObject::connect(form->Gauge(), &QProgressBar::valueChanged, cancel,
                         [cancel] { cancel->click(); });
        return form;
    });
    const std::string title = UniqueTitle("cancel");
    TQRPrinter printer;
    SelectQueue(printer, kPdfQueue);
    printer.SetTitle(title);
    RecordPages(printer, 5);
    printer.Print();
    EXPECT_TRUE(printer.CancelRequested());
    EXPECT_EQ(printer.CurrentPage(), 1);
    EXPECT_FALSE(printer.Device()->Printing());
    EXPECT_FALSE(JobWithTitle(title).has_value());
}

// A progress window that does something to the world when the first percentage arrives.
class MeddlingProgress : public TQRProgressWindow {
public:
    explicit MeddlingProgress(std::function<void()> meddle) : meddle_(std::move(meddle)) {}
    void HandleMessage(const Message& message) override {
        if (message.id == kMsgProgress && meddle_) std::exchange(meddle_, nullptr)();
    }
    void PrinterDestroyed(TQRPrinter&) override {}
    void ShowProgress() override {}
    void HideProgress() override {}

private:
    std::function<void()> meddle_;
};

// A saved report that cannot be read whole ends in an error and never in paper: a damaged
// page is found before the job begins, and a file cut short while it prints cancels the job.
TEST_F(QRPrinterCupsTest, AReportThatCannotBeReadPrintsNothing) {
    testing::TempDir dir;
    const std::string file = dir.File("r.qrp");
    {
        TQRPrinter printer;
        RecordPages(printer, 4);
        printer.Save(file);
    }
    const std::string saved = testing::ReadFile(file);
    const std::size_t second = testing::RecordStart(saved, 2);
    std::string damaged = saved;
    damaged[second + 8] = '\x7F';  // page 2's picture has no header

    for (const bool whilePrinting : {false, true}) {
        SCOPED_TRACE(whilePrinting ? "file cut while printing" : "damaged page");
        testing::WriteFile(file, whilePrinting ? saved : damaged);
        RegisterProgressWindow([&](TQRPrinter&) -> std::unique_ptr<TQRProgressWindow> {
            return std::make_unique<MeddlingProgress>([&] {
                testing::WriteFile(file, saved.substr(0, second));
            });
        });
        const std::string title = UniqueTitle(whilePrinting ? "cut" : "damaged");
        TQRPrinter printer;
        SelectQueue(printer, kPdfQueue);
        printer.Load(file);
        printer.SetTitle(title);
        EXPECT_ANY_THROW(printer.Print());
        EXPECT_FALSE(printer.Device()->Printing());
        EXPECT_FALSE(JobWithTitle(title).has_value());
    }
}

TEST_F(QRPrinterCupsTest, PrinterThatGoesAwayOrRefusesEndsWithAnError) {
    const std::string queue = UniqueTitle("queue");
    struct Removal {
        const std::string& name;
        ~Removal() { testing::RemoveQueue(name); }
    } removal{queue};
    struct Case {
        const char* what;
        const char* command;  // done to the queue after the pages are recorded
        const char* message;
    };
    const Case cases[] = {
        {"rejecting", "cupsreject", "did not take the document"},
        {"removed", "lpadmin -x", "is not available"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!testing::AddQueue(queue))
            GTEST_SKIP() << "lpadmin could not add " << queue << ": needs CUPS administration";
        const std::string title = UniqueTitle(c.what);
        TQRPrinter printer;
        SelectQueue(printer, queue);
        printer.SetTitle(title);
        RecordPages(printer, 2);
        Command(std::string(c.command) + " '" + queue + "' >/dev/null 2>&1");
        try {
            printer.Print();
            ADD_FAILURE() << "printing succeeded on a queue that is " << c.what;
        } catch (const EPrinterError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        EXPECT_FALSE(printer.Device()->Printing());
        EXPECT_EQ(printer.State(), TQRPrinterState::prsFinished);
        EXPECT_FALSE(JobWithTitle(title, queue).has_value());
    }
}

}  // namespace
}  // namespace quillon
