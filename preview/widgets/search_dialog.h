#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon {

// Asks for the text to search for in the report's pages and whether letter case must match.
// Closing it any other way than with "Cancel" counts as "Search".
class TSearchDlg : public QDialog {
public:
    explicit TSearchDlg(QWidget* owner = nullptr);

    QString SearchText() const;
    bool MatchCase() const;
    bool Cancelled() const { return cancelled_; }

    QLineEdit* Edit1() const { return edit_; }
    QCheckBox* CheckBox1() const { return matchCase_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* SearchButton() const { return search_; }

    // SpeedButton1: mark cancelled and close; SpeedButton2: mark not cancelled and close.
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    // Esc is the "Cancel" button, not a close that would count as "Search".
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* label_;
    QLineEdit* edit_;
    QCheckBox* matchCase_;
    QPushButton* cancel_;
    QPushButton* search_;
    bool cancelled_ = false;
};

}  // namespace quillon
