#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/files/line_store.h"

namespace quillon::testing {

// Every line of a store, copied out, for comparing with expected lines.
inline std::vector<std::string> Strings(const LineStore& store) {
    std::vector<std::string> lines;
    lines.reserve(store.size());
    for (const std::string_view line : store) lines.emplace_back(line);
    return lines;
}

}  // namespace quillon::testing
