#pragma once

// File names as the file system keeps them: bytes. Most are UTF-8, but names copied from old
// DOS or Windows disks are in an 8-bit code page and are not valid UTF-8; Qt's own file
// classes cannot name those at all. The program therefore keeps every path as its bytes and
// decodes it only to show it.

#include <QString>

#include <string>
#include <string_view>

namespace quillon {

// A name or path as the user sees it (FileNameText): legacy names read as Cyrillic.
QString DisplayFileName(std::string_view bytes);

// The bytes of a name the user typed (UTF-8).
std::string TypedFileName(const QString& text);

// The folder part of a path ("/" for a file in the root, "" for a bare name).
std::string FolderOf(std::string_view path);

// `name` in `folder`; an absolute `name` stands for itself.
std::string JoinPath(std::string_view folder, std::string_view name);

// Whether `path` is a folder / an existing file (following links).
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);

// The user's home folder ($HOME, else the password file's).
std::string HomeFolder();

}  // namespace quillon
