// A report run: pages, columns and the room on them. (The band's side of page breaking is in
// qr_band.cpp.)

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/core/rounding.h"
#include "report/qr_printable.h"
#include "report/rozer_ededid.h"

namespace quillon {

namespace {

std::int32_t Round(long double value) {
    return RoundHalfEven32(value);
}

// Gives a run's report back its Visible and makes it available again when the run ends,
// also through an error.
class RunFlags {
public:
    RunFlags(TControl& report, bool& available) : report_(report), available_(available) {
        visible_ = report.Visible();
    }
    ~RunFlags() {
        report_.SetVisible(visible_);
        available_ = true;
        SetBandBreakPending(false);
    }
    RunFlags(const RunFlags&) = delete;
    RunFlags& operator=(const RunFlags&) = delete;

private:
    TControl& report_;
    bool& available_;
    bool visible_ = true;
};

}  // namespace

TQRPrinter& TCustomRozerEdedid::Printer() const {
    if (printer_ == nullptr) throw EQRError("QRPrinter not ready");
    return *printer_;
}

void TCustomRozerEdedid::ApplyPrinterSettings(TQRPrinter& printer) {
    const TRozerEdedidPrinterSettings& s = printerSettings_;
    printer.SelectPrinter(s.PrinterIndex);
    printer.SetPaperSize(page_.PaperSize());
    if (printer.PaperSize() == TQRPaperSize::Custom) {
        // The printer keeps a sheet in portrait sense and turns it for landscape; the page's
        // custom width and length are already the page as printed. (Stored values are
        // tenths of a millimetre whatever the report's units.)
        const std::vector<long double> values = page_.Values();
        std::int32_t width = Round(values[static_cast<std::size_t>(PageValue::Width)]);
        std::int32_t length = Round(values[static_cast<std::size_t>(PageValue::Length)]);
        if (page_.Orientation() == TPrinterOrientation::poLandscape) std::swap(width, length);
        printer.SetPaperWidthValue(width);
        printer.SetPaperLengthValue(length);
    }
    printer.SetOrientation(page_.Orientation());
    printer.SetCopies(s.Copies);
    printer.SetOutputBin(s.OutputBin);
    printer.SetFirstPage(s.FirstPage);
    printer.SetLastPage(s.LastPage);
    printer.SetDuplex(s.Duplex);
    printer.SetUseStandardPrinter(s.UseStandardprinter);
    printer.SetPrintMetaFile(s.PrintMetaFile);
    printer.SetUseCustomBinCode(s.UseCustomBinCode);
    printer.SetCustomBinCode(s.CustomBinCode);
    printer.SetUseCustomPaperCode(s.UseCustomPaperCode);
    printer.SetCustomPaperCode(s.CustomPaperCode);
    printer.SetPrintQuality(s.PrintQuality);
    printer.SetCollate(s.Collate);
    printer.SetColorOption(s.ColorOption);
    printer.SetExtendedDuplex(s.ExtendedDuplex);
}

std::int32_t TCustomRozerEdedid::PaperExtent() const {
    return Printer().PaperLength();
}

long double TCustomRozerEdedid::ComputePageFooterSpace() const {
    long double space = 0;
    for (const TQRCustomBand* band : bandList_) {
        if (band->BandType() != TQRBandType::rbPageFooter || !band->Enabled()) continue;
        space += band->BandHeight();
        std::vector<const TQRCustomBand*> seen{band};
        for (const TQRCustomBand* child = band->ChildBand(); child != nullptr;
             child = child->ChildBand()) {
            if (std::find(seen.begin(), seen.end(), child) != seen.end()) break;
            seen.push_back(child);
            space += child->BandHeight();
        }
    }
    return space;
}

void TCustomRozerEdedid::LinkChildren() {
    for (std::size_t i = 0; i < ControlCount(); ++i) {
        TControl& child = Control(i);
        if (auto* band = dynamic_cast<TQRCustomBand*>(&child)) {
            band->SetParentReport(this);
            for (std::size_t j = 0; j < band->ControlCount(); ++j) {
                if (auto* printable = dynamic_cast<TQRPrintable*>(&band->Control(j))) {
                    printable->SetParentReport(this);
                }
            }
        } else if (auto* printable = dynamic_cast<TQRPrintable*>(&child)) {
            printable->SetParentReport(this);
        }
    }
}

void TCustomRozerEdedid::GenerateReport(bool composite) {
    if (!available_) return;
    Printer();  // a run needs a report printer
    ForgetPageImage();

    if (page_.Width() - page_.LeftMargin() - page_.RightMargin() < 0) {
        page_.SetLeftMargin(0);
        page_.SetRightMargin(0);
    }
    if (page_.Length() - page_.TopMargin() - page_.BottomMargin() < 0) {
        page_.SetTopMargin(0);
        page_.SetBottomMargin(0);
    }

    // Visible and Available come back however the run ends, so that a failed run leaves a
    // report that can run again.
    RunFlags flags(*this, available_);
    available_ = false;
    cancelled_ = false;
    finalPage_ = false;
    skipNextForcedPage_ = false;
    forcedColumnSeen_ = false;
    SetBandBreakPending(false);

    bool printReport = true;
    if (BeforePrint && !Designing()) BeforePrint(*this, printReport);
    if (!printReport) return;
    RunBody(composite);
}

void TCustomRozerEdedid::Prepare() {
    controller_->CollectTree();
    // The datasets whose fields the run's expressions may name.
    TQRDatasetList datasets;
    controller_->CollectDatasets(datasets);
    functions_.BeginRun(reportTitle_, datasets);
    controller_->Prepare();
    PreparePrintables();
}

void TCustomRozerEdedid::Unprepare() {
    UnpreparePrintables();
    controller_->Unprepare();
    functions_.EndRun();
}

void TCustomRozerEdedid::RunBody(bool composite) {
    TQRPrinter& printer = Printer();
    const TQRUnit savedUnits = Units();
    bool documentBegun = false;
    bool prepared = false;

    // Leaves the run: units back, printables unprepared, and the printer's document aborted
    // when the run was cancelled; otherwise a document this run began is ended, or aborted
    // when the run only fed an export filter.
    const auto leave = [&] {
        SetUnits(savedUnits);
        if (prepared) Unprepare();
        if (cancelled_) {
            printer.AbortDocument();
            return;
        }
        if (!documentBegun) return;
        if (!pageDrawing_) {
            printer.AbortDocument();
        } else {
            printer.EndDocument();
        }
    };

    try {
        SetUnits(TQRUnit::Native);
        controller_->SetHeader(bands_.TitleBand());
        controller_->SetDetail(bands_.DetailBand());
        controller_->SetFooter(bands_.SummaryBand());
        controller_->OnNeedData = OnNeedData;
        controller_->SetPrintIfEmpty(printIfEmpty_);
        if (composite) {
            page_.SetOrientation(printer.Orientation());
            page_.SetPaperSize(printer.PaperSize());
            currentColumn_ = 1;
        } else {
            ApplyPrinterSettings(printer);
            printer.SetTitle(reportTitle_);
            printer.SetDocumentName(documentName_);
            printer.SetInputFiles(inputFiles_);
            printer.SetCompression(options_.Contains(TRozerEdedidOption::Compression));
            printer.BeginDocument();
            documentBegun = true;
            currentY_ = -1;
            columnStartY_ = -1;
            pageNumber_ = 0;
            currentColumn_ = page_.Columns();
        }
        if (exportFilter_ != nullptr && !exportFilter_->Started()) {
            exportFilter_->Start(Font(), Round(page_.Width()), Round(page_.Length()));
        }
        pageFooterSpace_ = ComputePageFooterSpace();
        LinkChildren();
        currentX_ = Round(page_.LeftMargin());
        prepared = true;
        Prepare();

        compositeRun_ = composite;
        controller_->Execute();

        if (!composite || Tag() == 999) {
            currentX_ = Round(page_.LeftMargin());
            finalPage_ = true;
            if (!cancelled_) FinishPage();
            if (exportFilter_ != nullptr) exportFilter_->Finish();
        }
    } catch (...) {
        // An incomplete document is never handed on (a printer would print half a report):
        // it is aborted. The run's own error is the one that matters; a failure while closing
        // down after it would only hide it.
        try {
            SetUnits(savedUnits);
            if (prepared) Unprepare();
            if (documentBegun || cancelled_) printer.AbortDocument();
        } catch (...) {
        }
        throw;
    }
    leave();
}

void TCustomRozerEdedid::CancelRun() {
    if (available_) return;
    cancelled_ = true;
    if (printer_ != nullptr) printer_->RequestCancel();
}

std::int32_t TCustomRozerEdedid::RoomLeft() const {
    if (available_ || currentY_ == -1) return 0;
    if (exportFilter_ != nullptr && exportFilter_->WholePageRoom()) return Printer().PaperLength();
    return Round(PaperExtent() - page_.BottomMargin() - pageFooterSpace_ - currentY_);
}

void TCustomRozerEdedid::EmitBand(TQRCustomBand* band) {
    if (band == nullptr) return;
    if (band->AlignToBottom()) {
        // Before the first page there is no bottom to align to: page 1 begins first.
        if (pageNumber_ == 0 && currentY_ == -1) BeginColumn();
        if (band->BandType() == TQRBandType::rbSummary &&
            !options_.Contains(TRozerEdedidOption::LastPageFooter)) {
            pageFooterSpace_ = 0;
        }
        const std::int32_t extent = PaperExtent();
        const std::int32_t free = extent - currentY_;
        if (free >= Round(band->BandHeight() + page_.BottomMargin() + pageFooterSpace_)) {
            currentY_ = (extent - Round(band->BandHeight())) -
                        Round(page_.BottomMargin() + pageFooterSpace_);
        }
    }
    band->PrintOut();
}

void TCustomRozerEdedid::BeginColumn() {
    EmitBand(bands_.ColumnFooterBand());
    const std::int32_t columns = page_.Columns();
    if (currentColumn_ == columns) {
        currentColumn_ = 1;
        currentX_ = Round(page_.LeftMargin());
        BeginPage();
    } else {
        std::int64_t columnWidth = 0;
        if (TQRCustomBand* detail = bands_.DetailBand()) {
            columnWidth = Round(detail->Size().Width());
        } else {
            columnWidth = (static_cast<std::int64_t>(
                               Round(page_.Width() - (page_.LeftMargin() + page_.RightMargin()))) -
                           static_cast<std::int64_t>(Round(page_.ColumnSpace())) * (columns - 1)) /
                          columns;
        }
        currentX_ = static_cast<std::int32_t>(currentX_ + columnWidth + Round(page_.ColumnSpace()));
        currentY_ = columnTop_;
        ++currentColumn_;
    }
    functions_.SetColumnNumber(currentColumn_);
    if (!(currentColumn_ == 1 && pageNumber_ == 1)) {
        EmitBand(bands_.ColumnHeaderBand());
        controller_->ReprintGroupHeaders();
    }
    columnStartY_ = currentY_;
}

void TCustomRozerEdedid::BeginPage() {
    FinishPage();
    if (exportFilter_ != nullptr) exportFilter_->NewPage();
    ++pageNumber_;
    functions_.SetPageNumber(pageNumber_);
    if (pageDrawing_ || pageNumber_ == 1) Printer().NewPage();
    currentY_ = Round(page_.TopMargin());
    columnStartY_ = currentY_;
    if (OnStartPage && !Designing()) OnStartPage(*this);
    if (pageNumber_ > 1 || options_.Contains(TRozerEdedidOption::FirstPageHeader)) {
        EmitBand(bands_.PageHeaderBand());
    }
    columnTop_ = currentY_;
    if (pageNumber_ == 1) {
        if (TQRCustomBand* title = bands_.TitleBand()) columnTop_ += Round(title->BandHeight());
    }
    columnStartY_ = currentY_;
}

void TCustomRozerEdedid::FinishPage() {
    if (pageNumber_ <= 0) return;
    currentY_ = Round(page_.Length() - page_.BottomMargin() - pageFooterSpace_);
    currentX_ = Round(page_.LeftMargin());
    if (!finalPage_ || options_.Contains(TRozerEdedidOption::LastPageFooter)) {
        EmitBand(bands_.PageFooterBand());
    }
    DrawPageFrame();
    if (OnEndPage && !Designing()) OnEndPage(*this);
    if (exportFilter_ != nullptr) exportFilter_->EndPage();
}

void TCustomRozerEdedid::DrawPageFrame() {
    if (!pageDrawing_ && exportFilter_ == nullptr) return;
    if (!Frame().HasAnySide()) return;
    TQRPrinter& printer = Printer();
    const Rect rect{printer.ToDeviceX(page_.LeftMargin()), printer.ToDeviceY(page_.TopMargin()),
                    printer.ToDeviceX(page_.Width() - page_.RightMargin()),
                    printer.ToDeviceY(page_.Length() - page_.BottomMargin())};
    Frame().Paint(pageDrawing_ ? &printer.PageCanvas() : nullptr, rect, printer.HorzFactor(),
                  printer.VertFactor());
}

void TCustomRozerEdedid::ForcePage() {
    if (skipNextForcedPage_) {
        skipNextForcedPage_ = false;
        return;
    }
    do {
        BeginColumn();
    } while (currentColumn_ != 1);
}

void TCustomRozerEdedid::ForceColumn() {
    if (forcedColumnSeen_ || currentColumn_ > 1) {
        BeginColumn();
    } else {
        forcedColumnSeen_ = true;
    }
}

}  // namespace quillon
