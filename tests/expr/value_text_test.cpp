// Text forms of values and the 255-byte limit of texts.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "expr/evaluator.h"
#include "expr/value.h"
#include "tests/expr/expr_test_support.h"

namespace quillon {
namespace {

std::string FloatText(double value, char separator = '.') {
    TQRValue text = TQRValue::String();
    AppendFloatText(text, value, separator);
    return std::string(text.Text());
}

TEST(FloatText, FifteenSignificantDigitsFixedOrScientific) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.0, "1"},
        {-2.5, "-2.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {123456.789, "123456.789"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {1e16 / 3, "3.33333333333333E15"},
        {-1.5e300, "-1.5E300"},
        {0.00001, "0.00001"},
        {0.000012345, "0.000012345"},
        {0.000009, "9E-6"},
        {1.5e-10, "1.5E-10"},
        {5e-324, "4.94065645841247E-324"},
        {kInf, "INF"},
        {-kInf, "-INF"},
        {std::nan(""), "NAN"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatText(c.value), c.text) << c.value;
}

TEST(FloatText, UsesTheSystemDecimalSeparatorButExpressionsKeepThePoint) {
    EXPECT_EQ(FloatText(3.25, ','), "3,25");
    EXPECT_EQ(FloatText(1.5e-10, ','), "1,5E-10");
    test::UseFixedFormats(',');
    TQREvaluator evaluator;
    EXPECT_EQ(ValueToText(evaluator.Calculate("3.5 + 1")), "4,5");
    EXPECT_EQ(ValueToText(evaluator.Calculate("STR(7 / 2)")), "3,5");
    EXPECT_EQ(ValueToText(evaluator.Calculate("'x' + 0.5")), "x0,5");
    test::UseFixedFormats('.');
}

TEST(ValueText, KindsAndErrors) {
    EXPECT_EQ(ValueToText(TQRValue::Integer(-42)), "-42");
    EXPECT_EQ(ValueToText(TQRValue::Boolean(true)), "True");
    EXPECT_EQ(ValueToText(TQRValue::Boolean(false)), "False");
    EXPECT_EQ(ValueToText(TQRValue::String("abc")), "abc");
    try {
        (void)ValueToText(TQRValue::Error("Cannot divide by 0"));
        FAIL() << "no exception";
    } catch (const EQRError& e) {
        EXPECT_STREQ(e.what(), "Error in expression : Cannot divide by 0");
    }
}

TEST(ValueText, TextsAreCutTo255BytesWhereverTheyComeFrom) {
    const std::string longText(300, 'x');
    EXPECT_EQ(TQRValue::String(longText).Text().size(), 255u);
    EXPECT_EQ(TQRValue::Error(longText).Text().size(), 255u);

    TQRMemoryDataset notes("Notes");
    notes.AddField("Body", ftString);
    notes.AppendRecord({longText});
    TQRDatasetList datasets{&notes};
    TQREvaluator evaluator;
    evaluator.SetDatasetList(&datasets);
    const std::string half(200, 'a');
    const struct {
        std::string text;
        TQRValueKind kind;
    } cases[] = {
        {"'" + longText + "'", vkString},
        {"'" + half + "' + '" + half + "'", vkString},
        {"UPPER('" + longText + "')", vkString},
        {"[Body]", vkString},
        {"#" + longText, vkError},
        {"UNKNOWN" + longText, vkError},
    };
    for (const auto& c : cases) {
        const TQRValue value = evaluator.Calculate(c.text);
        EXPECT_EQ(value.Kind(), c.kind) << c.text.substr(0, 30);
        EXPECT_EQ(value.Text().size(), 255u) << c.text.substr(0, 30);
    }
    const TQRValue joined = evaluator.Calculate("'" + half + "' + '" + std::string(200, 'b') + "'");
    EXPECT_EQ(joined.Text(), half + std::string(55, 'b'));
}

}  // namespace
}  // namespace quillon
