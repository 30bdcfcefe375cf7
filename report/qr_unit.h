#pragma once

#include <optional>

#include "platform/core/services.h"

namespace quillon {

// The units in which report lengths are read and written. Lengths are always stored in
// tenths of a millimetre; Native is that stored unit itself.
enum class TQRUnit { MM, Inches, Pixels, Characters, Native };

// What a conversion depends on besides the unit: the screen resolution in pixels per inch,
// the display zoom in percent (Pixels only) and the report font's size in points (Characters
// only; its sign is ignored).
struct UnitScale {
    int resolution = kScreenPixelsPerInch;
    int zoom = 100;
    int fontSizePoints = 10;
};

// Converts a stored value (tenths of a millimetre) to `unit` and back, in extended precision and
// without rounding. `horizontal` matters only for Characters, whose cells are wider than they
// are high. A zero zoom or font size, which callers never hand in, would divide by zero.
long double StoredToUnit(TQRUnit unit, bool horizontal, long double stored, const UnitScale& scale);
long double UnitToStored(TQRUnit unit, bool horizontal, long double value, const UnitScale& scale);

// The zoom range a report accepts (percent); other values are ignored.
inline constexpr int kMaxReportZoom = 300;
constexpr bool IsReportZoom(int zoom) {
    return zoom > 0 && zoom <= kMaxReportZoom;
}

// The measurement system that chooses the default unit and paper of new report objects.
enum class MeasurementSystem { kMetric, kUnitedStates };

// The measurement system of the user's locale (LC_MEASUREMENT from the environment, as
// LC_ALL / LC_MEASUREMENT / LANG select it), read without touching the process locale. Metric
// when the locale cannot be loaded or does not say.
MeasurementSystem LocaleMeasurementSystem();

// The measurement system new unit objects start from: the locale's, unless replaced.
MeasurementSystem DefaultMeasurementSystem();
// Replaces the locale's answer (for tests and for embedding); none returns to the locale.
void SetDefaultMeasurementSystem(std::optional<MeasurementSystem> system);

// The unit a new unit object starts with: Inches for the U.S. system, MM otherwise.
TQRUnit DefaultUnit();

}  // namespace quillon
