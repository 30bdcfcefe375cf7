#pragma once

#include <memory>

namespace quillon {

class QtGlyphSource;
class QtMessageQueue;
class QtPrinterSystem;
class QtShell;
class QtTextMeasurer;

// The Qt implementations of the platform services, installed while this object lives.
// Destroying it puts the headless defaults back.
class QtPlatform {
public:
    QtPlatform();
    ~QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

private:
    std::unique_ptr<QtTextMeasurer> measurer_;
    std::unique_ptr<QtMessageQueue> messages_;
    std::unique_ptr<QtPrinterSystem> printers_;
    std::unique_ptr<QtShell> shell_;
    std::unique_ptr<QtGlyphSource> glyphs_;
};

// Prepares the process environment before the Q(Gui)Application is made: a private runtime
// folder (mode 0700) when XDG_RUNTIME_DIR is unset, as the toolkit expects one.
void PrepareQtEnvironment();

// Installs the Qt services; call once the QApplication exists and keep the result as long as
// it does. Also registers the fonts that windows designed for Tahoma and MS Sans Serif need,
// where the system has copies outside fontconfig's folders.
std::unique_ptr<QtPlatform> InstallQtPlatform();

}  // namespace quillon
