#include "tests/output/cups_jobs.h"

#include <cups/cups.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace quillon::testing {

namespace {

std::filesystem::path OutputFolder() {
    const passwd* user = getpwuid(getuid());
    return std::filesystem::path(user != nullptr ? user->pw_dir : "/root") / "PDF";
}

}  // namespace

std::string Command(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

std::string UniqueTitle(const std::string& what) {
    static int counter = 0;
    return "quillon-printer-" + what + "-" + std::to_string(getpid()) + "-" +
           std::to_string(++counter);
}

std::optional<int> JobWithTitle(const std::string& title, const std::string& queue) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs(&jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
    std::optional<int> found;
    for (int i = 0; i < count; ++i) {
        if (title == jobs[i].title) found = jobs[i].id;
    }
    cupsFreeJobs(count, jobs);
    return found;
}

std::string JobAttribute(int job, const std::string& name) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    std::string value;
    if (response != nullptr) {
        if (ipp_attribute_t* attribute = ippFindAttribute(response, name.c_str(), IPP_TAG_ZERO)) {
            char text[256];
            ippAttributeString(attribute, text, sizeof text);
            value = text;
        }
        ippDelete(response);
    }
    return value;
}

std::string WaitForPdf(const std::string& title) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs(&jobs, kPdfQueue, 0, CUPS_WHICHJOBS_ACTIVE);
        bool active = false;
        for (int i = 0; i < count; ++i) active = active || title == jobs[i].title;
        cupsFreeJobs(count, jobs);
        if (!active && std::filesystem::is_directory(OutputFolder())) {
            for (const auto& entry : std::filesystem::directory_iterator(OutputFolder())) {
                const std::string name = entry.path().filename().string();
                if (name.rfind(title, 0) == 0 && entry.path().extension() == ".pdf") {
                    return entry.path().string();
                }
            }
        }
        std::this_thread::sleep_for(100ms);
    }
    return {};
}

std::string WaitForLastPdfOf(const std::string& queue) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs(&jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
        int last = 0;
        bool active = false;
        for (int i = 0; i < count; ++i) {
            active = active || jobs[i].state < IPP_JSTATE_STOPPED;
            if (jobs[i].state == IPP_JSTATE_COMPLETED) last = std::max(last, jobs[i].id);
        }
        cupsFreeJobs(count, jobs);
        const std::string suffix = "-job_" + std::to_string(last) + ".pdf";
        if (!active && last > 0 && std::filesystem::is_directory(OutputFolder())) {
            for (const auto& entry : std::filesystem::directory_iterator(OutputFolder())) {
                const std::string name = entry.path().filename().string();
                if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                    return entry.path().string();
                }
            }
        }
        std::this_thread::sleep_for(100ms);
    }
    return {};
}

std::string MissingPdfQueue() {
    if (Command("lpstat -r 2>/dev/null").find("is running") == std::string::npos)
        return "no CUPS scheduler is running (scripts/with-cups starts one as root)";
    if (Command("lpstat -a " + std::string(kPdfQueue) + " 2>/dev/null").find("accepting") ==
        std::string::npos)
        return "CUPS has no \"PDF\" queue accepting jobs (scripts/with-cups creates one with "
               "CUPS administration rights)";
    return {};
}

bool AddQueue(const std::string& name) {
    // As scripts/with-cups makes the "PDF" queue: PDFs that pass through PostScript by way of
    // cairo keep a text layer that reads as the letters drawn.
    const std::string command = "lpadmin -p '" + name +
                                "' -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd "
                                "-o pdftops-renderer-default=pdftocairo "
                                "-o printer-is-shared=no -o PageSize=A4 >/dev/null 2>&1; echo $?";
    return Command(command) == "0\n";
}

void RemoveQueue(const std::string& name) {
    Command("lpadmin -x '" + name + "' >/dev/null 2>&1");
}

}  // namespace quillon::testing
