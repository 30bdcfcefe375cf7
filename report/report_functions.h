#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "expr/dataset.h"
#include "expr/environment.h"

namespace quillon {

// A report's Functions environment and what a run does with it: PAGENUMBER, COLUMNNUMBER and
// REPORTTITLE ("0", "0" and "''" outside a run) hold the page, the column and the report's
// title while the report generates its pages.
class ReportFunctions {
public:
    ReportFunctions();
    ~ReportFunctions();
    ReportFunctions(const ReportFunctions&) = delete;
    ReportFunctions& operator=(const ReportFunctions&) = delete;

    TQREvEnvironment& Environment() { return *environment_; }

    // Prepares the global environment and this one (with the run's datasets, which the
    // environment's Datasets list holds until EndRun) and sets REPORTTITLE to `title`.
    void BeginRun(std::string_view title, const TQRDatasetList& datasets = {});
    void SetPageNumber(std::int32_t page);
    void SetColumnNumber(std::int32_t column);
    // Unprepares what BeginRun prepared; safe when BeginRun did not run or failed.
    void EndRun() noexcept;

private:
    std::unique_ptr<TQREvEnvironment> environment_;
    TQRDatasetList datasets_;
    bool globalPrepared_ = false;
    bool prepared_ = false;
    // The constants' elements while prepared (owned by the environment); null when a
    // function is no longer a single constant.
    TQREvElement* pageNumber_ = nullptr;
    TQREvElement* columnNumber_ = nullptr;
};

}  // namespace quillon
