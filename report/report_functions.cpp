#include "report/report_functions.h"

namespace quillon {

// Work in progress: the environment arrives with the expression library.
ReportFunctions::ReportFunctions() = default;
ReportFunctions::~ReportFunctions() = default;
void ReportFunctions::BeginRun(std::string_view) {}
void ReportFunctions::SetPageNumber(std::int32_t) {}
void ReportFunctions::SetColumnNumber(std::int32_t) {}
void ReportFunctions::EndRun() noexcept {}

}  // namespace quillon
