// The report's run modes without windows: the print dialog of the printer set-up, printing
// again straight to the printer, the export run, the messages from the printer and the
// preview, and what a new report starts with.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "output/qr_preview_interface.h"
#include "output/qr_printer.h"
#include "output/qr_printer_client.h"
#include "platform/core/services.h"
#include "report/export_filter_library.h"
#include "report/print_setup.h"
#include "report/rozer_ededid.h"
#include "tests/output/fake_printer.h"
#include "tests/report/report_test_support.h"

namespace quillon {
namespace {

using testing::DrawnText;
using testing::FakePrinterSystem;
using testing::MemoReport;
using testing::NumberedLines;

// A message queue and, when given, printers for one test; a fresh preview provider and no
// print dialog or progress window unless the test registers them.
class RunModes : public ::testing::Test {
protected:
    void Install(PrinterSystem* printers) {
        PlatformServices services;
        services.messages = &queue;
        services.printers = printers;
        InstallPlatform(services);
    }
    void SetUp() override { Install(nullptr); }
    void TearDown() override {
        RegisterPrintDialog(nullptr);
        RegisterProgressWindow(nullptr);
        RegisterPreviewInterface(nullptr);
        InstallPlatform({});
    }
    SimpleMessageQueue queue;
};

// A preview provider whose windows only say that they are shown.
class ShowingPreview : public TQRPreviewInterface {
public:
    explicit ShowingPreview(std::vector<TQRPrinter*>& shown) : shown_(shown) {}
    MessageTarget* OpenPreview(TQRPrinter& printer) override {
        printer.SetPreviewShowing(true);
        shown_.push_back(&printer);
        return nullptr;
    }

private:
    std::vector<TQRPrinter*>& shown_;
};

TEST_F(RunModes, ANewReportsDefaults) {
    TRozerEdedid report;
    EXPECT_EQ(report.Color(), clWhite);
    EXPECT_TRUE(report.SnapToGrid());
    EXPECT_EQ(report.ReportTitle(), "");
    EXPECT_TRUE(report.Available());
    EXPECT_TRUE(report.PageDrawing());
    EXPECT_TRUE(report.PrevShowThumbs());
    EXPECT_TRUE(report.PrevShowSearch());
    EXPECT_TRUE(report.ShowProgress());
    EXPECT_TRUE(report.PrintIfEmpty());
    EXPECT_EQ(report.Options(), (TRozerEdedidOptions{TRozerEdedidOption::FirstPageHeader,
                                                     TRozerEdedidOption::LastPageFooter}));
    EXPECT_EQ(report.ExportFilter(), nullptr);
    EXPECT_EQ(report.Font().face, "Arial");
    EXPECT_EQ(report.Font().size, 10);
    EXPECT_EQ(report.PrevInitialZoom(), TQRZoomState::qrZoomToFit);
    EXPECT_EQ(report.PrevFormStyle(), TFormStyle::fsNormal);
    EXPECT_EQ(report.PreviewInitialState(), TWindowState::wsNormal);
    EXPECT_EQ(report.PrinterSettings(), TRozerEdedidPrinterSettings{});
    EXPECT_EQ(report.PrinterSettings().OutputBin, TQRBin::Auto);
    EXPECT_EQ(report.PrinterSettings().MemoryLimit, 250000);
    EXPECT_EQ(report.QRPrinter(), nullptr);
    report.SetPreviewWidth(0);
    report.SetPreviewHeight(-3);
    EXPECT_EQ(report.PreviewWidth(), 500);
    EXPECT_EQ(report.PreviewHeight(), 500);
}

TEST_F(RunModes, PrintSetupTakesTheDialogsChoices) {
    FakePrinterSystem printers;
    printers.Setup().printers = {"First", "Second", "Third"};
    Install(&printers);
    MemoReport r;
    TCustomRozerEdedid& report = *r.report;
    report.PrinterSettings().Copies = 2;
    report.PrinterSettings().PrinterIndex = 2;
    report.PrinterSettings().FirstPage = 4;
    report.PrinterSettings().LastPage = 4;

    // No dialog: cancelled.
    report.PrintSetup();
    EXPECT_EQ(report.Tag(), 1);

    std::vector<PrintDialogRequest> requests;
    std::optional<PrintDialogAnswer> answer;
    RegisterPrintDialog([&](PrinterDevice& printer, const PrintDialogRequest& request) {
        EXPECT_EQ(&printer, &printers.SharedPrinter());
        EXPECT_EQ(printer.PrinterIndex(), report.PrinterSettings().PrinterIndex);  // selected
        requests.push_back(request);
        return answer;
    });
    const TRozerEdedidPrinterSettings before = report.PrinterSettings();
    report.PrintSetup();
    EXPECT_EQ(report.Tag(), 1);
    EXPECT_EQ(report.PrinterSettings(), before);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].minPage, 0);
    EXPECT_EQ(requests[0].maxPage, 9999);
    EXPECT_TRUE(requests[0].pageNumbers);
    EXPECT_TRUE(requests[0].warning);
    EXPECT_EQ(requests[0].copies, 2);
    EXPECT_EQ(requests[0].orientation, TPrinterOrientation::poPortrait);

    // With finished pages the dialog offers exactly those.
    r.memo->SetLines(NumberedLines(200));
    testing::Generate(report);
    ASSERT_EQ(report.QRPrinter()->PageTotal(), 3);
    PrintDialogAnswer chosen;
    chosen.printerIndex = 1;
    chosen.copies = 3;
    chosen.orientation = TPrinterOrientation::poLandscape;
    chosen.outputBin = 4;
    chosen.duplexCode = 2;
    chosen.duplex = true;
    chosen.paperSize = 9;
    chosen.printQuality = -4;
    chosen.collate = 1;
    chosen.colorOption = 2;
    chosen.printRange = TPrintRangeChoice::prPageNums;
    chosen.fromPage = 2;
    chosen.toPage = 3;
    answer = chosen;
    report.PrintSetup();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].minPage, 1);
    EXPECT_EQ(requests[1].maxPage, 3);
    EXPECT_EQ(requests[1].fromPage, 1);
    EXPECT_EQ(requests[1].toPage, 3);
    EXPECT_EQ(report.Tag(), 0);
    const TRozerEdedidPrinterSettings& s = report.PrinterSettings();
    EXPECT_EQ(s.Copies, 3);
    EXPECT_EQ(s.PrinterIndex, 1);
    EXPECT_EQ(s.FirstPage, 2);
    EXPECT_EQ(s.LastPage, 3);
    EXPECT_EQ(report.Page().Orientation(), TPrinterOrientation::poLandscape);
    const TRozerEdedidPrinterSettings& d = report.DialogSettings();
    EXPECT_EQ(d.CustomBinCode, 4);
    EXPECT_EQ(d.ExtendedDuplex, 2);
    EXPECT_TRUE(d.Duplex);
    EXPECT_EQ(d.PrintQuality, -4);
    EXPECT_EQ(d.Collate, 1);
    EXPECT_EQ(d.ColorOption, 2);
    EXPECT_EQ(d.Copies, 3);
    EXPECT_EQ(d.CustomPaperCode, 9);
    EXPECT_EQ(d.PrinterIndex, 1);
    EXPECT_EQ(d.FirstPage, 2);
    EXPECT_EQ(d.LastPage, 3);
    EXPECT_EQ(d.OutputBin, TQRBin::Auto);
    EXPECT_EQ(d.Orientation, TPrinterOrientation::poLandscape);

    // All pages or a selection: no limits.
    for (const TPrintRangeChoice range :
         {TPrintRangeChoice::prAllPages, TPrintRangeChoice::prSelection}) {
        answer->printRange = range;
        report.PrintSetup();
        EXPECT_EQ(report.PrinterSettings().FirstPage, 0);
        EXPECT_EQ(report.PrinterSettings().LastPage, 0);
        EXPECT_EQ(report.DialogSettings().FirstPage, 2);
    }
}

// A progress window that counts what it is asked.
class CountingProgress : public TQRProgressWindow {
public:
    explicit CountingProgress(int& shown, int& destroyed) : shown_(shown), destroyed_(destroyed) {}
    ~CountingProgress() override { ++destroyed_; }
    void HandleMessage(const Message&) override {}
    void PrinterDestroyed(TQRPrinter&) override {}
    void ShowProgress() override { ++shown_; }
    void HideProgress() override {}

private:
    int& shown_;
    int& destroyed_;
};

TEST_F(RunModes, PrintingAgainGoesStraightToThePrinterAndKeepsThePreviewsPrinter) {
    FakePrinterSystem printers;
    Install(&printers);
    for (const bool showProgress : {true, false}) {
        SCOPED_TRACE(showProgress ? "with progress" : "without progress");
        MemoReport r;
        TCustomRozerEdedid& report = *r.report;
        report.SetShowProgress(showProgress);
        r.memo->SetLines(NumberedLines(200));
        int shown = 0;
        int destroyed = 0;
        RegisterProgressWindow([&](TQRPrinter&) -> std::unique_ptr<TQRProgressWindow> {
            return std::make_unique<CountingProgress>(shown, destroyed);
        });
        int afterPrint = 0;
        report.AfterPrint = [&](TCustomRozerEdedid& sender) {
            EXPECT_EQ(&sender, &report);
            ++afterPrint;
        };
        report.PrinterSettings().FirstPage = 2;
        report.PrinterSettings().LastPage = 3;
        // On the shared printer object, which outlives the run's own printer.
        report.PrinterSettings().UseStandardprinter = true;
        TQRPrinter& preview = testing::Generate(report);
        const std::size_t callsBefore = printers.Shared().Calls().size();
        const std::size_t textsBefore = printers.Shared().Texts().size();
        // Pages that are not a preview's: printing asks the report to generate again.
        preview.Print();
        queue.ProcessMessages();
        EXPECT_EQ(report.QRPrinter(), &preview);
        const std::vector<std::string>& calls = printers.Shared().Calls();
        ASSERT_GT(calls.size(), callsBefore);
        EXPECT_EQ(calls[callsBefore], "BeginDoc ");
        EXPECT_EQ(calls.back(), "EndDoc");
        // Page 1 is outside the range; the last line is on page 3.
        std::vector<std::string> printed;
        const std::vector<DrawnText>& texts = printers.Shared().Texts();
        for (std::size_t i = textsBefore; i < texts.size(); ++i) printed.push_back(texts[i].text);
        EXPECT_EQ(std::count(printed.begin(), printed.end(), "Line 1"), 0);
        EXPECT_EQ(std::count(printed.begin(), printed.end(), "Line 200"), 1);
        EXPECT_EQ(afterPrint, 1);
        EXPECT_EQ(shown, showProgress ? 1 : 0);
        EXPECT_EQ(destroyed, 1);
    }
}

TEST_F(RunModes, PrintingAgainWithoutAPrinterOrDuringARunPrintsNothing) {
    MemoReport r;
    r.memo->SetLines(NumberedLines(5));
    TQRPrinter& preview = testing::Generate(*r.report);
    r.report->ReprintToDevice();  // no printer installed
    EXPECT_EQ(r.report->QRPrinter(), &preview);
    EXPECT_EQ(preview.State(), TQRPrinterState::prsFinished);

    FakePrinterSystem printers;
    Install(&printers);
    int attempts = 0;
    r.report->OnStartPage = [&](TCustomRozerEdedid& report) {
        ++attempts;
        report.ReprintToDevice();
        report.Preview();
    };
    TQRPrinter& running = testing::Generate(*r.report);
    EXPECT_EQ(attempts, 1);
    // Neither made a printer of its own: the only one is the run's.
    EXPECT_EQ(printers.LastCreated(), running.Device());
    EXPECT_TRUE(printers.LastCreated()->Calls().empty());
}

TEST_F(RunModes, TheExportRunFeedsTheFilterAndPutsThePreviewsPrinterBack) {
    MemoReport r;
    r.memo->SetLines(NumberedLines(100));
    TQRPrinter& preview = testing::Generate(*r.report);
    struct Filter : TQRExportFilter {
        std::vector<std::string> calls;
        bool started = false;
        bool Started() const override { return started; }
        void Start(const FontSpec&, int, int) override {
            started = true;
            calls.push_back("start");
        }
        void NewPage() override { calls.push_back("page"); }
        void Shape(const ExportShape&) override {}
        void Text(long double, long double, const FontSpec&, Color, TAlignment,
                  std::string_view text) override {
            if (text == "Line 1" || text == "Line 100") calls.push_back(std::string(text));
        }
        void EndBand(TQRCustomBand&, long double, int, int) override {}
        void EndPage() override {}
        void Finish() override { calls.push_back("finish"); }
        bool WholePageRoom() override { return false; }
    } filter;
    TCustomRozerEdedid* seen = nullptr;
    r.report->OnStartPage = [&](TCustomRozerEdedid& report) {
        seen = &report;
        EXPECT_EQ(report.ExportFilter(), &filter);
        EXPECT_FALSE(report.PageDrawing());
        EXPECT_NE(report.QRPrinter(), &preview);
    };
    ASSERT_TRUE(preview.OnExport == nullptr);  // only a preview installs the export
    r.report->ExportToFilter(filter);
    EXPECT_EQ(seen, r.report.get());
    EXPECT_EQ(filter.calls,
              (std::vector<std::string>{"start", "page", "Line 1", "page", "Line 100", "finish"}));
    EXPECT_EQ(r.report->QRPrinter(), &preview);
    EXPECT_EQ(r.report->ExportFilter(), nullptr);
    EXPECT_TRUE(r.report->PageDrawing());
    EXPECT_EQ(preview.PageTotal(), 2);
}

TEST_F(RunModes, ThePreviewClosedMessageCountsOnlyForTheCurrentPrinter) {
    std::vector<TQRPrinter*> shown;
    RegisterPreviewInterface([&] { return std::make_unique<ShowingPreview>(shown); });
    MemoReport r;
    TCustomRozerEdedid& report = *r.report;
    r.memo->SetLines(NumberedLines(3));
    int afterPreview = 0;
    report.AfterPreview = [&](TCustomRozerEdedid& sender) {
        EXPECT_EQ(&sender, &report);
        ++afterPreview;
    };
    // There is no window to wait for here: the queue says the program ends, so Preview returns
    // with the preview still showing, and the message ends it.
    queue.SetTerminating(true);
    report.Preview();
    queue.SetTerminating(false);
    ASSERT_EQ(shown.size(), 1u);
    TQRPrinter* printer = report.QRPrinter();
    ASSERT_EQ(printer, shown[0]);
    EXPECT_TRUE(printer->PagesFinal());
    EXPECT_EQ(printer->PageTotal(), 1);
    EXPECT_TRUE(printer->OnPrintSetup);
    EXPECT_TRUE(printer->OnExport);

    TQRPrinter stranger(&report);
    stranger.ClosePreview();
    EXPECT_EQ(report.QRPrinter(), printer);
    EXPECT_EQ(afterPreview, 0);
    printer->ClosePreview();
    EXPECT_EQ(report.QRPrinter(), nullptr);
    EXPECT_EQ(afterPreview, 1);
}

TEST_F(RunModes, AnErrorOfThePreviewsRunFreesThePrinterAndEndsThePreview) {
    std::vector<TQRPrinter*> shown;
    RegisterPreviewInterface([&] { return std::make_unique<ShowingPreview>(shown); });
    MemoReport r;
    r.memo->SetLines(NumberedLines(200));
    int afterPreview = 0;
    r.report->AfterPreview = [&](TCustomRozerEdedid&) { ++afterPreview; };
    r.report->OnEndPage = [](TCustomRozerEdedid& report) {
        if (report.PageNumber() == 2) throw EQRError("Out of paper");
    };
    EXPECT_THROW(r.report->Preview(), EQRError);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(r.report->QRPrinter(), nullptr);
    EXPECT_EQ(afterPreview, 1);
    EXPECT_TRUE(r.report->Available());
}

TEST_F(RunModes, OnPreviewReplacesTheStandardPreview) {
    std::vector<TQRPrinter*> shown;
    RegisterPreviewInterface([&] { return std::make_unique<ShowingPreview>(shown); });
    MemoReport r;
    r.report->SetReportTitle("Monthly");
    int handled = 0;
    r.report->OnPreview = [&](TCustomRozerEdedid& sender) {
        EXPECT_EQ(&sender, r.report.get());
        EXPECT_EQ(sender.QRPrinter()->Title(), "Monthly");
        ++handled;
    };
    r.report->Preview();
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(shown.empty());
    EXPECT_NE(r.report->QRPrinter(), nullptr);
}

TEST_F(RunModes, TheSaveFilterListsTheRegisteredExportFilters) {
    TQRExportFilterLibrary library;
    EXPECT_EQ(library.SaveDialogFilter(), "RozerEdedid file(*.QRP)|*.QRP");
    library.Add({"Text file", "TXT", nullptr});
    library.Add({"Comma separated", "CSV", nullptr});
    EXPECT_EQ(
        library.SaveDialogFilter(),
        "RozerEdedid file(*.QRP)|*.QRP|Text file (*.TXT)|*.TXT|Comma separated (*.CSV)|*.CSV");
    library.Remove("Text file");
    EXPECT_EQ(library.Filters().size(), 1u);
    EXPECT_TRUE(QRExportFilterLibrary().Filters().empty());
}

}  // namespace
}  // namespace quillon
