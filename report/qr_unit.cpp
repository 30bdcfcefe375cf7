#include "report/qr_unit.h"

#include <langinfo.h>
#include <locale.h>

#include <atomic>
#include <cstdlib>

namespace quillon {

namespace {

// Width and height of a character cell in millimetres for a font of `points` points: 0.8 and
// 1.453 times the size, so that a cell grows with its font (3.1496 mm wide at 10 points).
long double CharacterWidth(long double points) {
    return (0.8L * points) / 2.54L;
}
long double CharacterHeight(long double points) {
    return (1.453L * points) / 2.54L;
}

long double FontPoints(const UnitScale& scale) {
    return static_cast<long double>(std::abs(scale.fontSizePoints));
}

// 0 = follow the locale; otherwise the replacement + 1.
std::atomic<int> gDefaultOverride{0};

}  // namespace

long double StoredToUnit(TQRUnit unit, bool horizontal, long double stored,
                         const UnitScale& scale) {
    switch (unit) {
        case TQRUnit::MM:
            return stored / 10;
        case TQRUnit::Inches:
            return stored / 254;
        case TQRUnit::Pixels:
            return stored / (254.0L / scale.resolution) * scale.zoom / 100;
        case TQRUnit::Characters:
            return horizontal ? stored / CharacterWidth(FontPoints(scale)) / 10
                              : stored / CharacterHeight(FontPoints(scale)) / 10;
        case TQRUnit::Native:
            break;
    }
    return stored;
}

long double UnitToStored(TQRUnit unit, bool horizontal, long double value, const UnitScale& scale) {
    switch (unit) {
        case TQRUnit::MM:
            return value * 10;
        case TQRUnit::Inches:
            return value * 254;
        case TQRUnit::Pixels:
            return value * (254.0L / scale.resolution) / scale.zoom * 100;
        case TQRUnit::Characters:
            return horizontal ? value * CharacterWidth(FontPoints(scale)) * 10
                              : value * CharacterHeight(FontPoints(scale)) * 10;
        case TQRUnit::Native:
            break;
    }
    return value;
}

MeasurementSystem LocaleMeasurementSystem() {
#ifdef __GLIBC__
    // A locale object of its own, so the process locale (which the core never changes) stays
    // as it is. glibc says 1 for metric and 2 for the U.S. system.
    locale_t locale = newlocale(LC_MEASUREMENT_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) return MeasurementSystem::kMetric;
    const char* value = nl_langinfo_l(_NL_MEASUREMENT_MEASUREMENT, locale);
    const bool unitedStates = value != nullptr && static_cast<unsigned char>(value[0]) == 2;
    freelocale(locale);
    return unitedStates ? MeasurementSystem::kUnitedStates : MeasurementSystem::kMetric;
#else
    return MeasurementSystem::kMetric;
#endif
}

MeasurementSystem DefaultMeasurementSystem() {
    const int replaced = gDefaultOverride.load(std::memory_order_relaxed);
    if (replaced != 0) return static_cast<MeasurementSystem>(replaced - 1);
    return LocaleMeasurementSystem();
}

void SetDefaultMeasurementSystem(std::optional<MeasurementSystem> system) {
    gDefaultOverride.store(system ? static_cast<int>(*system) + 1 : 0, std::memory_order_relaxed);
}

TQRUnit DefaultUnit() {
    return DefaultMeasurementSystem() == MeasurementSystem::kUnitedStates ? TQRUnit::Inches
                                                                          : TQRUnit::MM;
}

}  // namespace quillon
