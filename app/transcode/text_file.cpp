#include "app/transcode/text_file.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/transcode/line_blocks.h"
#include "app/transcode/line_scanner.h"
#include "app/transcode/utf8_blocks.h"
#include "platform/files/posix_file.h"

namespace quillon {

namespace {

// Buffers small enough to stay in the processor's cache between reading and writing, with
// slack for the block-wise scanning and shifting.
constexpr std::size_t kReadBufferSize = 128 << 10;
constexpr std::size_t kWriteBufferSize = 128 << 10;
constexpr std::size_t kSlack = 16;

// Collects the bytes of one line and stops the scanner at its end.
struct LineSink {
    Line* line;
    bool done = false;
    void Bytes(const std::uint8_t* data, std::size_t size) {
        line->append(reinterpret_cast<const char*>(data), size);
    }
    bool EndLine() {
        done = true;
        return false;
    }
};

// Writes letter-shifted lines with CR LF ends through one output buffer.
class ConvertSink {
public:
    explicit ConvertSink(posix::File& output)
        : output_(output), buffer_(new std::uint8_t[kWriteBufferSize + kSlack]) {}

    // `data` comes from the padded read buffer, so whole blocks may be read past its end.
    void Bytes(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            if (used_ == kWriteBufferSize) Flush();
            const std::size_t n = std::min(size, kWriteBufferSize - used_);
            ShiftDosLettersPadded(data, buffer_.get() + used_, n);
            used_ += n;
            data += n;
            size -= n;
        }
    }

    // Copies whole blocks of CR LF text as they are, flushing the output as it fills.
    LineBlockCopy CopyLineBlocks(const std::uint8_t* data, std::size_t size) {
        LineBlockCopy total;
        for (;;) {
            if (kWriteBufferSize - used_ < kLineBlockSize) Flush();
            const std::size_t left = size - total.consumed;
            const std::size_t room = std::min(left, kWriteBufferSize - used_);
            const LineBlockCopy copy =
                quillon::CopyLineBlocks(data + total.consumed, room, buffer_.get() + used_);
            used_ += copy.written;
            total.consumed += copy.consumed;
            total.written += copy.written;
            if (copy.consumed > 0) total.atLineStart = copy.atLineStart;
            total.pendingReturn = copy.pendingReturn;
            const bool refused = copy.pendingReturn || room - copy.consumed >= kLineBlockSize;
            if (refused || room == left) return total;  // else the output was full: go on
        }
    }

    bool EndLine() {
        if (kWriteBufferSize - used_ < 2) Flush();
        buffer_[used_++] = 13;
        buffer_[used_++] = 10;
        return true;
    }

    void Flush() {
        output_.WriteAll(buffer_.get(), used_);
        used_ = 0;
    }

private:
    posix::File& output_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t used_ = 0;
};

// Writes lines in either encoding with the chosen line end.
class EncodingSink {
public:
    EncodingSink(posix::File& output, TextEncoding encoding, LineEnd lineEnd)
        : output_(output),
          utf8_(encoding == TextEncoding::kUtf8),
          lineEnd_(lineEnd == LineEnd::kCrLf ? std::string_view("\r\n") : std::string_view("\n")),
          buffer_(new std::uint8_t[kWriteBufferSize + kSlack]) {}

    void Bytes(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            // Every input byte gives at most three output bytes; the slack takes the whole
            // blocks stored past the end.
            if (kWriteBufferSize - used_ < 64) Flush();
            const std::size_t n = std::min(size, (kWriteBufferSize - used_) / 3);
            used_ = static_cast<std::size_t>(Encode(data, n, buffer_.get() + used_) - buffer_.get());
            data += n;
            size -= n;
        }
    }

    bool EndLine() {
        if (kWriteBufferSize - used_ < lineEnd_.size()) Flush();
        std::memcpy(buffer_.get() + used_, lineEnd_.data(), lineEnd_.size());
        used_ += lineEnd_.size();
        return true;
    }

    void Flush() {
        output_.WriteAll(buffer_.get(), used_);
        used_ = 0;
    }

private:
    std::uint8_t* Encode(const std::uint8_t* in, std::size_t n, std::uint8_t* out) const {
        if (utf8_) return DosToUtf8Run(in, n, out);
        ShiftDosLetters(in, out, n);
        return out + n;
    }

    posix::File& output_;
    bool utf8_;
    std::string_view lineEnd_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t used_ = 0;
};

posix::File OpenConversionInput(const std::string& path) {
    return path == kStandardStream ? posix::File::Standard(0, path) : posix::File::OpenForReading(path);
}

// Whether `output` is the input file itself (a pipe or terminal may well be both).
bool IsTheInputFile(const struct stat& output, const struct stat& input) {
    return S_ISREG(input.st_mode) && posix::SameFile(output, input);
}

// Opens (creating when absent) the output of a conversion without emptying it yet, and
// refuses it when it is the input file itself.
posix::File OpenConversionOutput(const std::string& path, const struct stat& input) {
    if (path == kStandardStream) {
        // Standard output is written as it is: whoever opened it chose to empty it or not.
        posix::File output = posix::File::Standard(1, path);
        if (IsTheInputFile(output.Status(), input)) throw EInOutError(kSharingViolation, path);
        return output;
    }
    if (path.empty()) throw EInOutError(kPathNotFound, path);
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && IsTheInputFile(existing, input)) {
        throw EInOutError(kSharingViolation, path);
    }
    // Non-blocking open: a FIFO without a reader fails instead of hanging.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) RaiseInOutError(errno, path);
    posix::File output(fd, path);
    const struct stat st = output.Status();
    if (IsTheInputFile(st, input)) throw EInOutError(kSharingViolation, path);
    // An empty file is left alone: truncating one (even to the size it has) makes ext4 write
    // the whole new file back when it is closed, which the conversion then waits for.
    if (S_ISREG(st.st_mode) && st.st_size > 0 && ::ftruncate(fd, 0) != 0) {
        RaiseInOutError(errno, path);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return output;
}

}  // namespace

struct DosTextReader::State {
    posix::File file;
    DosLineScanner scanner;
    std::unique_ptr<std::uint8_t[]> buffer{new std::uint8_t[kReadBufferSize]};
    std::size_t filled = 0;
    std::size_t position = 0;
    bool atEnd = false;
};

DosTextReader::DosTextReader(const std::string& path) : state_(std::make_unique<State>()) {
    state_->file = posix::File::OpenForReading(path);
}

DosTextReader::~DosTextReader() = default;

bool DosTextReader::ReadLine(Line& line) {
    line.clear();
    State& s = *state_;
    LineSink sink{&line};
    while (!s.scanner.Ended()) {
        if (s.position == s.filled) {
            s.filled = s.atEnd ? 0 : s.file.Read(s.buffer.get(), kReadBufferSize);
            s.position = 0;
            if (s.filled == 0) {
                s.atEnd = true;
                s.scanner.Finish(sink);
                return sink.done;
            }
        }
        s.position += s.scanner.Feed(s.buffer.get() + s.position, s.filled - s.position, sink);
        if (sink.done) return true;
    }
    return false;
}

LineList ReadTextLines(const std::string& path) {
    DosTextReader reader(path);
    LineList lines;
    Line line;
    while (reader.ReadLine(line)) lines.push_back(line);
    return lines;
}

namespace {

template <class Sink>
void Convert(posix::File& input, Sink& sink) {
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kReadBufferSize + kSlack]());
    DosLineScanner scanner(/*paddedInput=*/true);
    while (!scanner.Ended()) {
        const std::size_t n = input.Read(buffer.get(), kReadBufferSize);
        if (n == 0) {
            scanner.Finish(sink);
            break;
        }
        scanner.Feed(buffer.get(), n, sink);
    }
    sink.Flush();
}

}  // namespace

void ConvertTextFile(const std::string& inputPath, const std::string& outputPath,
                     const ConvertOptions& options) {
    posix::File input = OpenConversionInput(inputPath);
    posix::File output = OpenConversionOutput(outputPath, input.Status());
    if (options.encoding == TextEncoding::kCp1251 && options.lineEnd == LineEnd::kCrLf) {
        // The specified conversion, with its block-copy fast path.
        ConvertSink sink(output);
        Convert(input, sink);
    } else {
        EncodingSink sink(output, options.encoding, options.lineEnd);
        Convert(input, sink);
    }
    input.Close();
    output.Close();
}

}  // namespace quillon
