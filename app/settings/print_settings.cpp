#include "app/settings/print_settings.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "app/settings/profile_file.h"
#include "app/settings/settings_location.h"

namespace quillon {

namespace {

constexpr std::string_view kSection = "Print";
constexpr std::string_view kOrientationKey = "Orientation";
constexpr std::string_view kFontKey = "Font";
constexpr std::string_view kFontSizeKey = "FontSize";
constexpr std::string_view kLineDrawingKey = "LineDrawing";
constexpr std::string_view kFontColorKey = "FontColor";

// No value read from a line can hold a line break: as the fallback it tells an absent key.
constexpr std::string_view kAbsent = "\n";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

double PrintedFontSize(int fontSize) {
    if (fontSize == 0) return kDesignFontSize;
    return std::fabs(static_cast<double>(fontSize));
}

int ParseProfileInteger(std::string_view text, int fallback) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return fallback;
    // Only digits may follow (from_chars would accept a sign of its own).
    if (text.front() == '+' || text.front() == '-') return fallback;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size()) return fallback;
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    if (magnitude > limit) return fallback;
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<int>(negative ? -value : value);
}

std::optional<Color> ParseColorText(std::string_view text) {
    if (text.starts_with('#')) text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    std::uint8_t channels[3];
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        channels[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return Rgb(channels[0], channels[1], channels[2]);
}

std::string ColorText(Color color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", RedOf(color), GreenOf(color), BlueOf(color));
    return text;
}

PrintSettings ReadPrintSettings(const std::string& path) {
    const ProfileFile file(path);
    PrintSettings settings;
    settings.portrait = file.ReadString(kSection, kOrientationKey, "portrait") == "portrait";
    settings.fontName = file.ReadString(kSection, kFontKey, "");
    if (settings.fontName.size() > kMaxFaceNameLength) settings.fontName.resize(kMaxFaceNameLength);
    settings.fontSize = ParseProfileInteger(file.ReadString(kSection, kFontSizeKey, ""), 10);
    settings.lineDrawing = ParseProfileInteger(file.ReadString(kSection, kLineDrawingKey, ""), 0) != 0;
    settings.fontColor = ParseColorText(file.ReadString(kSection, kFontColorKey, "")).value_or(kBlack);
    return settings;
}

void WritePrintSettings(const std::string& path, const PrintSettings& settings) {
    PrepareSettingsFolder(path);
    ProfileFile file(path);
    file.WriteString(kSection, kOrientationKey, settings.portrait ? "portrait" : "landscape");
    file.WriteString(kSection, kFontKey, settings.fontName);
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, settings.fontSize);
    file.WriteString(kSection, kFontSizeKey, std::string_view(digits, result.ptr - digits));
    if (settings.lineDrawing || file.ReadString(kSection, kLineDrawingKey, kAbsent) != kAbsent) {
        file.WriteString(kSection, kLineDrawingKey, settings.lineDrawing ? "1" : "0");
    }
    if (settings.fontColor != kBlack || file.ReadString(kSection, kFontColorKey, kAbsent) != kAbsent) {
        file.WriteString(kSection, kFontColorKey, ColorText(settings.fontColor));
    }
}

}  // namespace quillon
