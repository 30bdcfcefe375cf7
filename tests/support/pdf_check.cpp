#include "tests/support/pdf_check.h"

#include <cstdio>
#include <sstream>

namespace quillon::testing {

namespace {

struct Output {
    int status = -1;
    std::string out;
};

// Runs a shell command; its standard error goes to `errors` when given.
Output Run(const std::string& command) {
    Output result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    result.status = ::pclose(pipe);
    return result;
}

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

std::string CommandOutput(const std::string& command) {
    return Run(command).out;
}

PdfFacts InspectPdf(const std::string& path) {
    PdfFacts facts;
    const std::string file = Quoted(path);
    const Output qpdf = Run("qpdf --check " + file + " 2>&1");
    facts.qpdfReport = qpdf.out;
    facts.qpdfClean =
        qpdf.status == 0 &&
        qpdf.out.find("No syntax or stream encoding errors found") != std::string::npos &&
        qpdf.out.find("WARNING") == std::string::npos;
    const std::string errors = path + ".stderr";
    const Output info = Run("pdfinfo " + file + " 2>" + Quoted(errors) + "; cat " + Quoted(errors));
    facts.pages = std::atoi(Field(info.out, "Pages").c_str());
    std::sscanf(Field(info.out, "Page size").c_str(), "%lf x %lf", &facts.width, &facts.height);
    facts.title = Field(info.out, "Title");
    facts.creator = Field(info.out, "Creator");
    const Output fonts = Run("pdffonts " + file + " 2>>" + Quoted(errors));
    std::istringstream fontLines(fonts.out);
    std::string line;
    for (int n = 0; std::getline(fontLines, line); ++n) {
        if (n >= 2 && !line.empty()) facts.fonts.push_back(line);
    }
    facts.text = Run("pdftotext -layout -enc UTF-8 " + file + " - 2>>" + Quoted(errors)).out;
    facts.warnings = Run("cat " + Quoted(errors) + "; rm -f " + Quoted(errors)).out;
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
