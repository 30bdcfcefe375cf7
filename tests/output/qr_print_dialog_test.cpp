// The engine's print dialog over Qt's, on the cups-pdf queue "PDF" (run through
// scripts/with-cups): what it shows, where, and what it hands back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "output/widgets/qr_print_dialog.h"
#include "platform/qt/qt_printer.h"
#include "tests/output/cups_jobs.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

using testing::kPdfQueue;

class QRPrintDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
        testing::EnsureQtApplication();
        ASSERT_FALSE(QPrinterInfo::printerInfo(kPdfQueue).isNull())
            << "The CUPS queue \"PDF\" (cups-pdf) is missing: run the tests through "
               "scripts/with-cups, which starts a CUPS server with that queue";
        devicePtr = std::make_unique<QtPrinterDevice>();
        device().SelectPrinter(kPdfQueue);
        ASSERT_TRUE(device().GetDeviceMode().has_value());
    }

    // A child of Qt's dialog by its object name; fails the test when it is not there.
    template <typename T>
    static T* Child(QPrintDialog& dialog, const char* name) {
        T* child = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QtPrinterDevice& device() { return *devicePtr; }

    std::unique_ptr<QtPrinterDevice> devicePtr;
};

TEST_F(QRPrintDialogTest, ShowsTheSettingsAndHandsBackTheChoice) {
    // The dialog opens on another queue; the user picks "PDF".
    const std::string other = testing::UniqueTitle("dialog");
    struct Removal {
        const std::string& name;
        ~Removal() { testing::RemoveQueue(name); }
    } removal{other};
    if (!testing::AddQueue(other))
        GTEST_SKIP() << "lpadmin could not add " << other << ": needs CUPS administration";
    device().SelectPrinter(other);
    ASSERT_TRUE(device().GetDeviceMode().has_value());

    TQRPrintDialog dialog(device());
    dialog.SetMinPage(1);
    dialog.SetMaxPage(7);
    dialog.SetFromPage(1);
    dialog.SetToPage(7);
    dialog.SetOptions({TPrintDialogOption::poPageNums, TPrintDialogOption::poWarning});
    dialog.SetOrientation(TPrinterOrientation::poLandscape);
    dialog.SetCopies(2);
    EXPECT_EQ(device().GetDeviceMode()->copies, 2);

    bool shown = false;
    dialog.OnShow = [&](TQRPrintDialog& sender) {
        shown = true;
        QPrintDialog& q = *sender.Dialog();
        EXPECT_EQ(q.windowModality(), Qt::ApplicationModal);
        const QRect area = q.screen()->availableGeometry();
        EXPECT_EQ(q.x(), area.x() + (area.width() - q.frameGeometry().width()) / 2);
        EXPECT_EQ(q.y(), area.y() + (area.height() - q.frameGeometry().height()) / 3);
        QSpinBox* copies = Child<QSpinBox>(q, "copies");
        QSpinBox* from = Child<QSpinBox>(q, "from");
        QSpinBox* to = Child<QSpinBox>(q, "to");
        QRadioButton* range = Child<QRadioButton>(q, "printRange");
        QComboBox* queues = Child<QComboBox>(q, "printers");
        if (copies == nullptr || from == nullptr || to == nullptr || range == nullptr ||
            queues == nullptr) {
            QTimer::singleShot(0, &q, &QDialog::reject);
            return;
        }
        EXPECT_EQ(copies->value(), 2);
        EXPECT_EQ(from->minimum(), 1);
        EXPECT_EQ(to->maximum(), 7);
        EXPECT_TRUE(range->isEnabled());
        EXPECT_EQ(queues->currentText().toStdString(), other);
        // The user asks for three copies of pages 2 to 3 on "PDF".
        queues->setCurrentIndex(queues->findText(QString::fromLatin1(kPdfQueue)));
        copies->setValue(3);
        range->setChecked(true);
        from->setValue(2);
        to->setValue(3);
        QTimer::singleShot(0, &q, &QDialog::accept);
    };
    int closed = 0;
    dialog.OnClose = [&](TQRPrintDialog&) { ++closed; };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_TRUE(shown);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(dialog.Dialog(), nullptr);

    EXPECT_EQ(dialog.Copies(), 3);
    EXPECT_EQ(dialog.PrintRange(), TPrintRange::prPageNums);
    EXPECT_EQ(dialog.FromPage(), 2);
    EXPECT_EQ(dialog.ToPage(), 3);
    EXPECT_EQ(dialog.Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(dialog.PaperSize(), 9);
    EXPECT_EQ(dialog.PaperWidth(), 2100);
    EXPECT_EQ(dialog.DuplexCode(), 1);
    EXPECT_FALSE(dialog.Duplex());
    EXPECT_FALSE(dialog.PrintToFile());
    EXPECT_NE(dialog.FieldMask() & DeviceMode::kOrientation, 0u);
    EXPECT_EQ(device().Names().device, kPdfQueue);
    const std::vector<std::string> now = device().Printers();
    EXPECT_EQ(dialog.PrinterIndex(), std::find(now.begin(), now.end(), kPdfQueue) - now.begin());
    // The printer object took the choice.
    EXPECT_EQ(device().GetDeviceMode()->copies, 3);
    EXPECT_EQ(device().GetDeviceMode()->orientation, 2);
}

TEST_F(QRPrintDialogTest, CancelChangesNothing) {
    QWidget window;
    window.show();
    window.activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &window);
    const DeviceMode before = *device().GetDeviceMode();

    TQRPrintDialog dialog(device());
    dialog.SetFromPage(4);
    dialog.OnShow = [](TQRPrintDialog& sender) {
        QPrintDialog& q = *sender.Dialog();
        if (QSpinBox* copies = Child<QSpinBox>(q, "copies")) copies->setValue(5);
        QTimer::singleShot(0, &q, &QDialog::reject);
    };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Copies(), 1);
    EXPECT_EQ(dialog.FromPage(), 4);
    EXPECT_EQ(dialog.PrintRange(), TPrintRange::prAllPages);
    EXPECT_EQ(*device().GetDeviceMode(), before);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &window);
}

}  // namespace
}  // namespace quillon
