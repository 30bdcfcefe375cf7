#pragma once

// The standard preview window: a toolbar for zoom, paging, search, printing, saving and
// loading, the preview control, an optional side panel with page thumbnails and search
// results, and a status bar with the generation's progress, the page number and a status
// text. It frees itself when closed; closing tells the report that created the printer, which
// then releases the printer.

#include <QMainWindow>

#include <string>

#include "platform/core/messages.h"
#include "preview/widgets/preview_dialogs.h"
#include "preview/widgets/report_link.h"
#include "report/rozer_ededid.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTableWidget;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

namespace quillon {

class TQRPreview;
class TQRPrinter;
class TQRThumbnailDelegate;

class TQRStandardPreview : public QMainWindow, public MessageTarget {
public:
    // A window for `printer` (not owned), not yet shown. It deletes itself once closed.
    explicit TQRStandardPreview(TQRPrinter* printer);
    // A window for a printer that belongs to no report, shaped as the preview of the report
    // whose wishes `settings` are (size, state, panels, zoom, status text).
    TQRStandardPreview(TQRPrinter* printer, const PreviewReportSettings& settings);
    ~TQRStandardPreview() override;

    // Shows the window without waiting and brings the status up to date.
    void ShowPreview();

    TQRPrinter* QRPrinter() const;
    // The text of status panel 2, shared by every standard preview window.
    static QString StatusText();
    static void SetStatusText(const QString& text);

    // --- Commands (the toolbar's actions) -----------------------------------------------
    void UpdatePageStatus();
    void GoToPage(int page);
    void ZoomToFitClick();
    void ZoomToWidthClick();
    void ZoomTo100Click();
    void FirstPageClick();
    void PrevPageClick();
    void NextPageClick();
    void LastPageClick();
    void GotoPageButtonClick();
    void FindButtonClick();
    void PrintSetupClick();
    void PrintClick();
    void SaveClick();
    void LoadClick();
    // After the printer has loaded a report file: the file name as status text, page 1 on
    // show, printing enabled and printer set-up disabled.
    void ShowLoadedReport(const QString& fileName);
    void ExitClick();

    // --- Events of the preview control --------------------------------------------------
    void QRPreviewPageAvailable(int pageNum);
    void QRPreviewProgressUpdate(int progress);

    // --- Controls, by their names in the window's design --------------------------------
    TQRPreview* QRPreview() const { return preview_; }
    QToolBar* ToolBar1() const { return toolBar_; }
    // A toolbar button by name ("ZoomFit", "PreviousPage", ...).
    QToolButton* Button(const char* name) const;
    QPushButton* ExitButton() const { return exitButton_; }
    QTabWidget* Tabs() const { return tabs_; }
    QTableWidget* ThumbGrid() const { return thumbGrid_; }
    QLabel* SearchTextLabel() const { return searchTextLabel_; }
    QListWidget* SearchResultBox() const { return searchResultBox_; }
    QStatusBar* StatusBar() const;
    // Status panel 0 (progress), 1 (page) or 2 (status text).
    QLabel* StatusPanel(int index) const { return panels_[index]; }

    // The dialogs this window opens (copied from DefaultPreviewDialogs at creation).
    PreviewDialogs& Dialogs() { return dialogs_; }

    // Nothing is sent to the window itself; it is a message target so that the printer can
    // tell whether it still exists.
    void HandleMessage(const Message&) override {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The report's wishes, none for a printer without a report.
    TQRStandardPreview(TQRPrinter* printer, const std::optional<PreviewReportSettings>& report);
    void BuildToolBar();
    void BuildPanels();
    void ApplyPrinterSettings();
    // Hands the window's placement to the program's memory of it (if any).
    void RememberPlacement();
    void LayOutThumbnails();
    // Gives the thumbnail grid a row per page begun.
    void UpdateThumbnailRows();
    void ThumbGridSelectCell(int row);
    // Handles a key as the window sees it before its controls; true when it acted on it.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Runs `command`, showing what it throws in an error box.
    template <typename Command>
    void Guarded(Command command);
    // Lets pending messages run; false when the window was destroyed meanwhile.
    bool ProcessMessages();

    PreviewDialogs dialogs_;
    TQRPreview* preview_;
    QToolBar* toolBar_ = nullptr;
    QButtonGroup* zoomGroup_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QWidget* tabThumbs_ = nullptr;
    QWidget* tabSearchResult_ = nullptr;
    QTableWidget* thumbGrid_ = nullptr;
    TQRThumbnailDelegate* thumbnails_ = nullptr;
    QTimer* thumbRowsTimer_ = nullptr;
    QGroupBox* groupBox_ = nullptr;
    QLabel* searchTextLabel_ = nullptr;
    QListWidget* searchResultBox_ = nullptr;
    QLabel* panels_[3] = {nullptr, nullptr, nullptr};

    bool showThumbs_ = true;
    bool showSearch_ = true;
    TQRZoomState initialZoom_ = TQRZoomState::qrZoomToFit;
    Qt::WindowStates initialState_ = Qt::WindowMaximized;
    int lastProgress_ = 0;
    bool selectingFromGoTo_ = false;
    bool closing_ = false;
};

}  // namespace quillon
