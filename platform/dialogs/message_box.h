#pragma once

// The message boxes of the program and its preview: Qt's, with the given icon and an OK
// button, at least as wide as their title needs in a window manager's title bar. Sized to a
// short message alone, a box left its title bar so little room beside the window buttons that
// "Quillon" showed as "Q…on" or "…".

#include <QMessageBox>
#include <QString>

class QWidget;

namespace quillon {

// Shows the box and waits until it is closed.
void RunMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text);

}  // namespace quillon
