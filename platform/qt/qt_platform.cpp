#include "platform/qt/qt_platform.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include <array>

#include "platform/core/services.h"
#include "platform/qt/qt_message_queue.h"
#include "platform/qt/qt_printer.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_text_measurer.h"

namespace quillon {

namespace {

constexpr std::array<const char*, 3> kExtraFonts{
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
    "/usr/share/wine/fonts/ms_sans_serif.ttf",
};

void RegisterExtraFonts() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const char* path : kExtraFonts) {
        if (QFile::exists(QString::fromUtf8(path)))
            QFontDatabase::addApplicationFont(QString::fromUtf8(path));
    }
}

int ScreenColors() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int depth = screen != nullptr ? screen->depth() : 32;
    return depth > 0 && depth <= 8 ? 1 << depth : -1;
}

}  // namespace

QtPlatform::QtPlatform()
    : measurer_(std::make_unique<QtTextMeasurer>()),
      messages_(std::make_unique<QtMessageQueue>()),
      printers_(std::make_unique<QtPrinterSystem>()),
      shell_(std::make_unique<QtShell>()) {
    RegisterExtraFonts();
    InstallPlatform(
        {measurer_.get(), messages_.get(), printers_.get(), shell_.get(), ScreenColors()});
}

QtPlatform::~QtPlatform() {
    InstallPlatform({});
}

std::unique_ptr<QtPlatform> InstallQtPlatform() {
    return std::make_unique<QtPlatform>();
}

}  // namespace quillon
