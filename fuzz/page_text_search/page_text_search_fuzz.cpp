// Text search over untrusted page pictures (a loaded report file's pages): it never reads
// outside a record, and a search without letter case finds everything a search with it finds.
//
// Input: one byte of flags, one byte giving the search text's length, the text, then the
// picture's bytes.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/page_picture.h"
#include "preview/core/page_text_search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon;
    if (size < 2) return 0;
    const std::size_t textLength = data[1] % 32;
    if (size < 2 + textLength) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 2), textLength);
    std::unique_ptr<PagePicture> picture;
    try {
        picture =
            PagePicture::FromBytes(std::vector<std::uint8_t>(data + 2 + textLength, data + size));
    } catch (const EInvalidPicture&) {
        return 0;
    }
    const bool exact = PageContainsText(text, *picture, true);
    const bool folded = PageContainsText(text, *picture, false);
    if (exact && !folded) std::abort();
    if (text.empty() && (exact || folded)) std::abort();
    return 0;
}
