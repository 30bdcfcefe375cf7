#pragma once

#include <QFont>
#include <QLabel>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "app/gui/main_form_dialogs.h"
#include "report/program_report.h"

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace quillon {

// A text label that reports the release of a mouse button over it.
class TMouseUpLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnMouseUp;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The program's window: an input and an output file chosen through dialogs, Convert and
// Print, and (expanded) the orientation and font of the print, kept in the settings file.
// It owns the report that Print fills and previews.
//
// Handlers raise on failure; the window's signal connections run them through HandleAction,
// which shows the error box and lets the window go on.
class TMainForm : public QWidget {
public:
    // Creates the window from its design values and runs FormCreate. `settingsPath` is the
    // settings file (file system bytes); `errorTitle` titles the error boxes.
    TMainForm(MainFormDialogs dialogs, std::string settingsPath, QString errorTitle,
              QWidget* parent = nullptr);
    ~TMainForm() override;
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    // Shows the window centred on its screen.
    void ShowCentred();

    // --- Handlers ------------------------------------------------------------------------
    void FormCreate();
    void LoadSettings();
    void SaveSettings();
    void CheckInputOutput();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void ConvertButtonClick();
    void PrintButtonClick();
    void RadioButton1Click();
    void RadioButton2Click();
    void BitBtn1Click();
    void CheckBox1Click();
    void Label4MouseUp();

    // The input and output paths as the file system's bytes; the edit boxes show them
    // decoded (DisplayFileName), which need not give the bytes back.
    const std::string& InputFile() const { return inputFile_; }
    const std::string& OutputFile() const { return outputFile_; }
    void SetInputFile(const std::string& path);
    void SetOutputFile(const std::string& path);
    // Where a file dialog opens: the folder of its own path, else of the other path, else
    // the last folder a dialog was confirmed in, else the home folder.
    std::string DialogFolder(FileDialogKind kind) const;

    // Runs `action`; a failure ends it and is shown in the error box.
    void HandleAction(const std::function<void()>& action);

    // --- The report and the font dialog's font ------------------------------------------
    TRozerEdedid& Report1() { return program_.Report(); }
    TQRMemo& QRMemo1() { return program_.Memo(); }
    const QFont& FontDialogFont() const { return fontDialogFont_; }
    // Whether Print's preview is open (its handler has not returned yet).
    bool PreviewRunning() const { return previewRunning_; }

    // The maker's web page that the engraved labels open.
    static constexpr const char* kMakerAddress = "https://www.veltra.example/";

    // --- The controls, owned by the window ------------------------------------------------
    QLabel* Label1;
    QToolButton* SpeedButton1;
    QLabel* Label2;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QFrame* Bevel1;
    TMouseUpLabel* Label3;
    TMouseUpLabel* Label4;
    QLineEdit* InputFileEdit;
    QLineEdit* OutputFileEdit;
    QPushButton* ConvertButton;
    QPushButton* PrintButton;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QPushButton* BitBtn1;
    // Beyond the designed controls: DOS line drawing printed as real lines ("LineDrawing").
    QCheckBox* CheckBox1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void ConnectEvents();
    void ShowError(const QString& message);
    void SetClientHeight(int height);
    // The orientation of the checked radio button, given to the report page.
    void ApplyCheckedOrientation();
    void ClosePreviewWindow();
    // Keeps the folder of a chosen file in the settings file for the next dialogs.
    void RememberFolder(const std::string& chosenFile);

    MainFormDialogs dialogs_;
    std::string settingsPath_;
    std::string inputFile_;
    std::string outputFile_;
    QString errorTitle_;
    ProgramReport program_;
    QFont fontDialogFont_;
    // The "FontSize" read at start-up when it had to be mapped to a usable size; written back
    // unchanged until the user picks a font.
    std::optional<int> storedFontSize_;
    bool previewRunning_ = false;
    bool closeWhenPreviewEnds_ = false;
};

}  // namespace quillon
