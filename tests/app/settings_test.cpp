// The settings file: parsing rules, defaults, and writes that keep every foreign line.

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

#include "app/settings/print_settings.h"
#include "app/settings/profile_file.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(ParseProfileInteger, ReadsLikeTheRuntime) {
    const std::pair<const char*, int> table[] = {
        {"12", 12},          {"  12", 12},        {"+12", 12},       {"-5", -5},
        {"$C", 12},          {"xC", 12},          {"X0c", 12},       {"0x0C", 12},
        {"0XfF", 255},       {"-$C", -12},        {"+0x10", 16},     {"-0x10", -16},
        {"0", 0},            {"007", 7},          {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},                 {"$7FFFFFFF", INT_MAX},
        {"-$80000000", INT_MIN},
        // Everything else gives the default.
        {"", 10},            {"12pt", 10},        {"1 2", 10},       {"12 ", 10},
        {"2147483648", 10},  {"-2147483649", 10}, {"$80000000", 10}, {"$FFFFFFFF", 10},
        {"0x1FFFFFFFF", 10}, {"$", 10},           {"0x", 10},        {"+-1", 10},
        {"--1", 10},         {"$-1", 10},         {"1.5", 10},       {"abc", 10},
        {"99999999999999999999999", 10},
    };
    for (const auto& [text, expected] : table) {
        EXPECT_EQ(ParseProfileInteger(text, 10), expected) << '"' << text << '"';
    }
}

TEST(ReadPrintSettings, MissingFileGivesDefaultsAndCreatesNothing) {
    TempDir dir;
    const PrintSettings s = ReadPrintSettings(dir.File("quillon.ini"));
    EXPECT_TRUE(s.portrait);
    EXPECT_EQ(s.fontName, "");
    EXPECT_EQ(s.fontSize, 10);
    EXPECT_FALSE(testing::FileExists(dir.File("quillon.ini")));
}

TEST(ReadPrintSettings, InterpretsValues) {
    struct Case {
        const char* file;
        bool portrait;
        const char* font;
        int size;
    };
    const Case cases[] = {
        {"[Print]\nOrientation=portrait\n", true, "", 10},
        {"[Print]\nOrientation=landscape\n", false, "", 10},
        {"[Print]\nOrientation=Portrait\n", false, "", 10},
        {"[Print]\nOrientation=\n", false, "", 10},
        {"[Print]\nOrientation=  portrait  \nFontSize= 12 \n", true, "", 12},
        {"[print]\r\nORIENTATION=portrait\r\nfont=Arial\r\nfontsize=$E\r\n", true, "Arial", 14},
        {"[Other]\nFont=Wrong\n[Print]\nFont=Times New Roman\nFontSize=12pt\n", true, "Times New Roman", 10},
        {"[Print]\nFont=\"Liberation Mono\"\n", true, "Liberation Mono", 10},
        {"[Print]\nFont=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\n", true, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", 10},
        {"Orientation=landscape\n", true, "", 10},  // outside any section
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFile(dir.File("quillon.ini"), c.file);
        const PrintSettings s = ReadPrintSettings(dir.File("quillon.ini"));
        EXPECT_EQ(s.portrait, c.portrait) << c.file;
        EXPECT_EQ(s.fontName, c.font) << c.file;
        EXPECT_EQ(s.fontSize, c.size) << c.file;
    }
}

// The font colour is the program's own key: written only once a colour other than black was
// chosen, and kept up to date from then on, even back to black.
TEST(PrintSettings, TheFontColourHasAKeyOfItsOwnOnlyOnceChosen) {
    const std::pair<const char*, Color> read[] = {
        {"", kBlack},
        {"[Print]\nFontColor=#800000\n", Rgb(0x80, 0, 0)},
        {"[Print]\nfontcolor = 0a0B0c \n", Rgb(0x0A, 0x0B, 0x0C)},
        {"[Print]\nFontColor=#80000\n", kBlack},
        {"[Print]\nFontColor=#8000000\n", kBlack},
        {"[Print]\nFontColor=#GG0000\n", kBlack},
        {"[Print]\nFontColor=red\n", kBlack},
        {"[Other]\nFontColor=#FF0000\n", kBlack},
    };
    for (const auto& [file, color] : read) {
        TempDir dir;
        WriteFile(dir.File("quillon.ini"), file);
        EXPECT_EQ(ReadPrintSettings(dir.File("quillon.ini")).fontColor, color) << file;
    }

    TempDir dir;
    const std::string path = dir.File("quillon.ini");
    WriteFile(path, "[Print]\r\nOrientation=portrait\r\n[Mine]\r\nKept=yes\r\n");
    PrintSettings settings{true, "Courier New", 10};
    WritePrintSettings(path, settings);
    EXPECT_EQ(ReadFile(path), "[Print]\r\nOrientation=portrait\r\nFont=Courier New\r\nFontSize=10\r\n"
                              "[Mine]\r\nKept=yes\r\n");
    settings.fontColor = Rgb(0, 0, 0x80);
    WritePrintSettings(path, settings);
    EXPECT_EQ(ReadFile(path), "[Print]\r\nOrientation=portrait\r\nFont=Courier New\r\nFontSize=10\r\n"
                              "FontColor=#000080\r\n[Mine]\r\nKept=yes\r\n");
    EXPECT_EQ(ReadPrintSettings(path).fontColor, Rgb(0, 0, 0x80));
    settings.fontColor = kBlack;
    WritePrintSettings(path, settings);
    EXPECT_EQ(ReadFile(path), "[Print]\r\nOrientation=portrait\r\nFont=Courier New\r\nFontSize=10\r\n"
                              "FontColor=#000000\r\n[Mine]\r\nKept=yes\r\n");
}

TEST(ProfileFile, LongValuesAreCutTo2047Characters) {
    TempDir dir;
    WriteFile(dir.File("a.ini"), "[S]\nK=" + std::string(3000, 'v') + "\n");
    EXPECT_EQ(ProfileFile(dir.File("a.ini")).ReadString("S", "K", "").size(), 2047u);
}

TEST(WritePrintSettings, NewFileGetsTheSectionAndTheKeysInOrder) {
    TempDir dir;
    WritePrintSettings(dir.File("quillon.ini"), {false, "Courier New", 10});
    EXPECT_EQ(ReadFile(dir.File("quillon.ini")),
              "[Print]\r\nOrientation=landscape\r\nFont=Courier New\r\nFontSize=10\r\n");
    WritePrintSettings(dir.File("quillon.ini"), {true, "Arial", -7});
    EXPECT_EQ(ReadFile(dir.File("quillon.ini")),
              "[Print]\r\nOrientation=portrait\r\nFont=Arial\r\nFontSize=-7\r\n");
}

TEST(WritePrintSettings, KeepsEveryForeignLineByteForByte) {
    TempDir dir;
    const std::string before =
        "; written by hand\n"
        "[Window]\n"
        "FontSize=99\n"
        "\n"
        "[ print ]\n"
        "  orientation = portrait\n"
        "Extra=kept   \n"
        "\n"
        "[Later]\n"
        "Key=Value";
    WriteFile(dir.File("quillon.ini"), before);
    WritePrintSettings(dir.File("quillon.ini"), {false, "Arial", 12});
    EXPECT_EQ(ReadFile(dir.File("quillon.ini")),
              "; written by hand\n"
              "[Window]\n"
              "FontSize=99\n"
              "\n"
              "[ print ]\n"
              "Orientation=landscape\n"
              "Extra=kept   \n"
              "Font=Arial\n"
              "FontSize=12\n"
              "\n"
              "[Later]\n"
              "Key=Value");
    const PrintSettings s = ReadPrintSettings(dir.File("quillon.ini"));
    EXPECT_FALSE(s.portrait);
    EXPECT_EQ(s.fontName, "Arial");
    EXPECT_EQ(s.fontSize, 12);
}

TEST(WritePrintSettings, AppendsTheSectionToAFileWithoutIt) {
    TempDir dir;
    WriteFile(dir.File("quillon.ini"), "[Other]\r\nA=1");
    WritePrintSettings(dir.File("quillon.ini"), {true, "Courier New", 10});
    EXPECT_EQ(ReadFile(dir.File("quillon.ini")),
              "[Other]\r\nA=1\r\n[Print]\r\nOrientation=portrait\r\nFont=Courier New\r\nFontSize=10\r\n");
}

TEST(WritePrintSettings, WriteProtectionRaisesAndKeepsTheFile) {
    TempDir dir;
    ::mkdir(dir.File("program").c_str(), 0777);
    const std::string path = dir.File("program/quillon.ini");
    const std::string before = "[Print]\nOrientation=landscape\n[Mine]\nX=1\n";
    WriteFile(path, before);
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.File("program").c_str(), 0555);

    const auto failsWithPath = [&] {
        try {
            WritePrintSettings(path, {true, "Arial", 11});
        } catch (const EIniFileException& error) {
            return std::string(error.what()) == "Unable to write to " + path ? 1 : 2;
        }
        return 0;
    };
    EXPECT_EQ(testing::RunUnprivileged(failsWithPath), 1);
    EXPECT_EQ(ReadFile(path), before);

    // A read-only file in a writable folder is not replaced either, not even by root.
    ::chmod(dir.File("program").c_str(), 0777);
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(failsWithPath(), 1);
    EXPECT_EQ(testing::RunUnprivileged(failsWithPath), 1);
    EXPECT_EQ(ReadFile(path), before);
}

TEST(WritePrintSettings, FollowsALinkAndKeepsTheFileWhenTheDiskIsFull) {
    TempDir dir;
    ::mkdir(dir.File("real").c_str(), 0777);
    const std::string before = "[Mine]\r\nX=1\r\n";
    WriteFile(dir.File("real/quillon.ini"), before);
    ::chmod(dir.File("real/quillon.ini").c_str(), 0640);
    ASSERT_EQ(::symlink("real/quillon.ini", dir.File("quillon.ini").c_str()), 0);

    // Files may not grow past 20 bytes: the settings do not fit.
    const int status = testing::RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{20, 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WritePrintSettings(dir.File("quillon.ini"), {true, "Arial", 11});
        } catch (const EIniFileException&) {
            return 1;
        }
        return 0;
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ReadFile(dir.File("real/quillon.ini")), before);

    WritePrintSettings(dir.File("quillon.ini"), {true, "Arial", 11});
    EXPECT_EQ(ReadFile(dir.File("real/quillon.ini")),
              before + "[Print]\r\nOrientation=portrait\r\nFont=Arial\r\nFontSize=11\r\n");
    struct stat st {};
    ASSERT_EQ(::lstat(dir.File("quillon.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(dir.File("real/quillon.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("real")), {}), 1);
}

TEST(WritePrintSettings, ASettingsFileThatIsNoRegularFileIsNeitherWaitedForNorReadForever) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("quillon.ini").c_str(), 0666), 0);
    for (const std::string& path : {dir.File("quillon.ini"), std::string("/dev/zero")}) {
        EXPECT_EQ(ReadPrintSettings(path).fontSize, 10) << path;
        EXPECT_THROW(WritePrintSettings(path, {true, "Arial", 11}), EIniFileException) << path;
    }
}

}  // namespace
}  // namespace quillon
