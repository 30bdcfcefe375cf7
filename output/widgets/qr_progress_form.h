#pragma once

#include <QDialog>

#include "output/qr_printer_client.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quillon {

class TQRPrinter;

// The small window that shows how far printing has come, with a button that asks the report
// printer to cancel. It stays on top, centred on the screen, and shows only whole steps of
// 5 per cent.
class TQRProgressForm : public QDialog, public TQRProgressWindow {
public:
    // `printer` is not owned and may be null; the printer says when it goes away.
    explicit TQRProgressForm(TQRPrinter* printer, QWidget* parent = nullptr);
    ~TQRProgressForm() override;

    // The percentage message (U): the printer's PercentDone, or the parameter without a
    // printer; values that are not a multiple of 5 are ignored.
    void HandleMessage(const Message& message) override;
    void PrinterDestroyed(TQRPrinter& printer) override;
    void ShowProgress() override;
    void HideProgress() override;

    TQRPrinter* Printer() const { return printer_; }
    QProgressBar* Gauge() const { return gauge_; }
    QLabel* Info() const { return info_; }
    QPushButton* CancelButton() const { return cancelButton_; }

private:
    TQRPrinter* printer_;
    QProgressBar* gauge_;
    QLabel* info_;
    QPushButton* cancelButton_;
};

// Makes TQRProgressForm the report printer's progress window; call once the QApplication
// exists.
void RegisterProgressForm();

}  // namespace quillon
