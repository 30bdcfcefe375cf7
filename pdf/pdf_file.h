#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct libdeflate_compressor;

namespace quillon {

// Where a PDF's bytes go, in order. A failed write raises (the document is then abandoned).
class PdfSink {
public:
    virtual ~PdfSink() = default;
    virtual void Write(const char* data, std::size_t size) = 0;
};

// The object layer of a PDF file: numbered objects written one after another through a
// buffer, streams compressed with Flate, and the cross-reference table and trailer at the
// end. Objects may refer to numbers reserved for objects written later.
class PdfFile {
public:
    explicit PdfFile(PdfSink& sink);
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // A number for an object written later with WriteObject or WriteStream.
    int Reserve();
    // Object `number` with its value ("<<...>>", "[...]").
    void WriteObject(int number, std::string_view value);

    // A stream object, its data compressed unless empty: `dictionary` holds the entries
    // besides /Length and /Filter, without the brackets.
    void WriteStream(int number, std::string_view dictionary, std::string_view data);

    // Writes the cross-reference table and the trailer and flushes everything to the sink.
    void Finish(int catalog, int info);

private:
    std::uint64_t Offset() const { return written_ + buffer_.size(); }
    void BeginObject(int number);
    void EndObject();
    void Write(std::string_view text);
    void Flush();

    PdfSink& sink_;
    std::string buffer_;
    std::uint64_t written_ = 0;
    std::vector<std::uint64_t> offsets_;  // by object number - 1; 0 while not written
    std::vector<char> compressed_;
    libdeflate_compressor* compressor_ = nullptr;
};

// Appends decimal text of PDF numbers to content and dictionaries.
void AppendInt(std::string& out, std::int64_t value);
// At most `decimals` digits after the point, trailing zeros dropped ("0.5", "12", "-3.25").
void AppendReal(std::string& out, double value, int decimals = 3);
// A reference to object `number`: "12 0 R".
void AppendReference(std::string& out, int number);
// `value` as `digits` upper-case hexadecimal digits.
void AppendHex(std::string& out, std::uint32_t value, int digits);
// A character as the hex of its UTF-16 code units, a surrogate pair above the basic plane.
void AppendUtf16Hex(std::string& out, char32_t c);
// A PDF text string of UTF-8 text: "<FEFF...>" hex, so any character survives. Bytes that
// are not UTF-8 (a file name in an older encoding) are taken as Latin-1.
std::string PdfTextString(std::string_view utf8);
// A PDF name from any bytes: characters outside the regular set as #xx.
std::string PdfName(std::string_view name);

}  // namespace quillon
