#pragma once

#include "report/control.h"
#include "report/qr_frame.h"

namespace quillon {

// The common base of the report and its bands: a panel with a frame and a display zoom.
class TQRBasePanel : public TControl, public FrameOwner {
public:
    explicit TQRBasePanel(TComponent* owner = nullptr);

    TQRFrame& Frame() { return frame_; }
    const TQRFrame& Frame() const { return frame_; }

    // The font size the design view's rulers measure with.
    int FontSize() const { return fontSize_; }
    void SetFontSize(int size) { fontSize_ = size; }

    int Zoom() const { return zoom_; }
    // Stores the zoom (0 is ignored) and hands it to every printable and panel on the panel.
    virtual void SetZoom(int zoom);
    // Draws the design view's rulers; nothing to draw without a design view.
    virtual void DrawRulers() {}

    // Prepares (or unprepares) every printable on the panel and on the panels it holds.
    void PreparePrintables();
    void UnpreparePrintables();

    void FrameChanged() override { Repaint(); }
    std::optional<quillon::Color> FrameBackground() const override { return std::nullopt; }

private:
    TQRFrame frame_{this};
    int fontSize_ = 12;
    int zoom_ = 100;
};

}  // namespace quillon
