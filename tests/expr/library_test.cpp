// The function library: order, texts for editors, lookup.

#include <gtest/gtest.h>

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
    for (int i = 0; i < library.Count(); ++i) {
        const TQRLibraryEntry& entry = library.Entry(i);
        EXPECT_EQ(entry.name, order[i]);
        EXPECT_EQ(entry.vendor, library.Entry(0).vendor);
        EXPECT_FALSE(entry.data.empty());
        EXPECT_EQ(entry.description.rfind(entry.name, 0), 0u) << entry.description;
        // The element made for a call reports the same texts.
        const auto element = entry.factory();
        EXPECT_EQ(element->Name(), entry.name);
        EXPECT_EQ(element->Description(), entry.description);
    }
}

TEST(FunctionLibrary, TextsForEditors) {
    const TQRFunctionLibrary& library = QRFunctionLibrary();
    const struct {
        const char* name;
        const char* data;
        const char* description;
    } cases[] = {
        // clang-format off
        {"IF", "5BVV", "IF(<Exp>, <X>, <Y>)|Returns <X> or <Y> depending on the boolean expression <Exp>"},
        {"MIN", "3N", "MIN( <V>) | Returns the lowest <X>"},
        {"SIN", "2N", "SIN(<X>)Returns the sine of the given angle"},
        {"SECANT", "2N", "SECANT(<X>)| Returns the secant of the given angle"},
        {"DEGTOGRAD", "2N", "DEGTOGRAD(<X>)| "},
        {"TIME", "1", "TIME|Return current time as a string"},
        {"LEFTSTR", "7SN", "LEFTSTR(<STR>, <LEN>)| Returns the leftmost N characters of the string <S>"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const TQRLibraryEntry* entry = library.Find(c.name);
        ASSERT_NE(entry, nullptr) << c.name;
        EXPECT_EQ(entry->data, c.data);
        EXPECT_EQ(entry->description, c.description);
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
