// The function library: order, texts for editors, lookup.

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "expr/library.h"

namespace quillon {
namespace {

TEST(FunctionLibrary, HoldsTheBuiltInFunctionsInOrder) {
    // clang-format off
    const std::vector<std::string> order = {
        "IF", "STR", "UPPER", "LOWER", "PRETTY", "TIME", "DATE", "COPY", "SUM", "COUNT", "MAX",
        "MIN", "AVERAGE", "TRUE", "FALSE", "INT", "FRAC", "SQRT", "DIV", "TYPEOF",
        "FORMATNUMERIC", "ARCCOS", "COS", "SIN", "TAN", "COTAN", "SECANT", "COSECANT", "HYPOT",
        "RADTODEG", "RADTOGRAD", "RADTOCYCLE", "DEGTORAD", "DEGTOGRAD", "DEGTOCYCLE",
        "GRADTORAD", "GRADTODEG", "GRADTOCYCLE", "CYCLETORAD", "CYCLETODEG", "CYCLETOGRAD",
        "COSH", "SINH", "TANH", "COTH", "SECH", "CSCH", "ARCCOT", "ARCSEC", "ARCCOSH", "ARCSINH",
        "ARCTANH", "ARCCOTH", "ARCSECH", "ARCCSCH", "POWER", "RIGHTSTR", "LEFTSTR"};
    // clang-format on
    const TQRFunctionLibrary& library = QRFunctionLibrary();
    ASSERT_EQ(library.Count(), static_cast<int>(order.size()));
    ASSERT_FALSE(library.Entry(0).vendor.empty());
    for (int i = 0; i < library.Count(); ++i) {
        const TQRLibraryEntry& entry = library.Entry(i);
        EXPECT_EQ(entry.name, order[i]);
        EXPECT_EQ(entry.vendor, library.Entry(0).vendor) << entry.name;
    }
}

// Every entry's argument specification and help text (its syntax part, the ending as stored
// and the description), as editors show them.
TEST(FunctionLibrary, TextsForEditors) {
    const TQRFunctionLibrary& library = QRFunctionLibrary();
    const struct {
        const char* name;
        const char* data;
        const char* description;
    } cases[] = {
        // clang-format off
        {"IF", "5BVV", "IF(<Exp>, <X>, <Y>)|Returns <X> or <Y> depending on the boolean expression <Exp>"},
        {"STR", "7N", "STR(<X>)|Convert a numeric <X> to a string"},
        {"UPPER", "7S", "UPPER(<X>)|Converts a string to upper case letters"},
        {"LOWER", "7S", "LOWER(<X>)|Converts a string to lower case letters"},
        {"PRETTY", "7S", "PRETTY(<X>)|Makes the first character upper case and the rest lower case"},
        {"TIME", "1", "TIME|Return current time as a string"},
        {"DATE", "1", "DATE|Return current date as a string"},
        {"COPY", "7SNN", "COPY(<X>, <St>,<Len>)|Returns a substring of string X"},
        {"SUM", "3N", "SUM(<X>)|Sums the numeric <X>"},
        {"COUNT", "3", "COUNT|Increments for each iteration"},
        {"MAX", "3V", "MAX(<X>)|Returns the highest <X>"},
        {"MIN", "3N", "MIN( <V>) | Returns the lowest <X>"},
        {"AVERAGE", "3N", "AVERAGE(<X>)|Returns the average of numeric <X>"},
        {"TRUE", "5", "TRUE|boolean value"},
        {"FALSE", "5", "FALSE|boolean value"},
        {"INT", "2N", "INT(<X>)|Returns the integer part of <X>"},
        {"FRAC", "2N", "FRAC(<X>)|Returns the fractional part of <X>"},
        {"SQRT", "2N", "SQRT(<X>)|Returns square root of <X>"},
        {"DIV", "2NN", "DIV(<X>, <Y>) | Integer division of <X> by <Y>"},
        {"TYPEOF", "6N", "TYPEOF(<Exp>)|Returns the data type of <Exp>"},
        {"FORMATNUMERIC", "7SN", "FORMATNUMERIC(<F>,<N>)|Formats numeric <N> using the mask in <F>"},
        {"ARCCOS", "2N", "ARCCOS(<X>)|Returns the angle whose cosine is given"},
        {"COS", "2N", "COS(<X>)|Returns the cosine of the given angle"},
        {"SIN", "2N", "SIN(<X>)Returns the sine of the given angle"},
        {"TAN", "2N", "TAN(<X>)|Returns the tangent of the given angle"},
        {"COTAN", "2N", "COTAN(<X>)Returns the cotangent of the given angle"},
        {"SECANT", "2N", "SECANT(<X>)| Returns the secant of the given angle"},
        {"COSECANT", "2N", "COSECANT(<X>)Returns the cosecant of the given angle"},
        {"HYPOT", "2NN", "HYPOT(<X>, <Y>)Returns the hypoteneuse of the given lengths"},
        {"RADTODEG", "2N", "RADTODEG(<X>)| Converts a radian value to degrees of angle"},
        {"RADTOGRAD", "2N", "RADTOGRAD(<X>)| Converts a radian value to grad units"},
        {"RADTOCYCLE", "2N", "RADTOCYCLE(<X>)| Converts a radian value to cycle units"},
        {"DEGTORAD", "2N", "DEGTORAD(<X>)| Converts a degree value to radians"},
        {"DEGTOGRAD", "2N", "DEGTOGRAD(<X>)| "},
        {"DEGTOCYCLE", "2N", "DEGTOCYCLE(<X>)| Converts a degree value to cycle units"},
        {"GRADTORAD", "2N", "GRADTORAD(<X>)| Converts a grad value to radians"},
        {"GRADTODEG", "2N", "GRADTODEG(<X>)| Converts a grad value to degrees"},
        {"GRADTOCYCLE", "2N", "GRADTOCYCLE(<X>)| Converts a grad value to cycle units"},
        {"CYCLETORAD", "2N", "CYCLETORAD(<X>)| Converts a cycle value to radians"},
        {"CYCLETODEG", "2N", "CYCLETODEG(<X>)| Converts a cycle value to degrees"},
        {"CYCLETOGRAD", "2N", "CYCLETOGRAD(<X>)| Converts a cycle value to grad units"},
        {"COSH", "2N", "COSH(<X>)| Returns the hyperbolic cosine of an angle in radiansgrad units"},
        {"SINH", "2N", "SINH(<X>)| Returns the hyperbolic sine of an angle in radiansgrad units"},
        {"TANH", "2N", "TANH(<X>)| Returns the hyperbolic tangent of an angle in radiansgrad units"},
        {"COTH", "2N", "COTH(<X>)| Returns the hyperbolic cotangent of an angle in radiansgrad units"},
        {"SECH", "2N", "SECH(<X>)| Returns the hyperbolic secant of an angle in radiansgrad units"},
        {"CSCH", "2N", "CSCH(<X>)| Returns the hyperbolic cosecant of an angle in radiansgrad units"},
        {"ARCCOT", "2N", "ARCCOT(<X>)| Returns the angle whose cotangent is given"},
        {"ARCSEC", "2N", "ARCSEC(<X>)| Returns the angle whose secant is given"},
        {"ARCCOSH", "2N", "ARCCOSH(<X>)| Returns the angle whose hyperbolic cosine is given"},
        {"ARCSINH", "2N", "ARCSINH(<X>)| Returns the angle whose sine is given"},
        {"ARCTANH", "2N", "ARCTANH(<X>)| Returns the angle whose hyperbolic tangent is given"},
        {"ARCCOTH", "2N", "ARCCOTH(<X>)| Returns the angle whose hyperbolic cotangent is given"},
        {"ARCSECH", "2N", "ARCSECH(<X>)| Returns the angle whose hyperbolic secant is given"},
        {"ARCCSCH", "2N", "ARCCSCH(<X>)| Returns the angle whose hyperbolic cosecant is given"},
        {"POWER", "2NN", "POWER(<X>, <Y>)| Returns the first argument raised to the power of the second"},
        {"RIGHTSTR", "7SN", "RIGHTSTR(<STR>, <LEN>)| Returns the rightmost N characters of the string <S>"},
        {"LEFTSTR", "7SN", "LEFTSTR(<STR>, <LEN>)| Returns the leftmost N characters of the string <S>"},
        // clang-format on
    };
    EXPECT_EQ(static_cast<int>(std::size(cases)), library.Count());
    for (const auto& c : cases) {
        const TQRLibraryEntry* entry = library.Find(c.name);
        ASSERT_NE(entry, nullptr) << c.name;
        EXPECT_EQ(entry->data, c.data) << c.name;
        EXPECT_EQ(entry->description, c.description) << c.name;
    }
    EXPECT_EQ(kFunctionCategories[library.Find("SUM")->data[0] - '0'], "Statistical");
}

TEST(FunctionLibrary, LookupIgnoresCaseAndTheFirstEntryWins) {
    const TQRFunctionLibrary& library = QRFunctionLibrary();
    EXPECT_EQ(library.Find("upper"), library.Find("UPPER"));
    EXPECT_EQ(library.Find("Upper"), library.Find("UPPER"));
    EXPECT_EQ(library.Find("NOSUCH"), nullptr);

    TQRFunctionLibrary own;
    own.AddFunctionClass(library.Find("TRUE")->factory, "YES", "YES|first", "5", "me");
    own.AddFunctionClass(library.Find("FALSE")->factory, "yes", "YES|second", "5", "me");
    EXPECT_EQ(own.Find("Yes")->description, "YES|first");

    TQRFiFo list;
    list.Append(own.CreateElement("YES"));
    list.Append(std::make_unique<TQREvElementArgumentEnd>());
    list.Append(own.CreateElement("nope"));
    EXPECT_TRUE(list.Take()->Result(list).AsBoolean());
    EXPECT_EQ(list.Take()->Result(list).Text(), "Unknown function : nope");
}

}  // namespace
}  // namespace quillon
