#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillon::cli {

// The tool's name, which starts every message it writes.
inline constexpr const char* kProgram = "quillon-cli";

// A wrong command line: the message, then the usage, and exit status 2.
class UsageError : public std::runtime_error {
public:
    UsageError(std::string command, const std::string& message)
        : std::runtime_error(message), command_(std::move(command)) {}
    // The command whose usage to show; empty for the whole usage.
    const std::string& Command() const noexcept { return command_; }

private:
    std::string command_;
};

// The usage of one command ("convert", "print", "render"), or of all of them for any other
// name; IsCommand tells the commands.
std::string UsageText(std::string_view command);
bool IsCommand(std::string_view command);

// "quillon-cli: FILE: message." (without the file part when `file` is empty), with the
// program's period rule applied to the message.
std::string FailureText(std::string_view file, std::string_view message);

// Writes a usage error and answers its exit status.
int ReportUsageError(const UsageError& error);

}  // namespace quillon::cli
