#include "preview/core/page_text_search.h"

#include <algorithm>
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

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) |
           (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

char16_t Folded(char16_t c, bool matchCase) {
    return matchCase ? c : UnicodeUpperCase(c);
}

// The characters of a text-output record, folded to capitals unless `matchCase`; false when
// the record's count or offset do not fit its bytes.
bool RecordText(std::uint32_t type, std::span<const std::uint8_t> record, bool matchCase,
                std::u16string& out) {
    out.clear();
    if (record.size() < kTextRecordMinimum) return false;
    const std::uint64_t count = U32(record, kCharCountAt);
    const std::uint64_t offset = U32(record, kStringOffsetAt);
    const std::uint64_t charSize = type == kExtTextOutW ? 2 : 1;
    if (offset > record.size() || count * charSize > record.size() - offset) return false;
    out.reserve(count);
    const std::uint8_t* p = record.data() + offset;
    for (std::uint64_t i = 0; i < count; ++i) {
        const char16_t c = type == kExtTextOutW ? static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8))
                                                : Cp1251ToUnicode(p[i]);
        out.push_back(Folded(c, matchCase));
    }
    return true;
}

bool busy = false;

}  // namespace

bool PageContainsText(std::string_view text, const PagePicture& picture, bool matchCase) {
    return PageContainsText(DecodeCp1251(text), picture, matchCase);
}

bool PageContainsText(std::u16string_view text, const PagePicture& picture, bool matchCase) {
    if (text.empty()) return false;
    std::u16string wanted;
    wanted.reserve(text.size());
    for (const char16_t c : text) wanted.push_back(Folded(c, matchCase));
    bool found = false;
    std::u16string units;
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
    std::u16string_view text, bool matchCase, int pageCount,
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
