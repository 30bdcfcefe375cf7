// A report driven by records: a detail line per record of an SQLite query, a group per key
// with a header and a footer carrying the group's total, a page header with the page number
// and a summary with the grand total, generated on a recording report printer. Prints the
// generation time, records per second, the peak memory above the start of the run and the
// allocations per record, for 10,000 and for 100,000 records (memory must not grow with the
// record count, and the record loop must allocate only for the texts it prints).
//
//   bench_data_report [records] [groups]
//
// Text is measured by the headless fixed-pitch measurer.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <string>

#include <sqlite3.h>
#include <unistd.h>

#include "bench/support/bench_support.h"
#include "database/sqlite_dataset.h"
#include "report/qr_expr.h"
#include "report/qr_group.h"
#include "report/rozer_ededid.h"

namespace {


using Clock = std::chrono::steady_clock;
using namespace quillon;

void Execute(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", error);
        std::exit(1);
    }
}

// rows(id, grp, amount): `records` rows in `groups` runs of equal keys.
void CreateDatabase(const std::string& file, int records, int groups) {
    std::remove(file.c_str());
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    Execute(db, "CREATE TABLE rows (id INTEGER PRIMARY KEY, grp INTEGER, amount REAL); BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO rows VALUES (?, ?, ?)", -1, &insert, nullptr);
    const int perGroup = records / groups;
    for (int i = 0; i < records; ++i) {
        sqlite3_bind_int(insert, 1, i + 1);
        sqlite3_bind_int(insert, 2, i / perGroup + 1);
        sqlite3_bind_double(insert, 3, (i * 7919 % 100000) / 100.0);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Execute(db, "COMMIT");
    sqlite3_close(db);
}

TQRExpr& AddExpr(TQRCustomBand& band, const char* expression, int left, const char* mask = "") {
    TQRExpr& expr = band.Insert(std::make_unique<TQRExpr>(band.Owner()));
    expr.SetExpression(expression);
    expr.SetMask(mask);
    expr.SetLeft(left);
    return expr;
}

struct Figures {
    int records = 0;
    int pages = 0;
    double seconds = 0;
    long peakAboveKiB = 0;
    double allocationsPerRecord = 0;
};

Figures Run(const std::string& file, int records) {
    TQRSqliteDatabase database(file);
    TQRSqliteQuery rows("Rows", database);
    rows.SetSQL("SELECT id, grp, amount FROM rows ORDER BY id");
    rows.Open();

    TRozerEdedid report;
    report.SetDataSet(&rows);
    AddExpr(report.CreateStandardBand(TQRBandType::rbPageHeader), "'Page ' + PAGENUMBER", 0);
    TQRBand& detail = report.CreateStandardBand(TQRBandType::rbDetail);
    detail.SetHeight(20);
    AddExpr(detail, "[id]", 20);
    AddExpr(detail, "[amount]", 300, "#,##0.00");
    TQRGroup& group = report.Insert(std::make_unique<TQRGroup>(&report));
    group.SetExpression("[grp]");
    AddExpr(group, "'Group ' + [grp]", 0);
    TQRBand& footer = report.CreateStandardBand(TQRBandType::rbGroupFooter);
    group.SetFooterBand(&footer);
    AddExpr(footer, "'Total'", 20);
    AddExpr(footer, "SUM([amount])", 300, "#,##0.00").SetResetAfterPrint(true);
    AddExpr(report.CreateStandardBand(TQRBandType::rbSummary), "SUM([amount])", 300, "#,##0.00");
    report.SetQRPrinter(std::make_unique<TQRPrinter>(&report));

    Figures figures;
    figures.records = records;
    bench::ResetPeak();
    const long baseline = bench::StatusKiB("VmRSS:");
    const long long allocationsBefore = bench::AllocationCount();
    const auto start = Clock::now();
    report.GenerateReport(false);
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.allocationsPerRecord = static_cast<double>(bench::AllocationCount() - allocationsBefore) / records;
    figures.peakAboveKiB = bench::StatusKiB("VmHWM:") - baseline;
    figures.pages = report.QRPrinter()->PageTotal();
    if (report.Controller().DetailNumber() != records) {
        std::fprintf(stderr, "printed %d of %d records\n", report.Controller().DetailNumber(),
                     records);
        std::exit(1);
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int groups = argc > 2 ? std::atoi(argv[2]) : 1000;
    const char* tmp = std::getenv("TMPDIR");
    const std::string file = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                             "/quillon-data-report-bench-" + std::to_string(getpid()) + ".db";
    std::printf(
        "Data-driven report: detail per record, group header and footer total per "
        "%d records, page header, summary\n",
        records / groups);
    std::printf("%9s %7s %8s %10s %12s %12s\n", "records", "pages", "seconds", "records/s",
                "peak KiB", "allocs/rec");
    for (const int count : {records / 10, records}) {
        CreateDatabase(file, count, groups / (records / count));
        const Figures f = Run(file, count);
        std::printf("%9d %7d %8.3f %10.0f %12ld %12.2f\n", f.records, f.pages, f.seconds,
                    f.records / f.seconds, f.peakAboveKiB, f.allocationsPerRecord);
    }
    std::remove(file.c_str());
    return 0;
}
