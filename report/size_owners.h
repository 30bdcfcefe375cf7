#pragma once

namespace quillon {

// The pixel bounds of a control on the report's design surface: position and size in screen
// pixels at the control's zoom.
struct ControlBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ControlBounds&, const ControlBounds&) = default;
};

// A control that a size object places: a band, a printable, or the report control (for the
// page). The size object calls SetBounds with its ParentUpdating() flag set, so the control
// can tell its size object's own resize from a move by the user or the program and must not
// write those bounds back into the size object.
class SizedControl {
public:
    virtual ~SizedControl() = default;
    virtual ControlBounds Bounds() const = 0;
    virtual void SetBounds(const ControlBounds& bounds) = 0;
};

// The control of a printable also tells the zoom of the panel (band or report) it sits on;
// its size's values read in Pixels are scaled by that zoom.
class PrintableControl : public SizedControl {
public:
    // Percent; 100 when the printable sits on no panel.
    virtual int ParentZoom() const = 0;
};

// The report a size object belongs to, as far as units go: it supplies the font that the
// Characters unit measures with.
class CharacterFontSource {
public:
    virtual ~CharacterFontSource() = default;
    // The report font's size in points. Its sign is ignored; 0 means none is set.
    virtual int FontSizePoints() const = 0;
};

// The report as owner of its page. Bounds and SetBounds are the report control's: the page
// sets its width and height to the paper in pixels and keeps its position.
class PageOwner : public SizedControl, public CharacterFontSource {
public:
    // Lay the report's bands out again (their positions and widths follow the page).
    virtual void LayOutBands() = 0;
    // Paint the report again (design view).
    virtual void Repaint() = 0;
    // Set the report's Units again, which hands them to the page, bands and printables.
    virtual void ApplyUnits() = 0;
};

}  // namespace quillon
