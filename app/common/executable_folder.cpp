#include "app/common/executable_folder.h"

#include <unistd.h>

#include <climits>

namespace quillon {

std::string ExecutableFolder() {
    std::string exe(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    if (n <= 0) return ".";
    exe.resize(static_cast<std::size_t>(n));
    const auto slash = exe.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

}  // namespace quillon
