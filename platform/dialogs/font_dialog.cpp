#include "platform/dialogs/font_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>

#include <cstdlib>
#include <limits>

namespace quillon {

namespace {

// The sixteen colours of the classic font dialog, by their usual names.
struct NamedColor {
    const char* name;
    QRgb rgb;
};
constexpr NamedColor kColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF},
};

QString Text(const char* text) {
    return QCoreApplication::translate("QuillonDialogs", text);
}

QIcon Swatch(const QColor& color) {
    QPixmap pixmap(24, 12);
    pixmap.fill(color);
    return QIcon(pixmap);
}

bool Slanted(const QString& family, const QString& style) {
    return QFontDatabase::font(family, style, 12).style() != QFont::StyleNormal;
}

constexpr const char* kNormalNames[] = {"Regular", "Book", "Roman", "Normal", "Medium"};

int NameRank(const QString& style) {
    for (int i = 0; i < int(std::size(kNormalNames)); ++i) {
        if (style.compare(QLatin1String(kNormalNames[i]), Qt::CaseInsensitive) == 0) return i;
    }
    return int(std::size(kNormalNames));
}

}  // namespace

QString NearestStyle(const QString& family, int weight, bool slanted) {
    QString best;
    long bestScore = std::numeric_limits<long>::max();
    for (const QString& style : QFontDatabase::styles(family)) {
        const long score = (Slanted(family, style) != slanted ? 100000L : 0L) +
                           std::labs(long(QFontDatabase::weight(family, style)) - weight) * 10L +
                           NameRank(style);
        if (score < bestScore) {
            bestScore = score;
            best = style;
        }
    }
    return best;
}

FontDialog::FontDialog(const FontChoice& initial, QWidget* owner)
    : QFontDialog(owner), shown_(initial.font) {
    // The colour goes into Qt's own widgets; a desktop's native dialog has no place for it.
    setOption(QFontDialog::DontUseNativeDialog);
    // The dialog finds a font's style by a name it makes up, translated ("Normal" is
    // "Нормален" in Bulgarian) and so not found among the family's styles; it then takes the
    // first one ("Bold Italic"). Name the style of the font's own family instead.
    QFont start = initial.font;
    const QString family = QFontInfo(start).family();
    if (start.styleName().isEmpty()) {
        const QString style =
            NearestStyle(family, start.weight(), start.style() != QFont::StyleNormal);
        if (!style.isEmpty()) {
            start.setFamilies({family});
            start.setStyleName(style);
        }
    }
    setCurrentFont(start);
    shown_ = currentFont();
    AddColorBox(initial.color);
    connect(this, &QFontDialog::currentFontChanged, this,
            [this](const QFont& font) { FontChanged(font); });
}

void FontDialog::AddColorBox(const QColor& initial) {
    colorBox_ = new QComboBox(this);
    colorBox_->setObjectName(QStringLiteral("ColorBox"));
    colorBox_->setIconSize(QSize(24, 12));
    int current = -1;
    for (const NamedColor& c : kColors) {
        const QColor color = QColor::fromRgb(c.rgb);
        if (color == initial) current = colorBox_->count();
        colorBox_->addItem(Swatch(color), Text(c.name), color);
    }
    if (current < 0) {
        current = colorBox_->count();
        colorBox_->addItem(Swatch(initial), Text("Custom"), initial);
    }
    colorBox_->setCurrentIndex(current);

    // The effects group is the one with the check boxes; the sample is the other one.
    QLineEdit* sample = nullptr;
    QGroupBox* effects = nullptr;
    for (QGroupBox* group : findChildren<QGroupBox*>()) {
        if (!group->findChildren<QCheckBox*>().isEmpty()) {
            effects = group;
        } else if (auto* edit = group->findChild<QLineEdit*>()) {
            sample = edit;
        }
    }
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(Text("Colo&r"), this);
    label->setBuddy(colorBox_);
    row->addWidget(label);
    row->addWidget(colorBox_, 1);
    if (effects != nullptr && effects->layout() != nullptr) {
        if (auto* box = qobject_cast<QBoxLayout*>(effects->layout())) box->addLayout(row);
    } else if (layout() != nullptr) {
        if (auto* box = qobject_cast<QBoxLayout*>(layout())) box->addLayout(row);
    }
    if (sample != nullptr) {
        const auto showColor = [sample, this] {
            QPalette palette = sample->palette();
            palette.setColor(QPalette::Text, colorBox_->currentData().value<QColor>());
            sample->setPalette(palette);
        };
        showColor();
        connect(colorBox_, &QComboBox::currentIndexChanged, this, showColor);
    }
}

void FontDialog::FontChanged(const QFont& font) {
    if (adjusting_) return;
    const QFont before = shown_;
    shown_ = font;
    if (font.family() == before.family()) return;
    // Another family: the style nearest to the one chosen before, whatever its name.
    const QString style =
        NearestStyle(font.family(), before.weight(), before.style() != QFont::StyleNormal);
    if (style.isEmpty() || style == font.styleName()) return;
    QFont wanted = QFontDatabase::font(font.family(), style, font.pointSize());
    wanted.setStyleName(style);
    wanted.setUnderline(font.underline());
    wanted.setStrikeOut(font.strikeOut());
    adjusting_ = true;
    setCurrentFont(wanted);
    adjusting_ = false;
    shown_ = currentFont();
}

FontChoice FontDialog::Choice() const {
    return {currentFont(), colorBox_->currentData().value<QColor>()};
}

std::optional<FontChoice> RunFontDialog(QWidget* owner, const FontChoice& initial) {
    FontDialog dialog(initial, owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    FontChoice choice = dialog.Choice();
    choice.font = dialog.selectedFont();
    return choice;
}

}  // namespace quillon
