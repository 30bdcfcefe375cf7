#pragma once

#include <string>

namespace quillon {

// Where "quillon.ini" lives. A copy of the program in a folder the user may write to keeps it
// beside the executable (portable use); an installed copy keeps it per user, in
// $XDG_CONFIG_HOME/quillon/ (by default ~/.config/quillon/), a folder created when the file
// is first written.
struct SettingsEnvironment {
    std::string programFolder;  // folder of the executable, without a trailing slash
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME; empty when unset
    std::string home;           // $HOME, else the user's home folder from the password file
    bool superUser = false;     // the effective user is root
};

// The settings file for `environment`. The program's folder counts when the user may write
// to it; root may write everywhere, so for root it counts only when it holds "quillon.ini"
// already (a system folder such as /usr/bin must not collect files the package does not own).
std::string SettingsFilePathIn(const SettingsEnvironment& environment);

// The environment of this process.
SettingsEnvironment CurrentSettingsEnvironment();

// Full path of the settings file of this process, read afresh each time.
std::string SettingsFilePath();

// Creates the folders of a settings file that does not exist yet, so that the first write
// can create the file; failures are left to that write to report.
void PrepareSettingsFolder(const std::string& settingsPath);

}  // namespace quillon
