#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/core/rounding.h"
#include "report/band_size.h"
#include "report/qr_unit.h"
#include "size_test_owners.h"
#include "tests/support/temp_dir.h"

// glibc keeps the search path of a locale loaded through LOCPATH for the life of the
// process; the leak checker would count that against the locale test.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:__argz_add_sep\n";
}

namespace quillon {
namespace {

using testing::ScopedMeasurement;

struct ConversionCase {
    const char* what;
    TQRUnit unit;
    bool horizontal;
    UnitScale scale;
    long double stored;  // tenths of a millimetre
    long double value;   // in `unit`
};

// Each case is worked out from what the unit means: 1 inch = 254 tenths of a millimetre,
// 96 pixels per inch unless the case says otherwise, and for an S-point report font
// 10 x (80 / S) / 2.54 tenths of a millimetre per character across and 10 x (145.3 / S) / 2.54
// per line down.
// clang-format off
const ConversionCase kConversions[] = {
    {"10 mm", TQRUnit::MM, true, {}, 100.0L, 10.0L},
    {"297 mm, vertical", TQRUnit::MM, false, {}, 2970.0L, 297.0L},
    {"half an inch", TQRUnit::Inches, false, {}, 127.0L, 0.5L},
    {"Letter width", TQRUnit::Inches, true, {}, 2159.0L, 8.5L},
    {"band height 40 px", TQRUnit::Pixels, false, {96, 100, 10}, 105.8333333333333333L, 40.0L},
    {"band width 718 px", TQRUnit::Pixels, true, {96, 100, 10}, 1899.7083333333333333L, 718.0L},
    {"memo width 57 px", TQRUnit::Pixels, true, {96, 100, 10}, 150.8125L, 57.0L},
    {"one inch at zoom 200", TQRUnit::Pixels, true, {96, 200, 10}, 254.0L, 192.0L},
    {"one inch at zoom 50", TQRUnit::Pixels, false, {96, 50, 10}, 254.0L, 48.0L},
    {"one inch at 600 px/in", TQRUnit::Pixels, true, {600, 100, 10}, 254.0L, 600.0L},
    {"10 across, 10 pt", TQRUnit::Characters, true, {96, 100, 10}, 314.96062992125984252L, 10.0L},
    {"10 down, 10 pt", TQRUnit::Characters, false, {96, 100, 10}, 572.04724409448818898L, 10.0L},
    {"10 across, 20 pt", TQRUnit::Characters, true, {96, 100, 20}, 629.92125984251968504L, 10.0L},
    {"size sign ignored", TQRUnit::Characters, true, {96, 100, -10}, 314.9606299212598425L, 10.0L},
    {"zoom ignored", TQRUnit::Characters, false, {96, 300, 10}, 57.204724409448818898L, 1.0L},
    {"native", TQRUnit::Native, true, {96, 200, 10}, 1234.5L, 1234.5L},
};
// clang-format on

// Extended precision: the tolerance is a hundred times finer than what double arithmetic
// would reach on these values.
void ExpectClose(long double got, long double expected) {
    const long double tolerance = 1e-17L * std::max(1.0L, std::fabs(expected));
    EXPECT_LE(std::fabs(got - expected), tolerance)
        << static_cast<double>(got) << " instead of " << static_cast<double>(expected);
}

TEST(UnitConversion, EveryUnitBothWays) {
    for (const ConversionCase& c : kConversions) {
        SCOPED_TRACE(c.what);
        ExpectClose(StoredToUnit(c.unit, c.horizontal, c.stored, c.scale), c.value);
        ExpectClose(UnitToStored(c.unit, c.horizontal, c.value, c.scale), c.stored);
    }
}

TEST(UnitConversion, WorkedValuesRoundToThePixelsTheControlsGet) {
    const UnitScale screen{96, 100, 10};
    // A4 at the reference resolution, and the band width between 10 mm margins.
    EXPECT_EQ(RoundHalfEven(StoredToUnit(TQRUnit::Pixels, true, 2100, screen)), 794);
    EXPECT_EQ(RoundHalfEven(StoredToUnit(TQRUnit::Pixels, false, 2970, screen)), 1123);
    const long double margins = StoredToUnit(TQRUnit::Pixels, true, 100 + 100, screen);
    EXPECT_NEAR(static_cast<double>(margins), 75.5905511811, 1e-9);
    EXPECT_EQ(794 - RoundHalfEven(margins), 718);
    EXPECT_EQ(RoundHalfEven(StoredToUnit(TQRUnit::Pixels, false, 105.8333333333333L, screen)), 40);
}

TEST(UnitConversion, SizeObjectsMeasureCharactersWithTheReportFont) {
    const ScopedMeasurement metric(MeasurementSystem::kMetric);
    testing::RecordingReport report;
    TQRBandSize size;
    size.SetUnits(TQRUnit::Characters);
    const long double tenCharacters = 314.96062992125984252L;
    const long double values[] = {0, tenCharacters};
    size.SetValues(values);

    // No report yet, then a report without a font size: a 10-point font stands in.
    EXPECT_NEAR(static_cast<double>(size.Width()), 10.0, 1e-12);
    size.SetParentReport(&report);
    report.fontSize = 0;
    EXPECT_NEAR(static_cast<double>(size.Width()), 10.0, 1e-12);
    // Characters of a bigger font are wider: fewer of them fit.
    report.fontSize = 20;
    EXPECT_NEAR(static_cast<double>(size.Width()), 5.0, 1e-12);
    report.fontSize = -5;
    EXPECT_NEAR(static_cast<double>(size.Width()), 20.0, 1e-12);
}

TEST(UnitConversion, ReportZoomRange) {
    EXPECT_FALSE(IsReportZoom(0));
    EXPECT_FALSE(IsReportZoom(-100));
    EXPECT_TRUE(IsReportZoom(1));
    EXPECT_TRUE(IsReportZoom(300));
    EXPECT_FALSE(IsReportZoom(301));
}

// Sets an environment variable for the scope of a test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Compiles a locale that defines nothing but its measurement system into `dir`/`name`.
bool MakeMeasurementLocale(const quillon::testing::TempDir& dir, const std::string& name,
                           int measurement) {
    const std::string source = dir.File(name + ".src");
    quillon::testing::WriteFile(source, "LC_MEASUREMENT\nmeasurement " +
                                            std::to_string(measurement) + "\nEND LC_MEASUREMENT\n");
    const std::string command = "localedef -c -i '" + source + "' -f ANSI_X3.4-1968 '" +
                                dir.File(name) + "' >/dev/null 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str());
    return quillon::testing::FileExists(dir.File(name + "/LC_MEASUREMENT"));
}

TEST(LocaleMeasurement, FollowsTheUsersLocaleByMeaning) {
    const quillon::testing::TempDir dir;
    if (!MakeMeasurementLocale(dir, "us_measure", 2) ||
        !MakeMeasurementLocale(dir, "metric_measure", 1)) {
        GTEST_SKIP() << "localedef cannot build a test locale here";
    }
    const ScopedEnv path("LOCPATH", dir.Path());
    {
        const ScopedEnv all("LC_ALL", "us_measure");
        EXPECT_EQ(LocaleMeasurementSystem(), MeasurementSystem::kUnitedStates);
        EXPECT_EQ(DefaultUnit(), TQRUnit::Inches);
        // A replaced default wins over the locale, and going back follows the locale again.
        SetDefaultMeasurementSystem(MeasurementSystem::kMetric);
        EXPECT_EQ(DefaultUnit(), TQRUnit::MM);
        SetDefaultMeasurementSystem(std::nullopt);
        EXPECT_EQ(DefaultUnit(), TQRUnit::Inches);
    }
    {
        const ScopedEnv all("LC_ALL", "metric_measure");
        EXPECT_EQ(LocaleMeasurementSystem(), MeasurementSystem::kMetric);
    }
    {
        // LC_MEASUREMENT alone decides when LC_ALL is not set.
        const ScopedEnv all("LC_ALL", "");
        const ScopedEnv lang("LANG", "C");
        const ScopedEnv measurement("LC_MEASUREMENT", "us_measure");
        EXPECT_EQ(LocaleMeasurementSystem(), MeasurementSystem::kUnitedStates);
    }
    {
        // A locale that cannot be loaded counts as metric.
        const ScopedEnv all("LC_ALL", "no_such_locale");
        EXPECT_EQ(LocaleMeasurementSystem(), MeasurementSystem::kMetric);
    }
}

TEST(LocaleMeasurement, DefaultsOfNewSizeObjects) {
    {
        const ScopedMeasurement metric(MeasurementSystem::kMetric);
        EXPECT_EQ(TQRBandSize().Units(), TQRUnit::MM);
    }
    {
        const ScopedMeasurement us(MeasurementSystem::kUnitedStates);
        EXPECT_EQ(TQRBandSize().Units(), TQRUnit::Inches);
    }
}

}  // namespace
}  // namespace quillon
