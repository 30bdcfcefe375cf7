#include "report/qr_controller.h"

#include <algorithm>

#include "output/qr_printer.h"
#include "report/qr_band.h"
#include "report/qr_printable.h"
#include "report/rozer_ededid.h"

namespace quillon {

TQRCustomController::TQRCustomController(TComponent* owner) : TComponent(owner) {}

TQRCustomController::~TQRCustomController() = default;

void TQRCustomController::Watch(TQRCustomBand*& slot, TQRCustomBand* band) {
    slot = band;
    if (band != nullptr) band->FreeNotification(*this);
}

void TQRCustomController::Notification(TComponent& destroyed) {
    if (header_ == &destroyed) header_ = nullptr;
    if (detail_ == &destroyed) detail_ = nullptr;
    if (footer_ == &destroyed) footer_ = nullptr;
    const auto drop = [&destroyed](auto& list) {
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&destroyed](const auto* item) {
                                      return static_cast<const TComponent*>(item) == &destroyed;
                                  }),
                   list.end());
    };
    drop(before_);
    drop(after_);
    drop(clients_);
}

void TQRCustomController::AddController(TQRCustomController& controller, bool printBefore) {
    (printBefore ? before_ : after_).push_back(&controller);
    controller.FreeNotification(*this);
}

void TQRCustomController::CollectTree() {
    before_.clear();
    after_.clear();
}

void TQRCustomController::Prepare() {
    detailNumber_ = 0;
    for (TQRCustomController* c : before_) c->Prepare();
    for (TQRCustomController* c : after_) c->Prepare();
}

void TQRCustomController::Unprepare() {
    for (TQRCustomController* c : before_) c->Unprepare();
    for (TQRCustomController* c : after_) c->Unprepare();
}

void TQRCustomController::Execute() {
    if (HasData()) {
        ExecuteRecords();
    } else if (printIfEmpty_) {
        PrintEmpty();
    }
}

void TQRCustomController::ExecuteRecords() {
    throw EQRError("Reports driven by records are not supported");
}

void TQRCustomController::PrintEmpty() {
    if (report_ == nullptr) return;
    report_->EmitBand(header_);
    for (TQRCustomController* c : before_) c->Execute();
    report_->EmitBand(detail_);
    for (TQRCustomController* c : after_) c->Execute();
    report_->EmitBand(footer_);
}

void TQRCustomController::ReprintGroupHeaders() {
    for (TQRCustomController* c : before_) c->ReprintGroupHeaders();
    for (TQRCustomController* c : after_) c->ReprintGroupHeaders();
}

void TQRCustomController::AppendBands(std::vector<TQRCustomBand*>& bands) const {
    const auto add = [&bands](TQRCustomBand* band) {
        if (band != nullptr) bands.push_back(band);
    };
    add(header_);
    for (const TQRCustomController* c : before_) c->AppendBands(bands);
    add(detail_);
    for (const TQRCustomController* c : after_) c->AppendBands(bands);
    add(footer_);
}

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
    const std::vector<TQRPrintable*> clients = clients_;
    for (TQRPrintable* client : clients) client->ControllerNotification(code);
}

}  // namespace quillon
