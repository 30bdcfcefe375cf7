#include "app/printtext/print_text.h"

#include <memory>

#include "app/escp/escp_filter.h"
#include "app/transcode/line_scanner.h"
#include "app/transcode/transcode.h"

namespace quillon {

namespace {

constexpr std::size_t kBufferSize = 64 << 10;
constexpr std::uint8_t kTab = 9;
constexpr std::uint8_t kFormFeed = 12;
constexpr std::size_t kTabWidth = 8;

// Receives the lines of the reading rules and splits them at form feeds.
class PrintTextSink {
public:
    explicit PrintTextSink(PrintText& text) : text_(text) {}

    void Bytes(const std::uint8_t* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            const std::uint8_t b = data[i];
            if (b == kFormFeed) {
                if (!current_.empty()) Emit();
                AppendHeldEmptyLines();
                text_.formFeeds.push_back(static_cast<std::int32_t>(text_.lines.size()));
                formFeedInLine_ = true;
                textSinceFormFeed_ = false;
            } else if (b == kTab) {
                current_.append(kTabWidth - current_.size() % kTabWidth, ' ');
            } else {
                current_ += static_cast<char>(b);
            }
        }
    }

    bool EndLine() {
        if (!current_.empty() || !formFeedInLine_) Emit();
        formFeedInLine_ = false;
        return true;
    }

private:
    void Emit() {
        // Empty lines that open a page wait for text or the next form feed: at the end of the
        // stream (a reset and line ends after the last form feed) they would make only an
        // empty page.
        if (current_.empty() && !text_.formFeeds.empty() && !textSinceFormFeed_) {
            ++heldEmptyLines_;
            return;
        }
        AppendHeldEmptyLines();
        textSinceFormFeed_ = true;
        text_.lines.Append(current_);
        current_.clear();
    }

    void AppendHeldEmptyLines() {
        for (; heldEmptyLines_ > 0; --heldEmptyLines_) text_.lines.Append({});
    }

    PrintText& text_;
    std::string current_;
    bool formFeedInLine_ = false;
    bool textSinceFormFeed_ = false;
    std::size_t heldEmptyLines_ = 0;
};

}  // namespace

void ReadPrintText(posix::File& input, const PrintTextOptions& options, PrintText& text) {
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kBufferSize]);
    EscpFilter filter;
    DosLineScanner scanner;
    PrintTextSink sink(text);
    while (!scanner.Ended()) {
        const std::size_t n = input.Read(buffer.get(), kBufferSize);
        if (n == 0) {
            scanner.Finish(sink);
            break;
        }
        const std::size_t kept = filter.Filter(buffer.get(), n);
        // Normalising never makes or removes a line end, a tab or a form feed, so it may come
        // before the reading rules.
        if (!options.lineDrawing) NormaliseForPrint(buffer.get(), buffer.get(), kept);
        scanner.Feed(buffer.get(), kept, sink);
        text.narrowPrint = filter.NarrowPrint();
    }
}

PrintText ReadPrintText(const std::string& path, const PrintTextOptions& options) {
    posix::File input = posix::File::OpenForReading(path);
    PrintText text;
    ReadPrintText(input, options, text);
    return text;
}

}  // namespace quillon
