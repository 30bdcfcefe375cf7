#include "tests/output/cups_jobs.h"

#include <cups/cups.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

namespace quillon::testing {

namespace {

std::filesystem::path OutputFolder() {
    const passwd* user = getpwuid(getuid());
    return std::filesystem::path(user != nullptr ? user->pw_dir : "/root") / "PDF";
}

// The PDFs cups-pdf wrote for this process's jobs, removed when it ends: they are read while
// the test runs, and a test run must not fill the user's PDF folder.
class PrintedPdfs {
public:
    ~PrintedPdfs() {
        std::error_code ignored;
        for (const std::string& pdf : pdfs_) std::filesystem::remove(pdf, ignored);
    }
    const std::string& Add(const std::string& pdf) {
        if (std::find(pdfs_.begin(), pdfs_.end(), pdf) == pdfs_.end()) pdfs_.push_back(pdf);
        return pdf;
    }

private:
    std::vector<std::string> pdfs_;
};

const std::string& RemovedAtExit(const std::string& pdf) {
    static PrintedPdfs pdfs;
    return pdfs.Add(pdf);
}

// The PDF in cups-pdf's output folder whose file name `matches`, removed when the process ends;
// empty when there is none.
std::string PdfNamed(const std::function<bool(const std::filesystem::path& name)>& matches) {
    if (!std::filesystem::is_directory(OutputFolder())) return {};
    for (const auto& entry : std::filesystem::directory_iterator(OutputFolder())) {
        if (matches(entry.path().filename())) return RemovedAtExit(entry.path().string());
    }
    return {};
}

// The scheduler's cache folder (CacheDir of its cups-files.conf).
std::filesystem::path SchedulerCacheFolder() {
    std::ifstream conf("/etc/cups/cups-files.conf");
    std::string line;
    while (std::getline(conf, line)) {
        if (line.rfind("CacheDir ", 0) == 0) return line.substr(9);
    }
    return "/var/cache/cups";
}

}  // namespace

std::string Command(const std::string& command) {
    return CommandOutput(command);
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
        if (!active) {
            const std::string pdf = PdfNamed([&](const std::filesystem::path& name) {
                return name.string().rfind(title, 0) == 0 && name.extension() == ".pdf";
            });
            if (!pdf.empty()) return pdf;
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
        if (!active && last > 0) {
            const std::string pdf = PdfNamed([&](const std::filesystem::path& name) {
                return name.string().size() > suffix.size() && name.string().ends_with(suffix);
            });
            if (!pdf.empty()) return pdf;
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
    // The scheduler leaves the strings file of a deleted queue in its cache; the queue was the
    // test's, and so is the file.
    if (!QueueExists(name)) {
        std::error_code ignored;
        std::filesystem::remove(SchedulerStringsFile(name), ignored);
    }
}

bool QueueExists(const std::string& name) {
    return Command("lpstat -p '" + name + "' >/dev/null 2>&1; echo $?") == "0\n";
}

std::string SchedulerStringsFile(const std::string& queue) {
    return (SchedulerCacheFolder() / (queue + ".strings")).string();
}

}  // namespace quillon::testing
