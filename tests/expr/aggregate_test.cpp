// Aggregates accumulate only in aggregate passes and start over on Restart.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expr/evaluator.h"
#include "expr/memory_dataset.h"
#include "tests/expr/expr_test_support.h"

namespace quillon {
namespace {

// One field "V" with one record per value; Pass() runs one aggregate pass per record.
class Aggregates : public ::testing::Test {
protected:
    void SetUp() override { test::UseFixedFormats(); }

    void Load(TQRFieldType type, std::vector<TQRMemoryDataset::Cell> values) {
        data_.AddField("V", type);
        for (auto& v : values) data_.AppendRecord({std::move(v)});
        evaluator_.SetDatasetList(&list_);
    }

    void PassAll() {
        for (data_.First(); !data_.Eof(); data_.Next()) evaluator_.AggregatePass();
    }

    std::string Text() {
        const TQRValue v = evaluator_.Result();
        return v.IsError() ? "error: " + std::string(v.Text()) : ValueToText(v);
    }

    TQRMemoryDataset data_{"Data"};
    TQRDatasetList list_{&data_};
    TQREvaluator evaluator_;
};

TEST_F(Aggregates, SumAverageAndCountOverPasses) {
    Load(ftInteger, {1, 2, 3});
    evaluator_.Compile("STR(SUM([V])) + '/' + STR(AVERAGE([V])) + '/' + STR(COUNT)");
    EXPECT_EQ(Text(), "0/0/0");
    PassAll();
    EXPECT_EQ(Text(), "6/2/3");
    EXPECT_EQ(Text(), "6/2/3") << "evaluating outside a pass must not accumulate";
    evaluator_.Restart();
    EXPECT_EQ(Text(), "0/0/0");
    PassAll();
    PassAll();
    EXPECT_EQ(Text(), "12/2/6");

    evaluator_.Compile("SUM([V])");
    PassAll();
    EXPECT_EQ(evaluator_.Result().Kind(), vkInteger);
    evaluator_.Compile("AVERAGE([V])");
    EXPECT_EQ(evaluator_.Result().Kind(), vkInteger) << "before the first Restart";
    evaluator_.Restart();
    EXPECT_EQ(evaluator_.Result().Kind(), vkFloat);
    PassAll();
    EXPECT_EQ(evaluator_.Result().Kind(), vkFloat);
    EXPECT_EQ(Text(), "2");
}

TEST_F(Aggregates, SumOfMixedNumbersContinuesAsFloatAndTextSpoilsIt) {
    Load(ftFloat, {1.5, 2.25});
    evaluator_.Compile("SUM(IF([V] > 2, [V], 1))");
    PassAll();
    EXPECT_EQ(evaluator_.Result().Kind(), vkFloat);
    EXPECT_EQ(Text(), "3.25");

    evaluator_.Compile("SUM(IF([V] > 2, 'x', [V]))");
    PassAll();
    EXPECT_EQ(Text(), "error: ");
    evaluator_.Restart();
    EXPECT_EQ(Text(), "0");

    evaluator_.Compile("SUM([V] / 0)");
    PassAll();
    EXPECT_EQ(Text(), "error: Cannot divide by 0");
    evaluator_.Compile("SUM([V], 1)");
    PassAll();
    EXPECT_EQ(Text(), "error: ");
}

TEST_F(Aggregates, MaxAndMinCompareByKind) {
    Load(ftString, {std::string("b"), std::string("a"), std::string("c")});
    evaluator_.Compile("MAX([V]) + MIN([V])");
    PassAll();
    EXPECT_EQ(Text(), "ca");

    TQREvaluator booleans;
    booleans.Compile("STR(MIN(TRUE)) + STR(MAX(FALSE))");
    booleans.AggregatePass();
    EXPECT_EQ(ValueToText(booleans.Result()), "TrueFalse");
    booleans.Compile("MIN(IF(COUNT = 1, TRUE, FALSE))");
    booleans.AggregatePass();
    booleans.AggregatePass();
    EXPECT_EQ(ValueToText(booleans.Result()), "False");
}

TEST_F(Aggregates, MaxOfNumbersAndMinAfterRestart) {
    Load(ftInteger, {5, -2, 9, 4});
    evaluator_.Compile("STR(MAX([V])) + ' ' + STR(MIN([V] / 2))");
    PassAll();
    EXPECT_EQ(Text(), "9 -1");
    evaluator_.Restart();
    EXPECT_EQ(Text(), "0 0");
}

TEST_F(Aggregates, CountWithArgumentsIsAnError) {
    Load(ftInteger, {1});
    evaluator_.Compile("COUNT(1)");
    PassAll();
    EXPECT_EQ(Text(), "error: COUNT - Too many arguments");
}

TEST_F(Aggregates, HasAggregatesFindsThemAnywhere) {
    Load(ftFloat, {1.0});
    evaluator_.Compile("'Total: ' + STR(SUM([V]))");
    EXPECT_TRUE(evaluator_.HasAggregates());
    evaluator_.Compile("IF(COUNT > 1, 1, 2)");
    EXPECT_TRUE(evaluator_.HasAggregates());
    evaluator_.Compile("'Total: ' + STR([V])");
    EXPECT_FALSE(evaluator_.HasAggregates());
}

}  // namespace
}  // namespace quillon
