#pragma once

#include <string>
#include <string_view>

namespace quillon {

// The text of an error box: the message, with a period appended when its last character has
// a higher code than the period.
std::string ErrorBoxText(std::string_view message);

// The program's title from the executable's file name: the name up to its first period, with
// a capital first letter and the others in lower case ("quillon" gives "Quillon").
std::string ProgramTitle(std::string_view executablePath);

}  // namespace quillon
