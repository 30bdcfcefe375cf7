#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "report/qr_unit.h"
#include "report/size_owners.h"

namespace quillon {

// The base of the unit-aware size objects. Their lengths are stored in tenths of a millimetre
// and read and written through properties in the object's current Units. A size object belongs
// to its control (band, printable or report) and refers to that control and to its report
// without owning either.
class TQRUnitBase {
public:
    // Units start as MM, or Inches under the U.S. measurement system; zoom 100.
    TQRUnitBase();
    virtual ~TQRUnitBase() = default;
    TQRUnitBase(const TQRUnitBase&) = delete;
    TQRUnitBase& operator=(const TQRUnitBase&) = delete;

    TQRUnit Units() const { return units_; }
    virtual void SetUnits(TQRUnit units);

    // Remember Units and switch to Pixels; RestoreUnit goes back to the remembered unit. The
    // remembered units nest, so a switch inside another (a layout run while the page writes
    // its paper size) restores each to its own. RestoreUnit without a switch does nothing.
    // A switch is a temporary change for reading or writing in pixels: unlike SetUnits it
    // does not repaint anything.
    void SwitchToPixels();
    void RestoreUnit();

    // Screen pixels per inch: the engine's fixed reference resolution.
    int Resolution() const { return resolution_; }

    // Display zoom in percent applied by the Pixels unit. Setting it resizes the control;
    // values <= 0 are ignored.
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom);

    // The report whose font the Characters unit measures with (not owned; may be null).
    CharacterFontSource* ParentReport() const { return parentReport_; }
    void SetParentReport(CharacterFontSource* report) { parentReport_ = report; }

    // True while this object itself sets its control's bounds: the control must not write
    // those bounds back.
    bool ParentUpdating() const { return parentUpdating_; }

    // Conversions between stored values and a unit at this object's resolution, zoom and report
    // font. Without a report font size (no report, or size 0) Characters measure against a
    // 10-point font.
    long double StoredToUnit(TQRUnit unit, bool horizontal, long double stored) const;
    long double UnitToStored(TQRUnit unit, bool horizontal, long double value) const;
    UnitScale Scale() const;

    // After the object's values were loaded: place the control from them.
    void Loaded() { ResizeParent(); }

    // The stored values, in the order of the object's "Values" list.
    virtual std::vector<long double> Values() const = 0;
    // Sets the stored values from a "Values" list, without conversion. A list of the wrong
    // length or with a value that is not finite raises EReadError and changes nothing.
    virtual void SetValues(std::span<const long double> values) = 0;

    // Sets the owning control's pixel bounds from the stored values.
    virtual void ResizeParent() {}

protected:
    // A stored value read in Units, and a value in Units made a stored one.
    long double ReadStored(long double stored, bool horizontal) const {
        return StoredToUnit(units_, horizontal, stored);
    }
    long double ToStored(long double value, bool horizontal) const {
        return UnitToStored(units_, horizontal, value);
    }
    // A stored value in whole pixels at this object's zoom, as a control's bounds take it.
    int RoundedPixels(long double stored, bool horizontal) const;

    // Keeps ParentUpdating() set for its lifetime, also when the control's handler throws.
    class ParentUpdate {
    public:
        explicit ParentUpdate(TQRUnitBase& object)
            : object_(object), previous_(object.parentUpdating_) {
            object_.parentUpdating_ = true;
        }
        ~ParentUpdate() { object_.parentUpdating_ = previous_; }
        ParentUpdate(const ParentUpdate&) = delete;
        ParentUpdate& operator=(const ParentUpdate&) = delete;

    private:
        TQRUnitBase& object_;
        bool previous_;
    };

    // Raises EReadError unless `values` holds `count` finite numbers.
    static void CheckValues(std::span<const long double> values, std::size_t count);

private:
    TQRUnit units_;
    std::vector<TQRUnit> savedUnits_;
    int resolution_;
    int zoom_ = 100;
    CharacterFontSource* parentReport_ = nullptr;
    bool parentUpdating_ = false;
};

}  // namespace quillon
