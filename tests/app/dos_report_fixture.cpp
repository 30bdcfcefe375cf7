#include "tests/app/dos_report_fixture.h"

#include <map>
#include <sstream>

namespace quillon::testing {

namespace {

const int kWidths[] = {10, 34, 16, 16, 16, 16};

std::string Rule(const std::string& left, const std::string& middle, const std::string& right) {
    std::string rule = left;
    for (std::size_t i = 0; i < std::size(kWidths); ++i) {
        if (i > 0) rule += middle;
        for (int k = 0; k < kWidths[i]; ++k) rule += "─";
    }
    return rule + right;
}

std::string Row(const std::vector<std::string>& cells) {
    std::string row = "│";
    for (const std::string& cell : cells) row += (cell.empty() ? "" : " " + cell) + " │";
    return row;
}

// The frame as the plain print normalisation prints it.
std::string Normalised(const std::string& line) {
    static const std::map<std::string, std::string> kFrame = {
        {"┌", "+"}, {"┐", "+"}, {"└", "+"}, {"┘", "+"}, {"├", "+"}, {"┤", "+"},
        {"┬", "+"}, {"┴", "+"}, {"─", "-"}, {"│", "|"}, {"┼", "Е"}};
    std::string out;
    for (std::size_t i = 0; i < line.size();) {
        const auto length =
            static_cast<std::size_t>(line[i] & 0x80 ? ((line[i] & 0xF0) == 0xE0 ? 3 : 2) : 1);
        const std::string ch = line.substr(i, length);
        const auto it = kFrame.find(ch);
        out += it != kFrame.end() ? it->second : ch;
        i += length;
    }
    return out;
}

}  // namespace

std::vector<std::vector<std::string>> AccountingReportPages(bool lineDrawing) {
    const std::vector<std::string> head = {"Сметка",       "Наименование",  "Нач. салдо Д",
                                           "Оборот Дебит", "Оборот Кредит", "Крайно салдо"};
    const auto top = [&](int page) {
        return std::vector<std::string>{
            "ТЕХНОТРЕЙД ООД, гр. Пловдив",
            "ОБОРОТНА ВЕДОМОСТ",
            "Период: 01.03.1998 - 31.03.1998 Страница: " + std::to_string(page),
            Rule("┌", "┬", "┐"),
            Row(head),
            Rule("├", "┼", "┤")};
    };
    std::vector<std::vector<std::string>> pages = {top(1), top(2)};
    const std::vector<std::vector<std::string>> rows1 = {
        {"201", "Материали", "12 450.00", "3 210.40", "4 005.10", "11 655.30"},
        {"302", "Стоки", "48 300.75", "15 600.00", "22 145.25", "41 755.50"},
        {"401", "Доставчици", "-9 120.00", "8 000.00", "10 450.60", "-11 570.60"},
        {"411", "Клиенти", "21 780.20", "30 115.00", "26 900.00", "24 995.20"},
        {"453", "Разчети за ДДС", "1 204.00", "4 410.00", "3 950.00", "1 664.00"},
        {"501", "Каса в лева", "2 345.60", "18 700.00", "19 210.35", "1 835.25"},
        {"503", "Разплащателна сметка", "35 600.00", "41 250.00", "38 760.40", "38 089.60"}};
    const std::vector<std::vector<std::string>> rows2 = {
        {"601", "Разходи за материали", "0.00", "4 005.10", "4 005.10", "0.00"},
        {"602", "Разходи за услуги", "0.00", "2 180.00", "2 180.00", "0.00"},
        {"702", "Приходи от продажби", "0.00", "26 900.00", "26 900.00", "0.00"}};
    for (const auto& row : rows1) pages[0].push_back(Row(row));
    pages[0].push_back(Rule("└", "┴", "┘"));
    for (const auto& row : rows2) pages[1].push_back(Row(row));
    pages[1].push_back(Rule("├", "┼", "┤"));
    pages[1].push_back(Row({"", "ОБЩО", "112 560.55", "153 570.50", "158 506.80", "107 624.25"}));
    pages[1].push_back(Rule("└", "┴", "┘"));
    pages[1].push_back("Съставил: ............. Гл. счетоводител: .............");
    if (!lineDrawing) {
        for (auto& page : pages) {
            for (std::string& line : page) line = Normalised(line);
        }
    }
    return pages;
}

std::vector<std::vector<std::string>> PagesOfText(const std::string& text) {
    std::vector<std::vector<std::string>> pages(1);
    std::string line;
    const auto endLine = [&] {
        std::istringstream words(line);
        std::string word, collapsed;
        while (words >> word) collapsed += (collapsed.empty() ? "" : " ") + word;
        if (!collapsed.empty()) pages.back().push_back(collapsed);
        line.clear();
    };
    for (const char c : text) {
        if (c == '\n') {
            endLine();
        } else if (c == '\f') {
            endLine();
            pages.emplace_back();
        } else {
            line += c;
        }
    }
    endLine();
    while (!pages.empty() && pages.back().empty()) pages.pop_back();
    return pages;
}

}  // namespace quillon::testing
