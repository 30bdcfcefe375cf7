#include "tests/platform/qt_test_app.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <memory>
#include <string>

namespace quillon::testing {

namespace {

std::unique_ptr<QApplication> app;

// Ends the application when the tests are done, before the exit handlers take Qt's own static
// objects away.
class QtEnvironment : public ::testing::Environment {
public:
    void TearDown() override { app.reset(); }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void EnsureQtApplication() {
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
