#pragma once

// Text search in recorded pages: which pages hold a text inside one of their text records.
// Qt-free, so that it runs (and is fuzzed) on untrusted page pictures without a window system.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class PagePicture;

// True when `text` occurs as a whole inside one text-output record of `picture`. Characters
// are compared as Unicode: those of 16-bit records as they are (so line drawing and other
// characters outside Windows-1251 are found too), those of 8-bit records read as
// Windows-1251. Without `matchCase` both sides are compared in capitals, Latin and Cyrillic.
// An empty text matches nothing; a phrase split over two records is not found. Records whose
// character count or string offset do not fit the record are skipped.
bool PageContainsText(std::u16string_view text, const PagePicture& picture, bool matchCase);
// The same for a Windows-1251 text.
bool PageContainsText(std::string_view text, const PagePicture& picture, bool matchCase);

// The state all searches share: one search runs at a time. A search holds the flag while it
// runs; a second search that starts meanwhile is refused rather than waited for.
class SearchBusyFlag {
public:
    SearchBusyFlag();
    ~SearchBusyFlag();
    SearchBusyFlag(const SearchBusyFlag&) = delete;
    SearchBusyFlag& operator=(const SearchBusyFlag&) = delete;

    // False when another search held the flag already.
    bool Held() const { return held_; }
    static bool Busy();

private:
    bool held_;
};

// Looks through pages 1..pageCount for `text`. `pageAt` gives a page's picture, or none for a
// page that is not stored yet (skipped). `between`, when set, runs between two pages (to let
// the window breathe) and stops the search by answering false. Answers the matching page
// numbers in order, or none when another search is running or `between` stopped this one.
std::optional<std::vector<int>> SearchPages(
    std::u16string_view text, bool matchCase, int pageCount,
    const std::function<std::unique_ptr<PagePicture>(int page)>& pageAt,
    const std::function<bool()>& between = {});

}  // namespace quillon
