#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/canvas.h"
#include "platform/core/page_picture.h"

namespace quillon {

// A canvas that records what is drawn on it as the bytes of an enhanced metafile (EMF), one
// page on the 96 pixels-per-inch reference device. Fonts, pens, brushes, colours, alignment
// and background reach the metafile only when something is drawn with them and they differ
// from what the metafile already holds, so a page of text is a font, a colour and its text
// records. Text is measured with the installed TextMeasurer at the reference resolution and
// written with its per-character advances.
class EmfRecordingCanvas : public Canvas {
public:
    // A page of `width` x `height` reference pixels (an A4 portrait page is 794 x 1123).
    // Sizes below 1 count as 1.
    EmfRecordingCanvas(int width, int height);
    ~EmfRecordingCanvas() override;
    EmfRecordingCanvas(const EmfRecordingCanvas&) = delete;
    EmfRecordingCanvas& operator=(const EmfRecordingCanvas&) = delete;

    // Ends the recording and hands over the picture. Afterwards the canvas draws nothing, and
    // a second call raises std::logic_error.
    std::unique_ptr<PagePicture> Finish();
    bool Finished() const { return finished_; }

    DeviceCaps Caps() const override;

    void SetFont(const FontSpec& font) override { font_ = font; }
    const FontSpec& Font() const override { return font_; }
    FontMetrics Metrics() override;
    Size TextExtentW(std::u16string_view text) override;

    void SetTextAlign(unsigned flags) override { align_ = flags; }
    unsigned TextAlign() const override { return align_; }
    void SetBackgroundTransparent(bool transparent) override { transparent_ = transparent; }
    void SetBackgroundColor(Color color) override { backgroundColor_ = color; }

    void TextOutW(int x, int y, std::u16string_view text, const int* advances, unsigned options = 0,
                  const Rect* rect = nullptr) override;

    void SetClipRect(const Rect& rect) override;
    void RemoveClip() override;

    void SetPen(const Pen& pen) override { pen_ = pen; }
    const Pen& CurrentPen() const override { return pen_; }
    void SetBrush(const Brush& brush) override { brush_ = brush; }
    const Brush& CurrentBrush() const override { return brush_; }

    void FillRect(const Rect& rect) override;
    void Rectangle(const Rect& rect) override;
    void Ellipse(const Rect& rect) override;
    void RoundRect(const Rect& rect, int cornerWidth, int cornerHeight) override;
    void MoveTo(Point point) override { position_ = point; }
    void LineTo(Point point) override;

    // Replays `picture`'s records into this recording, stretched over `target`.
    void DrawPicture(const PagePicture& picture, const Rect& target) override;

private:
    // The metafile's view of a font: what its font record holds.
    struct FontKey {
        std::u16string face;
        int height = 0;  // negative: em height in pixels
        int weight = 400;
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
        int charset = 0;
        friend bool operator==(const FontKey&, const FontKey&) = default;
    };
    template <typename Key>
    struct CachedObject {
        Key key;
        std::uint32_t slot = 0;
        std::uint64_t lastUse = 0;
    };

    bool Drawing() const { return !finished_; }
    void Append(std::uint32_t type, std::initializer_list<std::uint32_t> fields);
    void AppendRect(std::uint32_t type, const Rect& box);
    void AppendInclusive(std::uint32_t type, const Rect& box);

    std::uint32_t AllocateSlot();
    void DeleteSlot(std::uint32_t slot);
    template <typename Key, typename Create>
    std::uint32_t Realize(std::vector<CachedObject<Key>>& cache, std::size_t capacity,
                          const Key& key, Create create);
    void SelectHandle(std::uint32_t handle, std::uint32_t& selected);

    void RealizeFont();
    void RealizePen(const Pen& pen);
    void RealizeBrush(const Brush& brush);
    void RealizeBackground(bool colourMatters);
    void RealizePosition();
    void WriteFont(std::uint32_t slot, const FontKey& key);

    int width_;
    int height_;
    std::vector<std::uint8_t> bytes_;
    std::uint32_t records_ = 0;
    bool finished_ = false;

    // What the callers set.
    FontSpec font_;
    Pen pen_;
    Brush brush_;
    unsigned align_ = 0;
    bool transparent_ = false;
    Color backgroundColor_ = kWhite;
    Point position_;

    // What the metafile holds so far. Objects, colours and modes start unknown (0 or empty)
    // rather than at a device context's defaults, because readers differ in their defaults:
    // the first use writes each of them.
    std::uint32_t selectedFont_ = 0;
    std::uint32_t selectedPen_ = 0;
    std::uint32_t selectedBrush_ = 0;
    std::optional<unsigned> writtenAlign_;
    std::optional<bool> writtenTransparent_;
    std::optional<Color> writtenBackground_;
    std::optional<Color> writtenTextColor_;
    Point writtenPosition_;
    std::optional<Rect> clip_;

    std::vector<bool> slotsInUse_;  // object table; slot 0 belongs to the metafile
    std::uint32_t highestSlot_ = 0;
    std::uint64_t useCounter_ = 0;
    std::vector<CachedObject<FontKey>> fonts_;
    std::vector<CachedObject<Pen>> pens_;
    std::vector<CachedObject<Brush>> brushes_;
};

}  // namespace quillon
