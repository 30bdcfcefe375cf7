// The report's preview with the standard window: what the window takes from the report, the
// wait of Preview, closing it (also during a run), a run that fails, and the printer set-up.

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output/qr_printer.h"
#include "platform/core/cp1251.h"
#include "platform/core/services.h"
#include "preview/widgets/qr_preview.h"
#include "preview/widgets/qr_standard_preview.h"
#include "preview/widgets/qr_standard_preview_interface.h"
#include "report/export_filter_library.h"
#include "report/print_setup.h"
#include "report/program_report.h"
#include "report/qr_expr.h"
#include "tests/preview/preview_test_support.h"

namespace quillon {
namespace {

using testing::ProcessEvents;

// "Строка 1", "Строка 2", ... in Windows-1251.
std::vector<std::string> CyrillicLines(int count) {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) lines.push_back(Utf8ToCp1251("Строка ") + std::to_string(i));
    return lines;
}

class ReportPreviewTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterStandardPreview(); }
    void TearDown() override {
        RegisterPreviewInterface(nullptr);
        RegisterPrintDialog(nullptr);
        ProcessEvents();
    }

    // Runs `action` on the preview window (other than `except`) once the report's pages are
    // complete (from within Preview's wait).
    void WhenShown(const std::function<void(TQRStandardPreview&)>& action,
                   const TQRStandardPreview* except = nullptr) {
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer, action, except] {
            TQRPrinter* printer = report().QRPrinter();
            if (printer == nullptr || !report().Available() ||
                printer->State() != TQRPrinterState::prsFinished) {
                return;
            }
            auto* window = dynamic_cast<TQRStandardPreview*>(printer->PreviewWindow());
            if (window == nullptr || window == except) return;
            timer->stop();
            timer->deleteLater();
            action(*window);
        });
        timer->start();
    }

    TRozerEdedid& report() { return program.Report(); }

    testing::ScopedQtPlatform platform;
    testing::ScopedPreviewDialogs dialogs;
    ProgramReport program;
};

TEST_F(ReportPreviewTest, PreviewTwiceInARowWithTheProgramsWindowSettings) {
    program.Memo().SetLines(CyrillicLines(150));
    int afterPreview = 0;
    report().AfterPreview = [&](TCustomRozerEdedid& sender) {
        EXPECT_EQ(&sender, &report());
        ++afterPreview;
    };
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        QPointer<TQRStandardPreview> shown;
        WhenShown([&](TQRStandardPreview& w) {
            shown = &w;
            EXPECT_EQ(afterPreview, run - 1);
            EXPECT_EQ(w.windowTitle(), "Print Preview");
            EXPECT_FALSE(w.isMaximized());
            EXPECT_EQ(w.size(), QSize(500, 500));
            // The thumbnails and search beside the pages, and the search button.
            EXPECT_TRUE(w.Tabs()->isVisible());
            EXPECT_EQ(w.Tabs()->count(), 2);
            EXPECT_TRUE(w.Button("FindButton")->isVisible());
            EXPECT_LT(w.QRPreview()->width(), w.centralWidget()->width());
            EXPECT_TRUE(w.Button("ZoomToWidth")->isChecked());
            EXPECT_EQ(w.QRPreview()->ZoomState(), TQRZoomState::qrZoomToWidth);
            EXPECT_EQ(w.StatusPanel(1)->text(), "Page 1 of 3");
            EXPECT_TRUE(w.Button("Print")->isEnabled());
            EXPECT_TRUE(w.Button("PrintSetup")->isEnabled());
            ASSERT_NE(w.QRPreview()->PreviewImage()->Picture(), nullptr);
            w.Button("LastPage")->click();
            EXPECT_EQ(w.StatusPanel(1)->text(), "Page 3 of 3");
            w.ExitButton()->click();
        });
        report().Preview();
        // Preview returns once the window has closed, and the printer has gone with it.
        EXPECT_EQ(afterPreview, run);
        EXPECT_EQ(report().QRPrinter(), nullptr);
        EXPECT_TRUE(report().Available());
        ProcessEvents();
        EXPECT_TRUE(shown.isNull());
    }
}

TEST_F(ReportPreviewTest, APreviewAskedForFromAnOpenOneReplacesIt) {
    program.Memo().SetLines(CyrillicLines(20));
    int afterPreview = 0;
    report().AfterPreview = [&](TCustomRozerEdedid&) { ++afterPreview; };
    QPointer<TQRStandardPreview> first;
    QPointer<TQRStandardPreview> second;
    WhenShown([&](TQRStandardPreview& w) {
        first = &w;
        WhenShown(
            [&](TQRStandardPreview& again) {
                second = &again;
                EXPECT_EQ(afterPreview, 1);
                again.close();
            },
            &w);
        report().Preview();
    });
    report().Preview();
    EXPECT_EQ(afterPreview, 2);
    EXPECT_EQ(report().QRPrinter(), nullptr);
    ProcessEvents();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
}

TEST_F(ReportPreviewTest, ClosingTheWindowDuringTheRunCancelsIt) {
    program.Memo().SetLines(CyrillicLines(2000));
    int afterPreview = 0;
    report().AfterPreview = [&](TCustomRozerEdedid&) { ++afterPreview; };
    // The run lets the window's messages run after every page, as a run over records does
    // after every record; on page 3 the user closes the window.
    int pages = 0;
    QPointer<TQRStandardPreview> window;
    report().OnEndPage = [&](TCustomRozerEdedid& sender) {
        ++pages;
        if (sender.PageNumber() == 3) {
            window = dynamic_cast<TQRStandardPreview*>(sender.QRPrinter()->PreviewWindow());
            ASSERT_FALSE(window.isNull());
            QTimer::singleShot(0, window.data(), [&] { window->close(); });
        }
        Platform().messages->ProcessMessages();
    };
    report().Preview();
    // A band that is printing goes on to its end (a run over records would stop before its
    // next record); the run ends cancelled and its printer is freed.
    EXPECT_TRUE(report().Cancelled());
    EXPECT_GE(pages, 3);
    EXPECT_EQ(report().QRPrinter(), nullptr);
    EXPECT_EQ(afterPreview, 1);
    EXPECT_TRUE(report().Available());
    ProcessEvents();
    EXPECT_TRUE(window.isNull());

    // The report runs again afterwards.
    report().OnEndPage = nullptr;
    program.Memo().SetLines(CyrillicLines(10));
    WhenShown([](TQRStandardPreview& w) { w.close(); });
    report().Preview();
    EXPECT_FALSE(report().Cancelled());
    EXPECT_EQ(afterPreview, 2);
}

TEST_F(ReportPreviewTest, ClosingTheWindowDuringARunOverRecordsStopsBeforeTheNextRecord) {
    // A report over records lets the window's messages run once per record; the user closes
    // the window after record 40 of 100000.
    TRozerEdedid report;
    TQRBand& detail = report.CreateStandardBand(TQRBandType::rbDetail);
    detail.Insert(std::make_unique<TQRExpr>(detail.Owner())).SetExpression("'Record ' + STR(COUNT)");
    int given = 0;
    QPointer<TQRStandardPreview> window;
    report.OnNeedData = [&](TComponent&, bool& more) {
        more = ++given <= 100000;
        if (given == 40) {
            window = dynamic_cast<TQRStandardPreview*>(report.QRPrinter()->PreviewWindow());
            ASSERT_FALSE(window.isNull());
            QTimer::singleShot(0, window.data(), [&] { window->close(); });
        }
    };
    int afterPreview = 0;
    report.AfterPreview = [&](TCustomRozerEdedid&) { ++afterPreview; };
    report.Preview();
    EXPECT_TRUE(report.Cancelled());
    // The close runs with the messages of the next record, and the loop stops there.
    EXPECT_GE(given, 40);
    EXPECT_LT(given, 45);
    EXPECT_EQ(report.QRPrinter(), nullptr);
    EXPECT_EQ(afterPreview, 1);
    EXPECT_TRUE(report.Available());
    ProcessEvents();
    EXPECT_TRUE(window.isNull());
}

TEST_F(ReportPreviewTest, AFailedRunClosesThePreviewAndFreesThePrinter) {
    program.Memo().SetLines(CyrillicLines(200));
    QPointer<TQRStandardPreview> window;
    report().OnEndPage = [&](TCustomRozerEdedid& sender) {
        window = dynamic_cast<TQRStandardPreview*>(sender.QRPrinter()->PreviewWindow());
        if (sender.PageNumber() == 2) throw EQRError("Out of paper");
    };
    EXPECT_THROW(report().Preview(), EQRError);
    EXPECT_EQ(report().QRPrinter(), nullptr);
    ASSERT_FALSE(window.isNull());
    ProcessEvents();
    EXPECT_TRUE(window.isNull());
}

TEST_F(ReportPreviewTest, PrinterSetUpHandsTheConfirmedChoicesToThePrinter) {
    program.Memo().SetLines(CyrillicLines(200));
    std::optional<PrintDialogAnswer> answer;
    std::vector<PrintDialogRequest> requests;
    RegisterPrintDialog([&](PrinterDevice&, const PrintDialogRequest& request) {
        requests.push_back(request);
        return answer;
    });
    WhenShown([&](TQRStandardPreview& w) {
        TQRPrinter& printer = *w.QRPrinter();
        const TRozerEdedidPrinterSettings before = report().PrinterSettings();
        // Cancelled: nothing changes.
        w.Button("PrintSetup")->click();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].maxPage, 3);
        EXPECT_EQ(report().Tag(), 1);
        EXPECT_EQ(report().PrinterSettings(), before);
        EXPECT_EQ(printer.FirstPage(), 0);
        EXPECT_EQ(printer.LastPage(), 0);
        EXPECT_FALSE(printer.UseCustomBinCode());

        PrintDialogAnswer chosen;
        chosen.copies = 2;
        chosen.outputBin = 4;
        chosen.duplexCode = 2;
        chosen.duplex = true;
        chosen.collate = 1;
        chosen.printRange = TPrintRangeChoice::prPageNums;
        chosen.fromPage = 2;
        chosen.toPage = 3;
        answer = chosen;
        w.Button("PrintSetup")->click();
        EXPECT_EQ(report().Tag(), 0);
        EXPECT_EQ(printer.FirstPage(), 2);
        EXPECT_EQ(printer.LastPage(), 3);
        EXPECT_TRUE(printer.UseCustomBinCode());
        EXPECT_EQ(printer.CustomBinCode(), 4);
        EXPECT_EQ(printer.ExtendedDuplex(), 2);
        EXPECT_EQ(printer.Collate(), 1);
        w.close();
    });
    report().Preview();
    EXPECT_EQ(requests.size(), 2u);
}

// An export filter that notes the calls it gets.
class NotingFilter : public TQRExportFilter {
public:
    explicit NotingFilter(std::vector<std::string>& calls) : calls_(calls) {}
    bool Started() const override { return started_; }
    void Start(const FontSpec&, int, int) override {
        started_ = true;
        calls_.push_back("start");
    }
    void NewPage() override { calls_.push_back("page"); }
    void Shape(const ExportShape&) override {}
    void Text(long double, long double, const FontSpec&, Color, TAlignment,
              std::string_view) override {}
    void EndBand(TQRCustomBand&, long double, int, int) override {}
    void EndPage() override {}
    void Finish() override { calls_.push_back("finish"); }
    bool WholePageRoom() override { return false; }

private:
    std::vector<std::string>& calls_;
    bool started_ = false;
};

TEST_F(ReportPreviewTest, SavingThroughARegisteredExportFilterRunsTheExport) {
    program.Memo().SetLines(CyrillicLines(100));
    std::vector<std::string> calls;
    QRExportFilterLibrary().Add({"Noted text", "TXT", [&](const std::string& fileName) {
                                     calls.push_back("create " + fileName);
                                     return std::make_unique<NotingFilter>(calls);
                                 }});
    struct Removal {
        ~Removal() { QRExportFilterLibrary().Remove("Noted text"); }
    } removal;
    dialogs->chooseFile = [&](QWidget*, const FileDialogRequest& request) {
        EXPECT_EQ(request.filter, "RozerEdedid file(*.QRP)|*.QRP|Noted text (*.TXT)|*.TXT");
        return std::optional<FileChoice>(FileChoice{"/nowhere/out.txt", 2});
    };
    WhenShown([&](TQRStandardPreview& w) {
        TQRPrinter* printer = w.QRPrinter();
        w.Button("SaveReport")->click();
        // The preview keeps its pages and its printer.
        EXPECT_EQ(w.QRPrinter(), printer);
        EXPECT_EQ(report().QRPrinter(), printer);
        EXPECT_EQ(printer->PageTotal(), 2);
        w.close();
    });
    report().Preview();
    EXPECT_EQ(calls, (std::vector<std::string>{"create /nowhere/out.txt", "start", "page", "page",
                                               "finish"}));
}

}  // namespace
}  // namespace quillon
