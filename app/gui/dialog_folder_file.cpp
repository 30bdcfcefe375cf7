#include "app/gui/dialog_folder_file.h"

#include <exception>

#include "app/settings/session_settings.h"

namespace quillon {

std::string DialogFolderFile::LastFolder() {
    return ReadLastFolder(path_);
}

void DialogFolderFile::Remember(const std::string& folder) {
    try {
        WriteLastFolder(path_, folder);
    } catch (const std::exception&) {
        // Not remembered; the next dialog opens elsewhere.
    }
}

}  // namespace quillon
