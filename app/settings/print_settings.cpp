#include "app/settings/print_settings.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>

#include "app/settings/profile_file.h"
#include "app/settings/settings_location.h"

namespace quillon {

namespace {

constexpr std::string_view kSection = "Print";
constexpr std::string_view kOrientationKey = "Orientation";
constexpr std::string_view kFontKey = "Font";
constexpr std::string_view kFontSizeKey = "FontSize";
constexpr std::string_view kLineDrawingKey = "LineDrawing";

}  // namespace

double PrintedFontSize(int fontSize) {
    constexpr double kDesignFontSize = 10;
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

PrintSettings ReadPrintSettings(const std::string& path) {
    const ProfileFile file(path);
    PrintSettings settings;
    settings.portrait = file.ReadString(kSection, kOrientationKey, "portrait") == "portrait";
    settings.fontName = file.ReadString(kSection, kFontKey, "");
    if (settings.fontName.size() > kMaxFaceNameLength) settings.fontName.resize(kMaxFaceNameLength);
    settings.fontSize = ParseProfileInteger(file.ReadString(kSection, kFontSizeKey, ""), 10);
    settings.lineDrawing = ParseProfileInteger(file.ReadString(kSection, kLineDrawingKey, ""), 0) != 0;
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
    // No value read from a line can hold a line break: as the fallback it tells an absent key.
    constexpr std::string_view kAbsent = "\n";
    if (settings.lineDrawing || file.ReadString(kSection, kLineDrawingKey, kAbsent) != kAbsent) {
        file.WriteString(kSection, kLineDrawingKey, settings.lineDrawing ? "1" : "0");
    }
}

}  // namespace quillon
