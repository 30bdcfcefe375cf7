#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/files/posix_file.h"

namespace quillon {

// The folder for temporary files: $TMPDIR when set, else /tmp.
std::string TemporaryDirectory();

// A new file in `directory` that has no name: only the returned descriptor (open for reading
// and writing) reaches it, only its owner may open it (0600), and the system frees it when the
// descriptor closes, however the process ends. A file system that cannot make unnamed files
// gets a file named `prefix` and a unique suffix, unlinked as soon as it is open. Raises
// EInOutError; its code is that of `directory`/`prefix`.
posix::File CreateUnnamedFile(const std::string& directory, std::string_view prefix);

// A new file in `directory`, open for `access` (O_RDWR or O_WRONLY), that only its owner may
// open (0600). With `unnamed` it has no name where the file system can make such files (and
// tests do not forbid them); otherwise it is named `prefix` and six random characters, and
// `named` runs with that name while SIGTERM, SIGINT and SIGHUP are held back, so that the name
// can be unlinked or registered for removal before any of them acts. Raises EInOutError for
// `nameForErrors`.
posix::File CreatePrivateFile(const std::string& directory, std::string_view prefix, int access,
                              bool unnamed, const std::function<void(const std::string&)>& named,
                              const std::string& nameForErrors);

// A name in `directory` that starts with `prefix` and ends in six random letters and digits.
std::string RandomName(const std::string& directory, std::string_view prefix);

// For tests: while forced, every temporary file is made as on file systems without unnamed
// files.
void ForceNamedTemporaryFilesForTesting(bool force) noexcept;

}  // namespace quillon
