// Preview figures for a long report: from opening the preview to page 1 on screen, paging
// forward and backward, jumping to the last page, zoom changes with their repaint, and a text
// search over every page. The pages are 60 lines of Cyrillic report text on A4, recorded by the
// report printer as the report engine records them.
//
//   bench_preview [pages]     (default 1700; offscreen unless QT_QPA_PLATFORM says otherwise)

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPointer>
#include <QToolButton>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "output/qr_printer.h"
#include "platform/core/canvas.h"
#include "platform/core/cp1251.h"
#include "platform/qt/qt_platform.h"
#include "preview/widgets/qr_preview.h"
#include "preview/widgets/qr_standard_preview.h"
#include "preview/widgets/qr_standard_preview_interface.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;

constexpr int kLinesPerPage = 60;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// One line of a converted DOS report: Cyrillic words, numbers, table rules.
std::string ReportLine(int page, int line, unsigned& seed) {
    static const std::string kWords[] = {
        Utf8ToCp1251("Фактура"), Utf8ToCp1251("София"),    Utf8ToCp1251("платено"),
        Utf8ToCp1251("сума"),    Utf8ToCp1251("Пловдив"),  Utf8ToCp1251("доставка"),
        Utf8ToCp1251("клиент"),  Utf8ToCp1251("сметка"),   Utf8ToCp1251("ДДС"),
        Utf8ToCp1251("кг")};
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

void RecordReport(TQRPrinter& printer, int pages) {
    unsigned seed = 7;
    printer.BeginDocument();
    for (int page = 1; page <= pages; ++page) {
        printer.NewPage();
        Canvas& canvas = printer.PageCanvas();
        canvas.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
        canvas.SetBackgroundTransparent(true);
        int y = printer.ToDeviceY(100);
        for (int line = 0; line < kLinesPerPage; ++line) {
            std::string text = ReportLine(page, line, seed);
            if (page == pages && line == 30) text = "| " + Utf8ToCp1251("Общо за периода") + " |";
            canvas.TextOut(printer.ToDeviceX(100), y, text);
            y += 17;
        }
    }
    printer.EndDocument();
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

}  // namespace

int main(int argc, char** argv) {
    int pages = 1700;
    if (argc > 1) std::from_chars(argv[1], argv[1] + std::strlen(argv[1]), pages);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const auto platform = InstallQtPlatform();
    RegisterStandardPreview();

    TQRPrinter printer;
    // The first paint of the page image with a page on it.
    Clock::time_point shown{};
    const Clock::time_point start = Clock::now();
    printer.Preview();
    auto* window = dynamic_cast<TQRStandardPreview*>(printer.PreviewWindow());
    if (window == nullptr) {
        std::fprintf(stderr, "no preview window\n");
        return 1;
    }
    window->resize(1280, 900);
    window->showNormal();
    TQRPreviewImage* image = window->QRPreview()->PreviewImage();
    struct PaintWatch : QObject {
        TQRPreviewImage* image;
        Clock::time_point* shown;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (o == image && e->type() == QEvent::Paint && image->Picture() != nullptr &&
                *shown == Clock::time_point{}) {
                *shown = Clock::now();
            }
            return false;
        }
    } watch;
    watch.image = image;
    watch.shown = &shown;
    image->installEventFilter(&watch);
    RecordReport(printer, pages);
    Settle();
    const Clock::time_point recorded = Clock::now();
    std::printf("%d pages of %d lines, %s\n", pages, kLinesPerPage,
                QGuiApplication::platformName().toStdString().c_str());
    std::printf("%-34s %8.1f ms (recording all pages: %.1f ms)\n", "Preview to page 1 on screen",
                shown == Clock::time_point{} ? -1.0 : Ms(shown - start), Ms(recorded - start));

    window->ZoomToWidthClick();
    Settle();
    Figures forward;
    Figures backward;
    Figures last;
    Figures first;
    for (int i = 0; i < 200; ++i) {
        const Clock::time_point t = Clock::now();
        window->NextPageClick();
        Settle();
        forward.Add(Ms(Clock::now() - t));
    }
    for (int i = 0; i < 200; ++i) {
        const Clock::time_point t = Clock::now();
        window->PrevPageClick();
        Settle();
        backward.Add(Ms(Clock::now() - t));
    }
    for (int i = 0; i < 20; ++i) {
        Clock::time_point t = Clock::now();
        window->LastPageClick();
        Settle();
        last.Add(Ms(Clock::now() - t));
        t = Clock::now();
        window->FirstPageClick();
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
        timeZoom([&] { window->ZoomTo100Click(); });
        timeZoom([&] { window->ZoomToFitClick(); });
        timeZoom([&] { window->ZoomToWidthClick(); });
        timeZoom([&] { window->QRPreview()->SetZoom(200); });
        timeZoom([&] { window->QRPreview()->SetZoom(400); });
    }
    zoom.Print("zoom change with repaint");

    for (const auto& [text, matchCase] :
         std::vector<std::pair<const char*, bool>>{{"ОБЩО ЗА", false}, {"Общо за", true}, {"absent", false}}) {
        window->Dialogs().askSearchText = [text = text, matchCase = matchCase](QWidget*) {
            return std::optional<SearchRequest>(SearchRequest{QString::fromUtf8(text), matchCase});
        };
        const Clock::time_point t = Clock::now();
        window->FindButtonClick();
        const double ms = Ms(Clock::now() - t);
        const QListWidget* list = window->SearchResultBox();
        std::printf("search \"%s\"%s %8.1f ms -> %s%s\n", text, matchCase ? " (case)" : "       ", ms,
                    list->count() > 0 ? list->item(0)->text().toStdString().c_str() : "",
                    list->count() > 1 ? " ..." : "");
    }
    const QPointer<TQRStandardPreview> alive(window);
    window->close();
    Settle();
    return 0;
}
