#include "app/backend/destination_queue.h"

#include <cups/cups.h>

#include "app/backend/backend_error.h"

namespace quillon {

namespace {

constexpr int kConnectTimeoutMs = 30000;

http_t* Connect() {
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                        kConnectTimeoutMs, nullptr);
}

// What the scheduler's answer means for our job and our queue.
EBackendError Refused(const std::string& queue, const std::string& doing) {
    const ipp_status_t status = cupsLastError();
    const std::string reason = cupsLastErrorString() != nullptr ? cupsLastErrorString() : ippErrorString(status);
    const std::string where = "The destination queue \"" + queue + "\" ";
    switch (status) {
        case IPP_STATUS_ERROR_NOT_FOUND:
            return EBackendError(CUPS_BACKEND_STOP, where + "does not exist (" + reason + ")");
        case IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED:
            return EBackendError(CUPS_BACKEND_STOP, where + "cannot print PDF documents (" + reason + ")");
        case IPP_STATUS_ERROR_FORBIDDEN:
        case IPP_STATUS_ERROR_NOT_AUTHORIZED:
        case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
            return EBackendError(CUPS_BACKEND_STOP, where + "does not let this queue print (" + reason + ")");
        case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        case IPP_STATUS_ERROR_BUSY:
        case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        case IPP_STATUS_ERROR_TEMPORARY:
        case IPP_STATUS_ERROR_INTERNAL:
            return EBackendError(CUPS_BACKEND_RETRY, where + "refused the job for now; it will be tried again (" + reason + ")");
        default:
            return EBackendError(CUPS_BACKEND_FAILED, where + "failed while " + doing + " (" + reason + ")");
    }
}

}  // namespace

DestinationQueue::DestinationQueue(std::string name, Job job) : name_(std::move(name)), job_(std::move(job)) {}

DestinationQueue::~DestinationQueue() {
    if (!finished_) Cancel();
    if (http_ != nullptr) httpClose(http_);
}

void DestinationQueue::Start() {
    http_ = Connect();
    if (http_ == nullptr) {
        throw EBackendError(CUPS_BACKEND_RETRY, std::string("Cannot reach the print scheduler at ") + cupsServer());
    }
    // The job is the user's, not the backend's: the destination shows and accounts it so.
    cupsSetUser(job_.user.c_str());
    cups_option_t* options = nullptr;
    int count = 0;
    if (job_.copies > 1) count = cupsAddOption("copies", std::to_string(job_.copies).c_str(), count, &options);
    for (const auto& [name, value] : job_.options) count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
    // Asked first: creating a job on a missing queue fails with no status that says so.
    if (cups_dest_t* dest = cupsGetNamedDest(http_, name_.c_str(), nullptr)) {
        cupsFreeDests(1, dest);
    } else {
        cupsFreeOptions(count, options);
        throw EBackendError(CUPS_BACKEND_STOP, "The destination queue \"" + name_ + "\" does not exist");
    }
    id_ = cupsCreateJob(http_, name_.c_str(), job_.title.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (id_ == 0) throw Refused(name_, "creating the job");
    if (cupsStartDocument(http_, name_.c_str(), id_, job_.title.c_str(), CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE) {
        throw Refused(name_, "receiving the document");
    }
}

void DestinationQueue::Write(std::string_view data) {
    if (http_ == nullptr) Start();
    if (cupsWriteRequestData(http_, data.data(), data.size()) != HTTP_STATUS_CONTINUE) {
        throw Refused(name_, "receiving the document");
    }
}

int DestinationQueue::Finish() {
    finished_ = true;
    if (http_ == nullptr) return 0;
    if (cupsFinishDocument(http_, name_.c_str()) > IPP_STATUS_OK_CONFLICTING) {
        finished_ = false;
        throw Refused(name_, "receiving the document");
    }
    return id_;
}

void DestinationQueue::Cancel() noexcept {
    finished_ = true;
    if (id_ == 0) return;
    // The job's own connection may be in the middle of a request: cancel on a fresh one.
    if (http_t* http = Connect()) {
        cupsCancelJob2(http, name_.c_str(), id_, 0);
        httpClose(http);
    }
}

}  // namespace quillon
