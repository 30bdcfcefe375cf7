#pragma once

#include <optional>
#include <vector>

#include "report/page.h"
#include "report/qr_unit.h"
#include "report/size_owners.h"

namespace quillon::testing {

// Fixes the measurement system that new size objects start from, whatever the test
// machine's locale says.
class ScopedMeasurement {
public:
    explicit ScopedMeasurement(MeasurementSystem system) { SetDefaultMeasurementSystem(system); }
    ~ScopedMeasurement() { SetDefaultMeasurementSystem(std::nullopt); }
    ScopedMeasurement(const ScopedMeasurement&) = delete;
    ScopedMeasurement& operator=(const ScopedMeasurement&) = delete;
};

// A band or printable control that records how its size object places it and whether the
// size object had ParentUpdating() set meanwhile.
class RecordingControl : public PrintableControl {
public:
    ControlBounds bounds{3, 4, 10, 10};
    int parentZoom = 100;
    const TQRUnitBase* size = nullptr;
    std::vector<ControlBounds> placed;
    std::vector<bool> updatingWhilePlaced;

    ControlBounds Bounds() const override { return bounds; }
    void SetBounds(const ControlBounds& b) override {
        bounds = b;
        placed.push_back(b);
        if (size != nullptr) updatingWhilePlaced.push_back(size->ParentUpdating());
    }
    int ParentZoom() const override { return parentZoom; }
};

// A report that counts what its page asks of it. Like the real report control, it hands
// every resize of its control back to the page (ReportControlResized), so a missing feedback
// guard shows up as rewritten values or endless recursion.
class RecordingReport : public PageOwner {
public:
    ControlBounds bounds{5, 6, 0, 0};
    int fontSize = 10;
    int layouts = 0;
    int repaints = 0;
    int unitApplications = 0;
    long double laidOutWidth = 0;
    std::vector<ControlBounds> resizes;
    std::vector<bool> updatingWhileResized;
    TQRPage* page = nullptr;

    ControlBounds Bounds() const override { return bounds; }
    void SetBounds(const ControlBounds& b) override {
        bounds = b;
        resizes.push_back(b);
        if (page != nullptr) {
            updatingWhileResized.push_back(page->ParentUpdating());
            page->ReportControlResized(b.width, b.height);
        }
    }
    int FontSizePoints() const override { return fontSize; }
    // Lays out the way the real report does: reading the page in pixels in between, which
    // nests a unit switch inside the page's own when the paper size is written.
    void LayOutBands() override {
        ++layouts;
        if (page != nullptr) {
            page->SwitchToPixels();
            laidOutWidth = page->Width();
            page->RestoreUnit();
        }
    }
    void Repaint() override { ++repaints; }
    void ApplyUnits() override { ++unitApplications; }

    void ResetCounts() {
        layouts = repaints = unitApplications = 0;
        resizes.clear();
        updatingWhileResized.clear();
    }
};

}  // namespace quillon::testing
