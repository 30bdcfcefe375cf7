#pragma once

#include <string>

#include "preview/widgets/preview_dialogs.h"

namespace quillon {

// The last folder a file dialog was confirmed in, kept in the program's settings file
// ("[Folders] LastFolder"), for the main window's dialogs and the preview's alike. A folder
// that cannot be written is simply not remembered: the user asked for a file, not for this.
class DialogFolderFile : public DialogFolderMemory {
public:
    explicit DialogFolderFile(std::string settingsPath) : path_(std::move(settingsPath)) {}

    std::string LastFolder() override;
    void Remember(const std::string& folder) override;

private:
    std::string path_;
};

}  // namespace quillon
