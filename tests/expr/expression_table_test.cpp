// Expression texts and their values: the parsing rules, the operators and every library
// function, with the error messages users see.

#include <gtest/gtest.h>

#include <string>

#include "expr/evaluator.h"
#include "expr/value.h"
#include "tests/expr/expr_test_support.h"

namespace quillon {
namespace {

struct Case {
    const char* text;
    TQRValueKind kind;
    const char* expected;  // the value's text form, or the error's message
};

// clang-format off
constexpr Case kCases[] = {
    // Precedence and chains, which read from left to right.
    {"1 + 2 * 3", vkInteger, "7"},
    {"(1 + 2) * 3", vkInteger, "9"},
    {"((1))", vkInteger, "1"},
    {"10 - 4 + 3", vkInteger, "9"},
    {"10 - 4 - 3", vkInteger, "3"},
    {"10 - (4 + 3)", vkInteger, "3"},
    {"20 - 2 * 3 - 4", vkInteger, "10"},
    {"12 / 2 * 3", vkFloat, "18"},
    {"12 / 2 / 3", vkFloat, "2"},
    {"7 / 2", vkFloat, "3.5"},
    {"6 / 3", vkFloat, "2"},
    {"-5 + 2", vkInteger, "-3"},
    {"-(1 + 2)", vkInteger, "-3"},
    {"+4", vkInteger, "4"},
    {"10--3", vkInteger, "13"},
    {"10-4--3", vkInteger, "9"},
    {"5-+3", vkInteger, "2"},
    {"2*(-3)", vkInteger, "-6"},
    {"2*-3", vkError, "Illegal character in numeric contant \"2*\""},
    // The first character of a part never counts as an operator; after a blank, a sign does.
    {"IF(TRUE,-1, 1)", vkInteger, "-1"},
    {"IF(TRUE, -1, 1)", vkError, "Error in expression : "},
    {"1 + -5", vkError, "Error in expression : "},
    {"1 + 2 or 4", vkInteger, "7"},
    {"5 and 3 + 1", vkInteger, "2"},
    {"3 or 4", vkInteger, "7"},
    {"6 AND 3", vkInteger, "2"},
    {"1 + 2 = 3", vkBoolean, "True"},
    {"1 = 1 = 1", vkError, "Illegal character in numeric contant \"1 = 1\""},
    // Integer arithmetic wraps at 32 bits; a literal beyond it is a float.
    {"2147483647 + 1", vkInteger, "-2147483648"},
    {"-2147483647 - 1", vkInteger, "-2147483648"},
    {"65536 * 65536", vkInteger, "0"},
    {"2147483648", vkFloat, "2147483648"},
    {"99999999999999999999", vkFloat, "1E20"},
    // Numbers.
    {"1E5", vkFloat, "100000"},
    {"2.5E3", vkFloat, "2500"},
    {"1E-5", vkError, "Illegal character in numeric contant \"1E\""},
    {"1.5.2", vkError, "Illegal character in numeric contant \"1.5.2\""},
    {"12abc", vkError, "Illegal character in numeric contant \"12abc\""},
    {"1E400", vkError, "Illegal character in numeric contant \"1E400\""},
    {"1 +", vkError, "Illegal character in numeric contant \"1 +\""},
    {"0.1 + 0.2", vkFloat, "0.3"},
    // Kinds meeting.
    {"'a' + 1", vkString, "a1"},
    {"1 + 2.5", vkFloat, "3.5"},
    {"TRUE + 1", vkString, "True1"},
    {"1 = 1.0", vkBoolean, "True"},
    {"'1' = 1", vkBoolean, "True"},
    {"TRUE * 2", vkError, "Cannot multiply string expressions"},
    // Comparisons.
    {"'abc' < 'abd'", vkBoolean, "True"},
    {"'ab' < 'abc'", vkBoolean, "True"},
    {"'B' < 'a'", vkBoolean, "True"},
    {"'\xE0' > 'z'", vkBoolean, "True"},
    {"'a' <> 'A'", vkBoolean, "True"},
    {"'ab' = 'ab'", vkBoolean, "True"},
    {"1 <> 2", vkBoolean, "True"},
    {"2 >= 2", vkBoolean, "True"},
    {"1 <= 0", vkBoolean, "False"},
    {"3 > 2.5", vkBoolean, "True"},
    {"TRUE = TRUE", vkBoolean, "True"},
    {"TRUE <> FALSE", vkBoolean, "True"},
    // Operator errors.
    {"1 / 0", vkError, "Cannot divide by 0"},
    {"1.0 / 0", vkError, "Cannot divide by 0"},
    {"'x' - 'y'", vkError, "Cannot subtract string expressions"},
    {"'x' * 'y'", vkError, "Cannot multiply string expressions"},
    {"'x' / 'y'", vkError, "Cannot divide string expressions"},
    {"TRUE + TRUE", vkError, "Cannot add boolean expressions"},
    {"TRUE - TRUE", vkError, "Cannot subtract boolean expressions"},
    {"TRUE < FALSE", vkError, "Operator < is not compatible with boolean expressions"},
    {"TRUE >= FALSE", vkError, "Operator >= is not compatible with boolean expressions"},
    {"1.5 or 2", vkError, "Operator OR is not compatible with numeric expressions"},
    {"'a' and 'b'", vkError, "Operator AND is not compatible with string expressions"},
    {"TRUE and FALSE", vkBoolean, "False"},
    {"TRUE or FALSE", vkBoolean, "True"},
    {"(1 / 0) + (2 / 0.0)", vkError, "Cannot divide by 0"},
    {"'a' + (1 / 0)", vkError, "Cannot divide by 0"},
    // NOT.
    {"not (1=1)", vkBoolean, "False"},
    {"NOT FALSE", vkBoolean, "True"},
    {"not 5", vkError, "Invalid use of NOT"},
    {"nothing", vkError, "Invalid use of NOT"},
    // Strings are literal.
    {"'it''s'", vkString, "it''s"},
    {"'a + b'", vkString, "a + b"},
    {"'a' + 'b'", vkString, "ab"},
    {"''", vkString, ""},
    {"", vkString, " "},
    // Faults in the text.
    {"'abc", vkError, "Missing '"},
    {"'", vkError, "Missing '"},
    {"(1 + 2", vkError, "Missing )"},
    {"[abc", vkError, "Missing ]"},
    {"#", vkError, "Error in expression : #"},
    {"1 + ", vkError, "Error in expression : "},
    {"foo(1)", vkError, "Unknown function : FOO"},
    {"foo", vkError, "Unknown function : FOO"},
    {"Foo()", vkError, "Unknown function : FOO"},
    {"[Foo Bar]", vkError, "Unknown function : Foo Bar"},
    {"F(1)x", vkError, "Unknown function : "},
    // Data fields, by kind, by name alone and qualified by their dataset.
    {"[Qty] * 2", vkInteger, "24"},
    {"qty", vkInteger, "12"},
    {"[Amount]", vkFloat, "2.5"},
    {"[Unit-Price]", vkFloat, "0.75"},
    {"10 - [Unit-Price]", vkFloat, "9.25"},
    {"Name", vkString, "Widget"},
    {"[Customers.Name]", vkString, "Ivanov"},
    {"[customers.city]", vkString, "Sofia"},
    {"[Orders.City]", vkError, "Unknown function : Orders.City"},
    {"[Paid]", vkBoolean, "True"},
    {"[Shipped]", vkString, "01.02.2024"},
    {"[Photo]", vkError, "Field Photo is of unknown type"},
    {"IF([Qty] > 10, 'bulk', 'single')", vkString, "bulk"},
    {"IF(TRUE, [Size, mm], 0)", vkInteger, "40"},
    // Environments.
    {"AppName", vkString, "Quillon"},
    {"appname + '!'", vkString, "Quillon!"},
    // IF, TRUE, FALSE, TYPEOF.
    {"IF(1 > 0, 'yes', 'no')", vkString, "yes"},
    {"if(1 < 0, 'yes', 'no')", vkString, "no"},
    {"IF(1 > 0, 1 / 0, 2)", vkError, "Cannot divide by 0"},
    {"IF(1, 2, 3)", vkError, "Wrong arguments for IF"},
    {"IF(TRUE, 2)", vkError, "Wrong arguments for IF"},
    {"IF(1 > 0, 'a, b', 'c')", vkString, "a, b"},
    {"IF(1 > 0, COPY('abc', 1, 2), 'c')", vkString, "ab"},
    {"TRUE", vkBoolean, "True"},
    {"FALSE()", vkBoolean, "False"},
    {"TRUE(1)", vkError, "Too many arguments"},
    {"TYPEOF(1.5)", vkString, "FLOAT"},
    {"TYPEOF(1)", vkString, "INTEGER"},
    {"TYPEOF('a')", vkString, "STRING"},
    {"TYPEOF(TRUE)", vkString, "BOOLEAN"},
    {"TYPEOF(1 / 0)", vkString, "ERROR"},
    {"TYPEOF()", vkError, "Wrong arguments for TypeOf"},
    {"TYPEOF(1, 2)", vkError, "Wrong arguments for TypeOf"},
    // STR and case.
    {"STR(TRUE)", vkString, "True"},
    {"STR(12)", vkString, "12"},
    {"STR(1 / 3)", vkString, "0.333333333333333"},
    {"STR('a')", vkError, "Conversion error"},
    {"STR(1 / 0)", vkError, "Conversion error"},
    {"STR()", vkError, "Conversion error"},
    {"UPPER('abc')", vkString, "ABC"},
    {"upper('abc')", vkString, "ABC"},
    {"Upper('abc')", vkString, "ABC"},
    {"UPPER('\xE0\xE1\xE2 \xB8')", vkString, "\xC0\xC1\xC2 \xA8"},
    {"LOWER('ABC \xC0\xC1')", vkString, "abc \xE0\xE1"},
    {"PRETTY('hELLO wORLD')", vkString, "Hello world"},
    {"PRETTY('\xE8\xC2\xC0\xCD')", vkString, "\xC8\xE2\xE0\xED"},
    {"PRETTY('')", vkString, ""},
    {"UPPER()", vkError, "Missing argument for UPPER"},
    {"LOWER('a', 'b')", vkError, "Missing argument for LOWER"},
    {"PRETTY(1 / 0)", vkError, "Cannot divide by 0"},
    {"UPPER(1)", vkError, "Wrong arguments for UPPER"},
    // Substrings: starts below 1 count as 1, lengths below 0 as 0.
    {"COPY('abcdef', 2, 3)", vkString, "bcd"},
    {"COPY('abcdef', 0, 2)", vkString, "ab"},
    {"COPY('abcdef',-5, 2)", vkString, "ab"},
    {"COPY('abcdef', 5, 10)", vkString, "ef"},
    {"COPY('abc', 4, 1)", vkString, ""},
    {"COPY('abc', 2,-1)", vkString, ""},
    {"COPY('abc', 1.5, 1)", vkError, ""},
    {"COPY('abc', 1)", vkError, ""},
    {"LEFTSTR('abc', 5)", vkString, "abc"},
    {"LEFTSTR('abc', 2)", vkString, "ab"},
    {"LEFTSTR('abc',-1)", vkString, ""},
    {"RIGHTSTR('abcdef', 2)", vkString, "ef"},
    {"RIGHTSTR('abc', 9)", vkString, "abc"},
    {"RIGHTSTR('abc', 0)", vkString, ""},
    {"RIGHTSTR(5, 1)", vkError, ""},
    // Number masks.
    {"FORMATNUMERIC('#,##0.00', 1234.5)", vkString, "1,234.50"},
    {"FORMATNUMERIC('0.0', 2)", vkString, "2.0"},
    {"FORMATNUMERIC('x', 'a')", vkError, ""},
    {"FORMATNUMERIC('\"abc', 1)", vkError, "Invalid format or value specified"},
    {"FORMATNUMERIC('0', POWER(10, 400))", vkError, "Invalid format or value specified"},
    // Arithmetic functions.
    {"INT(-2.7)", vkInteger, "-2"},
    {"INT(5)", vkInteger, "5"},
    {"INT(3000000000.5)", vkError, "Wrong arguments for INT"},
    {"INT('a')", vkError, "Wrong arguments for INT"},
    {"FRAC(-2.5)", vkFloat, "-0.5"},
    {"FRAC(3)", vkFloat, "0"},
    {"FRAC('a')", vkError, ""},
    {"SQRT(16)", vkFloat, "4"},
    {"SQRT(-1)", vkError, "Invalid argument to SQRT function"},
    {"SQRT('a')", vkError, "Invalid argument to SQRT function"},
    {"DIV(7, 2)", vkInteger, "3"},
    {"DIV(-7, 2)", vkInteger, "-3"},
    {"DIV(7.6, 2)", vkInteger, "4"},
    {"DIV(2.5, 1)", vkInteger, "2"},
    {"DIV(3.5, 1)", vkInteger, "4"},
    {"DIV(7, 0)", vkError, "Division by Zero"},
    {"DIV(1, 0.4)", vkError, "Division by Zero"},
    {"DIV(7,-2)", vkInteger, "-3"},
    // No blank before "-1": a blank there would make that argument itself an error. The one
    // quotient outside the 32-bit range is refused rather than computed (the processor traps).
    {"DIV(-2147483647 - 1,-1)", vkError, "Wrong arguments for DIV"},
    {"DIV(1E10, 1)", vkError, "Wrong arguments for DIV"},
    {"DIV('a', 0)", vkError, "Wrong arguments for DIV"},
    {"HYPOT(3.0, 4.0)", vkFloat, "5"},
    {"HYPOT(0.0, 0.0)", vkFloat, "0"},
    {"HYPOT(3, 4)", vkError, ""},
    {"POWER(2, 10)", vkFloat, "1024"},
    {"POWER(0, 0)", vkFloat, "1"},
    {"POWER(0, 2)", vkFloat, "0"},
    {"POWER(2,-1)", vkFloat, "0.5"},
    {"POWER(4, 0.5)", vkFloat, "2"},
    {"POWER(10, 400)", vkFloat, "INF"},
    {"0 - POWER(10, 400)", vkFloat, "-INF"},
    {"POWER(-8, 0.5)", vkFloat, "NAN"},
    {"POWER(2)", vkError, ""},
    // Trigonometric and hyperbolic functions; integers count as floats.
    {"COS(0)", vkFloat, "1"},
    {"SIN(0)", vkFloat, "0"},
    {"COS(1)", vkFloat, "0.54030230586814"},
    {"COTAN(1)", vkFloat, "0.642092615934331"},
    {"ARCCOS(0.5)", vkFloat, "1.0471975511966"},
    {"ARCCOT(0)", vkFloat, "1.5707963267949"},
    {"ARCSEC(0)", vkFloat, "INF"},
    {"COSH(0)", vkFloat, "1"},
    {"SINH(0)", vkFloat, "0"},
    {"TANH(0.5)", vkFloat, "0.46211715726001"},
    {"TANH(1000)", vkFloat, "1"},
    {"COTH(1000)", vkFloat, "1"},
    {"ARCCOSH(2)", vkFloat, "1.31695789692482"},
    {"ARCSINH(-1E10)", vkFloat, "-23.7189981105004"},
    {"ARCTANH(0.5)", vkFloat, "0.549306144334055"},
    {"ARCTANH(1)", vkFloat, "INF"},
    {"ARCTANH(-1)", vkFloat, "-INF"},
    {"ARCCOTH(1)", vkFloat, "INF"},
    {"ARCSECH(1)", vkFloat, "0"},
    {"ARCSECH(0)", vkFloat, "INF"},
    {"ARCCSCH(-1 / 1E10)", vkFloat, "-23.7189981105004"},
    {"SIN('a')", vkError, ""},
    {"COS()", vkError, ""},
    {"COS(1, 2)", vkError, ""},
    // Unit conversions.
    {"DEGTORAD(180)", vkFloat, "3.14159265358979"},
    {"RADTODEG(1)", vkFloat, "57.2957795130823"},
    {"RADTOGRAD(1)", vkFloat, "63.6619772367581"},
    {"RADTOCYCLE(DEGTORAD(90))", vkFloat, "0.25"},
    {"CYCLETORAD(0.25)", vkFloat, "1.5707963267949"},
    {"DEGTOGRAD(90)", vkFloat, "100"},
    {"DEGTOCYCLE(90)", vkFloat, "0.25"},
    {"GRADTODEG(100)", vkFloat, "90"},
    {"GRADTOCYCLE(100)", vkFloat, "0.25"},
    {"CYCLETODEG(0.5)", vkFloat, "180"},
    {"CYCLETOGRAD(0.5)", vkFloat, "200"},
    // Aggregates outside aggregate passes only report.
    {"SUM(1)", vkInteger, "0"},
    {"AVERAGE(1)", vkInteger, "0"},
    {"MAX(1)", vkInteger, "0"},
    {"COUNT", vkInteger, "0"},
    {"COUNT(1)", vkError, "COUNT - Too many arguments"},
    // Date and time take no arguments.
    {"TIME(1)", vkError, ""},
    {"DATE(1)", vkError, ""},
};
// clang-format on

class ExpressionTable : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { test::UseFixedFormats(); }
    test::SampleData data;
};

TEST_P(ExpressionTable, GivesKindAndValue) {
    const Case& c = GetParam();
    TQREvaluator evaluator;
    evaluator.SetDatasetList(&data.list);
    const TQRValue value = evaluator.Calculate(c.text);
    EXPECT_EQ(value.Kind(), c.kind) << "for " << c.text;
    const std::string text = value.IsError() ? std::string(value.Text()) : ValueToText(value);
    EXPECT_EQ(text, c.expected) << "for " << c.text;
}

INSTANTIATE_TEST_SUITE_P(Expressions, ExpressionTable, ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace quillon
