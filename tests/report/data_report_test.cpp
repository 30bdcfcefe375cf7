// Reports driven by records: the record loop, groups and their change rules, headers reprinted
// on new pages, sub-details before and after the detail, expression printables with aggregates
// and masks, forced pages after the title, progress and cancelling. Records come from
// in-memory tables or OnNeedData; texts are read back from the recorded pages.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "expr/format_settings.h"
#include "expr/memory_dataset.h"
#include "report/qr_expr.h"
#include "report/qr_group.h"
#include "report/qr_subdetail.h"
#include "report/rozer_ededid.h"
#include "tests/output/printer_test_support.h"
#include "tests/report/report_test_support.h"
#include "tests/report/size_test_owners.h"

namespace quillon {
namespace {

using testing::Generate;
using testing::PageStrings;
using testing::ScopedMeasurement;
using Strings = std::vector<std::string>;
using Pages = std::vector<Strings>;

// Every text of every page, in order.
Strings AllStrings(TQRPrinter& printer) {
    Strings all;
    for (const Strings& page : PageStrings(printer))
        all.insert(all.end(), page.begin(), page.end());
    return all;
}

// An expression printable showing `expression` on `band`.
TQRExpr& AddExpr(TQRCustomBand& band, const std::string& expression) {
    TQRExpr& expr = band.Insert(std::make_unique<TQRExpr>(band.Owner()));
    expr.SetExpression(expression);
    return expr;
}

TQRCustomBand& BandWith(TCustomRozerEdedid& report, TQRBandType type,
                        const std::string& expression) {
    TQRBand& band = report.CreateStandardBand(type);
    AddExpr(band, expression);
    return band;
}

// A group on `report` whose header shows `header` and whose footer shows `footer`.
TQRGroup& AddGroup(TCustomRozerEdedid& report, const std::string& expression,
                   const std::string& header, const std::string& footer) {
    TQRGroup& group = report.Insert(std::make_unique<TQRGroup>(&report));
    group.SetExpression(expression);
    if (!header.empty()) AddExpr(group, header);
    if (!footer.empty()) {
        TQRBand& band = report.CreateStandardBand(TQRBandType::rbGroupFooter);
        AddExpr(band, footer);
        group.SetFooterBand(&band);
    }
    return group;
}

TQRSubDetail& AddSubDetail(TCustomRozerEdedid& report, const std::string& name,
                           const std::string& expression) {
    TQRSubDetail& sub = report.Insert(std::make_unique<TQRSubDetail>(&report));
    sub.SetName(name);
    if (!expression.empty()) AddExpr(sub, expression);
    return sub;
}

class DataReport : public ::testing::Test {
protected:
    ScopedMeasurement metric_{MeasurementSystem::kMetric};
    TRozerEdedid report_;
};

TEST_F(DataReport, GroupsChangeWithTheirValueOrKindAndCarryLaterGroupsAlong) {
    // A change of the first group restarts the second even when its value stays (Varna).
    TQRMemoryDataset places("Places");
    places.AddField("country", ftString);
    places.AddField("city", ftString);
    places.AddField("n", ftInteger);
    places.AppendRecord({"BG", "Sofia", 1});
    places.AppendRecord({"BG", "Sofia", 2});
    places.AppendRecord({"BG", "Varna", 3});
    places.AppendRecord({"RO", "Varna", 4});
    places.AppendRecord({"RO", "Varna", 5});
    report_.SetDataSet(&places);
    BandWith(report_, TQRBandType::rbDetail, "[n]");
    AddGroup(report_, "[country]", "'C ' + [country]", "'/C ' + [country]");
    AddGroup(report_, "[city]", "'T ' + [city]", "'/T ' + [city]");
    EXPECT_EQ(AllStrings(Generate(report_)),
              (Strings{"C BG", "T Sofia", "1", "2", "/T Sofia", "T Varna", "3", "/T Varna", "/C BG",
                       "C RO", "T Varna", "4", "5", "/T Varna", "/C RO"}));
}

TEST_F(DataReport, GroupChangeRulesForEachKindOfValue) {
    struct Case {
        const char* expression;
        std::vector<int> keys;
        const char* printed;
    };
    const Case cases[] = {
        {"[k]", {1, 1, 2}, "H d d F H d F"},
        {"IF([k] = 1, 1, '1')", {1, 2}, "H d F H d F"},  // integer 1, then the string 1
        {"[k] / 2", {2, 2, 3}, "H d d F H d F"},
        {"[k] > 1", {1, 2, 3}, "H d F H d d F"},
        {"'same'", {1, 2, 3}, "H d d d F"},
        {"[k]", {7}, "H d F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        TRozerEdedid report;
        TQRMemoryDataset data("Data");
        data.AddField("k", ftInteger);
        for (const int key : c.keys) data.AppendRecord({key});
        report.SetDataSet(&data);
        BandWith(report, TQRBandType::rbDetail, "'d'");
        AddGroup(report, c.expression, "'H'", "'F'");
        std::string printed;
        for (const std::string& s : AllStrings(Generate(report))) {
            printed += printed.empty() ? s : " " + s;
        }
        EXPECT_EQ(printed, c.printed);
    }
}

TEST_F(DataReport, AFaultyGroupExpressionPrintsItsErrorAndTheReportGoesOn) {
    TQRMemoryDataset data("Data");
    data.AddField("k", ftInteger);
    for (int i = 1; i <= 3; ++i) data.AppendRecord({i});
    report_.SetDataSet(&data);
    BandWith(report_, TQRBandType::rbDetail, "[k]");
    AddGroup(report_, "[k", "[k", "'end'");
    EXPECT_EQ(AllStrings(Generate(report_)), (Strings{"Missing ]", "1", "2", "3", "end"}));
    EXPECT_TRUE(report_.Available());
}

TEST_F(DataReport, SubDetailsPrintBeforeAndAfterTheDetailForEachMasterRecord) {
    TQRMemoryDataset masters("M");
    masters.AddField("m", ftInteger);
    masters.AppendRecord({1});
    masters.AppendRecord({2});
    TQRMemoryDataset lines("L");
    lines.AddField("v", ftString);
    lines.AppendRecord({"x"});
    lines.AppendRecord({"y"});
    report_.SetDataSet(&masters);
    BandWith(report_, TQRBandType::rbTitle, "'title'");
    BandWith(report_, TQRBandType::rbDetail, "'D' + [m]");
    BandWith(report_, TQRBandType::rbSummary, "'sum'");

    // Before the detail: two records asked of OnNeedData, numbered by the band's function.
    TQRSubDetail& before = AddSubDetail(report_, "SubA", "'a' + SUBA");
    before.SetPrintBefore(true);
    int asked = 0;
    before.SetOnNeedData([&asked](TComponent& sender, bool& more) {
        EXPECT_EQ(sender.Name(), "SubA");
        more = asked++ % 3 < 2;
    });
    // After it: a dataset with header and footer bands.
    TQRSubDetail& after = AddSubDetail(report_, "SubB", "[L.v]");
    after.SetDataSet(&lines);
    after.Bands().SetHasHeader(true);
    after.Bands().SetHasFooter(true);
    AddExpr(*after.HeaderBand(), "'bh'");
    AddExpr(*after.FooterBand(), "'bf'");
    // A group of the sub-detail's own records.
    TQRGroup& group = AddGroup(report_, "[L.v]", "'g' + [L.v]", "'/g' + [L.v]");
    group.SetName("LineGroup");
    group.SetMaster(&after);

    EXPECT_EQ(
        AllStrings(Generate(report_)),
        (Strings{"title", "a1", "a2", "D1", "bh", "gx", "x",   "/gx", "gy", "y",   "/gy", "bf",
                 "a1",    "a2", "D2", "bh", "gx", "x",  "/gx", "gy",  "y",  "/gy", "bf",  "sum"}));
    // The band list shows the same order.
    std::vector<std::string> names;
    for (const TQRCustomBand* band : report_.BandList()) names.push_back(band->Name());
    EXPECT_EQ(names, (Strings{"TitleBand1", "SubA", "DetailBand1", "GroupHeaderBand1", "LineGroup",
                              "SubB", "GroupFooterBand2", "GroupFooterBand1", "SummaryBand1"}));
    EXPECT_EQ(report_.Functions().Result("SUBA").AsInteger(), 0) << "0 outside a run";

    after.Bands().SetHasFooter(false);
    EXPECT_EQ(after.FooterBand(), nullptr);
    EXPECT_EQ(report_.FindComponent("GroupFooterBand1"), nullptr);
}

TEST_F(DataReport, ControllerBandsRefuseCircularMastersAndKeepTheirNameAsAFunction) {
    TQRSubDetail& a = AddSubDetail(report_, "A", "");
    TQRSubDetail& b = AddSubDetail(report_, "B", "");
    b.SetMaster(&a);
    a.SetMaster(&b);
    EXPECT_EQ(a.Master(), nullptr) << "a chain back to the band is refused";
    a.SetMaster(&a);
    EXPECT_EQ(a.Master(), nullptr);
    EXPECT_EQ(b.Master(), &a);

    EXPECT_TRUE(report_.Functions().Contains("A"));
    a.SetName("Lines");
    EXPECT_FALSE(report_.Functions().Contains("A"));
    EXPECT_TRUE(report_.Functions().Contains("LINES"));
    report_.DeleteChild(b);
    EXPECT_FALSE(report_.Functions().Contains("B"));
}

TEST_F(DataReport, AggregatesFollowTheMasterAndResetAfterPrintWhenAsked) {
    TQRMemoryDataset data("Data");
    data.AddField("g", ftString);
    data.AddField("v", ftInteger);
    data.AppendRecord({"A", 1});
    data.AppendRecord({"A", 2});
    data.AppendRecord({"B", 3});
    data.AppendRecord({"B", 4});
    report_.SetDataSet(&data);
    BandWith(report_, TQRBandType::rbDetail, "[v]");
    TQRGroup& group = AddGroup(report_, "[g]", "[g]", "'per group ' + SUM([v])");
    AddExpr(*group.FooterBand(), "'running ' + SUM([v])");
    dynamic_cast<TQRExpr&>(group.FooterBand()->Control(0)).SetResetAfterPrint(true);
    BandWith(report_, TQRBandType::rbSummary, "COUNT");
    // The master is the report: the summary counts without an aggregate of its own.
    TQRExpr& total = AddExpr(*report_.Bands().SummaryBand(), "'total ' + SUM([v])");
    total.SetMaster(&report_);

    const Strings expected{"A", "1", "2",           "per group 3", "running 3", "B",
                           "3", "4", "per group 7", "running 10",  "4",         "total 10"};
    EXPECT_EQ(AllStrings(Generate(report_)), expected);
    EXPECT_EQ(AllStrings(Generate(report_)), expected) << "a new run starts from 0";

    // A disabled detail band prints nothing, but its records still count.
    report_.Bands().DetailBand()->SetEnabled(false);
    EXPECT_EQ(AllStrings(Generate(report_)),
              (Strings{"A", "per group 3", "running 3", "B", "per group 7", "running 10", "4",
                       "total 10"}));
}

TEST_F(DataReport, ExpressionPrintablesShowTheirExpressionOutsideARun) {
    TQRExpr& expr = AddExpr(BandWith(report_, TQRBandType::rbTitle, "'t'"), "");
    EXPECT_EQ(expr.Caption(), "(none)");
    expr.SetExpression("1 = 1");
    expr.SetMask("0.00");
    EXPECT_EQ(expr.Caption(), "1 = 1");
    EXPECT_EQ(AllStrings(Generate(report_)), (Strings{"t", "True"}));
    EXPECT_EQ(expr.Caption(), "1 = 1");
    EXPECT_EQ(expr.PrintText(), "1 = 1");
    expr.SetExpression("");
    EXPECT_EQ(expr.Caption(), "(none)");
    EXPECT_EQ(expr.Caption().size(), 6u);
}

TEST_F(DataReport, AnExpressionContinuedOnTheNextPageKeepsItsText) {
    // One word per line in a large font, more lines than a page holds; the page number is
    // taken once.
    std::string words;
    for (int i = 1; i <= 100; ++i) words += " w" + std::to_string(i);
    TQRExpr& expr = AddExpr(report_.CreateStandardBand(TQRBandType::rbTitle),
                            "IF(PAGENUMBER = 1, 'p1', 'p2 x y z') + '" + words + "'");
    FontSpec font = expr.Font();
    font.size = 30;
    expr.SetFont(font);
    expr.SetAutoSize(false);
    expr.SetAutoStretch(true);
    expr.SetWidth(100);
    const Pages pages = PageStrings(Generate(report_));
    ASSERT_GE(pages.size(), 2u);
    Strings lines;
    for (const Strings& page : pages) lines.insert(lines.end(), page.begin(), page.end());
    // The value's 255 bytes, one word (with its blank) per line.
    const std::string value = ("p1" + words).substr(0, 255);
    Strings expected;
    for (std::size_t start = 0; start < value.size();) {
        const std::size_t blank = value.find(' ', start);
        const std::size_t end = blank == std::string::npos ? value.size() : blank + 1;
        expected.push_back(value.substr(start, end - start));
        start = end;
    }
    EXPECT_EQ(lines, expected);
}

TEST_F(DataReport, AnEmptyDatasetPrintsTheBodyOnceWhenAsked) {
    TQRMemoryDataset data("Data");
    data.AddField("k", ftInteger);
    report_.SetDataSet(&data);
    BandWith(report_, TQRBandType::rbTitle, "'T'");
    BandWith(report_, TQRBandType::rbDetail, "'d' + [k]");
    BandWith(report_, TQRBandType::rbSummary, "COUNT");
    AddGroup(report_, "[k]", "'H'", "'F'");
    EXPECT_EQ(AllStrings(Generate(report_)), (Strings{"T", "d0", "0"})) << "no group, no record";
    report_.SetPrintIfEmpty(false);
    EXPECT_EQ(Generate(report_).PageTotal(), 0);
    // A closed dataset counts as no data at all, and its fields read empty.
    data.AppendRecord({1});
    data.Close();
    report_.SetPrintIfEmpty(true);
    EXPECT_EQ(AllStrings(Generate(report_)), (Strings{"T", "d0", "0"}));
}

TEST(ExprValueText, MasksFormatNumbersAndOtherKindsPrintTheirText) {
    TQRFormatSettings settings;
    settings.decimalSeparator = ',';
    settings.thousandSeparator = ' ';
    SetFormatSettings(settings);
    struct Case {
        TQRValue value;
        const char* mask;
        const char* text;
    };
    const Case cases[] = {
        {TQRValue::Integer(1234567), "#,##0", "1 234 567"},
        {TQRValue::Integer(-5), "", "-5"},
        {TQRValue::Float(1234.5), "0.00", "1234,50"},
        {TQRValue::Float(2.5), "", "2,5"},
        {TQRValue::Float(-2.5), "0.00;(0.00)", "(2,50)"},
        {TQRValue::Float(0), "0.00;-0.00;'zero'", "zero"},
        {TQRValue::Float(1.5), "'unterminated", "Invalid format or value specified"},
        {TQRValue::Boolean(true), "0.00", "True"},
        {TQRValue::Boolean(false), "", "False"},
        {TQRValue::String("abc"), "0.00", "abc"},
        {TQRValue::Error("Missing ]"), "", "Missing ]"},
    };
    for (const Case& c : cases) {
        TQRValue out;
        ExprValueText(c.value, c.mask, out);
        EXPECT_EQ(out.Text(), c.text) << c.mask;
    }
    SetFormatSettings(TQRFormatSettings{});
}

// `records` records asked of OnNeedData in each run.
void NeedRecords(TCustomRozerEdedid& report, int records) {
    auto given = std::make_shared<int>(0);
    report.BeforePrint = [given](TCustomRozerEdedid&, bool&) { *given = 0; };
    report.OnNeedData = [given, records](TComponent&, bool& more) { more = ++*given <= records; };
}

TEST_F(DataReport, AForcedPageRightAfterTheTitleOrColumnHeaderIsIgnoredOnce) {
    NeedRecords(report_, 3);
    BandWith(report_, TQRBandType::rbDetail, "COUNT").SetForceNewPage(true);
    EXPECT_EQ(PageStrings(Generate(report_)), (Pages{{"1"}, {"2"}, {"3"}}));
    BandWith(report_, TQRBandType::rbTitle, "'T'");
    EXPECT_EQ(PageStrings(Generate(report_)), (Pages{{"T", "1"}, {"2"}, {"3"}}));
    BandWith(report_, TQRBandType::rbColumnHeader, "'CH'");
    EXPECT_EQ(PageStrings(Generate(report_)), (Pages{{"T", "CH", "1"}, {"CH", "2"}, {"CH", "3"}}));
}

TEST_F(DataReport, GroupHeadersAskedForAreReprintedOnEachNewPage) {
    for (const bool reprint : {true, false}) {
        SCOPED_TRACE(reprint);
        TRozerEdedid report;
        TQRMemoryDataset data("Data");
        data.AddField("g", ftInteger);
        for (int i = 0; i < 60; ++i) data.AppendRecord({i < 50 ? 1 : 2});
        report.SetDataSet(&data);
        BandWith(report, TQRBandType::rbPageHeader, "'P' + PAGENUMBER");
        BandWith(report, TQRBandType::rbDetail, "'d'");
        AddGroup(report, "[g]", "'H' + [g]", "'F' + [g]").SetReprintOnNewPage(reprint);
        // The summary takes a page of its own: no group goes on there.
        BandWith(report, TQRBandType::rbSummary, "'S'").SetForceNewPage(true);
        const Pages pages = PageStrings(Generate(report));
        ASSERT_EQ(pages.size(), 4u);
        EXPECT_EQ(pages[0][1], "H1");
        EXPECT_EQ(pages[1][0], "P2");
        EXPECT_EQ(pages[1][1], reprint ? "H1" : "d");
        EXPECT_EQ(pages[3], (Strings{"P4", "S"}));
        int headers = 0;
        for (const Strings& page : pages) {
            for (const std::string& s : page) headers += s[0] == 'H' ? 1 : 0;
        }
        EXPECT_EQ(headers, reprint ? 4 : 2) << "H1 on pages 1, 2 and 3, H2 once";
    }
}

TEST_F(DataReport, ProgressRisesWithTheRecordsOfTheReportsDataset) {
    testing::ScopedServices services;
    TQRMemoryDataset data("Data");
    data.AddField("k", ftInteger);
    for (int i = 0; i < 200; ++i) data.AppendRecord({i});
    report_.SetDataSet(&data);
    BandWith(report_, TQRBandType::rbDetail, "[k]");
    testing::RecordingClient client;
    report_.SetQRPrinter(std::make_unique<TQRPrinter>(&report_));
    report_.QRPrinter()->SetProgressTarget(&client);
    report_.GenerateReport(false);
    services.queue.ProcessMessages();
    const std::vector<std::intptr_t> percents = client.Params(kMsgProgress);
    ASSERT_EQ(percents.size(), 101u);
    for (std::size_t i = 0; i < percents.size(); ++i) {
        EXPECT_EQ(percents[i], static_cast<std::intptr_t>(i));
    }
}

// Cancels the run it belongs to when its message runs.
class Canceller : public MessageTarget {
public:
    explicit Canceller(TCustomRozerEdedid& report) : report_(report) {}
    void HandleMessage(const Message&) override { report_.CancelRun(); }

private:
    TCustomRozerEdedid& report_;
};

TEST_F(DataReport, CancellingStopsBeforeTheNextRecordAndAbortsThePrinting) {
    testing::FakePrinterSystem system;
    testing::ScopedServices services(&system);
    NeedRecords(report_, 100);
    BandWith(report_, TQRBandType::rbDetail, "COUNT");
    Canceller canceller(report_);
    // The user's click arrives while record 5 prints; the loop sees it before record 6.
    report_.Bands().DetailBand()->AfterPrint = [&](TQRCustomBand&, bool) {
        if (report_.Controller().DetailNumber() == 5) services.queue.Post(canceller, {});
    };
    BandWith(report_, TQRBandType::rbSummary, "'summary'");
    report_.SetQRPrinter(std::make_unique<TQRPrinter>(&report_));
    TQRPrinter& printer = *report_.QRPrinter();
    printer.SetDestination(TQRPageTarget::ptDevice);
    auto* device = dynamic_cast<testing::FakePrinterDevice*>(printer.Device());
    ASSERT_NE(device, nullptr);
    report_.GenerateReport(false);

    EXPECT_TRUE(report_.Cancelled());
    EXPECT_EQ(report_.Controller().DetailNumber(), 5);
    EXPECT_NE(printer.State(), TQRPrinterState::prsBusy);
    EXPECT_FALSE(device->Printing());
    ASSERT_FALSE(device->Calls().empty());
    EXPECT_EQ(device->Calls().back(), "Abort");
    for (const auto& text : device->Texts()) EXPECT_NE(text.text, "summary");
    EXPECT_TRUE(report_.Available());
}

}  // namespace
}  // namespace quillon
