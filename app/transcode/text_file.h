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

// Converts a whole file: every line letter-shifted (ShiftDosLetters) and ended by CR LF.
// Streams through fixed buffers; refuses, with code 32 and before the input is read, an
// output that is the input file itself under any name (another spelling, a symbolic or a
// hard link). On failure the output is left as far as it got; the input is never changed.
void ConvertTextFile(const std::string& inputPath, const std::string& outputPath);

}  // namespace quillon
