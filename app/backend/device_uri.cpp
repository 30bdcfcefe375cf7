#include "app/backend/device_uri.h"

#include <string>

#include "app/backend/backend_error.h"

namespace quillon {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// What the scheduler accepts as a queue name: printable, no blanks, at most 127 bytes, none
// of the characters that have a meaning in its URIs.
bool IsQueueName(std::string_view name) {
    if (name.empty() || name.size() > 127) return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 127) return false;
        if (std::string_view("/\\?'\"#").find(c) != std::string_view::npos) return false;
    }
    return true;
}

}  // namespace

std::string DestinationOf(std::string_view deviceUri) {
    const auto invalid = [&] {
        return EBackendError(CUPS_BACKEND_STOP,
                             "The device URI \"" + std::string(deviceUri) +
                                 "\" does not name a queue; use quillon:/QUEUE");
    };
    const std::string prefix = std::string(kBackendScheme) + ":/";
    if (deviceUri.substr(0, prefix.size()) != prefix) throw invalid();
    std::string_view rest = deviceUri.substr(prefix.size());
    std::string name;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            name += rest[i];
            continue;
        }
        const int high = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(rest[i + 2]) : -1;
        if (low < 0) throw invalid();
        name += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (!IsQueueName(name)) throw invalid();
    return name;
}

}  // namespace quillon
