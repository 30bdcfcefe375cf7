#include "app/backend/queue_description.h"

#include <cups/ppd.h>

#include <string_view>

namespace quillon {

// The PPD interface of libcups is marked deprecated, yet it is the one way to read a queue's
// driver description, which is where a queue's defaults for driver options live.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

QueueDescription ReadQueueDescription(const char* path) {
    QueueDescription description;
    if (path == nullptr || *path == '\0') return description;
    ppd_file_t* ppd = ppdOpenFile(path);
    if (ppd == nullptr) return description;
    for (ppd_option_t* option = ppdFirstOption(ppd); option != nullptr; option = ppdNextOption(ppd)) {
        const std::string_view keyword = option->keyword;
        if (keyword.substr(0, 8) != "quillon-") continue;
        description.defaults[option->keyword] = option->defchoice;
        if (keyword != "quillon-font") continue;
        for (int i = 0; i < option->num_choices; ++i) {
            description.fontFamilies[option->choices[i].choice] = option->choices[i].text;
        }
    }
    ppdClose(ppd);
    return description;
}

#pragma GCC diagnostic pop

}  // namespace quillon
