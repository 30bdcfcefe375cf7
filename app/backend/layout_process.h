#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/backend/job_limits.h"

namespace quillon {

class TerminationSignal;

// The layout as a command line: it reads the job from standard input, writes the PDF to
// standard output and its messages to standard error, and returns an exit status. In the
// backend this is the command-line tool itself, so a queue lays out exactly as it does.
using LayoutCommand = std::function<int(std::vector<std::string>& arguments)>;

// What a finished layout cost.
struct LayoutUsage {
    double cpuSeconds = 0;
    long peakKilobytes = 0;  // largest resident set
};

// Runs layouts in a child process each, bounded by the job limits: processor time, address
// space and file size by resource limits, pages by the command line, and the time it takes
// by a deadline. The child dies with the backend.
class LayoutProcess {
public:
    LayoutProcess(const JobLimits& limits, const TerminationSignal& termination)
        : limits_(limits), termination_(termination) {}
    LayoutProcess(const LayoutProcess&) = delete;
    LayoutProcess& operator=(const LayoutProcess&) = delete;

    // Each piece of the PDF as it comes.
    std::function<void(std::string_view)> onOutput;
    // Each line the layout writes to standard error.
    std::function<void(const std::string&)> onMessage;

    // Runs `command` with `input` as standard input and `folder` as its temporary and home
    // folder, and returns once it has ended well. Raises EBackendError (cancel the job) when
    // it fails or goes over a limit, EJobCancelled when a termination signal comes; the
    // child is killed and reaped before either leaves.
    LayoutUsage Run(const LayoutCommand& command, std::vector<std::string> arguments, int input,
                    const std::string& folder);

    // The exit status of a layout that ran out of memory.
    static constexpr int kOutOfMemoryStatus = 86;
    // The tool's exit status for a wrong command line, which it explains on its first line.
    static constexpr int kUsageStatus = 2;

private:
    JobLimits limits_;
    const TerminationSignal& termination_;  // not owned
};

}  // namespace quillon
