#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/line_store.h"
#include "report/qr_printable.h"

namespace quillon {

class Canvas;

// The text printables: a caption (TQRLabel) or a list of lines (TQRMemo) laid out into
// printed lines and drawn line by line on the page. With AutoStretch a printable that needs
// more room than the page offers grows its band line by line and continues on the next page.
// Text is 8-bit Windows-1251.
class TQRCustomLabel : public TQRPrintable {
public:
    explicit TQRCustomLabel(TComponent* owner = nullptr) : TQRCustomLabel(owner, true) {}

    const std::string& Caption() const { return caption_; }
    // Sets Caption and PrintText and lays out again.
    void SetCaption(std::string caption);
    // The text layout reads for caption-based classes.
    const std::string& PrintText() const { return printText_; }

    // The source lines of a memo, one entry per line. They are kept in a LineStore, so a
    // memo of a long text spills to a temporary file rather than filling memory; the store's
    // memory limit is also that of the laid-out lines.
    const LineStore& Lines() const { return lines_; }
    // Takes the lines of a store filled line by line (Print's way for long texts).
    void SetLines(LineStore lines);
    // Copies the given lines.
    void SetLines(const std::vector<std::string>& lines);
    // Appends one line; raises EInOutError as LineStore::Append does.
    void AddLine(std::string_view line);
    // Empties the lines and their form feeds.
    void ClearLines();

    // Form feeds between a memo's lines: before which source line each stands, in order (the
    // line count for one after the last line; an index repeated for several in a row). With
    // AutoStretch a form feed ends the column, so what follows starts on a new page of a
    // one-column report: one on a column that is still empty (at the start, or where the
    // previous column ended by itself because it was full) makes no empty column, two in a
    // row make one, and one after the last line adds none.
    const std::vector<std::int32_t>& FormFeeds() const { return formFeeds_; }
    void SetFormFeeds(std::vector<std::int32_t> formFeeds);

    // The printed lines that layout made (with AutoSize on a memo's are its Lines).
    const LineStore& LaidOutLines() const { return laidOutIsLines_ ? lines_ : laidOut_; }
    // The next laid-out line to print; kept between pages.
    std::int32_t NextLine() const { return nextLine_; }

    // No line breaking; the width follows the widest line.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    // May grow its band and continue on following pages.
    bool AutoStretch() const { return autoStretch_; }
    void SetAutoStretch(bool value) {
        autoStretch_ = value;
        Repaint();
    }
    // Breaks lines at words when they are wider than the printable. Off, each source line
    // prints as one line cut after the last word that fits.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

    // The font size in points as stored with the design; a positive size is applied to the
    // font once loading ends (the same size leaves a parent's font followed).
    std::int32_t FontSize() const { return fontSize_; }
    void SetFontSize(std::int32_t size) { fontSize_ = size; }

    // Called before each print with the text to print; may change it for that print.
    std::function<void(TComponent& sender, std::string& value)> OnPrint;

    bool CaptionBased() const { return captionBased_; }
    bool LayoutValid() const { return layoutValid_; }

    // Makes the printed lines from the text. The result is kept while the text, the font, the
    // zoom and what else layout depends on stay the same, so printing page after page costs
    // nothing more.
    void LayOutLines();

    void Prepare() override;
    void Print(int offsetX, int offsetY) override;
    // Prints from NextLine at (left, top) (tenths of a millimetre) while lines fit, growing
    // the band when `canExpand` allows.
    void PrintLines(Canvas& canvas, long double left, long double top, long double width,
                    long double height, long double lineHeight, bool canExpand);

protected:
    TQRCustomLabel(TComponent* owner, bool captionBased);

    // Sets the text the next layout reads, for one print (caption-based classes).
    void SetPrintText(std::string_view text);

    // Width of `line` in screen pixels at the report's zoom.
    int MeasureLine(std::string_view line);
    void BreakSourceLine(std::string_view text);
    void AppendWord(std::string word);

    void FontChanged() override;
    void ParentChanged(TControl* oldParent) override;
    void Renamed(const std::string& oldName) override;
    void Loaded() override;

private:
    struct LayoutKey {
        std::uint64_t linesVersion = 0;
        std::string text;  // the caption or name laid out, if any
        FontSpec font;
        int zoom = 100;
        int width = 0;  // counts only without AutoSize
        bool autoSize = false;
        bool wordWrap = false;
        bool inReport = false;
        bool designing = false;
        friend bool operator==(const LayoutKey&, const LayoutKey&) = default;
    };

    void Invalidate();
    void Emit();
    // Takes the form feeds that stand before laid-out line `index`; true when one of them ends
    // the column here.
    bool FormFeedEndsColumn(std::int32_t index, std::int32_t count, bool printedAny);
    int ReportZoom() const;
    int TextHeightAtZoom();
    void TakeFittingFront(std::string_view word);

    bool captionBased_;
    std::string caption_;
    std::string printText_;
    LineStore lines_;
    std::uint64_t linesVersion_ = 0;
    LineStore laidOut_;
    bool laidOutIsLines_ = false;
    std::int32_t nextLine_ = 0;
    std::vector<std::int32_t> formFeeds_;
    // The form feeds by laid-out line, made with the layout.
    std::vector<std::int32_t> laidOutFormFeeds_;
    // The first form feed not yet printed, and whether the column being printed was begun by
    // one (rather than by the start of the print or a full column).
    std::size_t nextFormFeed_ = 0;
    bool columnFromFormFeed_ = false;
    bool autoSize_ = true;
    bool autoStretch_ = false;
    bool wordWrap_ = true;
    std::int32_t fontSize_ = 0;
    bool layoutValid_ = false;
    bool adjustingBounds_ = false;

    // Layout in progress: the line being built and whether the source line is finished.
    std::string current_;
    bool lineFinished_ = false;

    // The kept layout.
    bool cacheValid_ = false;
    LayoutKey cacheKey_;
    int widestLine_ = 0;
    // Reads the laid-out lines for printing; kept from page to page, so that each page goes on
    // where the last one stopped reading.
    std::optional<LineStore::Reader> lineReader_;
    // Where the present print began: a printable printing at the start of a column would
    // find no more room on a new page.
    int printOffsetY_ = 0;
};

// A label: one caption.
class TQRLabel : public TQRCustomLabel {
public:
    explicit TQRLabel(TComponent* owner = nullptr) : TQRCustomLabel(owner, true) {}
};

// A memo: a list of lines.
class TQRMemo : public TQRCustomLabel {
public:
    explicit TQRMemo(TComponent* owner = nullptr) : TQRCustomLabel(owner, false) {}

    // Prints its lines; the caption is empty meanwhile and the component's name afterwards.
    void Print(int offsetX, int offsetY) override;
    // The height all laid-out lines need, in screen pixels.
    int NeededHeight();
};

}  // namespace quillon
