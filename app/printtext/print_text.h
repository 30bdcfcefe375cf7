#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/line_store.h"
#include "platform/files/posix_file.h"

namespace quillon {

// What Print does with the bytes of a DOS text file or printer stream.
struct PrintTextOptions {
    // Off: the letters in Windows-1251 and ten line-drawing bytes as "+", "-" and "|" (the
    // program's plain print normalisation). On: every byte as it is, in the DOS code page,
    // for a font whose character set is that code page (kOemCharset), so that line drawing
    // prints as real lines.
    bool lineDrawing = false;
};

// The text a report prints from a DOS printer stream: its lines and where its form feeds
// stand between them.
struct PrintText {
    // Appended one by one as they are read: a long text spills to a temporary file.
    LineStore lines;
    // Before which line each form feed stands, in order; a form feed after the last line
    // stands at lines.size(). Several form feeds in a row repeat the index.
    std::vector<std::int32_t> formFeeds;
    // Whether the stream selected condensed or 15-cpi print (EscpFilter::NarrowPrint): its
    // lines are meant to fit the paper only in narrower characters, so Print fits the font.
    bool narrowPrint = false;
};

// Reads a DOS printer stream for printing, appending to `text` as it goes (after a failure,
// `text` holds what was read up to it):
// - printer commands and meaningless control bytes are removed (EscpFilter), before the
//   reading rules look at the bytes, so that the parameter and image bytes of a command are
//   never taken for line ends or the end-of-file mark;
// - the reading rules split the rest into lines (DosLineScanner);
// - a form feed ends the line's text before it; the text after it begins a new line, and a
//   line whose text is all behind form feeds adds no empty line;
// - a tab advances to the next multiple of 8 columns (counted from the start of the line, or
//   from the last form feed);
// - each byte is then normalised as `options` say;
// - `narrowPrint` tells whether the stream selected narrower print.
// Raises EInOutError when the input cannot be read.
void ReadPrintText(posix::File& input, const PrintTextOptions& options, PrintText& text);

// The same for a file by name ("File not found" and the other errors of the reading rules).
PrintText ReadPrintText(const std::string& path, const PrintTextOptions& options);

}  // namespace quillon
