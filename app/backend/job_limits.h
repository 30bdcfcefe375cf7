#pragma once

#include <cstdint>

namespace quillon {

// What one job may cost the print server. The backend reads bytes that arrive from the
// network, so a hostile or broken stream must end as a failed job, never as an exhausted
// server. Far above any real report: 10,000 pages hold 10 to 60 MB of DOS text and take a few
// seconds of processor time to lay out.
struct JobLimits {
    std::uint64_t inputBytes = std::uint64_t{64} << 20;
    int pages = 10000;
    int cpuSeconds = 120;      // processor time of the layout
    int wallSeconds = 600;     // time of the layout, waiting included
    std::uint64_t memoryBytes = std::uint64_t{1} << 30;  // address space of the layout; 0: none
    std::uint64_t fileBytes = std::uint64_t{1} << 30;    // largest file the layout may write
};

}  // namespace quillon
