#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/settings/settings_location.h"
#include "platform/core/geometry.h"

namespace quillon {

// The print settings the program remembers between runs, in section "Print" of the settings
// file (SettingsFilePath): the three it always had, and two added later.
struct PrintSettings {
    bool portrait = true;           // "Orientation": exactly "portrait", else landscape
    std::string fontName;           // "Font": empty means "keep the report's face name"
    int fontSize = 10;              // "FontSize": points, applied without a range test
    bool lineDrawing = false;       // "LineDrawing": "1" prints DOS line drawing as lines
    Color fontColor = kBlack;       // "FontColor": "#RRGGBB"; anything else is black
};

// The size in points of a font that names no size (a "FontSize" of 0, a report font of size 0).
inline constexpr double kDesignFontSize = 10;

// The size in points a "FontSize" value prints at, in the program and the command-line tool
// alike. The value is applied as it is, except where it names no font: 0 gives the design size
// (kDesignFontSize), and a negative size is read as a character height in points (as a negative
// font height is), which prints at its magnitude. Sizes past the largest the platform draws are
// limited where text is measured (kLargestFontSize).
double PrintedFontSize(int fontSize);

// The longest face name a font holds; longer "Font" values are cut to it.
inline constexpr std::size_t kMaxFaceNameLength = 31;

// "FontSize" as the runtime reads an integer: blanks, one sign, decimal digits or hexadecimal
// after "$", "x", "X", "0x" or "0X", nothing after; anything else, and any value outside the
// signed 32-bit range, gives `fallback`.
int ParseProfileInteger(std::string_view text, int fallback);

// A colour written as six hexadecimal digits, red, green and blue, after an optional "#" (as
// "FontColor" holds it, and `quillon-cli print --color` takes it); none for anything else.
std::optional<Color> ParseColorText(std::string_view text);

// `color` as "FontColor" holds it: "#RRGGBB".
std::string ColorText(Color color);

// Reads the settings; missing file, section or keys give the defaults. Never fails.
PrintSettings ReadPrintSettings(const std::string& path);

// Writes "Orientation", "Font" and "FontSize", in that order, one key at a time, then
// "LineDrawing" when it is on and "FontColor" when it is not black, each also when the file
// holds it already (a file of a user who never chose either keeps exactly the three original
// keys); raises EIniFileException("Unable to write to <path>") at the first key that cannot
// be written.
void WritePrintSettings(const std::string& path, const PrintSettings& settings);

}  // namespace quillon
