#pragma once

#include <map>
#include <string>

namespace quillon {

// What the queue's driver description (PPD) says about the backend's own options. The
// scheduler does not pass a queue's PPD defaults to a backend, only the job's options, so
// the backend reads them from the file the scheduler names in $PPD.
struct QueueDescription {
    // Option name -> the PPD's default choice ("quillon-size" -> "10").
    std::map<std::string, std::string> defaults;
    // Choice keyword of "quillon-font" -> the font family it stands for
    // ("CourierNew" -> "Courier New"): PPD keywords cannot hold blanks.
    std::map<std::string, std::string> fontFamilies;
};

// Reads the "quillon-" options of the PPD at `path`. A queue without a PPD, or one that
// cannot be read, has no defaults.
QueueDescription ReadQueueDescription(const char* path);

}  // namespace quillon
