#pragma once

#include "platform/core/services.h"

namespace quillon {

// Opens web addresses and documents with the desktop's default application.
class QtShell : public Shell {
public:
    // `target` is a URL with a scheme ("https://...", "mailto:...") or a local file path,
    // absolute or relative to the working directory.
    bool Open(const std::string& target) override;
};

}  // namespace quillon
