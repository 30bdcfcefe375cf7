#include "app/backend/backend.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/backend/backend_error.h"
#include "app/backend/destination_queue.h"
#include "app/backend/device_uri.h"
#include "app/backend/job_input.h"
#include "app/backend/job_options.h"
#include "app/backend/queue_description.h"
#include "app/backend/termination.h"
#include "platform/files/temporary_file.h"

namespace quillon {

namespace {

void Message(const char* kind, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kind, text.c_str());
    std::fflush(stderr);
}

// Takes a printer-state reason away again, whatever happens in between.
class StateCleared {
public:
    explicit StateCleared(std::string reason) : reason_(std::move(reason)) {}
    ~StateCleared() { Message("STATE", "-" + reason_); }
    StateCleared(const StateCleared&) = delete;
    StateCleared& operator=(const StateCleared&) = delete;

private:
    std::string reason_;
};

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

int PrintJob(char** argv, const char* file, const LayoutCommand& layout, const JobLimits& limits,
             const TerminationSignal& termination) {
    const char* uri = Environment("DEVICE_URI");
    const std::string destination = DestinationOf(uri != nullptr ? uri : argv[0]);
    if (const char* printer = Environment("PRINTER"); printer != nullptr && destination == printer) {
        throw EBackendError(CUPS_BACKEND_STOP, "The queue forwards to itself; give another queue in its device URI");
    }
    const JobOptions options = ReadJobOptions(argv[4], argv[5], ReadQueueDescription(Environment("PPD")));

    // The scheduler's own temporary folder, in $TMPDIR.
    WorkFolder folder(TemporaryDirectory());
    const JobInput input(file, folder.Path(), limits.inputBytes, termination.Descriptor());
    DestinationQueue queue(destination, {argv[2], argv[3], options.copies, options.forwarded});

    Message("INFO", "Laying out " + std::to_string(input.Size()) + " bytes of DOS text");
    LayoutProcess process(limits, termination);
    bool started = false;
    process.onOutput = [&](std::string_view data) {
        termination.Check();
        if (!started) {
            // The first piece creates the destination job; lpstat shows the wait for it.
            Message("STATE", "+connecting-to-device");
            const StateCleared cleared("connecting-to-device");
            queue.Write(data);
            started = true;
            return;
        }
        queue.Write(data);
    };
    process.onMessage = [](const std::string& line) { Message("DEBUG", "layout: " + line); };
    const LayoutUsage usage = process.Run(layout, LayoutArguments(options, limits.pages, argv[3]), input.Descriptor(), folder.Path());
    rusage self{};
    ::getrusage(RUSAGE_SELF, &self);
    char cost[160];
    std::snprintf(cost, sizeof cost, "layout took %.2f s of processor time and %ld KB at most; the backend %ld KB",
                  usage.cpuSeconds, usage.peakKilobytes, self.ru_maxrss);
    Message("DEBUG", cost);
    termination.Check();
    const int id = queue.Finish();
    if (id == 0) {
        Message("INFO", "Nothing to print");
    } else {
        Message("INFO", "Sent to \"" + destination + "\" as job " + destination + "-" + std::to_string(id));
    }
    return CUPS_BACKEND_OK;
}

}  // namespace

int RunBackend(int argc, char** argv, const LayoutCommand& layout, const JobLimits& limits) {
    if (argc == 1) {
        // Discovery: the URI names no destination, so the administrator completes it.
        std::printf("network %s \"Unknown\" \"Quillon: DOS printer streams to another queue (%s:/QUEUE)\"\n",
                    std::string(kBackendScheme).c_str(), std::string(kBackendScheme).c_str());
        return CUPS_BACKEND_OK;
    }
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return CUPS_BACKEND_FAILED;
    }
    std::signal(SIGPIPE, SIG_IGN);
    TerminationSignal termination;
    try {
        return PrintJob(argv, argc == 7 ? argv[6] : nullptr, layout, limits, termination);
    } catch (const EJobCancelled&) {
        // Every object that held a child, a folder or a destination job has been unwound.
        Message("INFO", "Job cancelled");
        termination.Reraise();
    } catch (const EBackendError& error) {
        if (termination.Received() != 0) termination.Reraise();
        Message("ERROR", error.what());
        return error.Status();
    } catch (const std::exception& error) {
        Message("ERROR", error.what());
        return CUPS_BACKEND_FAILED;
    }
}

}  // namespace quillon
