// Stock dialogs speak the user's language: Qt's translations and the program's own texts in
// those dialogs are installed for a Bulgarian locale, while the window keeps its captions.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>

#include "app/gui/translations.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

TEST(Translations, BulgarianStockTextsUnderABulgarianLocale) {
    testing::EnsureQtApplication();
    ASSERT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
    QLocale::setDefault(QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
    InstallTranslations();

    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "Отказ");
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
    EXPECT_EQ(QCoreApplication::translate("QuillonDialogs", "Colo&r"), "Ц&вят");
    EXPECT_EQ(QCoreApplication::translate("QuillonDialogs", "Navy"), "Тъмносин");
}

}  // namespace
}  // namespace quillon
