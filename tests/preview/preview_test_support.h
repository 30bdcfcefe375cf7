#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "preview/widgets/preview_dialogs.h"

namespace quillon {
class QtPlatform;
class TCustomRozerEdedid;
class TQRPrinter;
class TQRStandardPreview;
}  // namespace quillon

namespace quillon::testing {

// The QApplication and the Qt services for one test; the headless defaults come back after.
class ScopedQtPlatform {
public:
    ScopedQtPlatform();
    ~ScopedQtPlatform();
    ScopedQtPlatform(const ScopedQtPlatform&) = delete;
    ScopedQtPlatform& operator=(const ScopedQtPlatform&) = delete;

private:
    std::unique_ptr<QtPlatform> platform_;
};

// Replaces the dialogs new preview windows open for one test; the real ones come back after.
// Every dialog fails the test unless the test answers it.
class ScopedPreviewDialogs {
public:
    ScopedPreviewDialogs();
    ~ScopedPreviewDialogs();
    ScopedPreviewDialogs(const ScopedPreviewDialogs&) = delete;
    ScopedPreviewDialogs& operator=(const ScopedPreviewDialogs&) = delete;

    PreviewDialogs& operator*() { return DefaultPreviewDialogs(); }
    PreviewDialogs* operator->() { return &DefaultPreviewDialogs(); }

    // Answers the file dialogs with `answers` in turn; a dialog past the last fails the test.
    void AnswerFiles(std::vector<FileChoice> answers);
    // Keeps the texts of the error boxes in `errors` (which outlives the windows).
    void KeepErrors(std::vector<QString>& errors);

private:
    PreviewDialogs saved_;
};

// Records one A4 page per entry of `pages` on `printer`, each line of Windows-1251 text in
// Courier New 10 pt, 15 pixels apart. Leaves the printer finished.
void RecordTextPages(TQRPrinter& printer, const std::vector<std::vector<std::string>>& pages);

// Runs `action` on the report's standard preview window once its pages are complete, from
// within the report's Preview (whose wait lets the timer run).
void WhenPreviewReady(TCustomRozerEdedid& report,
                      const std::function<void(TQRStandardPreview&)>& action);

// Lets posted messages and events run, then waits for deleted windows to go.
void ProcessEvents();

}  // namespace quillon::testing
