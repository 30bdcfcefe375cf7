#pragma once

#include <string>
#include <string_view>

namespace quillon {

// The device URI scheme of the backend: "quillon:/NAME" forwards every job to the queue NAME
// on the same scheduler (percent-encoded as URIs are).
inline constexpr std::string_view kBackendScheme = "quillon";

// The queue that `deviceUri` forwards to. Raises EBackendError (stop the queue) for a URI of
// another form or a name that no queue can have.
std::string DestinationOf(std::string_view deviceUri);

}  // namespace quillon
