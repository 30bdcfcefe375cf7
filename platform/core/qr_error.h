#pragma once

#include <stdexcept>
#include <string>

namespace quillon {

// The report engine's error: one message text ("QRPrinter not ready", "Illegal call to NewPage",
// "Evaluator not prepared", ...).
class EQRError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace quillon
