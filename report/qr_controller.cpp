#include "report/qr_controller.h"

#include <algorithm>

#include "output/qr_printer.h"
#include "platform/core/services.h"
#include "report/qr_band.h"
#include "report/qr_group.h"
#include "report/qr_printable.h"
#include "report/qr_subdetail.h"
#include "report/rozer_ededid.h"

namespace quillon {

namespace {

// Sets a flag for a scope and puts back what it was.
class FlagScope {
public:
    FlagScope(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
    ~FlagScope() { flag_ = saved_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool saved_;
};

}  // namespace

TQRCustomController::TQRCustomController(TComponent* owner) : TComponent(owner) {}

TQRCustomController::~TQRCustomController() = default;

TComponent* TQRCustomController::Served() const {
    if (served_ != nullptr) return served_;
    return report_;
}

bool TQRCustomController::IsReportController() const {
    return report_ != nullptr && Served() == report_;
}

void TQRCustomController::Watch(TQRCustomBand*& slot, TQRCustomBand* band) {
    slot = band;
    if (band != nullptr) band->FreeNotification(*this);
}

void TQRCustomController::Notification(TComponent& destroyed) {
    if (header_ == &destroyed) header_ = nullptr;
    if (detail_ == &destroyed) detail_ = nullptr;
    if (footer_ == &destroyed) footer_ = nullptr;
    if (served_ == &destroyed) served_ = nullptr;
    const auto drop = [&destroyed](auto& list) {
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&destroyed](const auto* item) {
                                      return static_cast<const TComponent*>(item) == &destroyed;
                                  }),
                   list.end());
    };
    drop(before_);
    drop(after_);
    drop(groups_);
    drop(clients_);
}

void TQRCustomController::AddController(TQRCustomController& controller, bool printBefore) {
    (printBefore ? before_ : after_).push_back(&controller);
    controller.FreeNotification(*this);
}

// --- The tree of sub-controllers and groups ------------------------------------------------

void TQRCustomController::CollectTree() {
    // A run keeps the tree it began with (bands sorted again meanwhile change nothing here).
    if (prepared_) return;
    before_.clear();
    after_.clear();
    groups_.clear();
    TComponent* served = Served();
    if (served == nullptr) return;

    std::vector<const TComponent*> seen;
    const auto visit = [&](TComponent* component) {
        if (component == served || component->Destroying()) return;
        if (std::find(seen.begin(), seen.end(), component) != seen.end()) return;
        seen.push_back(component);
        if (auto* band = dynamic_cast<TQRControllerBand*>(component)) {
            if (band->EffectiveMaster() != served) return;
            TQRController& controller = band->Controller();
            if (&controller == this) return;
            AddController(controller, band->PrintBefore());
            controller.CollectTree();
        } else if (auto* group = dynamic_cast<TQRGroup*>(component)) {
            if (group->EffectiveMaster() != served) return;
            groups_.push_back(group);
            group->FreeNotification(*this);
        }
    };
    if (served->Owner() != nullptr) {
        for (TComponent* component : served->Owner()->Components()) visit(component);
    }
    for (TComponent* component : served->Components()) visit(component);
    // Bands placed on the report without an owner that is scanned above.
    if (report_ != nullptr) {
        for (TQRCustomBand* band : report_->BandList()) visit(band);
    }
}

void TQRCustomController::CollectDatasets(TQRDatasetList& datasets) const {
    if (dataSet_ != nullptr &&
        std::find(datasets.begin(), datasets.end(), dataSet_) == datasets.end()) {
        datasets.push_back(dataSet_);
    }
    for (const TQRCustomController* c : before_) c->CollectDatasets(datasets);
    for (const TQRCustomController* c : after_) c->CollectDatasets(datasets);
}

void TQRCustomController::AppendBands(std::vector<TQRCustomBand*>& bands) const {
    const auto add = [&bands](TQRCustomBand* band) {
        if (band != nullptr) bands.push_back(band);
    };
    add(header_);
    for (TQRGroup* group : groups_) add(group);
    for (const TQRCustomController* c : before_) c->AppendBands(bands);
    add(detail_);
    for (const TQRCustomController* c : after_) c->AppendBands(bands);
    for (auto group = groups_.rbegin(); group != groups_.rend(); ++group) {
        add((*group)->FooterBand());
    }
    add(footer_);
}

// --- Run ------------------------------------------------------------------------------------

void TQRCustomController::Prepare() {
    prepared_ = true;
    detailNumber_ = 0;
    recordCount_ = 1;
    lastPercent_ = -1;
    inRecords_ = false;
    changing_ = false;
    numberConstant_ = nullptr;
    if (report_ != nullptr) {
        TQREvEnvironment& environment = report_->Functions();
        for (TQRGroup* group : groups_) group->PrepareGroup(environment.Datasets(), &environment);
        if (auto* band = dynamic_cast<TQRControllerBand*>(Served())) {
            if (!band->Name().empty()) numberConstant_ = environment.ConstantElement(band->Name());
        }
    }
    for (TQRCustomController* c : before_) c->Prepare();
    for (TQRCustomController* c : after_) c->Prepare();
}

void TQRCustomController::Unprepare() {
    for (TQRCustomController* c : before_) c->Unprepare();
    for (TQRCustomController* c : after_) c->Unprepare();
    for (TQRGroup* group : groups_) group->UnprepareGroup();
    if (detail_ != nullptr && detail_->Controller() == this) detail_->SetController(nullptr);
    numberConstant_ = nullptr;
    inRecords_ = false;
    changing_ = false;
    prepared_ = false;
}

bool TQRCustomController::HasData() const {
    return (dataSet_ != nullptr && dataSet_->Active()) || static_cast<bool>(OnNeedData);
}

void TQRCustomController::Execute() {
    for (TQRGroup* group : groups_) group->ClearValue();
    if (HasData()) {
        ExecuteRecords();
    } else if (printIfEmpty_) {
        PrintEmpty();
    }
}

void TQRCustomController::PrintEmpty() {
    if (report_ == nullptr) return;
    report_->EmitBand(header_);
    for (TQRCustomController* c : before_) c->Execute();
    report_->EmitBand(detail_);
    for (TQRCustomController* c : after_) c->Execute();
    report_->EmitBand(footer_);
}

void TQRCustomController::SetParamsFromEnvironment() {
    TQREvEnvironment& environment = report_->Functions();
    dataSet_->Close();
    const int count = dataSet_->ParamCount();
    for (int i = 0; i < count; ++i) {
        const std::string_view name = dataSet_->ParamName(i);
        if (!name.empty() && environment.Contains(name)) {
            SetParamFromValue(*dataSet_, i, environment.Result(name));
        }
    }
    dataSet_->Open();
}

bool TQRCustomController::FirstRecord() {
    if (dataSet_ != nullptr && dataSet_->Active()) {
        if (paramsFromEnvironment_ && dataSet_->ParamCount() > 0) SetParamsFromEnvironment();
        dataSet_->First();
        if (IsReportController()) {
            const int count = dataSet_->RecordCount();
            recordCount_ = count > 0 ? count : 1;
        }
        return !dataSet_->Eof();
    }
    bool more = false;
    if (OnNeedData) OnNeedData(*Served(), more);
    return more;
}

bool TQRCustomController::NextRecord() {
    if (dataSet_ != nullptr && dataSet_->Active()) {
        dataSet_->Next();
        return !dataSet_->Eof();
    }
    bool more = false;
    if (OnNeedData) OnNeedData(*Served(), more);
    return more;
}

bool TQRCustomController::Cancelled() {
    Platform().messages->ProcessMessages();
    if (report_->Cancelled()) return true;
    TQRPrinter* printer = report_->QRPrinter();
    if (printer != nullptr && printer->CancelRequested()) {
        // The printer was told to stop (its preview closed): the run ends as cancelled.
        report_->CancelRun();
        return true;
    }
    return false;
}

bool TQRCustomController::CheckGroups() {
    bool changed = false;
    for (TQRGroup* group : groups_) changed = group->CheckChange(changed) || changed;
    return changed;
}

void TQRCustomController::PrintGroupHeaders() {
    const FlagScope changing(changing_, true);
    for (TQRGroup* group : groups_) {
        if (!group->Changed()) continue;
        report_->EmitBand(group);
        group->SetHeaderPage(report_->PageNumber());
    }
}

void TQRCustomController::PrintGroupFooters() {
    const FlagScope changing(changing_, true);
    for (auto group = groups_.rbegin(); group != groups_.rend(); ++group) {
        if ((*group)->Changed()) report_->EmitBand((*group)->FooterBand());
    }
}

void TQRCustomController::ReportProgress() {
    if (!IsReportController() || dataSet_ == nullptr) return;
    const int percent = static_cast<int>(
        std::min<std::int64_t>(100, std::int64_t{detailNumber_} * 100 / recordCount_));
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    if (TQRPrinter* printer = report_->QRPrinter()) printer->Progress(percent);
}

void TQRCustomController::ExecuteRecords() {
    if (report_ == nullptr) return;
    TCustomRozerEdedid& report = *report_;
    bool more = FirstRecord();
    if (!more && printIfEmpty_ && dataSet_ != nullptr && dataSet_->Active()) PrintEmpty();
    detailNumber_ = 0;
    if (detail_ != nullptr) detail_->SetController(this);
    if (!more) return;
    if (Cancelled()) return;

    const bool reportController = IsReportController();
    report.EmitBand(header_);
    // A forced page right after the title would leave it alone on its page.
    if (reportController && header_ != nullptr && report.PageNumber() > 0) {
        report.SetSkipNextForcedPage(true);
    }
    if (reportController && (report.PageNumber() <= 1 || report.CompositeRun())) {
        TQRCustomBand* columnHeader = report.Bands().ColumnHeaderBand();
        if (columnHeader != nullptr && columnHeader->Enabled()) {
            report.EmitBand(columnHeader);
            report.SetSkipNextForcedPage(true);
        }
    }

    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inRecords_};
    inRecords_ = true;
    CheckGroups();
    while (more) {
        if (Cancelled()) return;
        ++detailNumber_;
        if (numberConstant_ != nullptr)
            report.Functions().StoreInteger(numberConstant_, detailNumber_);
        PrintGroupHeaders();
        for (TQRCustomController* c : before_) c->Execute();
        report.EmitBand(detail_);
        for (TQRCustomController* c : after_) c->Execute();
        more = NextRecord();
        // The footers of a group that ends show the group's last record.
        if (more && CheckGroups()) {
            const bool stepBack = dataSet_ != nullptr && dataSet_->Active();
            if (stepBack) dataSet_->Prior();
            PrintGroupFooters();
            if (stepBack) dataSet_->Next();
        }
        ReportProgress();
    }
    // After the last record every group ends. The footers, and the summary after them, show
    // the last record.
    const bool stepBack = dataSet_ != nullptr && dataSet_->Active();
    if (stepBack) dataSet_->Prior();
    for (TQRGroup* group : groups_) group->SetChanged(true);
    PrintGroupFooters();
    inRecords_ = false;

    if (footer_ != nullptr) {
        if (report.PageNumber() == 0) report.BeginColumn();
        if (footer_->BandHeight() > report.RoomLeft()) report.BeginColumn();
        report.EmitBand(footer_);
    }
    if (stepBack) dataSet_->Next();
}

void TQRCustomController::ReprintGroupHeaders() {
    if (!inRecords_ || changing_ || report_ == nullptr) return;
    for (TQRCustomController* c : before_) c->ReprintGroupHeaders();
    const std::int32_t page = report_->PageNumber();
    bool reprint = false;
    {
        const FlagScope changing(changing_, true);
        for (TQRGroup* group : groups_) {
            if (!reprint && group->ReprintOnNewPage() && group->HeaderPage() > 0 &&
                group->HeaderPage() < page) {
                reprint = true;
            }
            if (!reprint) continue;
            group->SetChanged(true);
            report_->EmitBand(group);
            group->SetHeaderPage(report_->PageNumber());
        }
    }
    for (TQRCustomController* c : after_) c->ReprintGroupHeaders();
}

// --- Notification clients ------------------------------------------------------------------

void TQRCustomController::AddNotifyClient(TQRPrintable& client) {
    if (std::find(clients_.begin(), clients_.end(), &client) != clients_.end()) return;
    clients_.push_back(&client);
    client.FreeNotification(*this);
}

void TQRCustomController::RemoveNotifyClient(TQRPrintable& client) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), &client), clients_.end());
    client.RemoveFreeNotification(*this);
}

void TQRCustomController::NotifyClients(int code) {
    for (std::size_t i = 0; i < clients_.size(); ++i) clients_[i]->ControllerNotification(code);
}

}  // namespace quillon
