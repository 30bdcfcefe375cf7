#pragma once

#include <QDateTime>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// One entry of a folder, its name as the file system's bytes.
struct FolderEntry {
    std::string name;
    bool folder = false;
    std::int64_t size = 0;
    QDateTime modified;
};

// The entries of `folder` read straight from the file system, so that every name is there,
// whatever its encoding: sub-folders first, then files, each by name without regard to case.
// Hidden entries (a leading period), "." and ".." are left out. An unreadable folder lists
// nothing.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// Whether `name` matches one of `patterns` ("*.txt", "*"), letters in any case, as DOS names
// are often in capitals.
bool MatchesPatterns(std::string_view name, const std::vector<std::string>& patterns);

// The patterns of a filter description "Text files (*.txt *.TXT)"; "*" when it has none.
std::vector<std::string> PatternsOfFilter(const QString& filter);

}  // namespace quillon
