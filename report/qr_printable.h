#pragma once

#include <optional>

#include "report/control.h"
#include "report/printable_size.h"
#include "report/qr_frame.h"

namespace quillon {

class TCustomRozerEdedid;
class TQRPrinter;

// What a controller tells the printables registered with it.
inline constexpr int kNotifyMasterAdvanced = 0;
inline constexpr int kNotifyBandResized = 2;

// The base of every printable control: its frame, its size in report units, alignment on
// its band, and the prepare / print / unprepare steps of a report run. A printable sits on a
// band (or on the report) and prints relative to the report's current position.
class TQRPrintable : public TControl, public PrintableControl, public FrameOwner {
public:
    // A new printable is 10 x 10 pixels, white.
    explicit TQRPrintable(TComponent* owner = nullptr);
    ~TQRPrintable() override;

    ControlBounds Bounds() const override { return TControl::Bounds(); }
    // Keeps Size and the bounds in step: a resize by Size is applied as it is; bounds set
    // while loading are remembered for Loaded; any other change is written back into Size.
    void SetBounds(const ControlBounds& bounds) override;
    int ParentZoom() const override;

    TQRFrame& Frame() { return frame_; }
    const TQRFrame& Frame() const { return frame_; }
    TQRPrintableSize& Size() { return size_; }
    const TQRPrintableSize& Size() const { return size_; }

    TAlignment Alignment() const { return alignment_; }
    virtual void SetAlignment(TAlignment alignment);
    bool AlignToBand() const { return alignToBand_; }
    void SetAlignToBand(bool align);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent) {
        transparent_ = transparent;
        Repaint();
    }

    // False while the printable has more to print on a following page.
    bool PrintComplete() const { return printComplete_; }
    bool Printing() const { return printing_; }

    TCustomRozerEdedid* ParentReport() const { return report_; }
    void SetParentReport(TCustomRozerEdedid* report);
    TQRPrinter* QRPrinter() const { return printer_; }

    // Enabled, or not visible.
    virtual bool IsEnabled() const;
    // Places the printable on its band by Alignment (when AlignToBand is set).
    virtual void AlignWithBand();
    // A run begins: the printable is printing and takes the report's printer; each run starts
    // at the beginning of the printable's content.
    virtual void Prepare();
    // Prints at the report position (offsetX, offsetY), tenths of a millimetre. The base draws
    // the frame.
    virtual void Print(int offsetX, int offsetY);
    // A controller's notification (kNotifyBandResized re-aligns).
    virtual void ControllerNotification(int code);
    virtual void Unprepare();
    // Display zoom: handed to Size, which resizes the control.
    virtual void SetZoom(int zoom) { size_.SetZoom(zoom); }

    void FrameChanged() override { Repaint(); }
    TQRExportFilter* FrameExportFilter() const override;
    std::optional<quillon::Color> FrameBackground() const override;

protected:
    void SetPrintComplete(bool complete) { printComplete_ = complete; }
    void ParentChanged(TControl* oldParent) override;
    void Loaded() override;
    // The width of the band the printable sits on, in pixels; none on a report.
    std::optional<int> BandWidth() const;

private:
    TQRFrame frame_{this};
    TQRPrintableSize size_{this};
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool alignToBand_ = false;
    bool transparent_ = false;
    bool printComplete_ = true;
    bool printing_ = false;
    bool aligning_ = false;
    bool writingSize_ = false;
    TCustomRozerEdedid* report_ = nullptr;
    TQRPrinter* printer_ = nullptr;
    // Bounds met while loading, applied after loading where the control still has 0.
    std::optional<int> loadedLeft_, loadedTop_, loadedWidth_, loadedHeight_;
};

}  // namespace quillon
