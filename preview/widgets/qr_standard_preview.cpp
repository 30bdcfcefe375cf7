#include "preview/widgets/qr_standard_preview.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

#include "output/qr_page_export.h"
#include "output/qr_printer.h"
#include "platform/core/cp1251.h"
#include "platform/core/page_picture.h"
#include "platform/core/rounding.h"
#include "platform/core/services.h"
#include "platform/dialogs/file_names.h"
#include "platform/qt/qt_canvas.h"
#include "preview/core/page_text_search.h"
#include "preview/core/preview_geometry.h"
#include "preview/widgets/preview_icons.h"
#include "preview/widgets/preview_placement.h"
#include "preview/widgets/qr_preview.h"
#include "preview/widgets/report_link.h"
#include "preview/widgets/thumbnail_delegate.h"
#include "report/export_filter_library.h"

namespace quillon {

namespace {

const char* const kLoadFilter = "RozerEdedid file (*.QRP)|*.QRP";
const char* const kNoPrinterMessage =
    "No printer is installed. Install a printer (or a PDF printer) to print the report.";

// Milliseconds between updates of the thumbnail rows while pages come in: about a frame.
constexpr int kThumbnailRowsInterval = 16;
// Where a thumbnail's sheet begins below the top of its cell.
constexpr int kThumbnailTop = 10;

QString& SharedStatusText() {
    static QString text = QStringLiteral(" ");
    return text;
}

QString FromCp1251(const std::string& text) {
    return QString::fromStdString(Cp1251ToUtf8(text));
}

}  // namespace

TQRStandardPreview::TQRStandardPreview(TQRPrinter* printer)
    : TQRStandardPreview(printer, printer != nullptr ? ReportSettingsOf(*printer) : std::nullopt) {}

TQRStandardPreview::TQRStandardPreview(TQRPrinter* printer, const PreviewReportSettings& settings)
    : TQRStandardPreview(printer, std::optional<PreviewReportSettings>(settings)) {}

TQRStandardPreview::TQRStandardPreview(TQRPrinter* printer,
                                       const std::optional<PreviewReportSettings>& report)
    : QMainWindow(nullptr), dialogs_(DefaultPreviewDialogs()), preview_(new TQRPreview) {
    setObjectName(QStringLiteral("QRStandardPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Print Preview"));
    resize(800, 639);
    BuildToolBar();
    BuildPanels();
    // Keys reach the window before its controls.
    qApp->installEventFilter(this);

    if (report) {
        if (report->stayOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
        resize(report->width > 0 ? report->width : 500, report->height > 0 ? report->height : 500);
        initialState_ = report->windowState;
        showThumbs_ = report->showThumbs;
        showSearch_ = report->showSearch;
        initialZoom_ = report->initialZoom;
        SetStatusText(FromCp1251(report->title));
    }
    preview_->SetQRPrinter(printer);
    if (printer != nullptr && !printer->Title().empty())
        setWindowTitle(FromCp1251(printer->Title()));

    tabs_->setVisible(showThumbs_ || showSearch_);
    if (!showThumbs_) tabs_->removeTab(tabs_->indexOf(tabThumbs_));
    if (!showSearch_) {
        tabs_->removeTab(tabs_->indexOf(tabSearchResult_));
        Button("FindButton")->setVisible(false);
        for (QAction* action : toolBar_->actions()) {
            if (toolBar_->widgetForAction(action) == Button("FindButton"))
                action->setVisible(false);
        }
    }

    switch (initialZoom_) {
        case TQRZoomState::qrZoomToFit:
            preview_->ZoomFitPage();
            Button("ZoomFit")->setChecked(true);
            break;
        case TQRZoomState::qrZoomToWidth:
            preview_->ZoomFitWidth();
            Button("ZoomToWidth")->setChecked(true);
            break;
        case TQRZoomState::qrZoomOther:
            preview_->SetZoom(100);
            preview_->LayOutImage();
            Button("Zoom100")->setChecked(true);
            break;
    }
    if (printer != nullptr && printer->State() == TQRPrinterState::prsFinished) {
        Button("Print")->setEnabled(true);
    }
}

TQRStandardPreview::~TQRStandardPreview() {
    qApp->removeEventFilter(this);
    // The preview control detaches the printer as it goes; its events must not reach a
    // half-destroyed window.
    preview_->OnPageAvailable = nullptr;
    preview_->OnProgressUpdate = nullptr;
    preview_->OnPrinterGone = nullptr;
    preview_->OnPageError = nullptr;
}

void TQRStandardPreview::BuildToolBar() {
    toolBar_ = new QToolBar(QStringLiteral("ToolBar1"), this);
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setFixedHeight(30);
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    zoomGroup_ = new QButtonGroup(this);
    zoomGroup_->setExclusive(true);

    struct Entry {
        const char* name;
        const char* hint;  // null: no hint
        int image;
        void (TQRStandardPreview::*action)();
        bool check;
    };
    static constexpr int kDivider = -1;
    static constexpr int kBlank = 13;
    const Entry entries[] = {
        {"ToolButton1", nullptr, kDivider, nullptr, false},
        {"ZoomFit", "Zoom to fit", 0, &TQRStandardPreview::ZoomToFitClick, true},
        {"ZoomToWidth", "Zoom to width", 2, &TQRStandardPreview::ZoomToWidthClick, true},
        {"Zoom100", "100%", 1, &TQRStandardPreview::ZoomTo100Click, true},
        {"Spacer3", nullptr, kBlank, nullptr, false},
        {"FirstPage", "First page", 3, &TQRStandardPreview::FirstPageClick, false},
        {"PreviousPage", "Previous page", 4, &TQRStandardPreview::PrevPageClick, false},
        {"ToolButton2", "Next page", 5, &TQRStandardPreview::NextPageClick, false},
        {"LastPage", "Last page", 6, &TQRStandardPreview::LastPageClick, false},
        {"Spacer2", nullptr, kBlank, nullptr, false},
        {"GotoPageButton", "Go to page", 12, &TQRStandardPreview::GotoPageButtonClick, false},
        {"FindButton", "Search for text", 11, &TQRStandardPreview::FindButtonClick, false},
        {"Spacer1", nullptr, kBlank, nullptr, false},
        {"PrintSetup", "Printer setup", 7, &TQRStandardPreview::PrintSetupClick, false},
        {"Print", "Print", 8, &TQRStandardPreview::PrintClick, false},
        {"Spacer4", nullptr, kBlank, nullptr, false},
        {"SaveReport", "Save Report", 10, &TQRStandardPreview::SaveClick, false},
        {"LoadReport", "Load Report", 9, &TQRStandardPreview::LoadClick, false},
        {"Spacer5", nullptr, kBlank, nullptr, false},
    };
    for (const Entry& e : entries) {
        if (e.image == kDivider) {
            toolBar_->addSeparator()->setObjectName(QString::fromLatin1(e.name));
            continue;
        }
        auto* button = new QToolButton(toolBar_);
        button->setObjectName(QString::fromLatin1(e.name));
        button->setAutoRaise(true);
        button->setIcon(PreviewIcon(e.image));
        button->setIconSize(QSize(16, 16));
        button->setFocusPolicy(Qt::NoFocus);
        if (e.hint != nullptr) button->setToolTip(QString::fromLatin1(e.hint));
        if (e.action == nullptr) {
            button->setEnabled(false);
        } else {
            const auto action = e.action;
            connect(button, &QToolButton::clicked, this, [this, action] { (this->*action)(); });
        }
        if (e.check) {
            button->setCheckable(true);
            zoomGroup_->addButton(button);
        }
        toolBar_->addWidget(button);
    }
    // Printing waits for the pages.
    Button("PrintSetup")->setEnabled(false);
    Button("Print")->setEnabled(false);

    exitButton_ = new QPushButton(QStringLiteral("&Close"), toolBar_);
    exitButton_->setObjectName(QStringLiteral("ExitButton"));
    exitButton_->setFlat(true);
    exitButton_->setFixedSize(40, 22);
    exitButton_->setToolTip(QStringLiteral("Close preview"));
    exitButton_->setFocusPolicy(Qt::NoFocus);
    connect(exitButton_, &QPushButton::clicked, this, [this] { ExitClick(); });
    toolBar_->addWidget(exitButton_);
}

void TQRStandardPreview::BuildPanels() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter2"));
    setCentralWidget(splitter_);

    tabs_ = new QTabWidget(splitter_);
    tabs_->setObjectName(QStringLiteral("Tabs"));
    tabThumbs_ = new QWidget;
    tabThumbs_->setObjectName(QStringLiteral("TabThumbs"));
    thumbGrid_ = new QTableWidget(0, 1, tabThumbs_);
    thumbGrid_->setObjectName(QStringLiteral("ThumbGrid"));
    thumbGrid_->horizontalHeader()->hide();
    thumbGrid_->verticalHeader()->hide();
    thumbGrid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    thumbGrid_->verticalHeader()->setDefaultSectionSize(90);
    thumbGrid_->setColumnWidth(0, 90);
    thumbGrid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    thumbGrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    thumbGrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    thumbGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
    thumbGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    thumbGrid_->setShowGrid(false);
    QPalette gridPalette = thumbGrid_->palette();
    gridPalette.setColor(QPalette::Base, gridPalette.color(QPalette::Button));
    thumbGrid_->setPalette(gridPalette);
    thumbnails_ = new TQRThumbnailDelegate(
        [this](int page) -> std::unique_ptr<PagePicture> {
            TQRPrinter* printer = QRPrinter();
            return printer != nullptr ? printer->PageImage(page) : nullptr;
        },
        this);
    thumbGrid_->setItemDelegate(thumbnails_);
    // Rows follow the pages of a run at most once a frame: every change of the row count
    // repaints the thumbnails in view.
    thumbRowsTimer_ = new QTimer(this);
    thumbRowsTimer_->setSingleShot(true);
    thumbRowsTimer_->setInterval(kThumbnailRowsInterval);
    connect(thumbRowsTimer_, &QTimer::timeout, this, [this] { UpdateThumbnailRows(); });
    thumbGrid_->installEventFilter(this);  // its resizes lay the thumbnails out
    connect(thumbGrid_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { ThumbGridSelectCell(row); });
    auto* thumbsLayout = new QVBoxLayout(tabThumbs_);
    thumbsLayout->setContentsMargins(0, 0, 0, 0);
    thumbsLayout->addWidget(thumbGrid_);
    tabs_->addTab(tabThumbs_, QStringLiteral("Thumbnails"));

    tabSearchResult_ = new QWidget;
    tabSearchResult_->setObjectName(QStringLiteral("TabSearchResult"));
    groupBox_ = new QGroupBox(QStringLiteral("Search text"), tabSearchResult_);
    groupBox_->setObjectName(QStringLiteral("GroupBox1"));
    groupBox_->setFixedHeight(41);
    searchTextLabel_ = new QLabel(groupBox_);
    searchTextLabel_->setObjectName(QStringLiteral("SearchTextLabel"));
    auto* groupLayout = new QVBoxLayout(groupBox_);
    groupLayout->setContentsMargins(6, 0, 6, 2);
    groupLayout->addWidget(searchTextLabel_);
    searchResultBox_ = new QListWidget(tabSearchResult_);
    searchResultBox_->setObjectName(QStringLiteral("SearchResultBox"));
    searchResultBox_->setEnabled(false);
    auto* searchLayout = new QVBoxLayout(tabSearchResult_);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->addWidget(groupBox_);
    searchLayout->addWidget(searchResultBox_);
    tabs_->addTab(tabSearchResult_, QStringLiteral("Search result"));

    splitter_->addWidget(tabs_);
    splitter_->addWidget(preview_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({193, 607});
    preview_->OnPageAvailable = [this](TQRPreview&, int page) { QRPreviewPageAvailable(page); };
    preview_->OnProgressUpdate = [this](TQRPreview&, int progress) {
        QRPreviewProgressUpdate(progress);
    };
    preview_->OnPageError = [this](TQRPreview&, const std::string& message) {
        // Shown once the message that brought the page has been handled.
        const QString text = QString::fromStdString(message);
        QTimer::singleShot(0, this, [this, text] { dialogs_.showError(this, text); });
    };
    // A printer that goes away while the window is open leaves nothing to show.
    preview_->OnPrinterGone = [this](TQRPreview&) {
        thumbnails_->Forget();
        if (!closing_) QTimer::singleShot(0, this, [this] { close(); });
    };

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar"));
    setStatusBar(status);
    const struct {
        int width;
        Qt::Alignment alignment;
        const char* text;
    } panels[] = {
        {40, Qt::AlignRight | Qt::AlignVCenter, "0%"},
        {120, Qt::AlignLeft | Qt::AlignVCenter, "Page"},
        {50, Qt::AlignLeft | Qt::AlignVCenter, " "},
    };
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(QString::fromLatin1(panels[i].text), status);
        panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panels_[i]->setAlignment(panels[i].alignment);
        panels_[i]->setMinimumWidth(panels[i].width);
        if (i < 2) panels_[i]->setFixedWidth(panels[i].width);
        // The last panel takes the rest of the bar: a file name needs the room.
        status->addWidget(panels_[i], i == 2 ? 1 : 0);
    }
}

TQRPrinter* TQRStandardPreview::QRPrinter() const {
    return preview_->QRPrinter();
}

QString TQRStandardPreview::StatusText() {
    return SharedStatusText();
}

void TQRStandardPreview::SetStatusText(const QString& text) {
    SharedStatusText() = text;
}

QToolButton* TQRStandardPreview::Button(const char* name) const {
    return toolBar_->findChild<QToolButton*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

QStatusBar* TQRStandardPreview::StatusBar() const {
    return statusBar();
}

void TQRStandardPreview::ShowPreview() {
    Qt::WindowStates state = initialState_;
    std::optional<PreviewPlacement> remembered;
    if (PreviewPlacementMemory* memory = CurrentPreviewPlacementMemory())
        remembered = memory->Recall();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const std::optional<QRect> fitted =
            remembered ? FitOnScreen(remembered->geometry, area) : std::nullopt;
        if (fitted) {
            setGeometry(*fitted);
            state = remembered->maximized ? Qt::WindowMaximized : Qt::WindowNoState;
        } else {
            move(area.x() + (area.width() - width()) / 2,
                 area.y() + (area.height() - height()) / 2);
        }
    }
    setWindowState(state);
    show();
    UpdatePageStatus();
}

void TQRStandardPreview::RememberPlacement() {
    PreviewPlacementMemory* memory = CurrentPreviewPlacementMemory();
    if (memory == nullptr || !isVisible()) return;
    const bool maximized = isMaximized();
    memory->Remember({maximized ? normalGeometry() : geometry(), maximized});
}

void TQRStandardPreview::UpdatePageStatus() {
    const TQRPrinter* printer = QRPrinter();
    const int total = printer != nullptr ? printer->PageTotal() : 0;
    panels_[1]->setText(QStringLiteral("Page %1 of %2").arg(preview_->PageNumber()).arg(total));
    panels_[2]->setText(StatusText());
}

template <typename Command>
void TQRStandardPreview::Guarded(Command command) {
    const QPointer<TQRStandardPreview> self(this);
    // A failed command is shown and leaves the window as usable as before.
    std::string message;
    try {
        command();
        return;
    } catch (const std::exception& error) {
        message = error.what();
    }
    const QString text = QString::fromStdString(message);
    if (self) {
        UpdatePageStatus();
        dialogs_.showError(this, text);
    } else {
        DefaultPreviewDialogs().showError(nullptr, text);
    }
}

void TQRStandardPreview::GoToPage(int page) {
    Guarded([&] { preview_->SetPageNumber(page); });
    UpdatePageStatus();
    const TQRPrinter* printer = QRPrinter();
    if (printer != nullptr && page >= 1 && page <= printer->PageTotal() &&
        page <= thumbGrid_->rowCount()) {
        selectingFromGoTo_ = true;
        thumbGrid_->setCurrentCell(page - 1, 0);
        selectingFromGoTo_ = false;
    }
}

bool TQRStandardPreview::ProcessMessages() {
    const QPointer<TQRStandardPreview> self(this);
    Platform().messages->ProcessMessages();
    return !self.isNull();
}

void TQRStandardPreview::ZoomToFitClick() {
    if (!ProcessMessages()) return;
    Button("ZoomFit")->setChecked(true);
    preview_->ZoomFitPage();
}

void TQRStandardPreview::ZoomToWidthClick() {
    if (!ProcessMessages()) return;
    Button("ZoomToWidth")->setChecked(true);
    preview_->ZoomFitWidth();
}

void TQRStandardPreview::ZoomTo100Click() {
    if (!ProcessMessages()) return;
    Button("Zoom100")->setChecked(true);
    preview_->SetZoom(100);
    preview_->LayOutImage();
}

void TQRStandardPreview::FirstPageClick() {
    GoToPage(1);
}

void TQRStandardPreview::PrevPageClick() {
    GoToPage(preview_->PageNumber() - 1);
}

void TQRStandardPreview::NextPageClick() {
    GoToPage(preview_->PageNumber() + 1);
}

void TQRStandardPreview::LastPageClick() {
    if (const TQRPrinter* printer = QRPrinter()) GoToPage(printer->PageTotal());
}

void TQRStandardPreview::GotoPageButtonClick() {
    TQRPrinter* printer = QRPrinter();
    if (printer == nullptr) return;
    const QPointer<TQRStandardPreview> self(this);
    const QString initial = QString::number(preview_->PageNumber());
    QString typed = initial;
    const bool confirmed = dialogs_.inputQuery(
        this, QStringLiteral("Select a page from 1 to %1").arg(printer->PageTotal()),
        QStringLiteral("Go to page >>"), typed);
    if (!self || QRPrinter() == nullptr) return;
    const QString text = confirmed ? typed : initial;
    GoToPage(PageFromTypedText(text.toStdString(), QRPrinter()->PageTotal()));
}

void TQRStandardPreview::FindButtonClick() {
    // One search at a time: a second one is refused, never waited for.
    if (SearchBusyFlag::Busy() || QRPrinter() == nullptr) return;
    const QPointer<TQRStandardPreview> self(this);
    const std::optional<SearchRequest> request = dialogs_.askSearchText(this);
    if (!self || !request || QRPrinter() == nullptr || SearchBusyFlag::Busy()) return;

    searchResultBox_->setEnabled(true);
    searchTextLabel_->setText(request->text);
    searchResultBox_->clear();
    const std::u16string text = request->text.toStdU16String();
    std::optional<std::vector<int>> pages;
    Guarded([&] {
        int done = 0;
        pages = SearchPages(
            text, request->matchCase, QRPrinter()->PageTotal(),
            [&](int page) -> std::unique_ptr<PagePicture> {
                TQRPrinter* printer = QRPrinter();
                return printer != nullptr ? printer->PageImage(page) : nullptr;
            },
            // The window stays responsive during a long search; closing it, or the printer
            // going away, ends the search.
            [&] {
                if (++done % 32 == 0) Platform().messages->ProcessMessages();
                return self && !closing_ && QRPrinter() != nullptr;
            });
    });
    // A search that failed or was stopped lists nothing.
    if (!self || !pages) return;
    for (const int page : *pages) searchResultBox_->addItem(QStringLiteral("Page %1").arg(page));
    if (pages->empty()) {
        searchResultBox_->addItem(QStringLiteral("No matching text"));
        searchResultBox_->setEnabled(false);
    }
}

void TQRStandardPreview::PrintSetupClick() {
    TQRPrinter* printer = QRPrinter();
    if (printer == nullptr) return;
    const QPointer<TQRStandardPreview> self(this);
    Guarded([&] {
        if (printer->OnPrintSetup) {
            // A copy: the callback may replace itself.
            const auto setup = printer->OnPrintSetup;
            setup();
        }
        if (!self || QRPrinter() != printer) return;
        TakeReportPrinterChoice(*printer);
    });
}

void TQRStandardPreview::PrintClick() {
    TQRPrinter* printer = QRPrinter();
    if (printer == nullptr) return;
    // Without a printer the report printer has nowhere to send the pages.
    if (!printer->HasPrinters()) {
        dialogs_.showMessage(this, QString::fromLatin1(kNoPrinterMessage));
        return;
    }
    Guarded([&] { printer->Print(); });
}

void TQRStandardPreview::SaveClick() {
    TQRPrinter* printer = QRPrinter();
    // Pages still being generated are not saved.
    if (printer == nullptr || printer->State() != TQRPrinterState::prsFinished) return;
    const QPointer<TQRStandardPreview> self(this);
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::kSave;
    request.title = QStringLiteral("Save report");
    request.filter = QString::fromStdString(QRExportFilterLibrary().SaveDialogFilter());
    request.defaultExtension = QStringLiteral("QRP");
    const std::optional<FileChoice> choice = dialogs_.chooseFile(this, request);
    if (!self || !choice || QRPrinter() != printer) return;
    if (printer->State() != TQRPrinterState::prsFinished) return;
    Guarded([&] {
        if (choice->filterIndex <= 1) {
            printer->Save(choice->fileName);
            return;
        }
        // An export filter, created on the name and handed to the export callback.
        const std::vector<TQRExportFilterEntry>& filters = QRExportFilterLibrary().Filters();
        const auto entry = static_cast<std::size_t>(choice->filterIndex - 2);
        if (entry >= filters.size()) return;
        const std::unique_ptr<TQRExportFilter> filter = filters[entry].create(choice->fileName);
        if (!filter) return;
        if (printer->OnExport) {
            const auto exportRun = printer->OnExport;
            exportRun(*filter);
        } else if (TQRPageExport* pages = filter->PageExport()) {
            // A loaded report has no run to export, but its pages go to a page filter as
            // they are.
            printer->ExportPages(*pages);
        }
    });
}

void TQRStandardPreview::LoadClick() {
    TQRPrinter* printer = QRPrinter();
    // Loading replaces the pages: not while they are being generated or searched.
    if (printer == nullptr || printer->State() == TQRPrinterState::prsBusy ||
        SearchBusyFlag::Busy()) {
        return;
    }
    const QPointer<TQRStandardPreview> self(this);
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::kOpen;
    request.title = QStringLiteral("Load report");
    request.filter = QString::fromLatin1(kLoadFilter);
    const std::optional<FileChoice> choice = dialogs_.chooseFile(this, request);
    if (!self || !choice || QRPrinter() != printer) return;
    const QString fileName = DisplayFileName(choice->fileName);
    if (!IsFile(choice->fileName)) {
        dialogs_.showMessage(this, QStringLiteral("File does not exist"));
        return;
    }
    if (printer->State() == TQRPrinterState::prsBusy) return;
    bool loaded = false;
    Guarded([&] {
        // The old pages go, whatever happens.
        thumbnails_->Forget();
        try {
            printer->Load(choice->fileName);
            loaded = true;
        } catch (...) {
            // Nothing is loaded: shown before the error.
            preview_->PreviewImage()->ClearPage();
            thumbGrid_->setRowCount(0);
            Button("Print")->setEnabled(false);
            Button("PrintSetup")->setEnabled(false);
            throw;
        }
    });
    if (!loaded || !self) return;
    ShowLoadedReport(fileName);
}

void TQRStandardPreview::ShowLoadedReport(const QString& fileName) {
    // The file's pages may have another paper or orientation: they are laid out as a window
    // opened on them would be, at the zoom rule in force.
    LayOutThumbnails();
    preview_->RefitZoom();
    SetStatusText(fileName);
    Guarded([&] {
        preview_->SetPageNumber(1);
        preview_->PreviewImage()->ShowPage(1);
    });
    QRPreviewPageAvailable(1);
    if (thumbGrid_->rowCount() > 0) {
        selectingFromGoTo_ = true;
        thumbGrid_->setCurrentCell(0, 0);
        selectingFromGoTo_ = false;
    }
    Button("PrintSetup")->setEnabled(false);
    Button("Print")->setEnabled(true);
}

void TQRStandardPreview::ExitClick() {
    close();
}

void TQRStandardPreview::QRPreviewPageAvailable(int) {
    UpdatePageStatus();
    const TQRPrinter* printer = QRPrinter();
    const bool finished = printer != nullptr && printer->State() == TQRPrinterState::prsFinished;
    if (finished || !thumbGrid_->isVisible()) {
        UpdateThumbnailRows();
    } else if (!thumbRowsTimer_->isActive()) {
        thumbRowsTimer_->start();
    }
    if (finished) {
        Button("PrintSetup")->setEnabled(true);
        Button("Print")->setEnabled(true);
    }
}

void TQRStandardPreview::UpdateThumbnailRows() {
    thumbRowsTimer_->stop();
    const TQRPrinter* printer = QRPrinter();
    const int rows = printer != nullptr ? printer->PageTotal() : 0;
    if (rows != thumbGrid_->rowCount()) thumbGrid_->setRowCount(rows);
}

void TQRStandardPreview::QRPreviewProgressUpdate(int progress) {
    if (progress >= lastProgress_ + 5) {
        panels_[0]->setText(QString::number(progress) + QLatin1Char('%'));
        lastProgress_ = progress;
    }
    if (progress == 0 || progress == 100) panels_[0]->clear();
}

void TQRStandardPreview::ThumbGridSelectCell(int row) {
    if (selectingFromGoTo_ || row < 0) return;
    Guarded([&] { preview_->SetPageNumber(row + 1); });
    UpdatePageStatus();
}

void TQRStandardPreview::LayOutThumbnails() {
    const TQRPrinter* printer = QRPrinter();
    const int textHeight = QFontMetrics(thumbGrid_->font()).height();
    const int columnWidth = thumbGrid_->width() - 4;
    thumbGrid_->setColumnWidth(0, columnWidth);
    const int sheetWidth = columnWidth - 20;
    thumbnails_->SetSheetOffsets(RoundHalfEven32((columnWidth - sheetWidth) / 2.0L), kThumbnailTop);
    if (printer == nullptr) return;
    // The pages' shape, as the printer holds them: a loaded report may have turned it.
    const long double paperWidth = printer->PaperWidth();
    const long double paperLength = printer->PaperLength();
    if (!(paperWidth > 0) || !(paperLength > 0)) return;
    const long double height = sheetWidth / paperWidth * paperLength;
    thumbGrid_->verticalHeader()->setDefaultSectionSize(
        std::max(1, RoundHalfEven32(height - textHeight)));
}

bool TQRStandardPreview::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    modifiers &= ~Qt::KeypadModifier;
    const bool exactlyCtrl =
        modifiers == Qt::ControlModifier && QGuiApplication::mouseButtons() == Qt::NoButton;
    switch (key) {
        case Qt::Key_Escape:
            close();
            return true;
        case Qt::Key_PageUp:
            exactlyCtrl ? FirstPageClick() : PrevPageClick();
            return true;
        case Qt::Key_PageDown:
            exactlyCtrl ? LastPageClick() : NextPageClick();
            return true;
        case Qt::Key_Home:
            FirstPageClick();
            return true;
        case Qt::Key_End:
            LastPageClick();
            return true;
        default:
            return false;
    }
}

bool TQRStandardPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == thumbGrid_ && event->type() == QEvent::Resize) {
        LayOutThumbnails();
    } else if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // Acted on here, the key does not move the focused control a second time.
            if (FormKeyDown(key->key(), key->modifiers())) return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TQRStandardPreview::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        RememberPlacement();
        // The report releases its printer (or cancels the run still generating it).
        if (TQRPrinter* printer = QRPrinter()) {
            const QPointer<TQRStandardPreview> self(this);
            printer->ClosePreview();
            if (!self) return;
        }
    }
    event->accept();
}

void TQRStandardPreview::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    preview_->LayOutImage();
}

}  // namespace quillon
