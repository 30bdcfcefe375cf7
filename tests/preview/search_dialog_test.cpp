// The search dialog: its design, and how each way of leaving it answers.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "preview/widgets/search_dialog.h"
#include "tests/preview/preview_test_support.h"

namespace quillon {
namespace {

// A title bar and nothing in it: window managers that follow the window's hints show no
// minimise, maximise or close button (openbox draws its buttons on every framed window).
TEST(SearchDialog, IsAFixedDialogWithATitleBarWithoutButtons) {
    testing::ScopedQtPlatform platform;
    TSearchDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "RozerEdedid Preview : Text Search");
    EXPECT_EQ(dialog.size(), QSize(305, 118));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    for (const Qt::WindowType button :
         {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
          Qt::WindowCloseButtonHint, Qt::WindowContextHelpButtonHint}) {
        EXPECT_FALSE(flags.testFlag(button)) << std::hex << button;
    }
    EXPECT_EQ(dialog.CheckBox1()->text(), "Match Case");
    EXPECT_EQ(dialog.CancelButton()->text(), "Cancel");
    EXPECT_EQ(dialog.SearchButton()->text(), "Search");
}

TEST(SearchDialog, OnlyCancelCancels) {
    testing::ScopedQtPlatform platform;
    {
        TSearchDlg dialog;
        dialog.Edit1()->setText(QStringLiteral("Total"));
        dialog.CheckBox1()->setChecked(true);
        dialog.SearchButton()->click();
        EXPECT_FALSE(dialog.Cancelled());
        EXPECT_EQ(dialog.SearchText(), "Total");
        EXPECT_TRUE(dialog.MatchCase());
    }
    {
        TSearchDlg dialog;
        dialog.CancelButton()->click();
        EXPECT_TRUE(dialog.Cancelled());
    }
    {
        TSearchDlg dialog;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &escape);
        EXPECT_TRUE(dialog.Cancelled());
    }
    {
        TSearchDlg dialog;  // closed by the window manager: counts as Search
        dialog.show();
        dialog.close();
        EXPECT_FALSE(dialog.Cancelled());
    }
}

}  // namespace
}  // namespace quillon
