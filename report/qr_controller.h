#pragma once

#include <functional>
#include <vector>

#include "report/control.h"

namespace quillon {

class TCustomRozerEdedid;
class TQRCustomBand;
class TQRPrintable;

// Prints a report's body, or a sub-detail's: its header band, its detail band once per record
// (with groups and sub-detail controllers around it) and its footer band. Without data it
// prints the body once when PrintIfEmpty is set.
class TQRCustomController : public TComponent {
public:
    explicit TQRCustomController(TComponent* owner = nullptr);
    ~TQRCustomController() override;

    TCustomRozerEdedid* ParentReport() const { return report_; }
    void SetParentReport(TCustomRozerEdedid* report) { report_ = report; }

    // Not owned; cleared when the band is destroyed.
    TQRCustomBand* Header() const { return header_; }
    void SetHeader(TQRCustomBand* band) { Watch(header_, band); }
    TQRCustomBand* Detail() const { return detail_; }
    void SetDetail(TQRCustomBand* band) { Watch(detail_, band); }
    TQRCustomBand* Footer() const { return footer_; }
    void SetFooter(TQRCustomBand* band) { Watch(footer_, band); }

    bool PrintIfEmpty() const { return printIfEmpty_; }
    void SetPrintIfEmpty(bool value) { printIfEmpty_ = value; }

    // Asked for each record when the controller has no dataset (sender: the component the
    // controller serves).
    std::function<void(TComponent& sender, bool& moreData)> OnNeedData;

    // Records printed so far in this run.
    std::int32_t DetailNumber() const { return detailNumber_; }

    // Controllers that print before and after the detail band (sub-details), found for
    // each run by CollectTree. Not owned.
    const std::vector<TQRCustomController*>& BeforeControllers() const { return before_; }
    const std::vector<TQRCustomController*>& AfterControllers() const { return after_; }
    void AddController(TQRCustomController& controller, bool printBefore);

    // Empties the lists of sub-controllers and groups, to be collected again for a run.
    virtual void CollectTree();
    virtual void Prepare();
    virtual void Unprepare();
    // Prints the body: over the records when there is data, else PrintEmpty when
    // PrintIfEmpty is set.
    void Execute();
    // The body once without data: header, the controllers before the detail, detail, the
    // controllers after it, footer.
    void PrintEmpty();
    // Whether records drive the body (a dataset or an OnNeedData handler).
    virtual bool HasData() const { return static_cast<bool>(OnNeedData); }
    // After a new column or page: print again the group headers that ask for it.
    virtual void ReprintGroupHeaders();
    // The bands of this controller, in the order the report's band list keeps them.
    virtual void AppendBands(std::vector<TQRCustomBand*>& bands) const;

    // Printables told when the master record advances (expressions with aggregates).
    void AddNotifyClient(TQRPrintable& client);
    void RemoveNotifyClient(TQRPrintable& client);
    void NotifyClients(int code);

protected:
    // The record loop over data; reports with data are not printed by this controller yet.
    virtual void ExecuteRecords();
    void Notification(TComponent& destroyed) override;

private:
    void Watch(TQRCustomBand*& slot, TQRCustomBand* band);

    TCustomRozerEdedid* report_ = nullptr;
    TQRCustomBand* header_ = nullptr;
    TQRCustomBand* detail_ = nullptr;
    TQRCustomBand* footer_ = nullptr;
    bool printIfEmpty_ = true;
    std::int32_t detailNumber_ = 0;
    std::vector<TQRCustomController*> before_;
    std::vector<TQRCustomController*> after_;
    std::vector<TQRPrintable*> clients_;
};

// The report's own controller.
class TQRController : public TQRCustomController {
public:
    explicit TQRController(TComponent* owner = nullptr) : TQRCustomController(owner) {}
};

}  // namespace quillon
