// Expression texts from anywhere: preparing and evaluating must never crash, hang or exhaust the
// stack, whatever the text; faults end in error values. The text is also used as the expression
// of an environment function and as a number mask.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "expr/environment.h"
#include "expr/evaluator.h"
#include "expr/memory_dataset.h"
#include "expr/number_format.h"

namespace {

using namespace quillon;

struct Fixture {
    TQRMemoryDataset orders{"Orders"};
    TQRDatasetList datasets{&orders};
    std::unique_ptr<TQREvEnvironment> report = NewReportEnvironment();

    Fixture() {
        TQRFormatSettings settings;
        settings.decimalSeparator = ',';
        settings.thousandSeparator = ' ';
        SetFormatSettings(settings);
        orders.AddField("Qty", ftInteger);
        orders.AddField("Amount", ftFloat);
        orders.AddField("Name", ftString);
        orders.AddField("Paid", ftBoolean);
        orders.AddField("Photo", ftBlob);
        orders.AppendRecord({12, 2.5, std::string("Widget"), true});
        orders.AppendRecord({-3, 1e300, std::string(300, 'x'), false});
        report->SetDatasetList(&datasets);
        report->AddFunction("TWICE", "[Qty] * 2");
        report->AddFunction("LOOP", "LOOP + 1");
    }
};

void Check(const TQRValue& value) {
    if (value.Text().size() > TQRValue::kMaxText) std::abort();
    if (!value.IsError()) (void)ValueToText(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    TQREvaluator evaluator;
    evaluator.SetEnvironment(fixture.report.get());
    evaluator.SetDatasetList(&fixture.datasets);
    evaluator.Compile(text);
    fixture.orders.First();
    Check(evaluator.Result());
    for (; !fixture.orders.Eof(); fixture.orders.Next()) evaluator.AggregatePass();
    Check(evaluator.Result());
    evaluator.Restart();
    Check(evaluator.Result());
    evaluator.Discard();

    // The same text as an environment function, used from another expression.
    TQREvEnvironment environment;
    environment.AddFunction("F", text);
    evaluator.SetEnvironment(&environment);
    Check(evaluator.Calculate("F + 1"));
    environment.Compile();
    Check(environment.Result("F"));
    environment.Discard();

    TQRValue formatted = TQRValue::String();
    (void)FormatNumber(text, -1234.5678, FormatSettings(), formatted);
    (void)FormatNumber(text, 0.000123, FormatSettings(), formatted);
    Check(formatted);

    if (GlobalEnvironment().Compiled() || fixture.report->Compiled()) std::abort();
    return 0;
}
