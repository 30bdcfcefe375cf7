// The whole road of Print on a real CUPS server with the cups-pdf queue "PDF" (run through
// scripts/with-cups): a DOS file chosen in the main window, previewed, the queue chosen in
// the printer set-up and printed; the PDF holds the Cyrillic text and the frames in ASCII.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <string>

#include "output/qr_printer.h"
#include "output/widgets/qr_print_dialog.h"
#include "preview/widgets/print_setup_dialog.h"
#include "preview/widgets/qr_standard_preview.h"
#include "preview/widgets/qr_standard_preview_interface.h"
#include "report/print_setup.h"
#include "tests/app/main_form_test_support.h"
#include "tests/output/cups_jobs.h"
#include "tests/platform/qt_test_app.h"
#include "tests/preview/preview_test_support.h"

namespace quillon {
namespace {

using testing::kPdfQueue;

TEST(MainFormCups, PrintsADosFileThroughThePreviewToThePdfPrinter) {
    if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
    testing::EnsureQtApplication();
    ASSERT_FALSE(QPrinterInfo::printerInfo(kPdfQueue).isNull())
        << "The CUPS queue \"PDF\" (cups-pdf) is missing: run the tests through "
           "scripts/with-cups, which starts a CUPS server with that queue";
    testing::ScopedQtPlatform platform;
    testing::ScopedPreviewDialogs previewDialogs;
    RegisterStandardPreview();
    bool queueChosen = false;
    RegisterPrintDialog([&](PrinterDevice& printer, const PrintDialogRequest& request) {
        return RunPrintDialog(printer, request, [&](TQRPrintDialog& dialog) {
            QPrintDialog& q = *dialog.Dialog();
            auto* queues = q.findChild<QComboBox*>(QStringLiteral("printers"));
            if (queues != nullptr) {
                queues->setCurrentIndex(queues->findText(QString::fromLatin1(kPdfQueue)));
                queueChosen = true;
            }
            QTimer::singleShot(0, &q, queueChosen ? &QDialog::accept : &QDialog::reject);
        });
    });

    testing::MainFormRig rig;
    const auto form = rig.MakeForm();
    form->ShowCentred();
    rig.ChooseInput(*form, QUILLON_TEST_DATA "/sample-dos.txt");
    // The job's title finds its PDF among those of other tests.
    const std::string title = testing::UniqueTitle("main-window");
    form->Report1().SetReportTitle(title);

    bool printed = false;
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [&] {
        TQRPrinter* printer = form->Report1().QRPrinter();
        if (printer == nullptr || !form->Report1().Available() ||
            printer->State() != TQRPrinterState::prsFinished) {
            return;
        }
        auto* preview = dynamic_cast<TQRStandardPreview*>(printer->PreviewWindow());
        if (preview == nullptr) return;
        timer->stop();
        timer->deleteLater();
        preview->Button("PrintSetup")->click();
        preview->Button("Print")->click();
        printed = true;
        preview->ExitButton()->click();
    });
    timer->start();
    form->PrintButton->click();

    RegisterPrintDialog(nullptr);
    RegisterPreviewInterface(nullptr);
    ASSERT_TRUE(printed);
    ASSERT_TRUE(queueChosen);
    EXPECT_TRUE(rig.dialogs.errors.empty());
    const std::string pdf = testing::WaitForPdf(title);
    ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
    EXPECT_NE(testing::Command("pdfinfo '" + pdf + "'").find("Pages:           1\n"),
              std::string::npos);
    const std::string text = testing::Command("pdftotext -layout -enc UTF-8 '" + pdf + "' -");
    // The queue's filters redraw a few capitals (С, П, А, В, И) as glyphs without text, in any
    // PDF it is sent; the page shows them, so the words checked here are ones the text keeps.
    for (const char* expected :
         {"+----------------------------------------------------+", "| Хляб бял     |",
          "| Мляко прясно |", "Количество", "260.40 лв.", "Й. Щерев"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin:\n" << text;
    }
}

}  // namespace
}  // namespace quillon
