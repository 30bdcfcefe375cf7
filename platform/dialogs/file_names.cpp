#include "platform/dialogs/file_names.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

#include "platform/core/file_name_text.h"

namespace quillon {

QString DisplayFileName(std::string_view bytes) {
    return QString::fromStdString(FileNameText(bytes));
}

std::string TypedFileName(const QString& text) {
    return text.toStdString();
}

std::string FolderOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return {};
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (name.starts_with('/') || folder.empty()) return std::string(name);
    std::string path(folder);
    if (!path.ends_with('/')) path += '/';
    return path += name;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    if (const passwd* user = ::getpwuid(::geteuid()); user != nullptr && user->pw_dir != nullptr)
        return user->pw_dir;
    return "/";
}

}  // namespace quillon
