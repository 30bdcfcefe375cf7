// Preview figures for a long report: the program's report over a DOS report of 100,000 lines
// of Cyrillic text, from Preview to page 1 on screen, paging forward and backward, jumping to
// the last page, zoom changes with their repaint, and a text search over every page. Then a
// report over records previewed while it is generated (pages appear as they come), with and
// without the thumbnail panel: its run time and the pages the window decoded for thumbnails.
//
//   bench_preview [lines] [records]   (defaults 100000 and 20000; offscreen unless
//                                      QT_QPA_PLATFORM says otherwise)

#include <QApplication>
#include <QListWidget>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "expr/memory_dataset.h"
#include "output/qr_page_list.h"
#include "output/qr_printer.h"
#include "platform/core/canvas.h"
#include "platform/core/cp1251.h"
#include "platform/qt/qt_platform.h"
#include "preview/widgets/qr_preview.h"
#include "preview/widgets/qr_standard_preview.h"
#include "preview/widgets/qr_standard_preview_interface.h"
#include "report/program_report.h"
#include "report/qr_expr.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// One line of a converted DOS report: Cyrillic words, numbers, table rules.
std::string ReportLine(int page, int line, unsigned& seed) {
    static const std::string kWords[] = {Utf8ToCp1251("Фактура"), Utf8ToCp1251("София"),
                                         Utf8ToCp1251("платено"), Utf8ToCp1251("сума"),
                                         Utf8ToCp1251("Пловдив"), Utf8ToCp1251("доставка"),
                                         Utf8ToCp1251("клиент"),  Utf8ToCp1251("сметка"),
                                         Utf8ToCp1251("ДДС"),     Utf8ToCp1251("кг")};
    if (line % 20 == 0) return "+" + std::string(20, '-') + "+" + std::string(56, '-') + "+";
    std::string text = "| " + std::to_string(page) + "/" + std::to_string(line);
    text.resize(21, ' ');
    text += "| ";
    while (text.size() < 76) {
        seed = seed * 1103515245u + 12345u;
        text += kWords[(seed >> 8) % std::size(kWords)];
        text += ' ';
    }
    text.resize(77, ' ');
    return text + "|";
}

struct Figures {
    std::vector<double> ms;
    void Add(double v) { ms.push_back(v); }
    void Print(const char* what) {
        std::sort(ms.begin(), ms.end());
        const double median = ms[ms.size() / 2];
        std::printf("%-34s median %7.2f ms   max %7.2f ms   (%zu runs)\n", what, median, ms.back(),
                    ms.size());
    }
};

// Lets everything pending run, paints included.
void Settle() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Paging, zoom and search on the open window.
void Measure(TQRStandardPreview& window) {
    TQRPreviewImage* image = window.QRPreview()->PreviewImage();
    window.ZoomToWidthClick();
    Settle();
    Figures forward;
    Figures backward;
    Figures last;
    Figures first;
    for (int i = 0; i < 200; ++i) {
        const Clock::time_point t = Clock::now();
        window.NextPageClick();
        Settle();
        forward.Add(Ms(Clock::now() - t));
    }
    for (int i = 0; i < 200; ++i) {
        const Clock::time_point t = Clock::now();
        window.PrevPageClick();
        Settle();
        backward.Add(Ms(Clock::now() - t));
    }
    for (int i = 0; i < 20; ++i) {
        Clock::time_point t = Clock::now();
        window.LastPageClick();
        Settle();
        last.Add(Ms(Clock::now() - t));
        t = Clock::now();
        window.FirstPageClick();
        Settle();
        first.Add(Ms(Clock::now() - t));
    }
    forward.Print("next page (decode + repaint)");
    backward.Print("previous page");
    last.Print("jump page 1 -> last page");
    first.Print("jump last page -> page 1");

    Figures zoom;
    const auto timeZoom = [&](const std::function<void()>& change) {
        const Clock::time_point t = Clock::now();
        change();
        image->repaint();
        Settle();
        zoom.Add(Ms(Clock::now() - t));
    };
    for (int i = 0; i < 10; ++i) {
        timeZoom([&] { window.ZoomTo100Click(); });
        timeZoom([&] { window.ZoomToFitClick(); });
        timeZoom([&] { window.ZoomToWidthClick(); });
        timeZoom([&] { window.QRPreview()->SetZoom(200); });
        timeZoom([&] { window.QRPreview()->SetZoom(400); });
    }
    zoom.Print("zoom change with repaint");

    const std::pair<const char*, bool> searches[] = {
        {"ОБЩО ЗА", false}, {"Общо за", true}, {"absent", false}};
    for (const auto& [text, matchCase] : searches) {
        window.Dialogs().askSearchText = [text = text, matchCase = matchCase](QWidget*) {
            return std::optional<SearchRequest>(SearchRequest{QString::fromUtf8(text), matchCase});
        };
        const Clock::time_point t = Clock::now();
        window.FindButtonClick();
        const double ms = Ms(Clock::now() - t);
        const QListWidget* list = window.SearchResultBox();
        std::printf("search \"%s\"%s %8.1f ms -> %s%s\n", text, matchCase ? " (case)" : "       ",
                    ms, list->count() > 0 ? list->item(0)->text().toStdString().c_str() : "",
                    list->count() > 1 ? " ..." : "");
    }
}

// A report of one detail line per record, previewed as a user sees it: the record loop lets
// messages run, so the window shows (and, with thumbnails, draws) pages while they come.
// Prints the time from Preview to the end of generation and the pages read for the window.
void MeasureRecordsPreview(TQRMemoryDataset& records, bool thumbs) {
    TRozerEdedid report;
    report.SetDataSet(&records);
    TQRBand& band = report.CreateStandardBand(TQRBandType::rbDetail);
    band.Insert(std::make_unique<TQRExpr>(&report)).SetExpression("STR([n]) + '  ' + [text]");
    report.SetPrevShowThumbs(thumbs);
    report.SetPreviewWidth(1100);
    report.SetPreviewHeight(850);

    const Clock::time_point start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TQRPrinter* printer = report.QRPrinter();
        if (printer == nullptr || !report.Available()) return;
        poll.stop();
        const double ms = Ms(Clock::now() - start);
        const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        std::printf(
            "%d records, %d pages, thumbnails %-3s %8.1f ms (cpu %8.1f ms)  %6llu pages read\n",
            records.RecordCount(), printer->PageTotal(), thumbs ? "on" : "off", ms, cpuMs,
            static_cast<unsigned long long>(printer->PageList().PagesRead()));
        if (auto* window = dynamic_cast<TQRStandardPreview*>(printer->PreviewWindow())) {
            window->close();
        }
    });
    poll.start();
    report.Preview();
}

}  // namespace

int main(int argc, char** argv) {
    int lines = 100000;
    if (argc > 1) std::from_chars(argv[1], argv[1] + std::strlen(argv[1]), lines);
    int recordCount = 20000;
    if (argc > 2) std::from_chars(argv[2], argv[2] + std::strlen(argv[2]), recordCount);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const auto platform = InstallQtPlatform();
    RegisterStandardPreview();

    ProgramReport program;
    std::vector<std::string> text;
    text.reserve(static_cast<std::size_t>(lines));
    unsigned seed = 7;
    for (int i = 0; i < lines; ++i) text.push_back(ReportLine(i / 60 + 1, i % 60, seed));
    text[static_cast<std::size_t>(lines - 30)] = "| " + Utf8ToCp1251("Общо за периода") + " |";
    program.Memo().SetLines(std::move(text));
    TRozerEdedid& report = program.Report();

    // The first paint of a page image with a page on it.
    Clock::time_point shown{};
    struct PaintWatch : QObject {
        Clock::time_point* shown;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() != QEvent::Paint || *shown != Clock::time_point{}) return false;
            if (auto* image = dynamic_cast<TQRPreviewImage*>(o); image && image->Picture()) {
                *shown = Clock::now();
            }
            return false;
        }
    } watch;
    watch.shown = &shown;
    app.installEventFilter(&watch);

    int pages = 0;
    Clock::time_point start{};
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TQRPrinter* printer = report.QRPrinter();
        if (printer == nullptr || !report.Available() || shown == Clock::time_point{}) return;
        auto* window = dynamic_cast<TQRStandardPreview*>(printer->PreviewWindow());
        if (window == nullptr) return;
        poll.stop();
        pages = printer->PageTotal();
        std::printf("%d lines, %d pages, %s\n", lines, pages,
                    QGuiApplication::platformName().toStdString().c_str());
        std::printf("%-34s %8.1f ms\n", "Preview to page 1 on screen", Ms(shown - start));
        window->resize(1100, 850);
        Settle();
        Measure(*window);
        window->close();
    });
    start = Clock::now();
    poll.start();
    report.Preview();

    TQRMemoryDataset records("Data");
    records.AddField("n", ftInteger);
    records.AddField("text", ftString);
    unsigned recordSeed = 11;
    for (int i = 0; i < recordCount; ++i) {
        records.AppendRecord({i + 1, ReportLine(i / 60 + 1, i % 60, recordSeed)});
    }
    for (const bool thumbs : {false, true}) MeasureRecordsPreview(records, thumbs);
    return pages > 0 ? 0 : 1;
}
