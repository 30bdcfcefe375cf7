#pragma once

#include <ctime>
#include <string>

namespace quillon {

// The system's conventions that expression values follow: the decimal and thousand separators
// of numbers, and the patterns of time and short date texts. They come from the user's locale
// (its settings in the environment, whatever the process locale is), read once on first use;
// tests replace them.
struct TQRFormatSettings {
    char decimalSeparator = '.';
    char thousandSeparator = ',';              // '\0' for none
    std::string shortDateFormat = "%d.%m.%Y";  // strftime patterns
    std::string timeFormat = "%H:%M:%S";
};

// The settings in use.
const TQRFormatSettings& FormatSettings();
// Replaces the settings in use (tests, or a program that wants fixed conventions).
void SetFormatSettings(const TQRFormatSettings& settings);
// The user's locale's settings, separators converted to Windows-1251: a separator the code page
// lacks becomes its nearest equivalent (the no-break space for the spaces some locales group
// digits with).
TQRFormatSettings SystemFormatSettings();
// The same for the locale `name` (as setlocale names locales); the defaults above when there is
// no such locale.
TQRFormatSettings LocaleFormatSettings(const std::string& name);

// A moment formatted with a strftime pattern in the user's locale, as Windows-1251 text.
std::string FormatMoment(const std::string& pattern, const std::tm& moment);
// The current local time, and the current time and date as the system's texts.
std::tm LocalNow();
std::string TimeText(const std::tm& moment);
std::string ShortDateText(const std::tm& moment);

}  // namespace quillon
