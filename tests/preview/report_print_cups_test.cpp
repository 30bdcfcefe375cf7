// Printing from the preview on a real CUPS server with the cups-pdf queue "PDF" (run through
// scripts/with-cups): the printer set-up's print dialog, driven as a user would, chooses the
// queue and pages 2 to 3; the print button replays exactly those pages into the PDF.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <string>

#include "output/qr_printer.h"
#include "output/widgets/qr_print_dialog.h"
#include "preview/widgets/print_setup_dialog.h"
#include "preview/widgets/qr_standard_preview.h"
#include "preview/widgets/qr_standard_preview_interface.h"
#include "report/print_setup.h"
#include "report/program_report.h"
#include "tests/output/cups_jobs.h"
#include "tests/platform/qt_test_app.h"
#include "tests/preview/preview_test_support.h"

namespace quillon {
namespace {

using testing::Command;
using testing::kPdfQueue;

class ReportPrintCupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
        testing::EnsureQtApplication();
        ASSERT_FALSE(QPrinterInfo::printerInfo(kPdfQueue).isNull())
            << "The CUPS queue \"PDF\" (cups-pdf) is missing: run the tests through "
               "scripts/with-cups, which starts a CUPS server with that queue";
        RegisterStandardPreview();
    }
    void TearDown() override {
        RegisterPreviewInterface(nullptr);
        RegisterPrintDialog(nullptr);
        testing::ProcessEvents();
    }

    // The print dialog as the user answers it: `choose` runs on Qt's dialog once it shows.
    void AnswerPrintDialog(std::function<void(QPrintDialog&)> choose) {
        RegisterPrintDialog([choose](PrinterDevice& printer, const PrintDialogRequest& request) {
            return RunPrintDialog(printer, request,
                                  [choose](TQRPrintDialog& dialog) { choose(*dialog.Dialog()); });
        });
    }

    testing::ScopedQtPlatform platform;
    testing::ScopedPreviewDialogs dialogs;
};

// The labels of the dialog's buttons that confirm it.
QStringList ConfirmLabels(QPrintDialog& dialog) {
    QStringList labels;
    for (QDialogButtonBox* buttons : dialog.findChildren<QDialogButtonBox*>()) {
        for (QAbstractButton* button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                labels << button->text();
        }
    }
    return labels;
}

template <typename T>
T* Child(QPrintDialog& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

TEST_F(ReportPrintCupsTest, PagesChosenInThePrintDialogArriveInThePdf) {
    ProgramReport program;
    std::vector<std::string> lines;
    for (int i = 1; i <= 200; ++i) lines.push_back("Line " + std::to_string(i) + " end");
    program.Memo().SetLines(lines);
    TRozerEdedid& report = program.Report();
    const std::string title = testing::UniqueTitle("preview");
    report.SetReportTitle(title);

    bool chosen = false;
    AnswerPrintDialog([&](QPrintDialog& q) {
        auto* queues = Child<QComboBox>(q, "printers");
        auto* range = Child<QRadioButton>(q, "printRange");
        auto* from = Child<QSpinBox>(q, "from");
        auto* to = Child<QSpinBox>(q, "to");
        if (queues == nullptr || range == nullptr || from == nullptr || to == nullptr) {
            QTimer::singleShot(0, &q, &QDialog::reject);
            return;
        }
        EXPECT_EQ(from->minimum(), 1);
        EXPECT_EQ(to->maximum(), 3);
        // The system's print dialog, titled and confirmed for what it does: it prints nothing.
        EXPECT_EQ(q.windowTitle(), "Printer setup");
        EXPECT_EQ(ConfirmLabels(q), QStringList{"OK"});
        queues->setCurrentIndex(queues->findText(QString::fromLatin1(kPdfQueue)));
        EXPECT_EQ(ConfirmLabels(q), QStringList{"OK"});
        range->setChecked(true);
        from->setValue(2);
        to->setValue(3);
        chosen = true;
        QTimer::singleShot(0, &q, &QDialog::accept);
    });
    testing::WhenPreviewReady(report, [&](TQRStandardPreview& w) {
        ASSERT_EQ(w.QRPrinter()->PageTotal(), 3);
        w.Button("PrintSetup")->click();
        EXPECT_TRUE(chosen);
        EXPECT_EQ(report.Tag(), 0);
        EXPECT_EQ(report.PrinterSettings().FirstPage, 2);
        EXPECT_EQ(report.PrinterSettings().LastPage, 3);
        EXPECT_EQ(w.QRPrinter()->Settings().DeviceName(), kPdfQueue);
        w.Button("Print")->click();
        w.close();
    });
    report.Preview();
    ASSERT_TRUE(chosen);

    const std::string pdf = testing::WaitForPdf(title);
    ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
    EXPECT_NE(Command("pdfinfo '" + pdf + "'").find("Pages:           2\n"), std::string::npos);
    const std::string text = Command("pdftotext -layout -enc UTF-8 '" + pdf + "' -");
    EXPECT_EQ(text.find("Line 68 end"), std::string::npos);
    EXPECT_EQ(text.find("Line 1 end"), std::string::npos);
    const auto second = text.find("Line 69 end");
    const auto third = text.find("Line 137 end");
    ASSERT_NE(second, std::string::npos);
    ASSERT_NE(third, std::string::npos);
    EXPECT_LT(second, third);
    EXPECT_NE(text.find("Line 200 end"), std::string::npos);
}

TEST_F(ReportPrintCupsTest, AnA5LandscapeReportKeepsItsPaperAfterThePrinterSetUp) {
    ProgramReport program;
    program.Memo().SetLines({"A5 landscape page"});
    TRozerEdedid& report = program.Report();
    report.Page().SetPaperSize(TQRPaperSize::A5);
    report.Page().SetOrientation(TPrinterOrientation::poLandscape);
    const std::string title = testing::UniqueTitle("landscape");
    report.SetReportTitle(title);
    AnswerPrintDialog([&](QPrintDialog& q) {
        auto* queues = Child<QComboBox>(q, "printers");
        if (queues != nullptr)
            queues->setCurrentIndex(queues->findText(QString::fromLatin1(kPdfQueue)));
        QTimer::singleShot(0, &q, &QDialog::accept);
    });
    testing::WhenPreviewReady(report, [&](TQRStandardPreview& w) {
        w.Button("PrintSetup")->click();
        EXPECT_EQ(report.Tag(), 0);
        // Choosing the printer reads its settings; the recorded pages keep their shape.
        EXPECT_EQ(w.QRPrinter()->Orientation(), TPrinterOrientation::poLandscape);
        EXPECT_EQ(w.QRPrinter()->PaperSize(), TQRPaperSize::A5);
        w.Button("Print")->click();
        w.close();
    });
    report.Preview();
    const std::optional<int> job = testing::JobWithTitle(title);
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(testing::JobAttribute(*job, "orientation-requested"), "landscape");
    EXPECT_EQ(testing::JobAttribute(*job, "media"), "A5");
    const std::string pdf = testing::WaitForPdf(title);
    ASSERT_FALSE(pdf.empty());
    EXPECT_NE(Command("pdfinfo '" + pdf + "'").find("(A5)"), std::string::npos);
}

TEST_F(ReportPrintCupsTest, CancellingThePrintDialogChangesNothing) {
    ProgramReport program;
    program.Memo().SetLines({"one", "two"});
    TRozerEdedid& report = program.Report();
    report.PrinterSettings().FirstPage = 1;
    report.PrinterSettings().LastPage = 1;
    const TRozerEdedidPrinterSettings before = report.PrinterSettings();
    const TRozerEdedidPrinterSettings dialogBefore = report.DialogSettings();
    bool shown = false;
    AnswerPrintDialog([&](QPrintDialog& q) {
        shown = true;
        QTimer::singleShot(0, &q, &QDialog::reject);
    });
    testing::WhenPreviewReady(report, [&](TQRStandardPreview& w) {
        const std::int32_t copies = w.QRPrinter()->Copies();
        w.Button("PrintSetup")->click();
        EXPECT_TRUE(shown);
        EXPECT_EQ(report.Tag(), 1);
        EXPECT_EQ(report.PrinterSettings(), before);
        EXPECT_EQ(report.DialogSettings(), dialogBefore);
        EXPECT_EQ(w.QRPrinter()->FirstPage(), 1);
        EXPECT_EQ(w.QRPrinter()->LastPage(), 1);
        EXPECT_EQ(w.QRPrinter()->Copies(), copies);
        w.close();
    });
    report.Preview();
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace quillon
