#pragma once

#include <string>
#include <string_view>

#include "expr/evaluator.h"
#include "expr/value.h"
#include "report/qr_label.h"

namespace quillon {

class TQRCustomController;

// The text an expression printable prints for a value: integers and floats formatted with
// `mask` (the general number form when it is empty; "Invalid format or value specified" when
// the mask cannot format the number), "True" or "False", a string's text, an error's message.
// Written into `out` (a string value), which needs no memory of its own.
void ExprValueText(const TQRValue& value, std::string_view mask, TQRValue& out) noexcept;

// A label whose text is the value of an expression, evaluated at each print. Aggregates in the
// expression (SUM, COUNT, ...) accumulate once each time the record of its Master advances: a
// report's or a sub-detail's controller; without Master, the report's when the expression
// has aggregates. Outside a run its caption is the expression, or "(none)".
class TQRExpr : public TQRCustomLabel {
public:
    explicit TQRExpr(TComponent* owner = nullptr);
    ~TQRExpr() override;

    const std::string& Expression() const { return expression_; }
    void SetExpression(std::string expression);
    // The number mask for integer and float results (see FormatNumber).
    const std::string& Mask() const { return mask_; }
    void SetMask(std::string mask);
    // The report or controller band whose record advances drive the aggregates (not owned).
    TComponent* Master() const { return master_; }
    void SetMaster(TComponent* master);
    // Start the aggregates again after every print, so that each print shows what was
    // accumulated since the previous one.
    bool ResetAfterPrint() const { return resetAfterPrint_; }
    void SetResetAfterPrint(bool value) { resetAfterPrint_ = value; }

    // The expression's present value (during a run).
    TQRValue Value();
    // Starts the aggregates again.
    void Reset();

    void Prepare() override;
    void Unprepare() override;
    // Evaluates and prints the value as a label does (growing and continuing on the next page
    // with the same text when it does not fit).
    void Print(int offsetX, int offsetY) override;
    // The master record advanced: aggregates accumulate once.
    void ControllerNotification(int code) override;

protected:
    void Notification(TComponent& destroyed) override;
    // The caption follows the expression, never the component's name.
    void Renamed(const std::string& /*oldName*/) override {}

private:
    void Unregister();

    std::string expression_;
    std::string mask_;
    TComponent* master_ = nullptr;
    bool resetAfterPrint_ = false;
    TQREvaluator evaluator_;
    TQRCustomController* registered_ = nullptr;
    TQRValue text_;
};

}  // namespace quillon
