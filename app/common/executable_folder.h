#pragma once

#include <string>

namespace quillon {

// The folder of the running executable (symbolic links resolved), without a trailing slash
// except for the root; "." when it cannot be told.
std::string ExecutableFolder();

}  // namespace quillon
