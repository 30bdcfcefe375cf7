#pragma once

#include <cstdint>
#include <string>

#include "expr/evaluator.h"
#include "expr/value.h"
#include "report/qr_band.h"

namespace quillon {

class TQRBand;
class TQREvEnvironment;

// A group header band: printed before the first record and again whenever the value of its
// Expression changes from one record to the next; its FooterBand prints after the group's
// last record. A group belongs to the controller of its Master (a sub-detail band, or by
// default the report it is placed on).
class TQRGroup : public TQRCustomBand {
public:
    explicit TQRGroup(TComponent* owner = nullptr);
    ~TQRGroup() override;

    const std::string& Expression() const { return expression_; }
    void SetExpression(std::string expression) { expression_ = std::move(expression); }

    // The band printed after the group's last record (not owned); it becomes a group footer.
    TQRBand* FooterBand() const { return footerBand_; }
    void SetFooterBand(TQRBand* band);

    // A sub-detail band or a report (not owned); none means the report the group is on.
    TComponent* Master() const { return master_; }
    void SetMaster(TComponent* master);
    TComponent* EffectiveMaster() const;

    // Print the header again at the top of each new page while the group goes on.
    bool ReprintOnNewPage() const { return reprintOnNewPage_; }
    void SetReprintOnNewPage(bool value) { reprintOnNewPage_ = value; }

    // --- During a run (used by the controller) ----------------------------------------------
    // Compiles the expression with the run's datasets and the report's environment.
    void PrepareGroup(TQRDatasetList* datasets, TQREvEnvironment* environment);
    void UnprepareGroup() noexcept;
    // Forgets the value, so that the next check counts as a change.
    void ClearValue() { hasValue_ = false; }
    // Evaluates the expression: the group changed when it had no value yet, when `forced`, or
    // when the value differs from the stored one in kind or value (an error is a value like
    // any other, so a faulty expression prints its message and never stops the report).
    // A changed group stores the new value.
    bool CheckChange(bool forced);
    bool Changed() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }
    const TQRValue& Value() const { return value_; }
    // The page the header was last printed on; 0 before it printed in this run.
    std::int32_t HeaderPage() const { return headerPage_; }
    void SetHeaderPage(std::int32_t page) { headerPage_ = page; }

protected:
    void Notification(TComponent& destroyed) override;

private:
    std::string expression_;
    TQRBand* footerBand_ = nullptr;
    TComponent* master_ = nullptr;
    bool reprintOnNewPage_ = false;

    TQREvaluator evaluator_;
    TQRValue value_;
    bool hasValue_ = false;
    bool changed_ = false;
    std::int32_t headerPage_ = 0;
};

}  // namespace quillon
