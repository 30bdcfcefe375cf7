#include "tests/preview/preview_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include "output/qr_printer.h"
#include "platform/core/canvas.h"
#include "platform/qt/qt_platform.h"
#include "preview/widgets/qr_standard_preview.h"
#include "report/rozer_ededid.h"
#include "tests/platform/qt_test_app.h"

namespace quillon::testing {

ScopedQtPlatform::ScopedQtPlatform() {
    EnsureQtApplication();
    platform_ = InstallQtPlatform();
}

ScopedQtPlatform::~ScopedQtPlatform() {
    ProcessEvents();
    platform_.reset();
}

ScopedPreviewDialogs::ScopedPreviewDialogs() : saved_(DefaultPreviewDialogs()) {
    PreviewDialogs& d = DefaultPreviewDialogs();
    d.chooseFile = [](QWidget*, const FileDialogRequest& request) -> std::optional<FileChoice> {
        ADD_FAILURE() << "unexpected file dialog " << request.title.toStdString();
        return std::nullopt;
    };
    d.showMessage = [](QWidget*, const QString& text) {
        ADD_FAILURE() << "unexpected message " << text.toStdString();
    };
    d.showError = [](QWidget*, const QString& text) {
        ADD_FAILURE() << "unexpected error " << text.toStdString();
    };
    d.inputQuery = [](QWidget*, const QString& title, const QString&, QString&) {
        ADD_FAILURE() << "unexpected input box " << title.toStdString();
        return false;
    };
    d.askSearchText = [](QWidget*) -> std::optional<SearchRequest> {
        ADD_FAILURE() << "unexpected search dialog";
        return std::nullopt;
    };
}

void ScopedPreviewDialogs::AnswerFiles(std::vector<FileChoice> answers) {
    DefaultPreviewDialogs().chooseFile =
        [answers = std::move(answers), next = std::size_t{0}](
            QWidget*, const FileDialogRequest& request) mutable -> std::optional<FileChoice> {
        if (next < answers.size()) return answers[next++];
        ADD_FAILURE() << "unexpected file dialog " << request.title.toStdString();
        return std::nullopt;
    };
}

void ScopedPreviewDialogs::KeepErrors(std::vector<QString>& errors) {
    DefaultPreviewDialogs().showError = [&errors](QWidget*, const QString& text) {
        errors.push_back(text);
    };
}

ScopedPreviewDialogs::~ScopedPreviewDialogs() {
    DefaultPreviewDialogs() = saved_;
}

void RecordTextPages(TQRPrinter& printer, const std::vector<std::vector<std::string>>& pages) {
    printer.BeginDocument();
    for (const std::vector<std::string>& lines : pages) {
        printer.NewPage();
        Canvas& canvas = printer.PageCanvas();
        canvas.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
        canvas.SetBackgroundTransparent(true);
        int y = printer.ToDeviceY(100);
        for (const std::string& line : lines) {
            canvas.TextOut(printer.ToDeviceX(100), y, line);
            y += 15;
        }
    }
    printer.EndDocument();
}

void WhenPreviewReady(TCustomRozerEdedid& report,
                      const std::function<void(TQRStandardPreview&)>& action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [&report, timer, action] {
        TQRPrinter* printer = report.QRPrinter();
        if (printer == nullptr || !report.Available() ||
            printer->State() != TQRPrinterState::prsFinished) {
            return;
        }
        auto* window = dynamic_cast<TQRStandardPreview*>(printer->PreviewWindow());
        if (window == nullptr) return;
        timer->stop();
        timer->deleteLater();
        action(*window);
    });
    timer->start();
}

void ProcessEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace quillon::testing
