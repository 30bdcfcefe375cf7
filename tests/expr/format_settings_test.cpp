// The conventions read from the user's locale, under real locales generated for the test into a
// folder of its own (LOCPATH): separators and the patterns of dates and times, in Windows-1251.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "expr/format_settings.h"
#include "expr/number_format.h"
#include "expr/value.h"
#include "tests/support/temp_dir.h"

// glibc keeps the search path of a locale loaded through LOCPATH for the life of the process;
// the leak checker would count that against these tests.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:__argz_add_sep\n";
}

namespace quillon {
namespace {

class LocaleSettings : public ::testing::Test {
protected:
    // The locales are compiled once for all cases (a few seconds each).
    static void SetUpTestSuite() {
        folder_ = std::make_unique<testing::TempDir>();
        for (const char* definition :
             {"bg_BG UTF-8", "ru_RU UTF-8", "uk_UA UTF-8", "fr_FR UTF-8", "ru_RU CP1251"}) {
            const std::string text = definition;
            const std::string language = text.substr(0, text.find(' '));
            const std::string charset = text.substr(text.find(' ') + 1);
            const std::string command = "localedef -i " + language + " -f " + charset + " " +
                                        folder_->File(language + "." + charset) + " 2>/dev/null";
            // localedef warns (status 1) about some definitions yet writes them.
            const int status = std::system(command.c_str());
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << command;
        }
        ::setenv("LOCPATH", folder_->Path().c_str(), 1);
    }
    static void TearDownTestSuite() {
        ::unsetenv("LOCPATH");
        folder_.reset();
    }

    static std::unique_ptr<testing::TempDir> folder_;
};

std::unique_ptr<testing::TempDir> LocaleSettings::folder_;

TEST_F(LocaleSettings, SeparatorsAndPatternsOfRealLocales) {
    struct Case {
        const char* locale;
        char decimal;
        char thousand;
        const char* date;
        const char* time;
        std::string number;  // 1234567.5 with the mask "#,##0.00"
    };
    // The narrow no-break space that Russian, Ukrainian and French group digits with is not in
    // Windows-1251: it becomes the no-break space (A0), never "?".
    const std::string kGrouped = std::string("1\xA0") + "234\xA0" + "567,50";
    const Case cases[] = {
        {"bg_BG.UTF-8", ',', '\0', "%e.%m.%Y", "%k:%M:%S", "1234567,50"},
        {"ru_RU.UTF-8", ',', '\xA0', "%d.%m.%Y", "%T", kGrouped},
        {"uk_UA.UTF-8", ',', '\xA0', "%d.%m.%y", "%T", kGrouped},
        {"fr_FR.UTF-8", ',', '\xA0', "%d/%m/%Y", "%T", kGrouped},
        {"ru_RU.CP1251", ',', '\xA0', "%d.%m.%Y", "%T", kGrouped},
        {"C", '.', '\0', "%m/%d/%y", "%H:%M:%S", "1234567.50"},
        {"xx_NOWHERE.UTF-8", '.', ',', "%d.%m.%Y", "%H:%M:%S", "1,234,567.50"},  // the defaults
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        const TQRFormatSettings settings = LocaleFormatSettings(c.locale);
        EXPECT_EQ(settings.decimalSeparator, c.decimal);
        EXPECT_EQ(settings.thousandSeparator, c.thousand);
        EXPECT_EQ(settings.shortDateFormat, c.date);
        EXPECT_EQ(settings.timeFormat, c.time);
        TQRValue text = TQRValue::String();
        ASSERT_TRUE(FormatNumber("#,##0.00", 1234567.5, settings, text));
        EXPECT_EQ(text.Text(), c.number);
    }
}

// The program reads the user's locale from the environment, whatever the process locale is.
TEST_F(LocaleSettings, TheUsersLocaleComesFromTheEnvironment) {
    const TQRFormatSettings fromEnvironment = [] {
        const char* saved = std::getenv("LC_ALL");
        const std::string restore = saved != nullptr ? saved : "";
        ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
        const TQRFormatSettings settings = SystemFormatSettings();
        if (saved != nullptr) {
            ::setenv("LC_ALL", restore.c_str(), 1);
        } else {
            ::unsetenv("LC_ALL");
        }
        return settings;
    }();
    EXPECT_EQ(fromEnvironment.decimalSeparator, ',');
    EXPECT_EQ(fromEnvironment.thousandSeparator, '\xA0');
    EXPECT_EQ(fromEnvironment.shortDateFormat, "%d/%m/%Y");
}

}  // namespace
}  // namespace quillon
