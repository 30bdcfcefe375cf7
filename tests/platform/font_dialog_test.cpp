// The font dialog: the colour beside the effects, and a new family's style keeps the weight
// and slant chosen before whatever the style is called.

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QTranslator>
#include <QFontDatabase>
#include <QListView>

#include "platform/dialogs/font_dialog.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

// Selects `family` in the dialog's family list, as a click does.
bool PickFamily(FontDialog& dialog, const QString& family) {
    for (QListView* list : dialog.findChildren<QListView*>()) {
        QAbstractItemModel* model = list->model();
        for (int row = 0; model != nullptr && row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, 0);
            if (model->data(index).toString() == family) {
                list->setCurrentIndex(index);
                return true;
            }
        }
    }
    return false;
}

bool Installed(const QString& family) {
    return QFontDatabase::families().contains(family);
}

TEST(FontDialog, OffersTheColourBesideUnderlineAndStrikeOut) {
    testing::EnsureQtApplication();
    QFont font(QStringLiteral("Liberation Mono"), 12);
    font.setUnderline(true);
    FontDialog dialog({font, QColor(0x80, 0, 0)}, nullptr);
    QComboBox* colors = dialog.ColorBox();
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors->count(), 16);
    EXPECT_EQ(colors->currentText(), "Maroon");
    EXPECT_EQ(dialog.findChildren<QCheckBox*>().size(), 2);

    colors->setCurrentIndex(colors->findText(QStringLiteral("Blue")));
    const FontChoice choice = dialog.Choice();
    EXPECT_EQ(choice.color, QColor(Qt::blue));
    EXPECT_TRUE(choice.font.underline());

    // A colour outside the sixteen is kept as a seventeenth.
    FontDialog custom({font, QColor(1, 2, 3)}, nullptr);
    EXPECT_EQ(custom.ColorBox()->count(), 17);
    EXPECT_EQ(custom.Choice().color, QColor(1, 2, 3));
}

TEST(FontDialog, ANewFamilyKeepsTheUprightNormalStyle) {
    testing::EnsureQtApplication();
    if (!Installed("DejaVu Sans Mono") || !Installed("Liberation Mono"))
        GTEST_SKIP() << "needs the fonts DejaVu Sans Mono and Liberation Mono";
    EXPECT_EQ(NearestStyle("DejaVu Sans Mono", QFont::Normal, false), "Book");
    EXPECT_EQ(NearestStyle("DejaVu Sans Mono", QFont::Bold, true), "Bold Oblique");
    EXPECT_EQ(NearestStyle("Liberation Mono", QFont::Normal, false), "Regular");

    FontDialog dialog({QFont(QStringLiteral("Liberation Mono"), 10), Qt::black}, nullptr);
    ASSERT_TRUE(PickFamily(dialog, "DejaVu Sans Mono"));
    QFont chosen = dialog.Choice().font;
    EXPECT_EQ(chosen.family(), "DejaVu Sans Mono");
    EXPECT_EQ(chosen.style(), QFont::StyleNormal);
    EXPECT_EQ(chosen.weight(), QFont::Normal);

    // A bold choice stays bold in the next family.
    QFont bold(QStringLiteral("DejaVu Sans Mono"), 10);
    bold.setStyleName(QStringLiteral("Bold"));
    FontDialog boldDialog({bold, Qt::black}, nullptr);
    ASSERT_TRUE(PickFamily(boldDialog, "Liberation Mono"));
    chosen = boldDialog.Choice().font;
    EXPECT_EQ(chosen.weight(), QFont::Bold);
    EXPECT_EQ(chosen.style(), QFont::StyleNormal);
}

// Qt's own names of styles as a Bulgarian translation has them.
class StyleNamesInBulgarian : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (QLatin1String(context) != QLatin1String("QFontDatabase")) return {};
        if (QLatin1String(source) == QLatin1String("Normal")) return QStringLiteral("Нормален");
        if (QLatin1String(source) == QLatin1String("Bold")) return QStringLiteral("Получер");
        return {};
    }
};

TEST(FontDialog, OpensOnTheFontsOwnStyleUnderATranslation) {
    testing::EnsureQtApplication();
    if (!Installed("Liberation Mono")) GTEST_SKIP() << "needs the font Liberation Mono";
    StyleNamesInBulgarian bulgarian;
    QCoreApplication::installTranslator(&bulgarian);
    QFont bold(QStringLiteral("Liberation Mono"), 10);
    bold.setBold(true);
    for (const QFont& font : {QFont(QStringLiteral("Liberation Mono"), 10), bold}) {
        const QFont shown = FontDialog({font, Qt::black}, nullptr).Choice().font;
        EXPECT_EQ(shown.weight(), font.weight());
        EXPECT_EQ(shown.style(), QFont::StyleNormal);
    }
    QCoreApplication::removeTranslator(&bulgarian);
}

}  // namespace
}  // namespace quillon
