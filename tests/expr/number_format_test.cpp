// Number masks.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "expr/number_format.h"

namespace quillon {
namespace {

std::string Format(std::string_view mask, double value, char decimal = '.', char thousands = ',',
                   bool* ok = nullptr) {
    TQRFormatSettings settings;
    settings.decimalSeparator = decimal;
    settings.thousandSeparator = thousands;
    TQRValue out = TQRValue::String();
    const bool done = FormatNumber(mask, value, settings, out);
    if (ok != nullptr) *ok = done;
    return std::string(out.Text());
}

TEST(NumberMask, LaysOutDigitsSeparatorsSectionsAndExponents) {
    const struct {
        const char* mask;
        double value;
        const char* text;
    } cases[] = {
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0.00", 0.125, "0.13"},
        {"0.00", 2.675, "2.67"},
        {"0.00", 9.999, "10.00"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0", 999.6, "1,000"},
        {"#,##0", -1234, "-1,234"},
        {"#,##0", 12, "12"},
        {"#.##", 0.5, ".5"},
        {"0.##", 1.5, "1.5"},
        {"0.##", 2, "2"},
        {"0.0#", 2, "2.0"},
        {"000", 7, "007"},
        {"#", 0, ""},
        {".00", 12.5, "12.50"},
        {"0.00E+00", 1234, "1.23E+03"},
        {"00.00E+00", 1234, "12.34E+02"},
        {"0.0E-0", 0.00012, "1.2E-4"},
        {"0.0e+0", 12, "1.2e+1"},
        {"0.00E+00", 0, "0.00E+00"},
        {"0;(0)", -5, "(5)"},
        {"0;(0)", 5, "5"},
        {"0;(0);'zero'", 0, "zero"},
        {"0;(0);'zero'", -0.2, "zero"},
        {"0;;'zero'", -3, "-3"},
        {"0.0", -0.04, "0.0"},
        {"'$'#,##0.00", 1234.5, "$1,234.50"},
        {"0.00 \"kg\"", 3, "3.00 kg"},
        {"'a;b' 0", 4, "a;b 4"},
        {"", 1.5, "1.5"},
        {";(0)", 1.5, "1.5"},
        {"0", 1e20, "1E20"},
    };
    for (const auto& c : cases) {
        bool ok = false;
        const std::string text = Format(c.mask, c.value, '.', ',', &ok);
        EXPECT_TRUE(ok) << c.mask;
        EXPECT_EQ(text, c.text) << c.mask << " " << c.value;
    }
}

TEST(NumberMask, UsesTheSystemSeparators) {
    EXPECT_EQ(Format("#,##0.00", 1234.5, ',', '\xA0'),
              "1\xA0"
              "234,50");
    EXPECT_EQ(Format("#,##0", 1234, '.', '\0'), "1234");
}

TEST(NumberMask, RefusesUnterminatedLiteralsAndNonFiniteNumbers) {
    bool ok = true;
    Format("0 'kg", 1, '.', ',', &ok);
    EXPECT_FALSE(ok);
    Format("0", std::numeric_limits<double>::quiet_NaN(), '.', ',', &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Format("", -std::numeric_limits<double>::infinity(), '.', ',', &ok), "-INF");
    EXPECT_TRUE(ok);
}

}  // namespace
}  // namespace quillon
