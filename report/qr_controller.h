#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "expr/dataset.h"
#include "report/control.h"

namespace quillon {

class TCustomRozerEdedid;
class TQRCustomBand;
class TQREvElement;
class TQRGroup;
class TQRPrintable;

// Prints a report's body, or a sub-detail's: its header band, its detail band once per record
// (with groups and sub-detail controllers around it) and its footer band. Records come from
// an open dataset or, without one, from OnNeedData; without either the body prints once when
// PrintIfEmpty is set.
class TQRCustomController : public TComponent {
public:
    explicit TQRCustomController(TComponent* owner = nullptr);
    ~TQRCustomController() override;

    TCustomRozerEdedid* ParentReport() const { return report_; }
    void SetParentReport(TCustomRozerEdedid* report) { report_ = report; }
    // The component the controller serves: its report, or its sub-detail band (not owned).
    // Sub-detail bands and groups whose master is this component belong to the controller.
    // A controller that serves nothing else serves its report.
    TComponent* Served() const;
    void SetServed(TComponent* component) { served_ = component; }
    // Whether this is the report's own controller (the one that prints title and summary).
    bool IsReportController() const;

    // Not owned; cleared when the band is destroyed.
    TQRCustomBand* Header() const { return header_; }
    void SetHeader(TQRCustomBand* band) { Watch(header_, band); }
    TQRCustomBand* Detail() const { return detail_; }
    void SetDetail(TQRCustomBand* band) { Watch(detail_, band); }
    TQRCustomBand* Footer() const { return footer_; }
    void SetFooter(TQRCustomBand* band) { Watch(footer_, band); }

    bool PrintIfEmpty() const { return printIfEmpty_; }
    void SetPrintIfEmpty(bool value) { printIfEmpty_ = value; }

    // The records (not owned). Only an open dataset drives the body.
    TQRDataset* DataSet() const { return dataSet_; }
    void SetDataSet(TQRDataset* dataSet) { dataSet_ = dataSet; }
    // Whether the dataset's parameters named after functions of the report's environment take
    // those functions' values before each walk (the query is closed, set and opened again).
    bool ParamsFromEnvironment() const { return paramsFromEnvironment_; }
    void SetParamsFromEnvironment(bool value) { paramsFromEnvironment_ = value; }

    // Asked for each record when the controller has no open dataset (sender: the component
    // the controller serves).
    std::function<void(TComponent& sender, bool& moreData)> OnNeedData;

    // Records printed so far in this run.
    std::int32_t DetailNumber() const { return detailNumber_; }
    // The record count progress is measured against (1 when the dataset cannot tell).
    std::int32_t RecordCount() const { return recordCount_; }

    // Controllers that print before and after the detail band (sub-details), and the groups
    // around it, found for each run by CollectTree. Not owned.
    const std::vector<TQRCustomController*>& BeforeControllers() const { return before_; }
    const std::vector<TQRCustomController*>& AfterControllers() const { return after_; }
    const std::vector<TQRGroup*>& Groups() const { return groups_; }
    void AddController(TQRCustomController& controller, bool printBefore);

    // Collects the sub-detail controllers and groups whose master is the served component:
    // those owned by its owner, then those it owns, then the report's other bands, each in
    // component order; sub-controllers collect theirs in turn.
    virtual void CollectTree();
    // The datasets of this controller and its sub-controllers, each once, in tree order.
    void CollectDatasets(TQRDatasetList& datasets) const;
    // A run begins (after CollectTree, with the report's environment prepared): groups
    // compile their expressions.
    virtual void Prepare();
    virtual void Unprepare();
    // Prints the body: over the records when there is data, else PrintEmpty when
    // PrintIfEmpty is set.
    void Execute();
    // The body once without data: header, the controllers before the detail, detail, the
    // controllers after it, footer.
    void PrintEmpty();
    // Whether records drive the body (an open dataset or an OnNeedData handler).
    virtual bool HasData() const;
    // After a new column or page: while records are printed and no group is changing, print
    // again the headers of the groups that ask for it, here and in the sub-controllers.
    virtual void ReprintGroupHeaders();
    // The bands of this controller, in the order the report's band list keeps them: header,
    // group headers, the sub-controllers' bands before the detail, detail, those after it,
    // group footers in reverse order, footer.
    virtual void AppendBands(std::vector<TQRCustomBand*>& bands) const;

    // Printables told when the master record advances (expressions with aggregates).
    void AddNotifyClient(TQRPrintable& client);
    void RemoveNotifyClient(TQRPrintable& client);
    void NotifyClients(int code);

protected:
    // The loop over the records.
    virtual void ExecuteRecords();
    void Notification(TComponent& destroyed) override;

private:
    void Watch(TQRCustomBand*& slot, TQRCustomBand* band);
    // Moves to the first record; false when there is none. With a dataset whose parameters
    // come from the environment, sets them and opens the query again first.
    bool FirstRecord();
    bool NextRecord();
    void SetParamsFromEnvironment();
    // Evaluates every group; true when one changed (every later group counts as changed).
    bool CheckGroups();
    void PrintGroupHeaders();
    void PrintGroupFooters();
    void ReportProgress();
    // Lets window messages run; true when the run was cancelled.
    bool Cancelled();

    TCustomRozerEdedid* report_ = nullptr;
    TComponent* served_ = nullptr;
    TQRCustomBand* header_ = nullptr;
    TQRCustomBand* detail_ = nullptr;
    TQRCustomBand* footer_ = nullptr;
    TQRDataset* dataSet_ = nullptr;
    bool printIfEmpty_ = true;
    bool paramsFromEnvironment_ = true;
    std::int32_t detailNumber_ = 0;
    std::int32_t recordCount_ = 1;
    int lastPercent_ = -1;
    std::vector<TQRCustomController*> before_;
    std::vector<TQRCustomController*> after_;
    std::vector<TQRGroup*> groups_;
    std::vector<TQRPrintable*> clients_;

    // Run state.
    bool prepared_ = false;
    bool inRecords_ = false;  // between the first record's group check and the last footers
    bool changing_ = false;   // group headers or footers of a change are printing
    // The served band's environment constant, which holds the detail number during a run.
    TQREvElement* numberConstant_ = nullptr;
};

// The report's own controller, and a sub-detail's.
class TQRController : public TQRCustomController {
public:
    explicit TQRController(TComponent* owner = nullptr) : TQRCustomController(owner) {}
};

}  // namespace quillon
