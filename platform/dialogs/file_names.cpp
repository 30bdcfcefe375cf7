#include "platform/dialogs/file_names.h"

#include <QStringDecoder>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

#include "platform/core/cp1251.h"

namespace quillon {

QString DisplayFileName(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded =
        utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return decoded;
    std::string windows(bytes);
    for (char& c : windows) {
        const auto b = static_cast<unsigned char>(c);
        // The DOS letters sit 64 below their Windows-1251 places.
        if (b >= 128 && b <= 191) c = static_cast<char>(b + 64);
    }
    return QString::fromStdString(Cp1251ToUtf8(windows));
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
