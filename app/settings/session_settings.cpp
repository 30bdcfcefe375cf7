#include "app/settings/session_settings.h"

#include <string_view>

#include "app/settings/print_settings.h"
#include "app/settings/profile_file.h"

namespace quillon {

namespace {

constexpr std::string_view kFolders = "Folders";
constexpr std::string_view kLastFolder = "LastFolder";
constexpr std::string_view kPreview = "Preview";
constexpr std::string_view kLeft = "Left";
constexpr std::string_view kTop = "Top";
constexpr std::string_view kWidth = "Width";
constexpr std::string_view kHeight = "Height";
constexpr std::string_view kMaximized = "Maximized";

// A number that is not in the file reads as this, which no placement uses.
constexpr int kAbsent = -2147483647 - 1;

}  // namespace

std::string ReadLastFolder(const std::string& path) {
    return ProfileFile(path).ReadString(kFolders, kLastFolder, "");
}

void WriteLastFolder(const std::string& path, const std::string& folder) {
    PrepareSettingsFolder(path);
    ProfileFile(path).WriteString(kFolders, kLastFolder, folder);
}

std::optional<WindowPlacement> ReadPreviewPlacement(const std::string& path) {
    const ProfileFile file(path);
    const auto number = [&](std::string_view key) {
        return ParseProfileInteger(file.ReadString(kPreview, key, ""), kAbsent);
    };
    WindowPlacement placement{number(kLeft), number(kTop), number(kWidth), number(kHeight),
                              number(kMaximized) == 1};
    if (placement.left == kAbsent || placement.top == kAbsent || placement.width <= 0 ||
        placement.height <= 0) {
        return std::nullopt;
    }
    return placement;
}

void WritePreviewPlacement(const std::string& path, const WindowPlacement& placement) {
    PrepareSettingsFolder(path);
    ProfileFile file(path);
    file.WriteString(kPreview, kLeft, std::to_string(placement.left));
    file.WriteString(kPreview, kTop, std::to_string(placement.top));
    file.WriteString(kPreview, kWidth, std::to_string(placement.width));
    file.WriteString(kPreview, kHeight, std::to_string(placement.height));
    file.WriteString(kPreview, kMaximized, placement.maximized ? "1" : "0");
}

}  // namespace quillon
