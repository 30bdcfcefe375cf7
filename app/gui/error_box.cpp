#include "app/gui/error_box.h"

#include <string>

#include "app/common/error_text.h"
#include "platform/dialogs/file_names.h"

namespace quillon {

QString ErrorBoxMessage(std::string_view message) {
    return DisplayFileName(ErrorBoxText(message));
}

QString ErrorBoxMessage(const std::exception& error) {
    return ErrorBoxMessage(std::string_view(error.what()));
}

}  // namespace quillon
