#include "preview/widgets/search_dialog.h"

#include <QCheckBox>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillon {

TSearchDlg::TSearchDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      label_(new QLabel(QStringLiteral("Search for :"), this)),
      edit_(new QLineEdit(this)),
      matchCase_(new QCheckBox(QStringLiteral("Match Case"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      search_(new QPushButton(QStringLiteral("Search"), this)) {
    setObjectName(QStringLiteral("SearchDlg"));
    setWindowTitle(QStringLiteral("RozerEdedid Preview : Text Search"));
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPixelSize(11);
    setFont(dialogFont);
    setFixedSize(305, 118);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setGeometry(8, 8, 289, 16);
    edit_->setObjectName(QStringLiteral("Edit1"));
    edit_->setGeometry(8, 26, 289, 21);
    matchCase_->setObjectName(QStringLiteral("CheckBox1"));
    matchCase_->setGeometry(8, 54, 289, 17);
    cancel_->setObjectName(QStringLiteral("SpeedButton1"));
    cancel_->setGeometry(8, 84, 113, 25);
    search_->setObjectName(QStringLiteral("SpeedButton2"));
    search_->setGeometry(184, 84, 113, 25);
    search_->setDefault(true);
    label_->setBuddy(edit_);
    connect(cancel_, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(search_, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
}

QString TSearchDlg::SearchText() const {
    return edit_->text();
}

bool TSearchDlg::MatchCase() const {
    return matchCase_->isChecked();
}

void TSearchDlg::SpeedButton1Click() {
    cancelled_ = true;
    close();
}

void TSearchDlg::SpeedButton2Click() {
    cancelled_ = false;
    close();
}

void TSearchDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        SpeedButton1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace quillon
