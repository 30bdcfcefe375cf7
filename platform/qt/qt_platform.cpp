#include "platform/qt/qt_platform.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include <array>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/services.h"
#include "platform/qt/qt_message_queue.h"
#include "platform/qt/qt_printer.h"
#include "platform/qt/qt_shell.h"
#include "platform/qt/qt_glyph_source.h"
#include "platform/qt/qt_text_measurer.h"

namespace quillon {

void PrepareQtEnvironment() {
    if (std::getenv("XDG_RUNTIME_DIR") != nullptr) return;
    const char* base = std::getenv("TMPDIR");
    const std::string root = base != nullptr && *base != '\0' ? base : "/tmp";
    std::string dir = root + "/quillon-runtime-" + std::to_string(::getuid());
    ::mkdir(dir.c_str(), 0700);
    struct stat st {};
    // Use the folder only when it is really ours and private; else make a fresh one.
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0) {
        dir = root + "/quillon-runtime-XXXXXX";
        if (::mkdtemp(dir.data()) == nullptr) return;
    }
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}


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
      shell_(std::make_unique<QtShell>()),
      glyphs_(std::make_unique<QtGlyphSource>()) {
    RegisterExtraFonts();
    InstallPlatform({measurer_.get(), messages_.get(), printers_.get(), shell_.get(),
                     ScreenColors(), glyphs_.get()});
}

QtPlatform::~QtPlatform() {
    InstallPlatform({});
}

std::unique_ptr<QtPlatform> InstallQtPlatform() {
    return std::make_unique<QtPlatform>();
}

}  // namespace quillon
