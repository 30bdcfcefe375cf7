#include "preview/core/page_text_search.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "platform/core/cp1251.h"
#include "platform/core/page_picture.h"

namespace quillon {

namespace {

constexpr std::uint32_t kExtTextOutA = 83;
constexpr std::uint32_t kExtTextOutW = 84;
constexpr std::size_t kCharCountAt = 44;
constexpr std::size_t kStringOffsetAt = 48;
constexpr std::size_t kTextRecordMinimum = kStringOffsetAt + 4;

// A character of a record as the search compares it: a Windows-1251 byte, or kNoByte for a
// character the code page lacks, which equals no byte of a search text.
constexpr std::int16_t kNoByte = -1;

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) |
           (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

// Windows-1251 byte of every UTF-16 code unit; built once from the code page's own table
// (a linear lookup per character would be too slow for a search over thousands of pages).
const std::array<std::int16_t, 65536>& UnicodeToByteTable() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<std::int16_t, 65536>>();
        t->fill(kNoByte);
        for (int b = 0; b < 256; ++b) {
            const char16_t ch = Cp1251ToUnicode(static_cast<std::uint8_t>(b));
            if (UnicodeToCp1251(ch, 0) == b) (*t)[ch] = static_cast<std::int16_t>(b);
        }
        return t;
    }();
    return *table;
}

// The characters of a text-output record as comparable units, folded to capitals unless
// `matchCase`; false when the record's count or offset do not fit its bytes.
bool RecordText(std::uint32_t type, std::span<const std::uint8_t> record, bool matchCase,
                std::vector<std::int16_t>& out) {
    out.clear();
    if (record.size() < kTextRecordMinimum) return false;
    const std::uint64_t count = U32(record, kCharCountAt);
    const std::uint64_t offset = U32(record, kStringOffsetAt);
    const std::uint64_t charSize = type == kExtTextOutW ? 2 : 1;
    if (offset > record.size() || count * charSize > record.size() - offset) return false;
    out.reserve(count);
    const std::uint8_t* p = record.data() + offset;
    if (type == kExtTextOutW) {
        const auto& table = UnicodeToByteTable();
        for (std::uint64_t i = 0; i < count; ++i) {
            const auto ch = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
            out.push_back(table[ch]);
        }
    } else {
        for (std::uint64_t i = 0; i < count; ++i) out.push_back(p[i]);
    }
    if (!matchCase) {
        for (std::int16_t& unit : out) {
            if (unit != kNoByte) unit = UpperCp1251(static_cast<std::uint8_t>(unit));
        }
    }
    return true;
}

bool busy = false;

}  // namespace

bool PageContainsText(std::string_view text, const PagePicture& picture, bool matchCase) {
    if (text.empty()) return false;
    std::vector<std::int16_t> wanted;
    wanted.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        wanted.push_back(matchCase ? byte : UpperCp1251(byte));
    }
    bool found = false;
    std::vector<std::int16_t> units;
    picture.EnumerateRecords([&](std::uint32_t type, std::span<const std::uint8_t> record) {
        if (type != kExtTextOutA && type != kExtTextOutW) return true;
        if (!RecordText(type, record, matchCase, units)) return true;
        found =
            std::search(units.begin(), units.end(), wanted.begin(), wanted.end()) != units.end();
        return !found;
    });
    return found;
}

SearchBusyFlag::SearchBusyFlag() : held_(!busy) {
    if (held_) busy = true;
}

SearchBusyFlag::~SearchBusyFlag() {
    if (held_) busy = false;
}

bool SearchBusyFlag::Busy() {
    return busy;
}

std::optional<std::vector<int>> SearchPages(
    std::string_view text, bool matchCase, int pageCount,
    const std::function<std::unique_ptr<PagePicture>(int page)>& pageAt,
    const std::function<bool()>& between) {
    const SearchBusyFlag flag;
    if (!flag.Held()) return std::nullopt;
    std::vector<int> pages;
    for (int page = 1; page <= pageCount; ++page) {
        if (page > 1 && between && !between()) return std::nullopt;
        const std::unique_ptr<PagePicture> picture = pageAt(page);
        if (picture && PageContainsText(text, *picture, matchCase)) pages.push_back(page);
    }
    return pages;
}

}  // namespace quillon
