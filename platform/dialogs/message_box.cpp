#include "platform/dialogs/message_box.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

namespace quillon {

namespace {

// A title bar's window icon and its minimise, maximise and close buttons with their spacing;
// generous, since the window manager's theme is not known.
constexpr int kTitleBarControls = 120;

// The least width of a box titled `title`: the title in a bold face of the box's font, and
// the title bar's controls.
int WidthForTitle(const QMessageBox& box, const QString& title) {
    QFont font = box.font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarControls;
}

}  // namespace

void RunMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    // The box fixes its own size from its layout's minimum whenever it is shown, so a minimum
    // width of its own would be overruled: an empty row of the layout sets it instead.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(WidthForTitle(box, title), 0, QSizePolicy::Fixed,
                                      QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

}  // namespace quillon
