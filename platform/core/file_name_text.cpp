#include "platform/core/file_name_text.h"

#include "platform/core/cp1251.h"

namespace quillon {

bool IsValidUtf8(std::string_view text) noexcept {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        if (length == 0 || i + length > text.size()) return false;
        // The second byte's range rules out overlong forms, surrogates and values past U+10FFFF.
        const unsigned char second = byte(i + 1);
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high) return false;
        for (std::size_t k = 2; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

std::string FileNameText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string windows(bytes);
    for (char& c : windows) {
        const auto b = static_cast<unsigned char>(c);
        // The DOS letters sit 64 below their Windows-1251 places.
        if (b >= 128 && b <= 191) c = static_cast<char>(b + 64);
    }
    return Cp1251ToUtf8(windows);
}

std::string FileNameOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace quillon
