#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "output/paper.h"

class QPrintDialog;

namespace quillon {

class PrinterDevice;

enum class TPrintDialogOption {
    poPrintToFile,
    poPageNums,
    poSelection,
    poWarning,
    poHelp,
    poDisablePrintToFile
};
enum class TPrintRange { prAllPages, prSelection, prPageNums };

// A set of TPrintDialogOption.
class TPrintDialogOptions {
public:
    TPrintDialogOptions() = default;
    TPrintDialogOptions(std::initializer_list<TPrintDialogOption> options) {
        for (const TPrintDialogOption option : options) Include(option);
    }
    void Include(TPrintDialogOption option) { bits_ |= Bit(option); }
    bool Contains(TPrintDialogOption option) const { return (bits_ & Bit(option)) != 0; }

private:
    static unsigned Bit(TPrintDialogOption option) { return 1u << static_cast<unsigned>(option); }
    unsigned bits_ = 0;
};

// The engine's print dialog over the system's (Qt's print dialog, which lists the CUPS
// queues): it opens on a printer object's selected printer and settings, and on
// confirmation gives that printer object the chosen printer and settings and hands the
// choices back in its properties. It is modal to the whole program, centred horizontally
// and a third of the free height from the top of the screen.
class TQRPrintDialog {
public:
    // `printer` is the printer object the dialog reads and changes (not owned); by default
    // the system's shared one.
    TQRPrintDialog();
    explicit TQRPrintDialog(PrinterDevice& printer);
    TQRPrintDialog(const TQRPrintDialog&) = delete;
    TQRPrintDialog& operator=(const TQRPrintDialog&) = delete;

    // Shows the dialog and returns true when the user confirmed. On cancel nothing changes.
    bool Execute();

    PrinterDevice& Printer() const { return *printer_; }
    // The selected printer's index among the installed ones (-1 without printers).
    int PrinterIndex() const;

    bool Duplex() const { return duplex_; }
    void SetDuplex(bool duplex) { duplex_ = duplex; }
    std::int32_t DuplexCode() const { return duplexCode_; }
    void SetDuplexCode(std::int32_t code) { duplexCode_ = code; }
    std::int32_t OutputBin() const { return outputBin_; }
    void SetOutputBin(std::int32_t code) { outputBin_ = code; }
    std::int32_t PaperSize() const { return paperSize_; }
    void SetPaperSize(std::int32_t code) { paperSize_ = code; }
    long double PaperWidth() const { return paperWidth_; }  // tenths of a millimetre
    long double PaperLength() const { return paperLength_; }
    std::int32_t Collate() const { return collate_; }
    void SetCollate(std::int32_t collate) { collate_ = collate; }
    std::int32_t Copies() const { return copies_; }
    // Also gives the printer object this number of copies.
    void SetCopies(std::int32_t copies);
    std::int32_t FromPage() const { return fromPage_; }
    void SetFromPage(std::int32_t page) { fromPage_ = page; }
    std::int32_t ToPage() const { return toPage_; }
    void SetToPage(std::int32_t page) { toPage_ = page; }
    std::int32_t MinPage() const { return minPage_; }
    void SetMinPage(std::int32_t page) { minPage_ = page; }
    std::int32_t MaxPage() const { return maxPage_; }
    void SetMaxPage(std::int32_t page) { maxPage_ = page; }
    std::int32_t PrintQuality() const { return printQuality_; }
    void SetPrintQuality(std::int32_t quality) { printQuality_ = quality; }
    std::int32_t ColorOption() const { return colorOption_; }
    void SetColorOption(std::int32_t option) { colorOption_ = option; }
    TPrintDialogOptions Options() const { return options_; }
    void SetOptions(TPrintDialogOptions options) { options_ = options; }
    bool PrintToFile() const { return printToFile_; }
    void SetPrintToFile(bool toFile) { printToFile_ = toFile; }
    TPrintRange PrintRange() const { return printRange_; }
    void SetPrintRange(TPrintRange range) { printRange_ = range; }
    TPrinterOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPrinterOrientation orientation) { orientation_ = orientation; }
    // The field mask of the settings record the printer took.
    std::uint32_t FieldMask() const { return fieldMask_; }

    // The dialog's title and the label of the button that confirms it (UTF-8); empty keeps the
    // system dialog's own ("Print" for both).
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    const std::string& ConfirmLabel() const { return confirmLabel_; }
    void SetConfirmLabel(std::string label) { confirmLabel_ = std::move(label); }

    // Called once the dialog shows and when it closes; Dialog() is the system dialog then.
    std::function<void(TQRPrintDialog&)> OnShow;
    std::function<void(TQRPrintDialog&)> OnClose;
    QPrintDialog* Dialog() const { return dialog_; }

private:
    PrinterDevice* printer_;  // not owned
    QPrintDialog* dialog_ = nullptr;

    bool duplex_ = false;
    std::int32_t duplexCode_ = 0;
    std::int32_t outputBin_ = 0;
    std::int32_t paperSize_ = 0;
    long double paperWidth_ = 0;
    long double paperLength_ = 0;
    std::int32_t collate_ = 0;
    std::int32_t copies_ = 1;
    std::int32_t fromPage_ = 0;
    std::int32_t toPage_ = 0;
    std::int32_t minPage_ = 0;
    std::int32_t maxPage_ = 0;
    std::int32_t printQuality_ = 0;
    std::int32_t colorOption_ = 0;
    TPrintDialogOptions options_;
    bool printToFile_ = false;
    TPrintRange printRange_ = TPrintRange::prAllPages;
    TPrinterOrientation orientation_ = TPrinterOrientation::poPortrait;
    std::uint32_t fieldMask_ = 0;
    std::string caption_;
    std::string confirmLabel_;
};

}  // namespace quillon
