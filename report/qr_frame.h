#pragma once

#include <optional>

#include "platform/core/canvas.h"
#include "report/export_filter.h"

namespace quillon {

using TPenStyle = PenStyle;

// What a frame needs of the control it belongs to: a repaint when the frame changes, and for
// export runs the report's filter and the background a printable hands it.
class FrameOwner {
public:
    virtual ~FrameOwner() = default;
    virtual void FrameChanged() = 0;
    virtual TQRExportFilter* FrameExportFilter() const = 0;
    // A printable that is not transparent hands its colour; bands and the report none.
    virtual std::optional<Color> FrameBackground() const = 0;
};

// The lines drawn around a band, a printable or the page. Its width is in points, so a frame
// is equally thick on every device; -1 means one device pixel. The lines lie inside the
// rectangle they frame.
class TQRFrame {
public:
    explicit TQRFrame(FrameOwner* owner = nullptr) : owner_(owner) {}
    TQRFrame(const TQRFrame&) = delete;
    TQRFrame& operator=(const TQRFrame&) = delete;

    Color FrameColor() const { return color_; }
    void SetColor(Color color) { Store(color_, color); }
    bool DrawTop() const { return drawTop_; }
    void SetDrawTop(bool draw) { Store(drawTop_, draw); }
    bool DrawBottom() const { return drawBottom_; }
    void SetDrawBottom(bool draw) { Store(drawBottom_, draw); }
    bool DrawLeft() const { return drawLeft_; }
    void SetDrawLeft(bool draw) { Store(drawLeft_, draw); }
    bool DrawRight() const { return drawRight_; }
    void SetDrawRight(bool draw) { Store(drawRight_, draw); }
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style) { Store(style_, style); }
    int Width() const { return width_; }
    void SetWidth(int width) { Store(width_, width); }

    bool HasAnySide() const { return drawTop_ || drawBottom_ || drawLeft_ || drawRight_; }

    // Thickness in device pixels of the left and right sides (from the horizontal factor) and
    // of the top and bottom sides (vertical factor); factors are device pixels per tenth of a
    // millimetre. 0 or less draws nothing.
    int VerticalThickness(long double xFactor) const { return Thickness(xFactor); }
    int HorizontalThickness(long double yFactor) const { return Thickness(yFactor); }

    // Draws the drawn sides inside `rect` (device pixels) on `canvas` when one is given, and
    // hands them to the owner's export filter when there is one.
    void Paint(Canvas* canvas, const Rect& rect, long double xFactor, long double yFactor) const;

private:
    template <class T>
    void Store(T& field, T value) {
        field = value;
        if (owner_ != nullptr) owner_->FrameChanged();
    }
    int Thickness(long double factor) const;

    FrameOwner* owner_;
    Color color_ = kBlack;
    bool drawTop_ = false;
    bool drawBottom_ = false;
    bool drawLeft_ = false;
    bool drawRight_ = false;
    TPenStyle style_ = TPenStyle::psSolid;
    int width_ = 1;
};

}  // namespace quillon
