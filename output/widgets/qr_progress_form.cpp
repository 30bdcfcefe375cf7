#include "output/widgets/qr_progress_form.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "output/qr_printer.h"
#include "platform/core/services.h"

namespace quillon {

TQRProgressForm::TQRProgressForm(TQRPrinter* printer, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      printer_(printer),
      gauge_(new QProgressBar(this)),
      info_(new QLabel(this)),
      cancelButton_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("QRProgressForm"));
    setWindowTitle(QStringLiteral("Printing progress"));
    setFixedSize(149, 97);
    gauge_->setObjectName(QStringLiteral("Gauge"));
    gauge_->setGeometry(16, 18, 114, 16);
    gauge_->setRange(0, 100);
    gauge_->setValue(0);
    gauge_->setTextVisible(false);
    info_->setObjectName(QStringLiteral("Info"));
    info_->setGeometry(0, 44, 145, info_->sizeHint().height());
    info_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));
    cancelButton_->setGeometry(36, 60, 75, 25);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        if (printer_ != nullptr) printer_->RequestCancel();
    });
}

TQRProgressForm::~TQRProgressForm() = default;

void TQRProgressForm::HandleMessage(const Message& message) {
    if (message.id != kMsgProgress) return;
    const int percent =
        printer_ != nullptr ? printer_->PercentDone() : static_cast<int>(message.wParam);
    if (percent % 5 != 0) return;
    gauge_->setValue(percent);
    info_->setText(QString::number(percent) + QStringLiteral("% ") + QStringLiteral(" Completed"));
    Platform().messages->ProcessMessages();
}

void TQRProgressForm::PrinterDestroyed(TQRPrinter& printer) {
    if (printer_ == &printer) printer_ = nullptr;
}

void TQRProgressForm::ShowProgress() {
    show();
    // Once shown, the frame is known: the whole window is centred.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize size = frameGeometry().size();
        move(area.x() + (area.width() - size.width()) / 2,
             area.y() + (area.height() - size.height()) / 2);
    }
    raise();
}

void TQRProgressForm::HideProgress() {
    hide();
}

void RegisterProgressForm() {
    RegisterProgressWindow([](TQRPrinter& printer) -> std::unique_ptr<TQRProgressWindow> {
        return std::make_unique<TQRProgressForm>(&printer);
    });
}

}  // namespace quillon
