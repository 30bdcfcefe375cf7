// Where the settings file lives: beside a program in a folder the user may write to, else per
// user in the XDG configuration folder, which the first write creates.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/settings/print_settings.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::TempDir;

// A program folder, a home folder and a configuration folder, writable by everyone unless a
// test locks one.
struct Folders {
    TempDir dir;
    std::string program = dir.File("program");
    std::string home = dir.File("home");
    Folders() {
        ::mkdir(program.c_str(), 0777);
        ::mkdir(home.c_str(), 0777);
        ::chmod(program.c_str(), 0777);
        ::chmod(home.c_str(), 0777);
    }
    SettingsEnvironment Environment(std::string xdg = "") const {
        return {program, std::move(xdg), home, ::geteuid() == 0};
    }
};

// Where the file is, as a status: 1 beside the program, 2 in ~/.config, 3 in the XDG folder,
// 0 anything else.
int Placement(const SettingsEnvironment& env, const std::string& xdg) {
    const std::string path = SettingsFilePathIn(env);
    if (path == env.programFolder + "/quillon.ini") return 1;
    if (path == env.home + "/.config/quillon/quillon.ini") return 2;
    if (!xdg.empty() && path == xdg + "/quillon/quillon.ini") return 3;
    return 0;
}

TEST(SettingsFilePath, BesideAProgramInAWritableFolder) {
    Folders f;
    EXPECT_EQ(testing::RunUnprivileged([&] { return Placement(f.Environment(), ""); }), 1);
}

TEST(SettingsFilePath, PerUserWhenTheProgramFolderIsWriteProtected) {
    Folders f;
    ::chmod(f.program.c_str(), 0555);
    const std::string xdg = f.dir.File("xdg");
    const struct {
        std::string xdg;
        int placement;
    } cases[] = {
        {"", 2},          // unset: ~/.config
        {xdg, 3},         // an absolute $XDG_CONFIG_HOME
        {"relative", 2},  // a relative one is ignored
    };
    for (const auto& c : cases) {
        EXPECT_EQ(testing::RunUnprivileged([&] { return Placement(f.Environment(c.xdg), c.xdg); }),
                  c.placement)
            << c.xdg;
    }
}

TEST(SettingsFilePath, RootUsesTheProgramFolderOnlyWhereTheFileIsAlready) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: the rule for the super-user";
    Folders f;
    SettingsEnvironment root = f.Environment();
    EXPECT_EQ(SettingsFilePathIn(root), f.home + "/.config/quillon/quillon.ini");
    testing::WriteFile(f.program + "/quillon.ini", "[Print]\n");
    EXPECT_EQ(SettingsFilePathIn(root), f.program + "/quillon.ini");
}

TEST(SettingsFilePath, TheFirstWriteCreatesThePerUserFolder) {
    Folders f;
    ::chmod(f.program.c_str(), 0555);
    const int status = testing::RunUnprivileged([&] {
        const std::string path = SettingsFilePathIn({f.program, "", f.home, false});
        if (testing::FileExists(f.home + "/.config")) return 1;  // reading creates nothing
        const PrintSettings read = ReadPrintSettings(path);
        if (!read.portrait || testing::FileExists(f.home + "/.config")) return 2;
        WritePrintSettings(path, {false, "Arial", 12});
        struct stat info {};
        if (::stat((f.home + "/.config/quillon").c_str(), &info) != 0) return 3;
        if ((info.st_mode & 0777) != 0700) return 4;
        const PrintSettings back = ReadPrintSettings(path);
        return !back.portrait && back.fontName == "Arial" && back.fontSize == 12 ? 10 : 5;
    });
    EXPECT_EQ(status, 10);
}

TEST(SettingsFilePath, OfThisProcessIsAnAbsoluteQuillonIni) {
    const std::string path = SettingsFilePath();
    ASSERT_GT(path.size(), 12u);
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.size() - 12), "/quillon.ini");
}

}  // namespace
}  // namespace quillon
