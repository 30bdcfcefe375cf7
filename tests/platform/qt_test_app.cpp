#include "tests/platform/qt_test_app.h"

#include <QApplication>

#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon::testing {

void EnsureQtApplication() {
    static std::unique_ptr<QApplication> app;
    if (app) return;
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const std::string dir = "/tmp/quillon-runtime-" + std::to_string(getuid());
        mkdir(dir.c_str(), 0700);
        chmod(dir.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "quillon-test";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QApplication>(argc, argv);
}

QImage WhiteImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

}  // namespace quillon::testing
