#pragma once

#include <string>

#include "platform/core/byte_stream.h"

namespace quillon {

// Stored pages that cannot be read back: a file that is not a report file, or whose page
// records are damaged (a broken chain, an offset outside the file, an impossible length, a
// compressed picture that holds no valid code).
class EDamagedReport : public EStreamError {
public:
    explicit EDamagedReport(const std::string& detail)
        : EStreamError("Damaged report file: " + detail) {}
};

}  // namespace quillon
