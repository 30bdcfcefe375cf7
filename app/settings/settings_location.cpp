#include "app/settings/settings_location.h"

#include "app/common/executable_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <climits>
#include <cstdlib>

namespace quillon {

namespace {

constexpr const char* kFileName = "quillon.ini";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Join(const std::string& folder, const char* name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

}  // namespace

std::string SettingsFilePathIn(const SettingsEnvironment& environment) {
    const std::string beside = Join(environment.programFolder, kFileName);
    const bool portable = environment.superUser
                              ? ::access(beside.c_str(), W_OK) == 0
                              : ::access(environment.programFolder.c_str(), W_OK) == 0;
    if (portable) return beside;
    // The XDG base directory rules take absolute paths only; a relative one is ignored.
    const std::string configHome = environment.xdgConfigHome.starts_with('/')
                                       ? environment.xdgConfigHome
                                       : Join(environment.home, ".config");
    return Join(Join(configHome, "quillon"), kFileName);
}

SettingsEnvironment CurrentSettingsEnvironment() {
    SettingsEnvironment environment;
    environment.programFolder = ExecutableFolder();
    environment.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    environment.home = Environment("HOME");
    if (environment.home.empty()) {
        if (const passwd* user = ::getpwuid(::geteuid()); user != nullptr && user->pw_dir)
            environment.home = user->pw_dir;
    }
    environment.superUser = ::geteuid() == 0;
    return environment;
}

std::string SettingsFilePath() {
    return SettingsFilePathIn(CurrentSettingsEnvironment());
}

void PrepareSettingsFolder(const std::string& settingsPath) {
    const auto slash = settingsPath.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return;
    // Each missing level in turn; the per-user folders are private (0700).
    for (std::size_t end = settingsPath.find('/', 1); end != std::string::npos && end <= slash;
         end = settingsPath.find('/', end + 1)) {
        const std::string folder = settingsPath.substr(0, end);
        struct stat info {};
        if (::stat(folder.c_str(), &info) == 0) continue;
        if (::mkdir(folder.c_str(), 0700) != 0) return;
    }
}

}  // namespace quillon
