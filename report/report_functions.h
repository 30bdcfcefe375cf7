#pragma once

#include <cstdint>
#include <string_view>

namespace quillon {

// The report's Functions environment as a run uses it: the constants PAGENUMBER,
// COLUMNNUMBER and REPORTTITLE, set while pages and columns begin.
class ReportFunctions {
public:
    ReportFunctions();
    ~ReportFunctions();
    ReportFunctions(const ReportFunctions&) = delete;
    ReportFunctions& operator=(const ReportFunctions&) = delete;

    // Prepares the environment for a run and sets REPORTTITLE to `title`.
    void BeginRun(std::string_view title);
    void SetPageNumber(std::int32_t page);
    void SetColumnNumber(std::int32_t column);
    // Unprepares what BeginRun prepared; safe to call when BeginRun did not run or failed.
    void EndRun() noexcept;
};

}  // namespace quillon
