#pragma once

#include <optional>
#include <string>

namespace quillon {

// What the program remembers of the user's last session besides the print settings, each in
// a section of its own of the settings file: the last folder a file dialog was confirmed in
// ("Folders"), and the preview window's placement ("Preview"). Reading never fails; writing
// raises EIniFileException like the print settings, and keeps every other line.

// The folder (file system bytes) of the last file chosen in a file dialog; empty when none.
std::string ReadLastFolder(const std::string& path);
void WriteLastFolder(const std::string& path, const std::string& folder);

struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
};

// The preview window's last placement; none unless all four numbers are there and the size is
// positive.
std::optional<WindowPlacement> ReadPreviewPlacement(const std::string& path);
void WritePreviewPlacement(const std::string& path, const WindowPlacement& placement);

}  // namespace quillon
