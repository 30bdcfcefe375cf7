#pragma once

// The font dialog: Qt's stock dialog (family, style, size, strike-out, underline, sample) with
// the text colour added to its effects, as the program's design asks. Choosing another family
// keeps the weight and slant of the style chosen before, so a family whose normal style is
// called "Book", "Roman" or "Medium" does not fall back to its first style ("Oblique").

#include <QColor>
#include <QFont>
#include <QFontDialog>

#include <optional>

class QComboBox;

namespace quillon {

struct FontChoice {
    QFont font;
    QColor color = Qt::black;
};

class FontDialog : public QFontDialog {
public:
    FontDialog(const FontChoice& initial, QWidget* owner);

    QComboBox* ColorBox() const { return colorBox_; }
    // The font and colour chosen so far.
    FontChoice Choice() const;

private:
    void AddColorBox(const QColor& initial);
    void FontChanged(const QFont& font);

    QComboBox* colorBox_ = nullptr;
    QFont shown_;
    bool adjusting_ = false;
};

// Shows the dialog modally; the choice, none when cancelled.
std::optional<FontChoice> RunFontDialog(QWidget* owner, const FontChoice& initial);

// The style of `family` nearest to `weight` and the slant: the same slant first, then the
// nearest weight, then the usual names of a normal style ("Regular", "Book", "Roman",
// "Normal", "Medium"). Empty for a family without styles.
QString NearestStyle(const QString& family, int weight, bool slanted);

}  // namespace quillon
