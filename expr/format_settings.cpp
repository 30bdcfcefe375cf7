#include "expr/format_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <cwchar>
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

// Characters of the locale's texts that Windows-1251 lacks, with the nearest byte it has. The
// spaces (no-break, narrow no-break, thin, ...) that many locales group digits with become the
// no-break space, so that "1 234 567,50" keeps its groups instead of showing "?".
constexpr struct {
    char32_t from;
    std::uint8_t to;
} kNearestCp1251[] = {
    // clang-format off
    {0x2000, 0xA0}, {0x2001, 0xA0}, {0x2002, 0xA0}, {0x2003, 0xA0},  // en and em quads, spaces
    {0x2004, 0xA0}, {0x2005, 0xA0}, {0x2006, 0xA0}, {0x2007, 0xA0},  // thick to figure space
    {0x2008, 0xA0}, {0x2009, 0xA0}, {0x200A, 0xA0},                  // punctuation, thin, hair
    {0x202F, 0xA0},                                                  // narrow no-break space
    {0x205F, 0xA0},                                                  // medium mathematical
    {0x3000, 0xA0},                                                  // ideographic space
    {0x066B, ','},                                                   // Arabic decimal separator
    {0x066C, '\''},                                                  // Arabic thousands separator
    {0x02BC, '\''},                                                  // modifier letter apostrophe
    // clang-format on
};

// One character of the locale as a Windows-1251 byte: its own, the nearest, or `fallback`.
std::uint8_t NearestCp1251(char32_t code, std::uint8_t fallback) {
    if (code < 0x10000) {
        const std::uint8_t byte = UnicodeToCp1251(static_cast<char16_t>(code), 0);
        if (byte != 0 || code == 0) return byte;
    }
    for (const auto& entry : kNearestCp1251) {
        if (entry.from == code) return entry.to;
    }
    return fallback;
}

// A text of the locale (in the locale's own character set) as Windows-1251; characters it
// cannot hold become their nearest equivalent, or `fallback`.
std::string ToCp1251(std::string_view text, locale_t locale, std::uint8_t fallback = '?') {
    std::string out;
    out.reserve(text.size());
    const locale_t previous = uselocale(locale);
    std::mbstate_t state{};
    while (!text.empty()) {
        wchar_t code = 0;
        const std::size_t length = std::mbrtowc(&code, text.data(), text.size(), &state);
        if (length == 0 || length > text.size()) {  // an invalid or cut sequence: one byte
            out.push_back(static_cast<char>(fallback));
            state = {};
            text.remove_prefix(1);
            continue;
        }
        out.push_back(static_cast<char>(NearestCp1251(static_cast<char32_t>(code), fallback)));
        text.remove_prefix(length);
    }
    uselocale(previous);
    return out;
}

// A separator of the locale as one Windows-1251 byte; '\0' when the locale has none.
char Separator(nl_item item, locale_t locale, std::uint8_t fallback) {
    const std::string text = ToCp1251(nl_langinfo_l(item, locale), locale, fallback);
    return text.empty() ? '\0' : text.front();
}

TQRFormatSettings SettingsOf(locale_t locale) {
    TQRFormatSettings settings;
    if (locale == static_cast<locale_t>(nullptr)) return settings;
    settings.decimalSeparator = Separator(RADIXCHAR, locale, '.');
    if (settings.decimalSeparator == '\0') settings.decimalSeparator = '.';
    settings.thousandSeparator = Separator(THOUSEP, locale, 0xA0);
    if (settings.thousandSeparator == settings.decimalSeparator) settings.thousandSeparator = '\0';
    const std::string_view date = nl_langinfo_l(D_FMT, locale);
    const std::string_view time = nl_langinfo_l(T_FMT, locale);
    if (!date.empty()) settings.shortDateFormat = std::string(date);
    if (!time.empty()) settings.timeFormat = std::string(time);
    return settings;
}

std::optional<TQRFormatSettings>& Current() {
    static std::optional<TQRFormatSettings> settings;
    return settings;
}

}  // namespace

TQRFormatSettings SystemFormatSettings() {
    return LocaleFormatSettings("");
}

TQRFormatSettings LocaleFormatSettings(const std::string& name) {
    const locale_t locale = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) return {};
    const TQRFormatSettings settings = SettingsOf(locale);
    freelocale(locale);
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
