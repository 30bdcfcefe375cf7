#include "app/gui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace quillon {

namespace {

// Bulgarian for the texts the program adds to stock dialogs (context "QuillonDialogs").
struct BulgarianText {
    const char* source;
    const char* bulgarian;
};
constexpr BulgarianText kBulgarian[] = {
    {"Colo&r", "Ц&вят"},   {"Black", "Черен"},     {"Maroon", "Кестеняв"}, {"Green", "Зелен"},
    {"Olive", "Маслинен"}, {"Navy", "Тъмносин"},   {"Purple", "Лилав"},    {"Teal", "Синьозелен"},
    {"Gray", "Сив"},       {"Silver", "Сребрист"}, {"Red", "Червен"},      {"Lime", "Светлозелен"},
    {"Yellow", "Жълт"},    {"Blue", "Син"},        {"Fuchsia", "Фуксия"},  {"Aqua", "Тюркоазен"},
    {"White", "Бял"},      {"Custom", "Друг"},
};

class ProgramTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override {
        if (context == nullptr || std::strcmp(context, "QuillonDialogs") != 0) return {};
        for (const BulgarianText& text : kBulgarian) {
            if (std::strcmp(text.source, sourceText) == 0) return QString::fromUtf8(text.bulgarian);
        }
        return {};
    }
};

}  // namespace

void InstallTranslations() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    const QLocale locale;
    auto* qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    } else {
        delete qt;
    }
    if (locale.language() == QLocale::Bulgarian) {
        QCoreApplication::installTranslator(new ProgramTranslator(app));
    }
}

}  // namespace quillon
