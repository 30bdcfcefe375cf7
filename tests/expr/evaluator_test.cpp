// The prepared element list, the evaluator's life cycle and its limits on hostile texts.

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "expr/environment.h"
#include "expr/evaluator.h"
#include "tests/expr/expr_test_support.h"

namespace quillon {
namespace {

// A short name for each element of the prepared list.
std::vector<std::string> Shape(const TQREvaluator& evaluator) {
    std::vector<std::string> names;
    const TQRFiFo* list = evaluator.Elements();
    for (std::size_t i = 0; i < list->Count(); ++i) {
        const TQREvElement* e = list->At(i);
        if (const auto* op = dynamic_cast<const TQREvElementOperator*>(e)) {
            names.push_back("op" + std::to_string(op->Operator()));
        } else if (dynamic_cast<const TQREvElementConstant*>(e)) {
            names.push_back("number");
        } else if (dynamic_cast<const TQREvElementString*>(e)) {
            names.push_back("string");
        } else if (dynamic_cast<const TQREvElementDataField*>(e)) {
            names.push_back("field");
        } else if (e->IsArgumentEnd()) {
            names.push_back("end");
        } else if (const auto* f = dynamic_cast<const TQREvElementFunction*>(e)) {
            names.push_back(std::string(f->Name()));
        } else {
            names.push_back("other");
        }
    }
    return names;
}

TEST(Evaluator, PreparesAFlatListInPrefixOrder) {
    test::SampleData data;
    TQREvaluator evaluator;
    evaluator.SetDatasetList(&data.list);
    evaluator.Compile("1 + 2 * 3");
    EXPECT_EQ(Shape(evaluator),
              (std::vector<std::string>{"op6", "number", "op9", "number", "number"}));
    evaluator.Compile("IF([Qty] > 10, 'bulk', 'single')");
    EXPECT_EQ(Shape(evaluator), (std::vector<std::string>{"IF", "op2", "field", "number", "string",
                                                          "string", "end"}));
    evaluator.Compile("10 - 4 + 3");
    EXPECT_EQ(Shape(evaluator),
              (std::vector<std::string>{"op7", "number", "op7", "number", "number"}));
}

TEST(Evaluator, ResultNeedsAPreparedExpression) {
    TQREvaluator evaluator;
    EXPECT_FALSE(evaluator.Prepared());
    try {
        (void)evaluator.Result();
        FAIL() << "no exception";
    } catch (const EQRError& e) {
        EXPECT_STREQ(e.what(), "Evaluator not prepared");
    }
    evaluator.Compile("1");
    EXPECT_TRUE(evaluator.Prepared());
    EXPECT_EQ(evaluator.Result().AsInteger(), 1);
    evaluator.Compile("2");
    EXPECT_EQ(evaluator.Result().AsInteger(), 2);
    EXPECT_EQ(GlobalEnvironment().PrepareCount(), 1) << "a second Compile unprepares first";
    evaluator.Discard();
    EXPECT_EQ(GlobalEnvironment().PrepareCount(), 0);
    EXPECT_THROW((void)evaluator.Result(), EQRError);
}

TEST(Evaluator, DeepNestingEndsInAnErrorValue) {
    const int deep = 40000;  // far beyond both limits
    const std::string tail = std::string(deep, ')');
    const std::vector<std::string> texts = {
        std::string(deep, '(') + "1" + tail,
        "F(" + std::string(deep, '(') + "1" + tail + ")",
        [&] {
            std::string s;
            for (int i = 0; i < deep / 8; ++i) s += "SQRT(";
            return s + "1" + std::string(deep / 8, ')');
        }(),
        [&] {
            std::string s;
            for (int i = 0; i < deep / 4; ++i) s += "not ";
            return s + "TRUE";
        }(),
        std::string(deep, '+') + "1",
        std::string(deep, '-') + "1",
        "1" +
            [&] {
                std::string s;
                for (int i = 0; i < deep / 4; ++i) s += " + 1";
                return s;
            }(),
    };
    TQREvaluator evaluator;
    for (const auto& text : texts) {
        const TQRValue value = evaluator.Calculate(text);
        EXPECT_EQ(value.Kind(), vkError) << text.substr(0, 20);
    }
    const std::string moderate = std::string(100, '(') + "1" + std::string(100, ')');
    EXPECT_EQ(evaluator.Calculate(moderate).AsInteger(), 1);
}

TEST(Evaluator, LongChainsOfTermsWork) {
    test::UseFixedFormats();
    std::string sum = "1";
    std::string mixed = "0";
    for (int i = 2; i <= 1000; ++i) {
        sum += " + " + std::to_string(i);
        mixed += (i % 2 == 0 ? " - " : " + ") + std::to_string(i);
    }
    TQREvaluator evaluator;
    EXPECT_EQ(evaluator.Calculate(sum).AsInteger(), 500500);
    // 0 - 2 + 3 - 4 + ... + 999 - 1000, read from left to right.
    EXPECT_EQ(evaluator.Calculate(mixed).AsInteger(), -501);
    EXPECT_EQ(ValueToText(evaluator.Calculate("'Total: ' + STR(" + sum + ")")), "Total: 500500");
}

}  // namespace
}  // namespace quillon
