// Evaluation speed of prepared expressions and the allocations each evaluation makes (there
// should be none: values are fixed-size records and argument lists keep their room).
//
//   bench_expr [evaluations]        (default 1000000 per expression)

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "bench/support/bench_support.h"
#include "expr/environment.h"
#include "expr/evaluator.h"
#include "expr/format_settings.h"
#include "expr/memory_dataset.h"

namespace {


using namespace quillon;
using Clock = std::chrono::steady_clock;

struct Bench {
    const char* label;
    const char* text;
    bool aggregate;  // an aggregate pass per evaluation, over the records in turn
};

}  // namespace

int main(int argc, char** argv) {
    const long evaluations = argc > 1 ? std::atol(argv[1]) : 1000000;
    TQRFormatSettings settings;
    SetFormatSettings(settings);

    TQRMemoryDataset orders("Orders");
    orders.AddField("Qty", ftInteger);
    orders.AddField("Amount", ftFloat);
    orders.AddField("Name", ftString);
    for (int i = 0; i < 100; ++i) {
        orders.AppendRecord({i, i * 1.25, std::string("Customer number ") + std::to_string(i)});
    }
    TQRDatasetList datasets{&orders};
    auto report = NewReportEnvironment();
    report->SetDatasetList(&datasets);
    GlobalEnvironment().Compile();
    report->Compile();
    report->StoreInteger(report->ConstantElement("PAGENUMBER"), 3);

    const Bench benches[] = {
        {"total with aggregate pass", "'Total: ' + STR(SUM([Amount]))", true},
        {"total, report only", "'Total: ' + STR(SUM([Amount]))", false},
        {"arithmetic", "([Qty] * 2 + 3.5) / 4 - 1 * 7 + 100 / 3", false},
        {"integer arithmetic", "1 + 2 * 3 - 4 + 5 * 6 - 7", false},
        {"strings", "UPPER(COPY([Name], 1, 8)) + ' ' + RIGHTSTR([Name], 2)", false},
        {"condition", "IF([Qty] > 50 and [Amount] < 100.0, 'bulk', 'single')", false},
        {"page number", "'Page ' + STR(PAGENUMBER) + ' of ' + REPORTTITLE", false},
    };
    std::printf("%-28s %16s %22s\n", "expression", "evaluations/s", "allocations/evaluation");
    int sink = 0;
    for (const Bench& bench : benches) {
        TQREvaluator evaluator;
        evaluator.SetEnvironment(report.get());
        evaluator.SetDatasetList(&datasets);
        evaluator.Compile(bench.text);
        evaluator.Restart();
        (void)evaluator.Result();  // first evaluation outside the measurement
        orders.First();
        const long long before = bench::AllocationCount();
        const auto start = Clock::now();
        for (long i = 0; i < evaluations; ++i) {
            if (bench.aggregate) {
                if (orders.Eof()) orders.First();
                evaluator.AggregatePass();
                orders.Next();
            }
            sink += static_cast<int>(evaluator.Result().Text().size());
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const long long allocations = bench::AllocationCount() - before;
        std::printf("%-28s %16.0f %22.3f\n", bench.label, evaluations / seconds,
                    static_cast<double>(allocations) / static_cast<double>(evaluations));
    }

    // Preparing a long chain costs time in proportion to its length.
    for (int terms : {1000, 2000}) {
        std::string sum = "1";
        for (int i = 2; i <= terms; ++i) sum += " + " + std::to_string(i);
        TQREvaluator evaluator;
        const int rounds = 200;
        const auto start = Clock::now();
        for (int i = 0; i < rounds; ++i) evaluator.Compile(sum);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("prepare sum of %d terms: %.1f us (value %s)\n", terms, seconds / rounds * 1e6,
                    ValueToText(evaluator.Result()).c_str());
    }
    report->Discard();
    GlobalEnvironment().Discard();
    return sink == -1 ? 1 : 0;
}
