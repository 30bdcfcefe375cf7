#include "report/qr_expr.h"

#include "expr/format_settings.h"
#include "expr/number_format.h"
#include "report/qr_controller.h"
#include "report/qr_subdetail.h"
#include "report/rozer_ededid.h"

namespace quillon {

void ExprValueText(const TQRValue& value, std::string_view mask, TQRValue& out) noexcept {
    out = TQRValue::String();
    switch (value.Kind()) {
        case vkInteger:
        case vkFloat:
            if (!FormatNumber(mask, value.Number(), FormatSettings(), out)) {
                out = TQRValue::String("Invalid format or value specified");
            }
            return;
        case vkBoolean:
            out.Append(value.AsBoolean() ? "True" : "False");
            return;
        default:
            out.Append(value.Text());
            return;
    }
}

TQRExpr::TQRExpr(TComponent* owner) : TQRCustomLabel(owner) {
    SetExpression(std::string());
}

TQRExpr::~TQRExpr() {
    Unregister();
    evaluator_.Discard();
}

void TQRExpr::SetExpression(std::string expression) {
    expression_ = std::move(expression);
    SetCaption(expression_.empty() ? std::string("(none)") : expression_);
}

void TQRExpr::SetMask(std::string mask) {
    mask_ = std::move(mask);
    SetExpression(std::string(expression_));
}

void TQRExpr::SetMaster(TComponent* master) {
    if (master_ != nullptr) master_->RemoveFreeNotification(*this);
    master_ = master;
    if (master != nullptr) master->FreeNotification(*this);
}

void TQRExpr::Notification(TComponent& destroyed) {
    TQRCustomLabel::Notification(destroyed);
    if (master_ == &destroyed) master_ = nullptr;
    if (registered_ == &destroyed) registered_ = nullptr;
}

void TQRExpr::Unregister() {
    if (registered_ == nullptr) return;
    registered_->RemoveNotifyClient(*this);
    registered_->RemoveFreeNotification(*this);
    registered_ = nullptr;
}

void TQRExpr::Prepare() {
    TQRCustomLabel::Prepare();
    TCustomRozerEdedid* report = ParentReport();
    if (report != nullptr) {
        evaluator_.SetDatasetList(report->Functions().Datasets());
        evaluator_.SetEnvironment(&report->Functions());
    }
    evaluator_.Compile(expression_);

    Unregister();
    TQRCustomController* controller = nullptr;
    if (auto* masterReport = dynamic_cast<TCustomRozerEdedid*>(master_)) {
        controller = &masterReport->Controller();
    } else if (auto* band = dynamic_cast<TQRControllerBand*>(master_)) {
        controller = &band->Controller();
    } else if (master_ == nullptr && report != nullptr && evaluator_.HasAggregates()) {
        controller = &report->Controller();
    }
    if (controller != nullptr) {
        controller->AddNotifyClient(*this);
        controller->FreeNotification(*this);
        registered_ = controller;
    }
    Reset();
}

void TQRExpr::Unprepare() {
    Unregister();
    evaluator_.Discard();
    evaluator_.SetDatasetList(nullptr);
    evaluator_.SetEnvironment(nullptr);
    TQRCustomLabel::Unprepare();
    SetExpression(std::string(expression_));
}

TQRValue TQRExpr::Value() {
    return evaluator_.Result();
}

void TQRExpr::Reset() {
    if (evaluator_.Prepared()) evaluator_.Restart();
}

void TQRExpr::ControllerNotification(int code) {
    TQRCustomLabel::ControllerNotification(code);
    if (code == kNotifyMasterAdvanced && evaluator_.Prepared()) evaluator_.AggregatePass();
}

void TQRExpr::Print(int offsetX, int offsetY) {
    if (!Enabled()) return;
    // A print that continues on a new page shows the text it began with.
    if (PrintComplete() && evaluator_.Prepared()) {
        ExprValueText(evaluator_.Result(), mask_, text_);
        SetPrintText(text_.Text());
    }
    TQRCustomLabel::Print(offsetX, offsetY);
    if (resetAfterPrint_) Reset();
}

}  // namespace quillon
