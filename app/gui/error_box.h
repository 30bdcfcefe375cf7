#pragma once

#include <QString>

#include <exception>
#include <string_view>

namespace quillon {

// The message of a failure as the error box shows it, the period rule applied. The program's
// messages are 8-bit: its own texts are ASCII, and messages naming a file or printer carry the
// file system's bytes, so the text is decoded as file names are shown (DisplayFileName): UTF-8
// as it is, anything else as a legacy name.
QString ErrorBoxMessage(std::string_view message);
QString ErrorBoxMessage(const std::exception& error);

}  // namespace quillon
