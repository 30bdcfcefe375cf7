#pragma once

#include <functional>
#include <memory>
#include <string>

#include "report/qr_band.h"
#include "report/qr_controller.h"

namespace quillon {

class TQRBand;
class TQRSubDetail;

// A band that runs a controller of its own once for each record of its master (a report, or
// another controller band). Its name is a function of the report's environment that holds
// the number of records the band has printed in the present walk ("0" outside a run).
class TQRControllerBand : public TQRCustomBand {
public:
    explicit TQRControllerBand(TComponent* owner = nullptr);
    ~TQRControllerBand() override;

    TQRController& Controller() { return *controller_; }
    const TQRController& Controller() const { return *controller_; }

    // The report or controller band whose records drive this one (not owned); none means
    // the report the band is on. A chain of masters that leads back to this band is refused
    // ("Circular linking not allowed" while designing).
    TComponent* Master() const { return master_; }
    void SetMaster(TComponent* master);
    TComponent* EffectiveMaster() const;

    // Whether the band's controller runs before its master's detail band (else after it).
    bool PrintBefore() const { return printBefore_; }
    void SetPrintBefore(bool value);

    void SetParentReport(TCustomRozerEdedid* report) override;

protected:
    void Notification(TComponent& destroyed) override;
    void Renamed(const std::string& oldName) override;

private:
    void RegisterName();
    void UnregisterName(const std::string& name);

    std::unique_ptr<TQRController> controller_;
    TComponent* master_ = nullptr;
    bool printBefore_ = false;
    // The report whose environment holds the band's name.
    TCustomRozerEdedid* registeredWith_ = nullptr;
};

// Creates and destroys a sub-detail's header and footer bands.
class TQRSubDetailGroupBands {
public:
    explicit TQRSubDetailGroupBands(TQRSubDetail& owner) : owner_(owner) {}

    bool HasHeader() const;
    // Creates a group header band on the sub-detail's report (named GroupHeaderBandN), or
    // destroys the present one.
    void SetHasHeader(bool value);
    bool HasFooter() const;
    void SetHasFooter(bool value);

private:
    TQRSubDetail& owner_;
};

// A sub-detail band: the detail band of its own controller, which walks its DataSet (or asks
// OnNeedData) for every record of its master, with optional header and footer bands.
class TQRSubDetail : public TQRControllerBand {
public:
    explicit TQRSubDetail(TComponent* owner = nullptr);

    TQRDataset* DataSet() const { return Controller().DataSet(); }
    void SetDataSet(TQRDataset* dataSet) { Controller().SetDataSet(dataSet); }
    bool PrintIfEmpty() const { return Controller().PrintIfEmpty(); }
    void SetPrintIfEmpty(bool value) { Controller().SetPrintIfEmpty(value); }
    void SetOnNeedData(std::function<void(TComponent& sender, bool& moreData)> handler) {
        Controller().OnNeedData = std::move(handler);
    }

    // Printed before the first and after the last record of each walk (not owned); they
    // become group header and group footer bands.
    TQRBand* HeaderBand() const;
    void SetHeaderBand(TQRBand* band);
    TQRBand* FooterBand() const;
    void SetFooterBand(TQRBand* band);

    TQRSubDetailGroupBands& Bands() { return bands_; }

private:
    TQRSubDetailGroupBands bands_{*this};
};

}  // namespace quillon
