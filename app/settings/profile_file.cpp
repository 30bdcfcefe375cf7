#include "app/settings/profile_file.h"

#include <cerrno>
#include <climits>
#include <optional>
#include <vector>

#include "platform/files/in_out_error.h"
#include "platform/files/output_file.h"
#include "platform/files/posix_file.h"

namespace quillon {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// One line of the file: its text without the line ending, and the ending itself.
struct ProfileLine {
    std::string_view text;
    std::string_view ending;
};

std::vector<ProfileLine> SplitLines(std::string_view content) {
    std::vector<ProfileLine> lines;
    while (!content.empty()) {
        const auto lf = content.find('\n');
        std::string_view text = lf == std::string_view::npos ? content : content.substr(0, lf);
        std::size_t endingLength = lf == std::string_view::npos ? 0 : 1;
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
            ++endingLength;
        }
        lines.push_back({text, content.substr(text.size(), endingLength)});
        content.remove_prefix(text.size() + endingLength);
    }
    return lines;
}

// The section name of a "[Name]" line.
std::optional<std::string_view> SectionName(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.front() != '[') return std::nullopt;
    const auto close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(text.substr(1, close - 1));
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

KeyValue SplitKeyValue(std::string_view text) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) return {Trim(text), {}};
    return {Trim(text.substr(0, eq)), Trim(text.substr(eq + 1))};
}

// The whole settings file. Only regular files are read: a FIFO would block, a device never end.
std::string ReadWholeFile(const std::string& path) {
    posix::File file = posix::File::OpenForReading(path);
    std::string content;
    char buffer[8192];
    while (const std::size_t n = file.Read(buffer, sizeof buffer)) content.append(buffer, n);
    return content;
}

// The file as a write starts from: empty when there is none. A file that exists but cannot be
// read is not written, since the lines it holds would be lost.
std::string ReadForUpdate(const std::string& path) {
    try {
        return ReadWholeFile(path);
    } catch (const EInOutError& e) {
        if (e.SystemError() == ENOENT) return {};
        throw EIniFileException("Unable to write to " + path);
    }
}

// Where a key of a section stands, or where it would be inserted.
struct KeyPlace {
    bool sectionFound = false;
    std::size_t keyLine = SIZE_MAX;     // index of the key's line
    std::size_t insertAfter = SIZE_MAX; // last non-blank line of the first matching section
};

KeyPlace FindKey(const std::vector<ProfileLine>& lines, std::string_view section,
                 std::string_view key) {
    KeyPlace place;
    bool inSection = false;
    bool firstSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i].text)) {
            inSection = EqualNoCase(*name, section);
            firstSection = inSection && !place.sectionFound;
            if (inSection) {
                place.sectionFound = true;
                if (firstSection) place.insertAfter = i;
            }
            continue;
        }
        if (!inSection) continue;
        if (firstSection && !Trim(lines[i].text).empty()) place.insertAfter = i;
        if (Trim(lines[i].text).empty()) continue;
        if (EqualNoCase(SplitKeyValue(lines[i].text).key, key)) {
            place.keyLine = i;
            return place;
        }
    }
    return place;
}

std::string_view StripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
    std::string content;
    try {
        content = ReadWholeFile(path_);
    } catch (const EInOutError&) {
        return std::string(fallback);
    }
    const auto lines = SplitLines(content);
    const KeyPlace place = FindKey(lines, section, key);
    if (place.keyLine == SIZE_MAX) return std::string(fallback);
    const std::string_view value = StripQuotes(SplitKeyValue(lines[place.keyLine].text).value);
    return std::string(value.substr(0, kMaxValueLength));
}

void ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    const std::string content = ReadForUpdate(path_);
    const auto lines = SplitLines(content);
    // New lines follow the file's own line ending; a new file gets CR LF.
    std::string_view eol = "\r\n";
    if (!lines.empty() && lines.front().ending == "\n") eol = "\n";

    std::string keyLine = std::string(key) + "=" + std::string(value);
    const KeyPlace place = FindKey(lines, section, key);

    std::string result;
    result.reserve(content.size() + keyLine.size() + section.size() + 8);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == place.keyLine) {
            result += keyLine;
            result += lines[i].ending.empty() ? std::string_view() : lines[i].ending;
        } else {
            result += lines[i].text;
            std::string_view ending = lines[i].ending;
            // The line that a new key follows must be terminated.
            if (ending.empty() && place.keyLine == SIZE_MAX &&
                (i == place.insertAfter || (!place.sectionFound && i + 1 == lines.size()))) {
                ending = eol;
            }
            result += ending;
        }
        if (place.keyLine == SIZE_MAX && place.sectionFound && i == place.insertAfter) {
            result += keyLine;
            result += eol;
        }
    }
    if (!place.sectionFound) {
        result += "[";
        result += section;
        result += "]";
        result += eol;
        result += keyLine;
        result += eol;
    }
    try {
        OutputFile file(path_);
        file.Write(result.data(), result.size());
        file.Commit();
    } catch (const EInOutError&) {
        throw EIniFileException("Unable to write to " + path_);
    }
}

}  // namespace quillon
