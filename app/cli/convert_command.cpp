#include "app/cli/convert_command.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <optional>
#include <thread>
#include <unordered_map>

#include "app/cli/cli_text.h"
#include "app/transcode/text_file.h"
#include "platform/core/file_name_text.h"
#include "platform/files/posix_file.h"

namespace quillon::cli {

namespace {

struct ConvertRequest {
    ConvertOptions options;
    std::string folder;              // -d: the folder the files are written into
    std::vector<std::string> files;  // the input and output, or (with -d) the inputs
};

ConvertRequest ParseConvert(const std::vector<std::string>& args) {
    ConvertRequest request;
    std::optional<LineEnd> lineEnd;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError("convert", a + " needs a value");
            return args[++i];
        };
        if (a == "--to") {
            const std::string& to = value();
            if (to == "utf-8" || to == "utf8" || to == "UTF-8") {
                request.options.encoding = TextEncoding::kUtf8;
            } else if (to == "cp1251" || to == "windows-1251") {
                request.options.encoding = TextEncoding::kCp1251;
            } else {
                throw UsageError("convert", "--to takes cp1251 or utf-8, not \"" + to + "\"");
            }
        } else if (a == "--eol") {
            const std::string& eol = value();
            if (eol == "lf") {
                lineEnd = LineEnd::kLf;
            } else if (eol == "crlf") {
                lineEnd = LineEnd::kCrLf;
            } else {
                throw UsageError("convert", "--eol takes lf or crlf, not \"" + eol + "\"");
            }
        } else if (a == "-d") {
            request.folder = value();
            if (request.folder.empty()) throw UsageError("convert", "-d needs a folder name");
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("convert", "unknown option \"" + a + "\"");
        } else if (a.empty()) {
            // The failure of an empty name would be reported under the other file's.
            throw UsageError("convert", "a file name is empty");
        } else {
            request.files.push_back(a);
        }
    }
    // UTF-8 is for Linux tools, which end lines in LF; the Windows code page keeps CR LF.
    request.options.lineEnd = lineEnd.value_or(
        request.options.encoding == TextEncoding::kUtf8 ? LineEnd::kLf : LineEnd::kCrLf);
    if (request.folder.empty()) {
        if (request.files.size() != 2)
            throw UsageError("convert", "convert needs an input and an output file");
    } else {
        if (request.files.empty()) throw UsageError("convert", "-d needs at least one file");
        if (std::find(request.files.begin(), request.files.end(), kStandardStream) !=
            request.files.end()) {
            throw UsageError("convert", "standard input has no name to write into a folder");
        }
    }
    return request;
}

// Converts one file; answers the failure's message, or nothing.
std::optional<std::string> ConvertOne(const std::string& input, const std::string& output,
                                      const ConvertOptions& options) {
    try {
        ConvertTextFile(input, output, options);
        return std::nullopt;
    } catch (const EInOutError& error) {
        return FailureText(error.Path().empty() ? input : error.Path(), error.what());
    } catch (const std::exception& error) {
        return FailureText(input, error.what());
    }
}

// Which files of a folder conversion are converted. Files of one name in different folders
// would be written into the same output at once, the bytes of one over the other's: only the
// first is converted and each other one fails. The same file named twice is converted once.
std::vector<bool> ClaimOutputNames(const ConvertRequest& request,
                                   std::vector<std::optional<std::string>>& failures) {
    std::vector<bool> converted(request.files.size(), true);
    std::unordered_map<std::string, std::size_t> claimed;  // output name -> its first file
    for (std::size_t i = 0; i < request.files.size(); ++i) {
        const std::string& input = request.files[i];
        const auto [first, isNew] = claimed.emplace(FileNameOf(input), i);
        if (isNew) continue;
        converted[i] = false;
        const std::string& other = request.files[first->second];
        struct stat a {};
        struct stat b {};
        const bool same = ::stat(input.c_str(), &a) == 0 && ::stat(other.c_str(), &b) == 0 &&
                          posix::SameFile(a, b);
        if (!same) {
            failures[i] = FailureText(input, "Not converted: " + request.folder + "/" +
                                                 first->first + " is written from " + other);
        }
    }
    return converted;
}

}  // namespace

int RunConvert(const std::vector<std::string>& args) {
    const ConvertRequest request = ParseConvert(args);
    if (request.folder.empty()) {
        const auto failure = ConvertOne(request.files[0], request.files[1], request.options);
        if (failure) std::fprintf(stderr, "%s\n", failure->c_str());
        return failure ? 1 : 0;
    }

    // Several files: each thread takes the next file until none is left.
    const std::size_t count = request.files.size();
    std::vector<std::optional<std::string>> failures(count);
    const std::vector<bool> converted = ClaimOutputNames(request, failures);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            if (!converted[i]) continue;
            const std::string& input = request.files[i];
            failures[i] =
                ConvertOne(input, request.folder + "/" + FileNameOf(input), request.options);
        }
    };
    const std::size_t threads =
        std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers) helper.join();

    int status = 0;
    for (const auto& failure : failures) {
        if (failure) {
            std::fprintf(stderr, "%s\n", failure->c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace quillon::cli
