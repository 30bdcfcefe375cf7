// Environments: named expressions, the report's page and column numbers, the global
// environment, recursion and prepare counting.

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "expr/environment.h"
#include "expr/evaluator.h"
#include "expr/format_settings.h"
#include "tests/expr/expr_test_support.h"

namespace quillon {
namespace {

std::string Text(const TQRValue& v) {
    return v.IsError() ? "error: " + std::string(v.Text()) : ValueToText(v);
}

class Environments : public ::testing::Test {
protected:
    void SetUp() override {
        test::UseFixedFormats();
        ASSERT_FALSE(GlobalEnvironment().Compiled()) << "an earlier test left it prepared";
    }
    void TearDown() override { EXPECT_FALSE(GlobalEnvironment().Compiled()); }
};

TEST_F(Environments, ANewReportEnvironmentEvaluatesItsExpressions) {
    auto report = NewReportEnvironment();
    const TQRValue page = report->Result("PAGENUMBER");
    EXPECT_EQ(page.Kind(), vkInteger);
    EXPECT_EQ(page.AsInteger(), 0);
    EXPECT_EQ(report->Result("ReportTitle").Kind(), vkString);
    EXPECT_EQ(report->Result("ReportTitle").Text(), "");
    EXPECT_EQ(Text(report->Result("NOSUCHNAME")), "error: ");

    TQREvaluator evaluator;
    evaluator.SetEnvironment(report.get());
    EXPECT_EQ(Text(evaluator.Calculate("PAGENUMBER + 1")), "1");

    report->AddFunction("pagenumber", "42");
    EXPECT_EQ(report->Count(), 3);
    EXPECT_EQ(Text(report->Result("PAGENUMBER")), "0");
}

// The calls report generation makes: prepare, take the constants, store page, column and title.
TEST_F(Environments, AReportRunStoresPageColumnAndTitle) {
    auto report = NewReportEnvironment();
    TQREvaluator printable;
    printable.SetEnvironment(report.get());
    for (int run = 0; run < 3; ++run) {
        GlobalEnvironment().Compile();
        report->Compile();
        TQREvElement* page = report->ConstantElement("PAGENUMBER");
        TQREvElement* column = report->ConstantElement("COLUMNNUMBER");
        TQREvElement* title = report->ConstantElement("REPORTTITLE");
        ASSERT_NE(page, nullptr);
        ASSERT_NE(column, nullptr);
        ASSERT_NE(title, nullptr);
        report->StoreText(title, "Monthly sales");
        printable.Compile("REPORTTITLE + ' p.' + STR(PAGENUMBER) + '/' + STR(COLUMNNUMBER)");
        for (int number = 1; number <= 2; ++number) {
            report->StoreInteger(page, number);
            report->StoreInteger(column, 1);
            EXPECT_EQ(Text(printable.Result()), "Monthly sales p." + std::to_string(number) + "/1");
        }
        // Setters leave elements of other classes alone.
        report->StoreInteger(title, 7);
        report->StoreText(page, "x");
        EXPECT_EQ(Text(printable.Result()), "Monthly sales p.2/1");
        printable.Discard();
        report->Discard();
        GlobalEnvironment().Discard();
        EXPECT_EQ(GlobalEnvironment().PrepareCount(), 0) << "run " << run;
        EXPECT_FALSE(report->Compiled());
    }
    EXPECT_EQ(Text(report->Result("PAGENUMBER")), "0");
}

TEST_F(Environments, StoreValueAndExpressionsThatAreNotConstants) {
    TQREvEnvironment env;
    env.AddFunction("N", "1");
    env.AddFunction("S", "'a'");
    env.AddFunction("SUMMED", "1 + 1");
    env.Compile();
    env.StoreValue(env.ConstantElement("N"), TQRValue::String("text"));
    env.StoreValue(env.ConstantElement("S"), TQRValue::Integer(5));
    EXPECT_EQ(Text(env.Result("N")), "text");
    EXPECT_EQ(Text(env.Result("S")), "a");
    env.StoreValue(env.ConstantElement("S"), TQRValue::String("b"));
    EXPECT_EQ(Text(env.Result("S")), "b");
    env.StoreInteger(env.ConstantElement("SUMMED"), 9);
    EXPECT_EQ(Text(env.Result("SUMMED")), "2");
    EXPECT_EQ(env.ConstantElement("ABSENT"), nullptr);
    env.Discard();
    EXPECT_EQ(env.ConstantElement("N"), nullptr) << "not prepared";
}

TEST_F(Environments, RecursionIsAnErrorAndTheFlagIsCleared) {
    TQREvEnvironment env;
    env.AddFunction("X", "X + 1");
    env.AddFunction("A", "B * 2");
    env.AddFunction("B", "A + 1");
    env.AddFunction("ONE", "1");
    env.AddFunction("TWICE", "ONE + ONE");
    TQREvaluator evaluator;
    evaluator.SetEnvironment(&env);
    for (bool prepared : {false, true}) {
        if (prepared) env.Compile();
        EXPECT_EQ(Text(evaluator.Calculate("X")), "error: Recursive calls not allowed");
        EXPECT_EQ(Text(evaluator.Calculate("A")), "error: Recursive calls not allowed");
        EXPECT_EQ(Text(evaluator.Calculate("TWICE + ONE")), "3");
        EXPECT_EQ(Text(evaluator.Calculate("X")), "error: Recursive calls not allowed");
    }
    env.Discard();
}

TEST_F(Environments, PrepareCountingAndFunctionsAddedWhilePrepared) {
    TQREvEnvironment env;
    env.AddFunction("ONE", "1");
    env.Compile();
    env.Compile();
    env.Discard();
    EXPECT_TRUE(env.Compiled());
    EXPECT_NE(env.ConstantElement("ONE"), nullptr);
    env.AddFunction("TWO", "2");
    EXPECT_NE(env.ConstantElement("TWO"), nullptr) << "prepared at once";
    EXPECT_FALSE(env.RemoveFunction("ONE"));
    EXPECT_FALSE(env.Clear());
    EXPECT_EQ(env.Count(), 2);
    env.Discard();
    env.Discard();
    EXPECT_FALSE(env.Compiled());
    EXPECT_EQ(env.PrepareCount(), 0);
    EXPECT_TRUE(env.RemoveFunction("one"));
    EXPECT_TRUE(env.RemoveFunction("absent"));
    EXPECT_EQ(env.Count(), 1);
    EXPECT_EQ(env.Name(0), "TWO");
    EXPECT_TRUE(env.Clear());
    EXPECT_EQ(env.Count(), 0);
}

TEST_F(Environments, OwnEnvironmentComesBeforeTheGlobalOne) {
    TQREvEnvironment env;
    env.AddFunction("AppName", "'mine'");
    TQREvaluator evaluator;
    EXPECT_EQ(Text(evaluator.Calculate("AppName")), "Quillon");
    evaluator.SetEnvironment(&env);
    EXPECT_EQ(Text(evaluator.Calculate("appname")), "mine");
    // A name the own environment lacks still comes from the global one: the start date.
    const std::string before = ShortDateText(LocalNow());
    CreateGlobalEnvironment("Quillon");
    const std::string after = ShortDateText(LocalNow());
    const std::string date = Text(evaluator.Calculate("APPSTARTDATE"));
    EXPECT_TRUE(date == before || date == after) << date << " is not the date of " << before;
}

TEST_F(Environments, GlobalEnvironmentHoldsStartTimeDateAndTitle) {
    CreateGlobalEnvironment("DOS Printer");
    TQREvaluator evaluator;
    EXPECT_EQ(Text(evaluator.Calculate("AppName")), "DOS Printer");
    EXPECT_EQ(Text(evaluator.Calculate("appname")), "DOS Printer");
    const std::string time = Text(evaluator.Calculate("AppStartTime"));
    const std::string date = Text(evaluator.Calculate("AppStartDate"));
    EXPECT_TRUE(std::regex_match(time, std::regex(R"(\d\d:\d\d:\d\d)"))) << time;
    EXPECT_TRUE(std::regex_match(date, std::regex(R"(\d\d\.\d\d\.\d{4})"))) << date;
    EXPECT_EQ(Text(evaluator.Calculate("TIME")).size(), 8u);
    EXPECT_EQ(Text(evaluator.Calculate("DATE")).size(), 10u);

    evaluator.Compile("AppName");
    EXPECT_THROW(CreateGlobalEnvironment("Other"), EQRError) << "in use";
    evaluator.Discard();
    CreateGlobalEnvironment("Quillon");
}

TEST_F(Environments, WrappersOfAbsentNamesAndWrappersThatOutliveTheirEnvironment) {
    TQREvEnvironment env;
    env.AddFunction("K", "21 * 2");
    TQRFiFo list;
    list.Append(env.CreateWrapper("Missing"));
    EXPECT_EQ(Text(list.At(0)->Result(list)), "error: Unknown function : Missing");

    auto temporary = std::make_unique<TQREvEnvironment>();
    temporary->AddFunction("K", "21 * 2");
    TQREvaluator evaluator;
    evaluator.SetEnvironment(temporary.get());
    evaluator.Compile("K + 1");
    temporary.reset();
    evaluator.SetEnvironment(nullptr);
    EXPECT_EQ(Text(evaluator.Result()), "43");
}

TEST_F(Environments, FunctionsReadTheEnvironmentsDatasets) {
    test::SampleData data;
    TQREvEnvironment env;
    env.SetDatasetList(&data.list);
    env.AddFunction("DOUBLEQTY", "[Qty] * 2");
    TQREvaluator evaluator;
    evaluator.SetEnvironment(&env);
    EXPECT_EQ(Text(evaluator.Calculate("DOUBLEQTY")), "24");
    env.Compile();
    evaluator.Compile("DOUBLEQTY");
    data.orders.Next();
    EXPECT_EQ(Text(evaluator.Result()), "6");
    evaluator.Discard();
    env.Discard();
}

TEST_F(Environments, StoredFormPairsNamesWithExpressions) {
    TQREvEnvironment env;
    ASSERT_TRUE(env.ReadStoredForm({"pagenumber", "Total", "Extra"}, {"0", "[Amount] * 2"}));
    ASSERT_EQ(env.Count(), 3);
    EXPECT_EQ(env.Name(0), "PAGENUMBER");
    EXPECT_EQ(env.Name(1), "TOTAL");
    EXPECT_EQ(env.Expressions(), (std::vector<std::string>{"0", "[Amount] * 2", ""}));
    env.Compile();
    EXPECT_FALSE(env.ReadStoredForm({"A"}, {"1"})) << "refused while prepared";
    env.Discard();
}

}  // namespace
}  // namespace quillon
