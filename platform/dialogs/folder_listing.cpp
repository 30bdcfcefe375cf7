#include "platform/dialogs/folder_listing.h"

#include <QRegularExpression>
#include <QString>

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <algorithm>
#include <memory>

#include "platform/dialogs/file_names.h"

namespace quillon {

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return entries;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name.front() == '.') continue;
        FolderEntry item;
        item.name = std::string(name);
        struct stat info {};
        // A link counts as what it points to; a broken one as a file.
        if (::stat(JoinPath(folder, name).c_str(), &info) == 0) {
            item.folder = S_ISDIR(info.st_mode);
            item.size = info.st_size;
            item.modified = QDateTime::fromSecsSinceEpoch(info.st_mtime);
        }
        entries.push_back(std::move(item));
    }
    // By the names as shown, so that legacy names sort among the others.
    std::vector<std::pair<QString, FolderEntry>> shown;
    shown.reserve(entries.size());
    for (FolderEntry& entry : entries)
        shown.emplace_back(DisplayFileName(entry.name), std::move(entry));
    std::sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
        if (a.second.folder != b.second.folder) return a.second.folder;
        const int order = a.first.compare(b.first, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.second.name < b.second.name;
    });
    entries.clear();
    for (auto& [name, entry] : shown) entries.push_back(std::move(entry));
    return entries;
}

bool MatchesPatterns(std::string_view name, const std::vector<std::string>& patterns) {
    const std::string text(name);
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
        return ::fnmatch(pattern.c_str(), text.c_str(), FNM_CASEFOLD) == 0;
    });
}

std::vector<std::string> PatternsOfFilter(const QString& filter) {
    static const QRegularExpression brackets(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    const QRegularExpressionMatch match = brackets.match(filter);
    std::vector<std::string> patterns;
    if (match.hasMatch()) {
        for (const QString& pattern : match.captured(1).split(
                 QRegularExpression(QStringLiteral("[ ;]+")), Qt::SkipEmptyParts))
            patterns.push_back(pattern.toStdString());
    }
    if (patterns.empty()) patterns.emplace_back("*");
    return patterns;
}

}  // namespace quillon
