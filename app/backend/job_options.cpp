#include "app/backend/job_options.h"

#include <cups/cups.h>

#include <array>
#include <charconv>
#include <strings.h>

#include "app/backend/backend_error.h"

namespace quillon {

namespace {

// Options of the job that the destination's own driver carries out on the laid-out pages (as
// it makes the copies). The rest either shape our layout or describe the job itself.
constexpr std::array<std::string_view, 7> kForwardedOptions = {
    "page-ranges", "sides", "number-up", "output-bin", "media-source", "print-quality",
    "multiple-document-handling",
};

EBackendError BadValue(std::string_view option, std::string_view value, std::string_view wanted) {
    return EBackendError(CUPS_BACKEND_CANCEL, "The option " + std::string(option) + "=\"" +
                                                  std::string(value) + "\" is not " +
                                                  std::string(wanted));
}

bool ParseNumber(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

int ParseInteger(std::string_view option, std::string_view value, int low, int high) {
    int number = 0;
    if (!ParseNumber(value, number) || number < low || number > high) {
        throw BadValue(option, value,
                       "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    }
    return number;
}

bool ParseBoolean(std::string_view option, const std::string& value) {
    for (const char* yes : {"true", "yes", "on"}) {
        if (strcasecmp(value.c_str(), yes) == 0) return true;
    }
    for (const char* no : {"false", "no", "off"}) {
        if (strcasecmp(value.c_str(), no) == 0) return false;
    }
    throw BadValue(option, value, "true or false");
}

void Apply(JobOptions& job, const std::string& name, const std::string& value,
           const QueueDescription& queue) {
    if (name == "quillon-line-drawing") {
        job.lineDrawing = ParseBoolean(name, value);
    } else if (name == "quillon-fit") {
        job.fit = ParseBoolean(name, value);
    } else if (name == "quillon-size") {
        job.size = ParseInteger(name, value, kMinFontSize, kMaxFontSize);
    } else if (name == "quillon-font") {
        const auto family = queue.fontFamilies.find(value);
        job.font = family != queue.fontFamilies.end() ? family->second : value;
        if (job.font.empty() || job.font.size() > 64) throw BadValue(name, value, "a font name");
    } else if (name == "orientation-requested") {
        // Reverse portrait and reverse landscape lay out as their upright forms.
        const int orientation = ParseInteger(name, value, IPP_ORIENT_PORTRAIT, IPP_ORIENT_REVERSE_PORTRAIT);
        job.landscape = orientation == IPP_ORIENT_LANDSCAPE || orientation == IPP_ORIENT_REVERSE_LANDSCAPE;
    } else if (name == "landscape") {
        job.landscape = ParseBoolean(name, value);
    } else if (name.rfind("quillon-", 0) == 0) {
        // A misspelt option of ours would otherwise print the job without it.
        throw EBackendError(CUPS_BACKEND_CANCEL,
                            "Unknown option " + name + "; the options are quillon-line-drawing, "
                            "quillon-fit, quillon-font and quillon-size");
    } else {
        for (const std::string_view forwarded : kForwardedOptions) {
            if (name == forwarded) job.forwarded.emplace_back(name, value);
        }
    }
}

}  // namespace

JobOptions ReadJobOptions(std::string_view copies, std::string_view options,
                          const QueueDescription& queue) {
    JobOptions job;
    job.copies = ParseInteger("copies", copies, 1, kMaxCopies);
    for (const auto& [name, value] : queue.defaults) Apply(job, name, value, queue);

    cups_option_t* parsed = nullptr;
    const std::string text(options);
    const int count = cupsParseOptions(text.c_str(), 0, &parsed);
    try {
        for (int i = 0; i < count; ++i) Apply(job, parsed[i].name, parsed[i].value, queue);
    } catch (...) {
        cupsFreeOptions(count, parsed);
        throw;
    }
    cupsFreeOptions(count, parsed);
    return job;
}

std::vector<std::string> LayoutArguments(const JobOptions& options, int maxPages, const std::string& title) {
    std::vector<std::string> arguments = {"quillon-cli", "print", "-", "--pdf", "-",
                                          "--font", options.font, "--size", std::to_string(options.size),
                                          "--max-pages", std::to_string(maxPages)};
    if (options.landscape) arguments.emplace_back("--landscape");
    if (options.lineDrawing) arguments.emplace_back("--line-drawing");
    // Off means off: the tool would otherwise fit a stream that selects condensed print.
    arguments.emplace_back(options.fit ? "--fit" : "--no-fit");
    if (!title.empty()) arguments.insert(arguments.end(), {"--title", title});
    return arguments;
}

}  // namespace quillon
