#include "app/transcode/text_file.h"

#include <algorithm>
#include <string_view>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
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
constexpr std::size_t kWriteChunk = 128 << 10;
constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kSlack = 16;

struct FreeBuffer {
    void operator()(std::uint8_t* buffer) const noexcept { std::free(buffer); }
};
using Buffer = std::unique_ptr<std::uint8_t[], FreeBuffer>;

// A buffer on whole pages, as the kernel's copies like them.
Buffer NewBuffer(std::size_t size) {
    const std::size_t rounded = (size + kPageSize - 1) / kPageSize * kPageSize;
    auto* buffer = static_cast<std::uint8_t*>(std::aligned_alloc(kPageSize, rounded));
    if (buffer == nullptr) throw std::bad_alloc();
    return Buffer(buffer);
}

// The converted text on its way to the output file, written in whole chunks of 128 KiB (from
// the start of the file, at multiples of that size) while the conversion runs. The page cache
// keeps a file in large folios; writes that end inside one make the file system split them and
// take them up again with the next write, which cost a third more system time than copying the
// file (bench/convert, on ext4).
class ChunkedOutput {
public:
    explicit ChunkedOutput(posix::File& file)
        : file_(file), buffer_(NewBuffer(kCapacity + kSlack)) {}

    std::uint8_t* End() const noexcept { return buffer_.get() + used_; }
    std::size_t Room() const noexcept { return kCapacity - used_; }
    void Advance(std::size_t n) noexcept { used_ += n; }
    void Append(const void* data, std::size_t n) noexcept {
        std::memcpy(End(), data, n);
        used_ += n;
    }

    // Makes room for at least `n` bytes, n <= kMaxReserve.
    void Reserve(std::size_t n) {
        if (Room() >= n) return;
        file_.WriteAll(buffer_.get(), kWriteChunk);
        used_ -= kWriteChunk;
        std::memmove(buffer_.get(), buffer_.get() + kWriteChunk, used_);
    }

    // Writes everything that is left.
    void Flush() {
        file_.WriteAll(buffer_.get(), used_);
        used_ = 0;
    }

    static constexpr std::size_t kMaxReserve = kPageSize;

private:
    // A full chunk is always there to write when less than kMaxReserve bytes are free.
    static constexpr std::size_t kCapacity = kWriteChunk + kMaxReserve;

    posix::File& file_;
    Buffer buffer_;
    std::size_t used_ = 0;
};

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

// Writes letter-shifted lines with CR LF ends.
class ConvertSink {
public:
    explicit ConvertSink(posix::File& output) : output_(output) {}

    // `data` comes from the padded read buffer, so whole blocks may be read past its end.
    void Bytes(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            output_.Reserve(ChunkedOutput::kMaxReserve);
            const std::size_t n = std::min(size, output_.Room());
            ShiftDosLettersPadded(data, output_.End(), n);
            output_.Advance(n);
            data += n;
            size -= n;
        }
    }

    // Copies whole blocks of CR LF text as they are, writing the output as it fills.
    LineBlockCopy CopyLineBlocks(const std::uint8_t* data, std::size_t size) {
        LineBlockCopy total;
        for (;;) {
            output_.Reserve(ChunkedOutput::kMaxReserve);
            const std::size_t left = size - total.consumed;
            const std::size_t room = std::min(left, output_.Room());
            const LineBlockCopy copy =
                quillon::CopyLineBlocks(data + total.consumed, room, output_.End());
            output_.Advance(copy.written);
            total.consumed += copy.consumed;
            total.written += copy.written;
            if (copy.consumed > 0) total.atLineStart = copy.atLineStart;
            total.pendingReturn = copy.pendingReturn;
            const bool refused = copy.pendingReturn || room - copy.consumed >= kLineBlockSize;
            if (refused || room == left) return total;  // else the output was full: go on
        }
    }

    bool EndLine() {
        output_.Reserve(2);
        output_.Append("\r\n", 2);
        return true;
    }

    void Flush() { output_.Flush(); }

private:
    ChunkedOutput output_;
};

// Writes lines in either encoding with the chosen line end.
class EncodingSink {
public:
    EncodingSink(posix::File& output, TextEncoding encoding, LineEnd lineEnd)
        : output_(output),
          utf8_(encoding == TextEncoding::kUtf8),
          lineEnd_(lineEnd == LineEnd::kCrLf ? std::string_view("\r\n") : std::string_view("\n")) {}

    void Bytes(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            // Every input byte gives at most three output bytes; the slack takes the whole
            // blocks stored past the end.
            output_.Reserve(ChunkedOutput::kMaxReserve);
            const std::size_t n = std::min(size, output_.Room() / 3);
            std::uint8_t* const end = Encode(data, n, output_.End());
            output_.Advance(static_cast<std::size_t>(end - output_.End()));
            data += n;
            size -= n;
        }
    }

    bool EndLine() {
        output_.Reserve(lineEnd_.size());
        output_.Append(lineEnd_.data(), lineEnd_.size());
        return true;
    }

    void Flush() { output_.Flush(); }

private:
    std::uint8_t* Encode(const std::uint8_t* in, std::size_t n, std::uint8_t* out) const {
        if (utf8_) return DosToUtf8Run(in, n, out);
        ShiftDosLetters(in, out, n);
        return out + n;
    }

    ChunkedOutput output_;
    bool utf8_;
    std::string_view lineEnd_;
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
    output.ClearNonBlocking();
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
    const Buffer buffer = NewBuffer(kReadBufferSize + kSlack);
    // The slack is read by whole blocks past the end of short reads.
    std::memset(buffer.get() + kReadBufferSize, 0, kSlack);
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
        // The default conversion, with its block-copy fast path.
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
