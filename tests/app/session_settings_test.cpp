// What the settings file remembers of a session: the last folder and the preview window's
// placement, each in its own section beside the print settings, which stay as they were.

#include <gtest/gtest.h>

#include "app/settings/print_settings.h"
#include "app/settings/session_settings.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(SessionSettings, KeepTheirOwnSectionsAndEveryOtherLine) {
    TempDir dir;
    const std::string path = dir.File("quillon.ini");
    const std::string before =
        "[Print]\r\nOrientation=landscape\r\nFont=Arial\r\n[Mine]\r\nX=1\r\n";
    WriteFile(path, before);
    const std::string legacyFolder = "/home/\x8e\xa2\xa2";  // a name that is not UTF-8
    WriteLastFolder(path, legacyFolder);
    WritePreviewPlacement(path, {-8, 40, 640, 480, true});

    EXPECT_EQ(ReadLastFolder(path), legacyFolder);
    const std::optional<WindowPlacement> placement = ReadPreviewPlacement(path);
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->left, -8);
    EXPECT_EQ(placement->top, 40);
    EXPECT_EQ(placement->width, 640);
    EXPECT_EQ(placement->height, 480);
    EXPECT_TRUE(placement->maximized);
    EXPECT_EQ(ReadFile(path).substr(0, before.size()), before);
    const PrintSettings print = ReadPrintSettings(path);
    EXPECT_FALSE(print.portrait);
    EXPECT_EQ(print.fontName, "Arial");
}

TEST(SessionSettings, IncompletePlacementsAreNone) {
    const char* const files[] = {
        "",
        "[Preview]\nLeft=1\nTop=2\nWidth=300\n",
        "[Preview]\nLeft=1\nTop=2\nWidth=0\nHeight=200\n",
        "[Preview]\nLeft=x\nTop=2\nWidth=300\nHeight=200\n",
    };
    for (const char* file : files) {
        TempDir dir;
        WriteFile(dir.File("quillon.ini"), file);
        EXPECT_FALSE(ReadPreviewPlacement(dir.File("quillon.ini"))) << file;
        EXPECT_EQ(ReadLastFolder(dir.File("quillon.ini")), "");
    }
}

}  // namespace
}  // namespace quillon
