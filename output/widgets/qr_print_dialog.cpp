#include "output/widgets/qr_print_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "platform/core/printer.h"
#include "platform/core/rounding.h"
#include "platform/core/services.h"
#include "platform/qt/paper_codes.h"

namespace quillon {

namespace {

QPrinter::DuplexMode DuplexModeOf(int code) {
    switch (code) {
        case 2:
            return QPrinter::DuplexLongSide;
        case 3:
            return QPrinter::DuplexShortSide;
        default:
            return QPrinter::DuplexNone;
    }
}

int DuplexCodeOf(QPrinter::DuplexMode mode) {
    switch (mode) {
        case QPrinter::DuplexLongSide:
        case QPrinter::DuplexAuto:
            return 2;
        case QPrinter::DuplexShortSide:
            return 3;
        default:
            return 1;
    }
}

QAbstractPrintDialog::PrintRange QtRange(TPrintRange range) {
    switch (range) {
        case TPrintRange::prSelection:
            return QAbstractPrintDialog::Selection;
        case TPrintRange::prPageNums:
            return QAbstractPrintDialog::PageRange;
        default:
            return QAbstractPrintDialog::AllPages;
    }
}

TPrintRange RangeOf(QAbstractPrintDialog::PrintRange range) {
    switch (range) {
        case QAbstractPrintDialog::Selection:
            return TPrintRange::prSelection;
        case QAbstractPrintDialog::PageRange:
            return TPrintRange::prPageNums;
        default:
            return TPrintRange::prAllPages;
    }
}

// The page size a settings record names.
QPageSize PageSizeOf(const DeviceMode& mode) {
    if (const auto id = PageSizeOfPaperCode(mode.paperSize)) return QPageSize(*id);
    if (mode.paperSize == kPaperCustom && mode.paperWidth > 0 && mode.paperLength > 0) {
        return QPageSize(QSizeF(mode.paperWidth / 10.0, mode.paperLength / 10.0),
                         QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    }
    return QPageSize();
}

// Places the dialog when it shows: centred horizontally, a third of the free height from the
// top; then tells the component.
class Placement : public QObject {
public:
    Placement(QDialog& dialog, std::function<void()> shown) : shown_(std::move(shown)) {
        dialog.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !placed_) {
            placed_ = true;
            auto* dialog = static_cast<QWidget*>(watched);
            const QScreen* screen = dialog->screen();
            if (screen == nullptr) screen = QGuiApplication::primaryScreen();
            if (screen != nullptr) {
                const QRect area = screen->availableGeometry();
                const QSize size = dialog->frameGeometry().size();
                dialog->move(area.x() + (area.width() - size.width()) / 2,
                             area.y() + std::max(0, area.height() - size.height()) / 3);
            }
            if (shown_) shown_();
        }
        return false;
    }

private:
    std::function<void()> shown_;
    bool placed_ = false;
};

}  // namespace

TQRPrintDialog::TQRPrintDialog() : TQRPrintDialog(Platform().printers->SharedPrinter()) {}

TQRPrintDialog::TQRPrintDialog(PrinterDevice& printer) : printer_(&printer) {}

int TQRPrintDialog::PrinterIndex() const {
    return printer_->PrinterIndex();
}

void TQRPrintDialog::SetCopies(std::int32_t copies) {
    copies_ = copies;
    std::optional<DeviceMode> mode = printer_->GetDeviceMode();
    if (!mode || printer_->Printing()) return;
    mode->copies = copies;
    printer_->SetDeviceMode(*mode);
}

bool TQRPrintDialog::Execute() {
    const PrinterNames names = printer_->Names();
    const std::optional<DeviceMode> current = printer_->GetDeviceMode();
    const QPrinterInfo info = names.device.empty()
                                  ? QPrinterInfo()
                                  : QPrinterInfo::printerInfo(QString::fromStdString(names.device));
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setCopyCount(std::max(copies_, 1));
    printer.setCollateCopies(collate_ != 0);
    printer.setPageOrientation(orientation_ == TPrinterOrientation::poLandscape
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
    if (current) {
        if (const QPageSize size = PageSizeOf(*current); size.isValid()) printer.setPageSize(size);
        printer.setDuplex(DuplexModeOf(current->duplex));
        if (current->color != 0)
            printer.setColorMode(current->color == 2 ? QPrinter::Color : QPrinter::GrayScale);
    }
    if (fromPage_ > 0 && toPage_ >= fromPage_) printer.setFromTo(fromPage_, toPage_);

    QPrintDialog dialog(&printer, QApplication::activeWindow());
    QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies;
    if (options_.Contains(TPrintDialogOption::poPageNums))
        options |= QAbstractPrintDialog::PrintPageRange;
    if (options_.Contains(TPrintDialogOption::poSelection))
        options |= QAbstractPrintDialog::PrintSelection;
    if (options_.Contains(TPrintDialogOption::poPrintToFile) &&
        !options_.Contains(TPrintDialogOption::poDisablePrintToFile)) {
        options |= QAbstractPrintDialog::PrintToFile;
    }
    dialog.setOptions(options);
    dialog.setMinMax(minPage_, std::max(minPage_, maxPage_));
    dialog.setPrintRange(QtRange(printRange_));
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!caption_.empty()) dialog.setWindowTitle(QString::fromStdString(caption_));
    if (!confirmLabel_.empty()) {
        for (QDialogButtonBox* buttons : dialog.findChildren<QDialogButtonBox*>()) {
            for (QAbstractButton* button : buttons->buttons()) {
                if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                    button->setText(QString::fromStdString(confirmLabel_));
            }
        }
    }

    QPointer<QWidget> previous = QApplication::activeWindow();
    dialog_ = &dialog;
    Placement placement(dialog, [this] {
        if (OnShow) OnShow(*this);
    });
    const int result = dialog.exec();
    if (OnClose) OnClose(*this);
    dialog_ = nullptr;
    if (previous) previous->activateWindow();
    if (result != QDialog::Accepted) return false;

    // The chosen printer and its settings go to the printer object.
    const std::string chosen = printer.printerName().toStdString();
    const std::vector<std::string> printers = printer_->Printers();
    const auto found = std::find(printers.begin(), printers.end(), chosen);
    if (found != printers.end() &&
        static_cast<int>(found - printers.begin()) != printer_->PrinterIndex()) {
        printer_->SetPrinterIndex(static_cast<int>(found - printers.begin()));
    }
    const QPageLayout layout = printer.pageLayout();
    if (std::optional<DeviceMode> mode = printer_->GetDeviceMode()) {
        mode->copies = printer.copyCount();
        mode->collate = printer.collateCopies() ? 1 : 0;
        mode->orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
        if (const std::optional<int> code = PaperCodeOfPageSize(layout.pageSize())) {
            mode->paperSize = *code;
        } else {
            const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
            mode->paperSize = kPaperCustom;
            mode->paperWidth = static_cast<int>(RoundHalfEven(mm.width() * 10));
            mode->paperLength = static_cast<int>(RoundHalfEven(mm.height() * 10));
        }
        mode->duplex = DuplexCodeOf(printer.duplex());
        if ((mode->fields & DeviceMode::kColor) != 0) {
            mode->color = printer.colorMode() == QPrinter::Color ? 2 : 1;
        }
        printer_->SetDeviceMode(*mode);
    }

    printToFile_ =
        printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    printRange_ = RangeOf(dialog.printRange());
    fromPage_ = printer.fromPage();
    toPage_ = printer.toPage();
    copies_ = printer.copyCount();
    orientation_ = layout.orientation() == QPageLayout::Landscape ? TPrinterOrientation::poLandscape
                                                                  : TPrinterOrientation::poPortrait;
    collate_ = printer.collateCopies() ? 1 : 0;
    if (const std::optional<DeviceMode> taken = printer_->GetDeviceMode()) {
        fieldMask_ = taken->fields;
        copies_ = taken->copies;
        outputBin_ = taken->defaultSource;
        paperSize_ = taken->paperSize;
        paperWidth_ = taken->paperWidth;
        paperLength_ = taken->paperLength;
        orientation_ = taken->orientation == 2 ? TPrinterOrientation::poLandscape
                                               : TPrinterOrientation::poPortrait;
        printQuality_ = taken->printQuality;
        colorOption_ = taken->color;
        duplexCode_ = taken->duplex;
        duplex_ = taken->duplex == 2 || taken->duplex == 3;
        collate_ = taken->collate;
    }
    return true;
}

}  // namespace quillon
