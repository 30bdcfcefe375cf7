#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

typedef struct _http_s http_t;

namespace quillon {

// The job on the destination queue that prints the laid-out PDF with that queue's own driver.
// Nothing reaches the destination until the first write, so a job whose layout fails leaves
// no trace there; a job that is not finished is cancelled.
class DestinationQueue {
public:
    struct Job {
        std::string user;   // who the job is printed for
        std::string title;
        int copies = 1;
        std::vector<std::pair<std::string, std::string>> options;
    };

    // The queue `name` of the scheduler that $CUPS_SERVER (or the client configuration) names,
    // which is the scheduler that runs the backend.
    DestinationQueue(std::string name, Job job);
    ~DestinationQueue();
    DestinationQueue(const DestinationQueue&) = delete;
    DestinationQueue& operator=(const DestinationQueue&) = delete;

    // Sends a piece of the PDF, creating the job with the first. Raises EBackendError with the
    // status that fits the destination's answer.
    void Write(std::string_view data);
    // Ends the document; the destination then prints it. Returns the destination's job id,
    // 0 when nothing was written (no job was made).
    int Finish();
    // Cancels the job if one was made and is not finished; never raises.
    void Cancel() noexcept;

    const std::string& Name() const { return name_; }

private:
    void Start();

    std::string name_;
    Job job_;
    http_t* http_ = nullptr;
    int id_ = 0;
    bool finished_ = false;
};

}  // namespace quillon
