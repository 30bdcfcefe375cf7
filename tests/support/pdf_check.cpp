#include "tests/support/pdf_check.h"

#include <cstdio>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace quillon::testing {

namespace {

std::string Quoted(const std::string& path) {
    std::string q = "'";
    for (const char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Field(const std::string& info, const std::string& key) {
    std::istringstream lines(info);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + ":", 0) != 0) continue;
        const auto value = line.find_first_not_of(' ', key.size() + 1);
        return value == std::string::npos ? std::string() : line.substr(value);
    }
    return {};
}

}  // namespace

PdfFacts InspectPdf(const std::string& path) {
    PdfFacts facts;
    const std::string file = Quoted(path);
    int status = -1;
    facts.qpdfReport = CommandOutput("qpdf --check " + file + " 2>&1", &status);
    facts.qpdfClean =
        status == 0 &&
        facts.qpdfReport.find("No syntax or stream encoding errors found") != std::string::npos &&
        facts.qpdfReport.find("WARNING") == std::string::npos;
    // Poppler's complaints go to standard error, collected in a file beside the PDF.
    const std::string errorFile = path + ".stderr";
    const std::string errors = Quoted(errorFile);
    const std::string info = CommandOutput("pdfinfo " + file + " 2>" + errors);
    facts.pages = std::atoi(Field(info, "Pages").c_str());
    std::sscanf(Field(info, "Page size").c_str(), "%lf x %lf", &facts.width, &facts.height);
    facts.title = Field(info, "Title");
    facts.creator = Field(info, "Creator");
    std::istringstream fontLines(CommandOutput("pdffonts " + file + " 2>>" + errors));
    std::string line;
    for (int n = 0; std::getline(fontLines, line); ++n) {
        if (n >= 2 && !line.empty()) facts.fonts.push_back(line);
    }
    facts.text = CommandOutput("pdftotext -layout -enc UTF-8 " + file + " - 2>>" + errors);
    facts.warnings = ReadFile(errorFile);
    std::remove(errorFile.c_str());
    return facts;
}

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '\f') line.erase(0, 1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace quillon::testing
