#pragma once

#include <cups/backend.h>

#include <stdexcept>
#include <string>

namespace quillon {

// A job the backend cannot deliver: the text of its "ERROR:" line and the exit status that
// tells the scheduler what to do next (cancel the job, retry it later, stop the queue).
class EBackendError : public std::runtime_error {
public:
    EBackendError(cups_backend_t status, const std::string& message)
        : std::runtime_error(message), status_(status) {}

    cups_backend_t Status() const { return status_; }

private:
    cups_backend_t status_;
};

}  // namespace quillon
