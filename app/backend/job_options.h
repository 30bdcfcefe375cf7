#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/backend/queue_description.h"

namespace quillon {

// How one job is laid out and delivered: the queue's defaults overridden by the job's own
// options.
struct JobOptions {
    int copies = 1;
    bool landscape = false;
    bool lineDrawing = false;
    bool fit = false;
    std::string font = "Courier New";
    int size = 10;
    // Options for the destination queue's driver, passed on as they came (the pages to
    // print, two-sided printing, paper source, ...).
    std::vector<std::pair<std::string, std::string>> forwarded;
};

inline constexpr int kMaxCopies = 9999;
inline constexpr int kMinFontSize = 4;
inline constexpr int kMaxFontSize = 72;

// Reads the copies argument and the options argument of a backend run (the scheduler's
// "name=value name noname" form) over the queue's defaults. Raises EBackendError (cancel
// the job) for a value the backend cannot use, naming the option.
JobOptions ReadJobOptions(std::string_view copies, std::string_view options,
                          const QueueDescription& queue);

// The command line of the tool's print command that lays out the job from standard input
// and writes the PDF to standard output, stopping after `maxPages` pages. The PDF is titled
// with the job's title (none when it is empty).
std::vector<std::string> LayoutArguments(const JobOptions& options, int maxPages, const std::string& title);

}  // namespace quillon
