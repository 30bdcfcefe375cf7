// Saving and loading the recorded pages, and the paper a loaded report is printed on.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "output/damaged_report.h"
#include "output/qr_page_list.h"
#include "output/qr_printer.h"
#include "tests/output/printer_test_support.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::FakePrinterSetup;
using testing::FakePrinterSystem;
using testing::RecordPages;
using testing::ScopedServices;
using testing::TempDir;

// Writes a report file of `pages` pages recorded on `paper` in `orientation`, with no printer.
void WriteReport(const std::string& file, int pages, TQRPaperSize paper,
                 TPrinterOrientation orientation, int customWidth = 0, int customLength = 0) {
    ScopedServices services;
    TQRPrinter printer;
    printer.SetPaperSize(paper);
    printer.SetOrientation(orientation);
    printer.SetPaperWidthValue(customWidth);
    printer.SetPaperLengthValue(customLength);
    RecordPages(printer, pages);
    printer.Save(file);
}

TEST(QRPrinterFiles, SavedReportOutlivesItsPrinterAndLoadsBack) {
    TempDir dir;
    const std::string file = dir.File("report.qrp");
    std::vector<std::vector<std::uint8_t>> pages;
    {
        ScopedServices services;
        TQRPrinter printer;
        printer.SetCompression(true);
        printer.Settings().SetMemoryLimit(100);  // the pages move to a temporary file
        RecordPages(printer, 3);
        for (int page = 1; page <= 3; ++page) pages.push_back(printer.PageImage(page)->Bytes());
        printer.Save(file);
    }
    const std::string saved = testing::ReadFile(file);
    ScopedServices services;
    {
        TQRPrinter printer;
        printer.OnPrintSetup = [] {};
        printer.OnExport = [](TQRExportFilter&) {};
        printer.Load(file);
        EXPECT_EQ(printer.State(), TQRPrinterState::prsFinished);
        EXPECT_EQ(printer.PageTotal(), 3);
        EXPECT_TRUE(printer.PagesFinal());
        EXPECT_FALSE(printer.OnPrintSetup);
        EXPECT_FALSE(printer.OnExport);
        EXPECT_EQ(printer.HorzFactor(), 96.0L / 254);
        for (int page = 1; page <= 3; ++page) {
            EXPECT_EQ(printer.PageImage(page)->Bytes(), pages[static_cast<std::size_t>(page - 1)]);
        }
        // Loading again replaces the pages.
        printer.Load(file);
        EXPECT_EQ(printer.PageTotal(), 3);
    }
    // The printer that read the file leaves it as it was.
    ASSERT_TRUE(testing::FileExists(file));
    EXPECT_EQ(testing::ReadFile(file), saved);
}

// A preview that runs an action when a page-available message arrives.
class ActingPreview : public TQRPrinterClient {
public:
    explicit ActingPreview(std::function<void()> action) : action_(std::move(action)) {}
    void HandleMessage(const Message& message) override {
        if (message.id == kMsgPageAvailable && action_) std::exchange(action_, nullptr)();
    }
    void PrinterDestroyed(TQRPrinter&) override {}

private:
    std::function<void()> action_;
};

TEST(QRPrinterFiles, FileLoadedAsARunEndsKeepsItsPages) {
    TempDir dir;
    const std::string file = dir.File("three.qrp");
    WriteReport(file, 3, TQRPaperSize::A4, TPrinterOrientation::poPortrait);
    const std::string saved = testing::ReadFile(file);
    ScopedServices services;
    TQRPrinter printer;
    ActingPreview preview([&] { printer.Load(file); });
    printer.SetProgressTarget(&preview);
    printer.BeginDocument();
    printer.NewPage();
    EXPECT_NO_THROW(printer.EndDocument());  // the message runs in here
    EXPECT_EQ(printer.PageTotal(), 3);
    EXPECT_TRUE(printer.PagesFinal());
    EXPECT_EQ(testing::ReadFile(file), saved);
}

// However a recording run ends, the header counts the pages recorded, so the saved file loads.
TEST(QRPrinterFiles, ARunEndedByAbortSavesAFileThatLoads) {
    TempDir dir;
    ScopedServices services;
    {
        TQRPrinter printer;
        printer.BeginDocument();
        for (int page = 1; page <= 3; ++page) printer.NewPage();
        printer.AbortDocument();  // the third page is open: it is kept
        EXPECT_EQ(printer.PageTotal(), 3);
        printer.Save(dir.File("aborted.qrp"));
        TQRPrinter loaded;
        ASSERT_NO_THROW(loaded.Load(dir.File("aborted.qrp")));
        EXPECT_EQ(loaded.PageTotal(), 3);
        EXPECT_NE(loaded.PageImage(3), nullptr);
    }
    {
        // Saved from the preview while the document ends (its messages run then).
        TQRPrinter printer;
        ActingPreview preview([&] { printer.Save(dir.File("ending.qrp")); });
        printer.SetProgressTarget(&preview);
        printer.BeginDocument();
        printer.NewPage();
        printer.NewPage();
        printer.EndDocument();
        TQRPrinter loaded;
        ASSERT_NO_THROW(loaded.Load(dir.File("ending.qrp")));
        EXPECT_EQ(loaded.PageTotal(), 2);
    }
    // A run that ended before its first page has nothing that would load again.
    TQRPrinter printer;
    printer.BeginDocument();
    printer.AbortDocument();
    try {
        printer.Save(dir.File("empty.qrp"));
        ADD_FAILURE() << "saved a report of no pages";
    } catch (const EQRError& error) {
        EXPECT_STREQ(error.what(), "The report has no pages");
    }
    EXPECT_FALSE(testing::FileExists(dir.File("empty.qrp")));
}

TEST(QRPrinterFiles, SaveNeedsFinishedPagesAndLoadFailuresLeaveNothing) {
    TempDir dir;
    ScopedServices services;
    TQRPrinter printer;
    EXPECT_THROW(printer.Save(dir.File("none.qrp")), EQRError);
    printer.BeginDocument();
    printer.NewPage();
    EXPECT_THROW(printer.Save(dir.File("busy.qrp")), EQRError);
    EXPECT_FALSE(testing::FileExists(dir.File("busy.qrp")));
    printer.EndDocument();

    testing::WriteFile(dir.File("bad.qrp"), std::string(300, 'x'));
    for (const char* name : {"bad.qrp", "missing.qrp"}) {
        EXPECT_ANY_THROW(printer.Load(dir.File(name))) << name;
        EXPECT_EQ(printer.State(), TQRPrinterState::prsReady) << name;
        EXPECT_EQ(printer.PageTotal(), 0);
        EXPECT_EQ(printer.PageImage(1), nullptr);
    }
    EXPECT_TRUE(testing::FileExists(dir.File("bad.qrp")));
}

TEST(QRPrinterFiles, LoadDetectsPaperFromTheFirstPage) {
    TempDir dir;
    const std::string portrait = dir.File("portrait.qrp");
    const std::string landscape = dir.File("landscape.qrp");
    const std::string odd = dir.File("odd.qrp");
    WriteReport(portrait, 2, TQRPaperSize::A4, TPrinterOrientation::poPortrait);
    WriteReport(landscape, 1, TQRPaperSize::A4, TPrinterOrientation::poLandscape);
    WriteReport(odd, 1, TQRPaperSize::Custom, TPrinterOrientation::poPortrait, 900, 1300);

    struct Case {
        const std::string& file;
        std::vector<int> paperCodes;
        bool orientation;  // the printer accepts an orientation
        TQRPaperSize paper;
        TPrinterOrientation expected;
    };
    const auto L = TPrinterOrientation::poLandscape;
    const auto P = TPrinterOrientation::poPortrait;
    const Case cases[] = {
        {portrait, {9}, true, TQRPaperSize::A4, P},
        {landscape, {9}, true, TQRPaperSize::A4, L},
        {portrait, {9, 10}, true, TQRPaperSize::A4Small, P},  // the later match wins
        {landscape, {1, 11}, true, TQRPaperSize::Letter, L},  // A4 not offered: kept
        {landscape, {9}, false, TQRPaperSize::A4, P},         // no orientation: kept
        {odd, {9, 11}, true, TQRPaperSize::Letter, L},        // no table size: unchanged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " on a printer with " + std::to_string(c.paperCodes.size()) +
                     " sizes");
        FakePrinterSetup setup;
        setup.paperCodes = c.paperCodes;
        setup.mode->paperSize = 1;  // the printer starts on Letter
        if (!c.orientation) setup.mode->fields &= ~DeviceMode::kOrientation;
        FakePrinterSystem system(setup);
        ScopedServices services(&system);
        TQRPrinter printer;
        if (c.orientation) printer.SetOrientation(L);
        printer.Load(c.file);
        EXPECT_EQ(printer.PaperSize(), c.paper);
        EXPECT_EQ(printer.Orientation(), c.expected);
    }
}

}  // namespace
}  // namespace quillon
