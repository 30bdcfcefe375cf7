// File names as text: UTF-8 names as they are, legacy 8-bit names (DOS or Windows-1251) read as
// Cyrillic, and only well-formed UTF-8 taken for UTF-8.

#include <gtest/gtest.h>

#include <string>

#include "platform/core/file_name_text.h"

namespace quillon {
namespace {

TEST(FileNameText, KeepsUtf8AndReadsLegacyNamesAsCyrillic) {
    const struct {
        std::string bytes;
        std::string text;
    } table[] = {
        {"notes.txt", "notes.txt"},
        {"\xD0\x9E\xD1\x82\xD1\x87\xD0\xB5\xD1\x82.txt", "Отчет.txt"},   // UTF-8
        {"\x8E\x92\x97\x85\x92.TXT", "ОТЧЕТ.TXT"},                        // the DOS code page
        {"\xEE\xF2\xF7\xE5\xF2.txt", "отчет.txt"},                        // Windows-1251
        {"\x8F\xA0\xAF\xAA\xA0/\xCF\xE0\xEF\xEA\xE0", "Папка/Папка"},     // both in one path
        // Not UTF-8: an overlong slash, a surrogate, a value past U+10FFFF, a cut sequence.
        {"\xC0\xAF", "Ап"},
        {"\xED\xA0\x80", "наА"},
        {"\xF4\x90\x80\x80", "фРАА"},
        {"x\xD0", "xР"},
    };
    for (const auto& [bytes, text] : table) EXPECT_EQ(FileNameText(bytes), text) << bytes;
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x93\x84 \xE2\x94\x82"));  // a four- and a three-byte form
}

TEST(FileNameText, FileNameOfIsTheLastPartOfAPath) {
    const struct {
        std::string path;
        std::string name;
    } table[] = {
        {"/home/anna/report.txt", "report.txt"},
        {"report.txt", "report.txt"},
        {"docs/\x8E\x92\x97\x85\x92.TXT", "\x8E\x92\x97\x85\x92.TXT"},  // bytes as they are
        {"/home/anna/old/", "old"},
        {"old//", "old"},
        {"/report", "report"},
        {"/", ""},
        {"", ""},
    };
    for (const auto& [path, name] : table) EXPECT_EQ(FileNameOf(path), name) << path;
}

}  // namespace
}  // namespace quillon
