#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/in_out_error.h"
#include "app/transcode/transcode.h"

namespace quillon {

using LineList = std::vector<Line>;

// Reads a DOS text file line by line (the reading rules of DosLineScanner), holding only one
// buffer of the file at a time. Raises EInOutError when the file cannot be opened or read; a
// path that is not a regular file (a folder, a FIFO, a device) is refused with code 5.
class DosTextReader {
public:
    explicit DosTextReader(const std::string& path);
    ~DosTextReader();
    DosTextReader(const DosTextReader&) = delete;
    DosTextReader& operator=(const DosTextReader&) = delete;

    // Reads the next line into `line`; false at the end of the text.
    bool ReadLine(Line& line);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// All lines of a text file, read by the reading rules.
LineList ReadTextLines(const std::string& path);

// What a conversion writes.
enum class TextEncoding {
    kCp1251,  // the letters moved to their Windows-1251 bytes, every other byte as it is
    kUtf8,    // every byte as the DOS code page's character: letters, line drawing, symbols
};
enum class LineEnd { kCrLf, kLf };

struct ConvertOptions {
    TextEncoding encoding = TextEncoding::kCp1251;
    LineEnd lineEnd = LineEnd::kCrLf;
};

// The name that stands for standard input (as an input) or standard output (as an output).
inline constexpr const char* kStandardStream = "-";

// Converts a whole file: every line encoded as `options` say and ended by the chosen line end
// (by default letter-shifted, ShiftDosLetters, and ended by CR LF). Streams through fixed
// buffers; refuses, with code 32 and before the input is read, an output that is the input
// file itself under any name (another spelling, a symbolic or a hard link). On failure the
// output is left as far as it got; the input is never changed. "-" reads standard input or
// writes standard output, whatever they are (a pipe, a terminal, a file).
void ConvertTextFile(const std::string& inputPath, const std::string& outputPath,
                     const ConvertOptions& options = {});

}  // namespace quillon
