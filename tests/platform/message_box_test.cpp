// The program's message boxes keep room for their title, whatever the length of the message.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>

#include "platform/dialogs/message_box.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

struct ShownBox {
    int width = 0;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Runs the box and looks at it while it is open.
ShownBox Show(QMessageBox::Icon icon, const QString& title, const QString& text) {
    ShownBox shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        shown = {box->width(), box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* button : box->buttons()) shown.buttons << button->text();
        box->accept();
    });
    RunMessageBox(nullptr, icon, title, text);
    return shown;
}

TEST(MessageBox, IsWideEnoughForItsTitleInATitleBar) {
    testing::EnsureQtApplication();
    QFont bold = QApplication::font();
    bold.setBold(true);
    // A window manager's icon and three buttons beside the title take some 100 pixels.
    const int needed = QFontMetrics(bold).horizontalAdvance(QStringLiteral("Quillon")) + 100;
    for (const QString& text : {QStringLiteral("x"), QStringLiteral("Disk full."),
                               QStringLiteral("File does not exist")}) {
        const ShownBox shown = Show(QMessageBox::Critical, QStringLiteral("Quillon"), text);
        EXPECT_GE(shown.width, needed) << text.toStdString();
        EXPECT_EQ(shown.title, "Quillon");
        EXPECT_EQ(shown.text, text);
        EXPECT_EQ(shown.icon, QMessageBox::Critical);
        EXPECT_EQ(shown.buttons, QStringList{"OK"});
    }
    // A long message still sizes the box as before.
    const QString longText(400, QLatin1Char('w'));
    EXPECT_GT(Show(QMessageBox::NoIcon, QStringLiteral("Quillon"), longText).width, needed);
}

}  // namespace
}  // namespace quillon
