#include "app/gui/main_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFontInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

#include <cmath>
#include <exception>

#include "app/gui/dialog_folder_file.h"
#include "app/gui/error_box.h"
#include "app/printtext/print_text.h"
#include "app/settings/print_settings.h"
#include "app/transcode/text_file.h"
#include "platform/core/services.h"
#include "platform/core/file_name_text.h"
#include "platform/dialogs/file_names.h"
#include "platform/qt/qt_canvas.h"

namespace quillon {

namespace {

constexpr int kClientWidth = 352;
constexpr int kCollapsedHeight = 105;
constexpr int kExpandedHeight = 134;

// A font of the window at a pixel height, as the window was designed in pixels.
QFont PixelFont(const char* family, int pixels, bool bold = false) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont ToQFont(const FontSpec& wanted) {
    QFont font(QString::fromStdString(wanted.face));
    font.setPointSizeF(wanted.size > 0 ? wanted.size : kDesignFontSize);
    font.setBold((wanted.style & kFontBold) != 0);
    font.setItalic((wanted.style & kFontItalic) != 0);
    font.setUnderline((wanted.style & kFontUnderline) != 0);
    font.setStrikeOut((wanted.style & kFontStrikeOut) != 0);
    return font;
}

unsigned StyleOf(const QFont& font) {
    unsigned style = 0;
    if (font.bold()) style |= kFontBold;
    if (font.italic()) style |= kFontItalic;
    if (font.underline()) style |= kFontUnderline;
    if (font.strikeOut()) style |= kFontStrikeOut;
    return style;
}

// Whole points, at least 1: the report font's size as the settings file keeps it.
double WholePointsOf(const QFont& font) {
    double points = font.pointSizeF();
    if (points <= 0) points = font.pixelSize() * 72.0 / kScreenPixelsPerInch;
    return std::max(1.0, std::round(points));
}

int WholePoints(double points) {
    const double rounded = std::round(points);
    if (rounded >= 2147483647.0) return 2147483647;
    if (rounded <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(rounded);
}

Color ColorOf(const QColor& color) {
    return Rgb(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
               static_cast<std::uint8_t>(color.blue()));
}

}  // namespace

void TMouseUpLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (OnMouseUp) OnMouseUp();
}

TMainForm::TMainForm(MainFormDialogs dialogs, std::string settingsPath, QString errorTitle,
                     QWidget* parent)
    : QWidget(parent),
      dialogs_(std::move(dialogs)),
      settingsPath_(std::move(settingsPath)),
      errorTitle_(std::move(errorTitle)),
      fontDialogFont_(PixelFont("MS Sans Serif", 11)) {
    CreateControls();
    ConnectEvents();
    HandleAction([this] { FormCreate(); });
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateControls() {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quillon"));
    // A fixed dialog frame: no resizing, no minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(PixelFont("Tahoma", 11));
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, windowPalette.color(QPalette::Button));
    setPalette(windowPalette);
    setAutoFillBackground(true);
    SetClientHeight(kCollapsedHeight);

    const auto label = [this](QLabel* control, const char* name, int left, int top, int width,
                              int height) {
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(left, top, width, height);
        return control;
    };
    const auto speedButton = [this](const char* name, const QString& caption, int left, int top) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(caption);
        button->setGeometry(left, top, 23, 22);
        button->setFocusPolicy(Qt::NoFocus);
        return button;
    };

    Label1 = label(new QLabel(QStringLiteral("Входен файл: "), this), "Label1", 10, 10, 73, 13);
    SpeedButton1 = speedButton("SpeedButton1", QStringLiteral("..."), 325, 5);
    Label2 = label(new QLabel(QStringLiteral("Изходен файл: "), this), "Label2", 5, 40, 79, 13);
    SpeedButton2 = speedButton("SpeedButton2", QStringLiteral("..."), 325, 35);
    SpeedButton3 = speedButton("SpeedButton3", QStringLiteral(">>"), 4, 78);
    SpeedButton3->setFont(PixelFont("Tahoma", 9, true));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(61, 66, 285, 2);

    // The maker's name twice, one pixel apart: the lower label in the highlight colour shows
    // through as an edge, so the name looks engraved.
    const auto makerLabel = [this, &label](const char* name, int left, int top,
                                           QPalette::ColorRole colour) {
        auto* control = new TMouseUpLabel(QStringLiteral("Велтра"), this);
        label(control, name, left, top, 51, 13);
        control->setCursor(Qt::PointingHandCursor);
        control->setFont(PixelFont("Tahoma", 11));
        control->setAutoFillBackground(false);
        QPalette labelPalette = control->palette();
        labelPalette.setColor(QPalette::WindowText, palette().color(colour));
        control->setPalette(labelPalette);
        control->OnMouseUp = [this] { HandleAction([this] { Label4MouseUp(); }); };
        return control;
    };
    Label3 = makerLabel("Label3", 6, 60, QPalette::Light);
    Label4 = makerLabel("Label4", 5, 59, QPalette::Dark);

    const auto fileEdit = [this](const char* name, int top) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(85, top, 236, 21);
        edit->setReadOnly(true);
        QPalette editPalette = edit->palette();
        editPalette.setColor(QPalette::Base, editPalette.color(QPalette::Button));
        edit->setPalette(editPalette);
        return edit;
    };
    InputFileEdit = fileEdit("InputFileEdit", 5);
    OutputFileEdit = fileEdit("OutputFileEdit", 35);

    const auto pushButton = [this](const char* name, const QString& caption, int left, int top,
                                   int width, int height) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(left, top, width, height);
        button->setAutoDefault(false);
        return button;
    };
    ConvertButton = pushButton("ConvertButton", QStringLiteral("Конвертирай"), 142, 75, 101, 25);
    ConvertButton->setEnabled(false);
    PrintButton = pushButton("PrintButton", QStringLiteral("Печат"), 247, 75, 101, 25);
    PrintButton->setEnabled(false);

    const auto radioButton = [this](const char* name, const QString& caption, int left) {
        auto* button = new QRadioButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(left, 110, 71, 17);
        return button;
    };
    RadioButton1 = radioButton("RadioButton1", QStringLiteral("Портрет"), 121);
    RadioButton1->setChecked(true);
    RadioButton2 = radioButton("RadioButton2", QStringLiteral("Пейзаж"), 196);
    BitBtn1 = pushButton("BitBtn1", QStringLiteral("Шрифт"), 273, 105, 75, 25);
    // In the free room left of the orientation buttons, on their line: the designed controls
    // keep their places.
    CheckBox1 = new QCheckBox(QStringLiteral("Рамки"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(8, 110, 105, 17);
    CheckBox1->setToolTip(QStringLiteral("Печат на рамките и таблиците с линии"));

    setTabOrder(InputFileEdit, OutputFileEdit);
    setTabOrder(OutputFileEdit, ConvertButton);
    setTabOrder(ConvertButton, PrintButton);
    setTabOrder(PrintButton, RadioButton1);
    setTabOrder(RadioButton1, RadioButton2);
    setTabOrder(RadioButton2, BitBtn1);
    setTabOrder(BitBtn1, CheckBox1);
}

void TMainForm::ConnectEvents() {
    const auto handle = [this](void (TMainForm::*handler)()) {
        return [this, handler] { HandleAction([this, handler] { (this->*handler)(); }); };
    };
    connect(SpeedButton1, &QToolButton::clicked, this, handle(&TMainForm::SpeedButton1Click));
    connect(SpeedButton2, &QToolButton::clicked, this, handle(&TMainForm::SpeedButton2Click));
    connect(SpeedButton3, &QToolButton::clicked, this, handle(&TMainForm::SpeedButton3Click));
    connect(ConvertButton, &QPushButton::clicked, this, handle(&TMainForm::ConvertButtonClick));
    connect(PrintButton, &QPushButton::clicked, this, handle(&TMainForm::PrintButtonClick));
    connect(BitBtn1, &QPushButton::clicked, this, handle(&TMainForm::BitBtn1Click));
    connect(CheckBox1, &QCheckBox::clicked, this, handle(&TMainForm::CheckBox1Click));
    // A radio button's handler runs when it becomes checked, by the user or by the program,
    // and not when the checked one is selected again.
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) HandleAction([this] { RadioButton1Click(); });
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) HandleAction([this] { RadioButton2Click(); });
    });
}

void TMainForm::HandleAction(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        ShowError(ErrorBoxMessage(error));
    } catch (...) {
        ShowError(ErrorBoxMessage("Unknown error"));
    }
}

void TMainForm::ShowError(const QString& message) {
    if (dialogs_.showError) dialogs_.showError(this, errorTitle_, message);
}

void TMainForm::ShowCentred() {
    const QScreen* screen =
        this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->geometry();
        // The client area: the frame a window manager adds is not known before it is shown.
        setGeometry(QRect(QPoint(area.x() + (area.width() - width()) / 2,
                                 area.y() + (area.height() - height()) / 2),
                          size()));
    }
    show();
}

void TMainForm::SetClientHeight(int height) {
    setFixedSize(kClientWidth, height);
}

void TMainForm::FormCreate() {
    LoadSettings();
}

void TMainForm::LoadSettings() {
    const PrintSettings settings = ReadPrintSettings(settingsPath_);
    TRozerEdedid& report = Report1();
    FontSpec font = report.Font();
    if (!settings.fontName.empty()) {
        font.face = settings.fontName;
        report.SetFont(font);
        fontDialogFont_.setFamilies({QString::fromStdString(settings.fontName)});
    }
    const double size = PrintedFontSize(settings.fontSize);
    if (size != settings.fontSize) {
        storedFontSize_ = settings.fontSize;
    } else {
        storedFontSize_.reset();
    }
    font.size = size;
    font.color = settings.fontColor;
    report.SetFont(font);
    fontDialogFont_.setPointSizeF(size);
    program_.SetLineDrawing(settings.lineDrawing);
    CheckBox1->setChecked(settings.lineDrawing);
    if (settings.portrait) {
        RadioButton1->setChecked(true);
        report.Page().SetOrientation(TPrinterOrientation::poPortrait);
    } else {
        RadioButton2->setChecked(true);
        report.Page().SetOrientation(TPrinterOrientation::poLandscape);
    }
}

void TMainForm::SaveSettings() {
    const TRozerEdedid& report = Report1();
    PrintSettings settings;
    settings.portrait = report.Page().Orientation() == TPrinterOrientation::poPortrait;
    settings.fontName = report.Font().face;
    settings.fontSize = storedFontSize_ ? *storedFontSize_ : WholePoints(report.Font().size);
    settings.lineDrawing = program_.LineDrawing();
    settings.fontColor = report.Font().color;
    WritePrintSettings(settingsPath_, settings);
}

void TMainForm::CheckInputOutput() {
    PrintButton->setEnabled(!inputFile_.empty());
    ConvertButton->setEnabled(!inputFile_.empty() && !outputFile_.empty() &&
                              inputFile_ != outputFile_);
}

void TMainForm::SetInputFile(const std::string& path) {
    inputFile_ = path;
    InputFileEdit->setText(DisplayFileName(path));
}

void TMainForm::SetOutputFile(const std::string& path) {
    outputFile_ = path;
    OutputFileEdit->setText(DisplayFileName(path));
}

std::string TMainForm::DialogFolder(FileDialogKind kind) const {
    const std::string& own = kind == FileDialogKind::kOpen ? inputFile_ : outputFile_;
    const std::string& other = kind == FileDialogKind::kOpen ? outputFile_ : inputFile_;
    for (const std::string& path : {own, other}) {
        if (!path.empty() && IsFolder(FolderOf(path))) return FolderOf(path);
    }
    if (const std::string last = DialogFolderFile(settingsPath_).LastFolder(); IsFolder(last))
        return last;
    return HomeFolder();
}

void TMainForm::RememberFolder(const std::string& chosenFile) {
    DialogFolderFile(settingsPath_).Remember(FolderOf(chosenFile));
}

void TMainForm::SpeedButton1Click() {
    if (const auto path =
            dialogs_.chooseFile(this, FileDialogKind::kOpen, DialogFolder(FileDialogKind::kOpen))) {
        SetInputFile(*path);
        RememberFolder(*path);
    }
    CheckInputOutput();
}

void TMainForm::SpeedButton2Click() {
    if (const auto path =
            dialogs_.chooseFile(this, FileDialogKind::kSave, DialogFolder(FileDialogKind::kSave))) {
        SetOutputFile(*path);
        RememberFolder(*path);
    }
    CheckInputOutput();
}

void TMainForm::SpeedButton3Click() {
    if (height() == kExpandedHeight) {
        SetClientHeight(kCollapsedHeight);
        SpeedButton3->setText(QStringLiteral(">>"));
    } else {
        SetClientHeight(kExpandedHeight);
        SpeedButton3->setText(QStringLiteral("<<"));
    }
}

void TMainForm::ConvertButtonClick() {
    ConvertTextFile(inputFile_, outputFile_);
}

void TMainForm::PrintButtonClick() {
    // A second preview would take the report's printer from the first one.
    if (previewRunning_) return;
    TQRMemo& memo = QRMemo1();
    memo.ClearLines();
    bool narrowPrint = false;
    {
        // Saved PDFs and print jobs are called after the input file, and the preview's Save
        // never replaces it.
        Report1().SetDocumentName(FileNameOf(inputFile_));
        Report1().SetInputFiles({inputFile_});
        // The memo gets what was read even when reading fails halfway.
        PrintText text;
        struct Fill {
            ~Fill() {
                memo.SetLines(std::move(text.lines));
                memo.SetFormFeeds(std::move(text.formFeeds));
            }
            TQRMemo& memo;
            PrintText& text;
        } fill{memo, text};
        posix::File input = posix::File::OpenForReading(inputFile_);
        ReadPrintText(input, {program_.LineDrawing()}, text);
        narrowPrint = text.narrowPrint;
    }

    // A stream that selects condensed print has lines made to fit the paper in narrower
    // characters: the font shrinks where they need it, for this run only.
    struct FittedFont {
        ~FittedFont() {
            if (fitted) report.SetFont(chosen);
        }
        TRozerEdedid& report;
        const FontSpec chosen;
        bool fitted = false;
    } fittedFont{Report1(), Report1().Font()};
    if (narrowPrint) {
        FontSpec fitted = fittedFont.chosen;
        fitted.size = program_.LargestFittingFontSize(fitted.size);
        Report1().SetFont(fitted);
        fittedFont.fitted = true;
    }

    // While the preview is open the report belongs to it: its orientation and font stay as
    // they are until it closes.
    struct PreviewScope {
        explicit PreviewScope(TMainForm& form) : form_(form) {
            form_.previewRunning_ = true;
            form_.RadioButton1->setEnabled(false);
            form_.RadioButton2->setEnabled(false);
            form_.BitBtn1->setEnabled(false);
            form_.CheckBox1->setEnabled(false);
        }
        ~PreviewScope() {
            form_.previewRunning_ = false;
            form_.RadioButton1->setEnabled(true);
            form_.RadioButton2->setEnabled(true);
            form_.BitBtn1->setEnabled(true);
            form_.CheckBox1->setEnabled(true);
            // The print dialog may have turned the page; the checked button says how it lies.
            form_.ApplyCheckedOrientation();
            if (form_.closeWhenPreviewEnds_) {
                QMetaObject::invokeMethod(&form_, &QWidget::close, Qt::QueuedConnection);
            }
        }
        PreviewScope(const PreviewScope&) = delete;
        PreviewScope& operator=(const PreviewScope&) = delete;
        TMainForm& form_;
    } scope(*this);
    Report1().Preview();
}

void TMainForm::ApplyCheckedOrientation() {
    Report1().Page().SetOrientation(RadioButton1->isChecked() ? TPrinterOrientation::poPortrait
                                                              : TPrinterOrientation::poLandscape);
}

void TMainForm::RadioButton1Click() {
    Report1().Page().SetOrientation(TPrinterOrientation::poPortrait);
    SaveSettings();
}

void TMainForm::RadioButton2Click() {
    Report1().Page().SetOrientation(TPrinterOrientation::poLandscape);
    SaveSettings();
}

void TMainForm::BitBtn1Click() {
    TRozerEdedid& report = Report1();
    fontDialogFont_ = ToQFont(report.Font());
    const std::optional<FontChoice> chosen =
        dialogs_.chooseFont(this, {fontDialogFont_, QtCanvas::ToQColor(report.Font().color)});
    if (!chosen) return;
    fontDialogFont_ = chosen->font;
    FontSpec font = report.Font();
    // The dialog offers installed families: the one the report's face resolves to keeps the
    // face name, so that confirming "Courier New" does not store its stand-in.
    if (chosen->font.family() != QFontInfo(ToQFont(font)).family()) {
        font.face = chosen->font.family().toStdString();
    }
    font.size = WholePointsOf(chosen->font);
    font.style = StyleOf(chosen->font);
    font.color = ColorOf(chosen->color);
    report.SetFont(font);
    storedFontSize_.reset();
    SaveSettings();
}

void TMainForm::CheckBox1Click() {
    program_.SetLineDrawing(CheckBox1->isChecked());
    SaveSettings();
}

void TMainForm::Label4MouseUp() {
    Platform().shell->Open(kMakerAddress);
}

void TMainForm::ClosePreviewWindow() {
    TQRPrinter* printer = Report1().QRPrinter();
    if (printer == nullptr) return;
    if (auto* window = dynamic_cast<QWidget*>(printer->PreviewWindow())) {
        window->close();
    } else {
        printer->ClosePreview();
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The report must not go while its preview loop runs: close the preview, and the window
    // once Print's handler has returned.
    if (previewRunning_) {
        closeWhenPreviewEnds_ = true;
        event->ignore();
        ClosePreviewWindow();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace quillon
