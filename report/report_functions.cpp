#include "report/report_functions.h"

namespace quillon {

ReportFunctions::ReportFunctions() : environment_(NewReportEnvironment()) {}

ReportFunctions::~ReportFunctions() {
    EndRun();
}

void ReportFunctions::BeginRun(std::string_view title, const TQRDatasetList& datasets) {
    EndRun();
    GlobalEnvironment().Compile();
    globalPrepared_ = true;
    datasets_ = datasets;
    environment_->SetDatasetList(&datasets_);
    environment_->Compile();
    prepared_ = true;
    pageNumber_ = environment_->ConstantElement("PAGENUMBER");
    columnNumber_ = environment_->ConstantElement("COLUMNNUMBER");
    environment_->StoreText(environment_->ConstantElement("REPORTTITLE"), title);
}

void ReportFunctions::SetPageNumber(std::int32_t page) {
    if (pageNumber_ != nullptr) environment_->StoreInteger(pageNumber_, page);
}

void ReportFunctions::SetColumnNumber(std::int32_t column) {
    if (columnNumber_ != nullptr) environment_->StoreInteger(columnNumber_, column);
}

void ReportFunctions::EndRun() noexcept {
    pageNumber_ = nullptr;
    columnNumber_ = nullptr;
    if (prepared_) {
        environment_->Discard();
        environment_->SetDatasetList(nullptr);
        prepared_ = false;
    }
    if (globalPrepared_) {
        GlobalEnvironment().Discard();
        globalPrepared_ = false;
    }
}

}  // namespace quillon
