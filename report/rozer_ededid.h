#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "output/paper.h"
#include "output/qr_printer.h"
#include "platform/core/messages.h"
#include "report/base_panel.h"
#include "report/page.h"
#include "report/qr_band.h"
#include "report/qr_controller.h"
#include "report/report_functions.h"

namespace quillon {

class TCustomRozerEdedid;
class TQRBand;

enum class TRozerEdedidOption { FirstPageHeader, LastPageFooter, Compression };

// A set of report options.
class TRozerEdedidOptions {
public:
    constexpr TRozerEdedidOptions() = default;
    constexpr TRozerEdedidOptions(std::initializer_list<TRozerEdedidOption> options) {
        for (const TRozerEdedidOption option : options) Include(option);
    }
    constexpr bool Contains(TRozerEdedidOption option) const { return (bits_ & Bit(option)) != 0; }
    constexpr void Include(TRozerEdedidOption option) { bits_ |= Bit(option); }
    constexpr void Exclude(TRozerEdedidOption option) { bits_ &= ~Bit(option); }
    friend constexpr bool operator==(TRozerEdedidOptions, TRozerEdedidOptions) = default;

private:
    static constexpr unsigned Bit(TRozerEdedidOption option) {
        return 1u << static_cast<unsigned>(option);
    }
    unsigned bits_ = 0;
};

enum class TQRZoomState { qrZoomToFit, qrZoomToWidth, qrZoomOther };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// The device wishes a report hands to its report printer before a run.
struct TRozerEdedidPrinterSettings {
    std::int32_t Copies = 1;
    TQRBin OutputBin = TQRBin::Auto;
    bool Duplex = false;
    std::int32_t FirstPage = 0;  // 0: no limit
    std::int32_t LastPage = 0;   // 0: no limit
    bool UseStandardprinter = false;
    bool UseCustomBinCode = false;
    std::int32_t CustomBinCode = 0;
    std::int32_t ExtendedDuplex = 0;
    bool UseCustomPaperCode = false;
    std::int32_t CustomPaperCode = 0;
    bool PrintMetaFile = false;
    std::int32_t MemoryLimit = 250000;
    std::int32_t PrintQuality = 0;
    std::int32_t Collate = 0;
    std::int32_t ColorOption = 0;
    // Not published: the selected printer (-1: the current one) and the print dialog's
    // orientation.
    std::int32_t PrinterIndex = -1;
    TPrinterOrientation Orientation = TPrinterOrientation::poPortrait;
    friend bool operator==(const TRozerEdedidPrinterSettings&,
                           const TRozerEdedidPrinterSettings&) = default;
};

// The report's standard bands: whether one of a kind exists (the first of that kind in the
// report's band list), and creating or destroying it.
class TRozerEdedidBands {
public:
    explicit TRozerEdedidBands(TCustomRozerEdedid& report) : report_(report) {}

    bool HasTitle() const { return Has(TQRBandType::rbTitle); }
    void SetHasTitle(bool value) { Set(TQRBandType::rbTitle, value); }
    bool HasPageHeader() const { return Has(TQRBandType::rbPageHeader); }
    void SetHasPageHeader(bool value) { Set(TQRBandType::rbPageHeader, value); }
    bool HasColumnHeader() const { return Has(TQRBandType::rbColumnHeader); }
    void SetHasColumnHeader(bool value) { Set(TQRBandType::rbColumnHeader, value); }
    bool HasDetail() const { return Has(TQRBandType::rbDetail); }
    void SetHasDetail(bool value) { Set(TQRBandType::rbDetail, value); }
    bool HasPageFooter() const { return Has(TQRBandType::rbPageFooter); }
    void SetHasPageFooter(bool value) { Set(TQRBandType::rbPageFooter, value); }
    bool HasSummary() const { return Has(TQRBandType::rbSummary); }
    void SetHasSummary(bool value) { Set(TQRBandType::rbSummary, value); }

    TQRCustomBand* TitleBand() const;
    TQRCustomBand* PageHeaderBand() const;
    TQRCustomBand* ColumnHeaderBand() const;
    TQRCustomBand* DetailBand() const;
    TQRCustomBand* PageFooterBand() const;
    TQRCustomBand* SummaryBand() const;
    // There is no column footer band; printing it prints nothing.
    TQRCustomBand* ColumnFooterBand() const { return nullptr; }

private:
    bool Has(TQRBandType type) const;
    void Set(TQRBandType type, bool value);

    TCustomRozerEdedid& report_;
};

// A report: its page, its bands and their printables, and the generation of its pages on a
// report printer. Lengths are kept in tenths of a millimetre and read in the report's Units;
// during a run the report switches to Native, so every position is in tenths of a millimetre
// from the page's top left.
class TCustomRozerEdedid : public TQRBasePanel, public PageOwner, public TQRPrinterOwner {
public:
    explicit TCustomRozerEdedid(TComponent* owner = nullptr);
    ~TCustomRozerEdedid() override;

    // --- Page, units, zoom, font ---------------------------------------------------------
    TQRPage& Page() { return page_; }
    const TQRPage& Page() const { return page_; }
    // The page's unit; setting it hands it to the page, every band and every printable.
    TQRUnit Units() const { return page_.Units(); }
    void SetUnits(TQRUnit units);
    // 1..300; the report, its bands and printables and the page take it.
    void SetZoom(int zoom) override;

    // --- Bands ---------------------------------------------------------------------------
    TRozerEdedidBands& Bands() { return bands_; }
    const TRozerEdedidBands& Bands() const { return bands_; }
    // The bands in their order: page headers, title, column headers, the controller's bands,
    // page footers, the rest; each followed by its chain of child bands.
    const std::vector<TQRCustomBand*>& BandList() const { return bandList_; }
    // The first band of a kind in the band list.
    TQRCustomBand* BandOfType(TQRBandType type) const;
    // Creates a TQRBand of `type` on the report, named after its kind ("TitleBand1").
    TQRBand& CreateStandardBand(TQRBandType type);
    void AddBand(TQRCustomBand& band);
    void RemoveBand(TQRCustomBand& band);
    // Orders the band list again (not while loading).
    void SortBands();

    TQRCustomController& Controller() { return *controller_; }
    // The records of the report's body (not owned): the controller walks it when it is open.
    TQRDataset* DataSet() const { return controller_->DataSet(); }
    void SetDataSet(TQRDataset* dataSet) { controller_->SetDataSet(dataSet); }
    // The report's environment: PAGENUMBER, COLUMNNUMBER and REPORTTITLE follow a run.
    TQREvEnvironment& Functions() { return functions_.Environment(); }

    // --- Published values ----------------------------------------------------------------
    TRozerEdedidOptions Options() const { return options_; }
    void SetOptions(TRozerEdedidOptions options) { options_ = options; }
    bool PrintIfEmpty() const { return printIfEmpty_; }
    void SetPrintIfEmpty(bool value) { printIfEmpty_ = value; }
    const std::string& ReportTitle() const { return reportTitle_; }
    void SetReportTitle(std::string title) { reportTitle_ = std::move(title); }
    // What documents made from the report (a PDF, a print job) are called when it has no
    // title: the program names its report after the input file (file-system bytes).
    const std::string& DocumentName() const { return documentName_; }
    void SetDocumentName(std::string name) { documentName_ = std::move(name); }
    // The files the report is made from (the text the program prints), handed to its printer:
    // no report file or PDF saved from the pages may replace one of them.
    const std::vector<std::string>& InputFiles() const { return inputFiles_; }
    void SetInputFiles(std::vector<std::string> files) { inputFiles_ = std::move(files); }
    bool ShowProgress() const { return showProgress_; }
    void SetShowProgress(bool value) { showProgress_ = value; }
    bool SnapToGrid() const { return snapToGrid_; }
    void SetSnapToGrid(bool value) { snapToGrid_ = value; }
    std::vector<std::string>& Description() { return description_; }
    TRozerEdedidPrinterSettings& PrinterSettings() { return printerSettings_; }
    const TRozerEdedidPrinterSettings& PrinterSettings() const { return printerSettings_; }
    TRozerEdedidPrinterSettings& DialogSettings() { return dialogSettings_; }

    // A value <= 0 reads as 500.
    std::int32_t PreviewWidth() const { return previewWidth_ > 0 ? previewWidth_ : 500; }
    void SetPreviewWidth(std::int32_t value) { previewWidth_ = value; }
    std::int32_t PreviewHeight() const { return previewHeight_ > 0 ? previewHeight_ : 500; }
    void SetPreviewHeight(std::int32_t value) { previewHeight_ = value; }
    bool PrevShowThumbs() const { return prevShowThumbs_; }
    void SetPrevShowThumbs(bool value) { prevShowThumbs_ = value; }
    bool PrevShowSearch() const { return prevShowSearch_; }
    void SetPrevShowSearch(bool value) { prevShowSearch_ = value; }
    TQRZoomState PrevInitialZoom() const { return prevInitialZoom_; }
    void SetPrevInitialZoom(TQRZoomState value) { prevInitialZoom_ = value; }
    TFormStyle PrevFormStyle() const { return prevFormStyle_; }
    void SetPrevFormStyle(TFormStyle value) { prevFormStyle_ = value; }
    TWindowState PreviewInitialState() const { return previewInitialState_; }
    void SetPreviewInitialState(TWindowState value) { previewInitialState_ = value; }

    // --- Events (sender first; none fires while the report is designed) ------------------
    std::function<void(TCustomRozerEdedid& sender, bool& printReport)> BeforePrint;
    std::function<void(TCustomRozerEdedid& sender)> OnStartPage;
    std::function<void(TCustomRozerEdedid& sender)> OnEndPage;
    // Handed to the controller before each run.
    std::function<void(TComponent& sender, bool& moreData)> OnNeedData;
    std::function<void(TCustomRozerEdedid& sender)> AfterPrint;
    std::function<void(TCustomRozerEdedid& sender)> AfterPreview;
    std::function<void(TCustomRozerEdedid& sender)> OnPreview;

    // --- The report printer --------------------------------------------------------------
    // The current report printer (owned), or none.
    TQRPrinter* QRPrinter() const { return printer_.get(); }
    void SetQRPrinter(std::unique_ptr<TQRPrinter> printer) { printer_ = std::move(printer); }
    std::unique_ptr<TQRPrinter> ReleaseQRPrinter() { return std::move(printer_); }
    // Hands the page's paper, orientation and page range and the report title to `printer`.
    void ApplyPrinterSettings(TQRPrinter& printer);

    // --- Run modes (run_modes.cpp) -------------------------------------------------------
    // Generates the report into a new report printer shown in the standard preview (or the
    // OnPreview handler) and returns when that preview has closed. Does nothing while a run
    // is in progress; a run's error closes the preview, frees the printer and is passed on.
    void Preview();
    // The print-again request: generates the report once more straight onto the printer,
    // with a progress window, keeping the preview's printer.
    void ReprintToDevice();
    // The printer set-up of the preview: the print dialog. Tag 1 when it was cancelled, else 0
    // with the choices in PrinterSettings and DialogSettings.
    void PrintSetup();
    // The export of the preview: a run that feeds `filter`, the preview's printer kept.
    void ExportToFilter(TQRExportFilter& filter);

    // --- Generation ----------------------------------------------------------------------
    // One run on the current report printer. Composite: one of several reports printed into
    // one document whose page setup and end belong to the caller. Errors propagate; the
    // report is available again afterwards.
    void GenerateReport(bool composite = false);
    // Asks a run in progress to stop: the last page is not finished and the printer's
    // document is aborted.
    void CancelRun();

    void EmitBand(TQRCustomBand* band);
    void BeginColumn();
    void BeginPage();
    void FinishPage();
    void DrawPageFrame();
    // Vertical room above the page footers and the bottom margin; 0 outside a page.
    std::int32_t RoomLeft() const;
    void ForcePage();
    void ForceColumn();
    // The paper's vertical extent as the report printer lays the page out, in tenths of a
    // millimetre.
    std::int32_t PaperExtent() const;

    bool Available() const { return available_; }
    // Whether the run in progress is one of several reports printed into one document.
    bool CompositeRun() const { return compositeRun_; }
    bool Cancelled() const { return cancelled_; }
    bool FinalPage() const { return finalPage_; }
    std::int32_t PageNumber() const { return pageNumber_; }
    std::int32_t CurrentColumn() const { return currentColumn_; }
    std::int32_t CurrentX() const { return currentX_; }
    std::int32_t CurrentY() const { return currentY_; }
    void SetCurrentY(std::int32_t y) { currentY_ = y; }
    std::int32_t ColumnTop() const { return columnTop_; }
    long double PageFooterSpace() const { return pageFooterSpace_; }
    bool SkipNextForcedPage() const { return skipNextForcedPage_; }
    void SetSkipNextForcedPage(bool value) { skipNextForcedPage_ = value; }
    bool ForcedColumnSeen() const { return forcedColumnSeen_; }
    // Whether bands and printables draw on the page canvas (off while only a filter is fed).
    bool PageDrawing() const { return pageDrawing_; }
    void SetPageDrawing(bool value) { pageDrawing_ = value; }
    TQRExportFilter* ExportFilter() const { return exportFilter_; }
    void SetExportFilter(TQRExportFilter* filter) { exportFilter_ = filter; }
    // The vertical position where the current column's bands began (after its headers): a
    // printable there would find no more room on a new page.
    std::int32_t ColumnStartY() const { return columnStartY_; }

    // --- Text measuring on the report's screen-compatible context ------------------------
    // Width of `text` plus 1, in screen pixels.
    int ReportTextWidth(const FontSpec& font, std::string_view text);
    // Height of "A" in screen pixels.
    int ReportTextHeight(const FontSpec& font);

    // The design view forgets the page image it shows; there is none to forget here.
    void ForgetPageImage() {}

    // --- Interfaces of the page and the report printer ------------------------------------
    ControlBounds Bounds() const override { return TControl::Bounds(); }
    void SetBounds(const ControlBounds& bounds) override;
    int FontSizePoints() const override;
    void LayOutBands() override;
    void Repaint() override {}
    void ApplyUnits() override { SetUnits(Units()); }
    bool UseStandardPrinter() const override { return printerSettings_.UseStandardprinter; }
    std::int32_t MemoryLimit() const override { return printerSettings_.MemoryLimit; }
    MessageTarget& ReportWindow() override { return window_; }
    TQRExportFilter* FrameExportFilter() const override { return exportFilter_; }

protected:
    // Replaces the controller (a TRozerEdedid uses a TQRController).
    void SetController(std::unique_ptr<TQRCustomController> controller);
    void Loaded() override;
    // Messages from the report printer and the preview.
    virtual void HandleMessage(const Message& message);

private:
    class Window : public MessageTarget {
    public:
        explicit Window(TCustomRozerEdedid& report) : report_(report) {}
        void HandleMessage(const Message& message) override { report_.HandleMessage(message); }

    private:
        TCustomRozerEdedid& report_;
    };

    void RunBody(bool composite);
    // A new report printer for a run mode (with the after-preview and after-print
    // notifications), or none while a run is in progress.
    std::unique_ptr<TQRPrinter> NewRunPrinter();
    void HandleRunModeMessage(const Message& message);
    void LinkChildren();
    void Prepare();
    void Unprepare();
    long double ComputePageFooterSpace() const;
    TQRPrinter& Printer() const;
    // Units of every printable placed directly on the report.
    void ApplyUnitsToPrintables(TControl& parent, TQRUnit units);

    TQRPage page_{nullptr};
    TRozerEdedidBands bands_{*this};
    std::vector<TQRCustomBand*> bandList_;
    std::unique_ptr<TQRCustomController> controller_;
    ReportFunctions functions_;
    std::vector<std::string> description_;
    TRozerEdedidOptions options_{TRozerEdedidOption::FirstPageHeader,
                                 TRozerEdedidOption::LastPageFooter};
    bool printIfEmpty_ = true;
    std::string reportTitle_;
    std::string documentName_;
    std::vector<std::string> inputFiles_;
    bool showProgress_ = true;
    bool snapToGrid_ = true;
    TRozerEdedidPrinterSettings printerSettings_;
    TRozerEdedidPrinterSettings dialogSettings_;
    std::int32_t previewWidth_ = 500;
    std::int32_t previewHeight_ = 500;
    bool prevShowThumbs_ = true;
    bool prevShowSearch_ = true;
    TQRZoomState prevInitialZoom_ = TQRZoomState::qrZoomToFit;
    TFormStyle prevFormStyle_ = TFormStyle::fsNormal;
    TWindowState previewInitialState_ = TWindowState::wsNormal;

    std::unique_ptr<TQRPrinter> printer_;
    std::unique_ptr<Canvas> measuring_;
    Window window_{*this};

    // Run state.
    bool available_ = true;
    bool compositeRun_ = false;
    bool cancelled_ = false;
    bool finalPage_ = false;
    std::int32_t pageNumber_ = 0;
    std::int32_t currentColumn_ = 1;
    std::int32_t currentX_ = 0;
    std::int32_t currentY_ = -1;
    std::int32_t columnTop_ = 0;
    std::int32_t columnStartY_ = -1;
    long double pageFooterSpace_ = 0;
    bool skipNextForcedPage_ = false;
    bool forcedColumnSeen_ = false;
    bool pageDrawing_ = true;
    TQRExportFilter* exportFilter_ = nullptr;
};

// The report component with its record-driven controller.
class TRozerEdedid : public TCustomRozerEdedid {
public:
    explicit TRozerEdedid(TComponent* owner = nullptr);
};

}  // namespace quillon
