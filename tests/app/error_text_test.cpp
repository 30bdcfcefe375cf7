#include <gtest/gtest.h>

#include "app/common/error_text.h"

namespace quillon {
namespace {

TEST(ErrorBoxText, AppendsAPeriodAfterCharactersAboveIt) {
    EXPECT_EQ(ErrorBoxText("File not found"), "File not found.");
    EXPECT_EQ(ErrorBoxText("I/O error 32"), "I/O error 32.");
    EXPECT_EQ(ErrorBoxText("Unable to write to /x/quillon.ini"), "Unable to write to /x/quillon.ini.");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("Why?"), "Why?.");  // "?" is above the period
    EXPECT_EQ(ErrorBoxText("Stop!"), "Stop!");     // '!' is below '.'
    EXPECT_EQ(ErrorBoxText("a)"), "a)");
    EXPECT_EQ(ErrorBoxText(""), "");
    EXPECT_EQ(ErrorBoxText("\xD0\xE0"), "\xD0\xE0.");  // 8-bit letters count as above
}

TEST(ProgramTitle, IsTheCapitalisedNameUpToItsFirstPeriod) {
    EXPECT_EQ(ProgramTitle("/usr/bin/quillon"), "Quillon");
    EXPECT_EQ(ProgramTitle("QUILLON.EXE"), "Quillon");
    EXPECT_EQ(ProgramTitle("quillon.bin.old"), "Quillon");
}

}  // namespace
}  // namespace quillon
