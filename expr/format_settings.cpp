#include "expr/format_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <optional>
#include <string_view>

#include "platform/core/cp1251.h"

namespace quillon {

namespace {

// The user's locale as an object of its own: the conventions are read from it explicitly, so
// that nothing depends on the process locale.
locale_t UserLocale() {
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
        if (l == static_cast<locale_t>(nullptr)) {
            l = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        }
        return l;
    }();
    return locale;
}

bool LocaleIsUtf8(locale_t locale) {
    const std::string_view codeset = nl_langinfo_l(CODESET, locale);
    return codeset == "UTF-8" || codeset == "utf8";
}

std::string ToCp1251(std::string_view text, locale_t locale) {
    if (LocaleIsUtf8(locale)) return Utf8ToCp1251(text);
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    }
    return out;
}

// A separator of the locale as one Windows-1251 byte; '\0' when the locale has none.
char Separator(nl_item item, locale_t locale, char fallback) {
    if (locale == static_cast<locale_t>(nullptr)) return fallback;
    const std::string text = ToCp1251(nl_langinfo_l(item, locale), locale);
    return text.empty() ? '\0' : text.front();
}

std::optional<TQRFormatSettings>& Current() {
    static std::optional<TQRFormatSettings> settings;
    return settings;
}

}  // namespace

TQRFormatSettings SystemFormatSettings() {
    TQRFormatSettings settings;
    const locale_t locale = UserLocale();
    if (locale == static_cast<locale_t>(nullptr)) return settings;
    settings.decimalSeparator = Separator(RADIXCHAR, locale, '.');
    if (settings.decimalSeparator == '\0') settings.decimalSeparator = '.';
    settings.thousandSeparator = Separator(THOUSEP, locale, ',');
    if (settings.thousandSeparator == settings.decimalSeparator) settings.thousandSeparator = '\0';
    const std::string_view date = nl_langinfo_l(D_FMT, locale);
    const std::string_view time = nl_langinfo_l(T_FMT, locale);
    if (!date.empty()) settings.shortDateFormat = std::string(date);
    if (!time.empty()) settings.timeFormat = std::string(time);
    return settings;
}

const TQRFormatSettings& FormatSettings() {
    auto& current = Current();
    if (!current) current = SystemFormatSettings();
    return *current;
}

void SetFormatSettings(const TQRFormatSettings& settings) {
    Current() = settings;
}

std::string FormatMoment(const std::string& pattern, const std::tm& moment) {
    if (pattern.empty()) return {};
    const locale_t locale = UserLocale();
    char buffer[256];
    // The pattern is the system's own, not a program text.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const std::size_t length =
        locale == static_cast<locale_t>(nullptr)
            ? std::strftime(buffer, sizeof buffer, pattern.c_str(), &moment)
            : strftime_l(buffer, sizeof buffer, pattern.c_str(), &moment, locale);
#pragma GCC diagnostic pop
    if (locale == static_cast<locale_t>(nullptr)) return std::string(buffer, length);
    return ToCp1251(std::string_view(buffer, length), locale);
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm moment{};
    localtime_r(&now, &moment);
    return moment;
}

std::string TimeText(const std::tm& moment) {
    return FormatMoment(FormatSettings().timeFormat, moment);
}

std::string ShortDateText(const std::tm& moment) {
    return FormatMoment(FormatSettings().shortDateFormat, moment);
}

}  // namespace quillon
