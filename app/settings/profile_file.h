#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillon {

// A settings file could not be written: "Unable to write to <full path>".
class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One file in the Windows profile ("INI") format: "[Section]" lines followed by
// "Key=Value" lines. Section and key names match without regard to letter case; blanks around
// a value are ignored, as is one pair of matching quotes around it. Every line that a write
// does not change is kept byte for byte, with its own line ending.
class ProfileFile {
public:
    // Longest value a read returns, in bytes.
    static constexpr std::size_t kMaxValueLength = 2047;

    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const noexcept { return path_; }

    // The value of `key` in `section`, or `fallback` when the file, the section or the key is
    // missing. Never fails.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;

    // Sets `key` in `section` to `value`, in place when the key exists, else appended to the
    // section, which is created at the end of the file when absent. The file is replaced only
    // once the new content is completely written, so a failed write keeps every line it held.
    // Raises EIniFileException when the file or its folder cannot be written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    std::string path_;
};

}  // namespace quillon
