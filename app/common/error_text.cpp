#include "app/common/error_text.h"

namespace quillon {

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

std::string ProgramTitle(std::string_view executablePath) {
    const auto slash = executablePath.find_last_of('/');
    std::string_view name =
        slash == std::string_view::npos ? executablePath : executablePath.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    std::string title(name);
    for (std::size_t i = 1; i < title.size(); ++i) {
        if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] - 'A' + 'a');
    }
    // Executables are spelt in lower case on Linux; the title starts with a capital as the
    // program's name does.
    if (!title.empty() && title[0] >= 'a' && title[0] <= 'z') {
        title[0] = static_cast<char>(title[0] - 'a' + 'A');
    }
    return title;
}

}  // namespace quillon
