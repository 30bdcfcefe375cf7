#pragma once

#include <string>

#include "preview/widgets/preview_placement.h"

namespace quillon {

// The preview window's placement kept in the program's settings file. A placement that cannot
// be written is simply not remembered: the window is closing and the user asked for nothing.
class PreviewPlacementFile : public PreviewPlacementMemory {
public:
    explicit PreviewPlacementFile(std::string settingsPath) : path_(std::move(settingsPath)) {}

    std::optional<PreviewPlacement> Recall() override;
    void Remember(const PreviewPlacement& placement) override;

private:
    std::string path_;
};

}  // namespace quillon
