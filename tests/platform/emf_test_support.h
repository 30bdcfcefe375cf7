#pragma once

// Helpers for the page picture tests: a canvas that logs what is drawn on it, a reader of a
// picture's records and a builder of hand-made EMF bytes (as other writers produce them).

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/canvas.h"
#include "platform/core/page_picture.h"
#include "platform/core/services.h"

namespace quillon::testing {

inline std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct ParsedRecord {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
    std::uint32_t U32(std::size_t offset) const { return Le32(bytes.data() + offset); }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
};

inline std::vector<ParsedRecord> RecordsOf(const PagePicture& picture) {
    std::vector<ParsedRecord> records;
    picture.EnumerateRecords([&](std::uint32_t type, std::span<const std::uint8_t> bytes) {
        records.push_back({type, {bytes.begin(), bytes.end()}});
        return true;
    });
    return records;
}

inline std::vector<std::uint32_t> TypesOf(const std::vector<ParsedRecord>& records) {
    std::vector<std::uint32_t> types;
    for (const auto& r : records) types.push_back(r.type);
    return types;
}

// The characters of a text record (type 84: 16-bit units, 83: bytes).
inline std::u16string TextOf(const ParsedRecord& r) {
    const std::uint32_t count = r.U32(44);
    const std::uint32_t offset = r.U32(48);
    std::u16string text;
    for (std::uint32_t i = 0; i < count; ++i) {
        text += r.type == 84 ? static_cast<char16_t>(r.bytes[offset + 2 * i] |
                                                     (r.bytes[offset + 2 * i + 1] << 8))
                             : static_cast<char16_t>(r.bytes[offset + i]);
    }
    return text;
}

struct TextCall {
    Point at;
    std::u16string text;
    std::optional<std::vector<int>> advances;
    unsigned options = 0;
    std::optional<Rect> rect;
    FontSpec font;
    unsigned align = 0;
    bool transparent = false;
    Color background = 0;
};

struct ShapeCall {
    std::string what;  // "Rectangle 1 2 3 4", "LineTo 5 6", "Clip 0 0 10 10", "RemoveClip", ...
    Pen pen;
    Brush brush;
};

// Records every drawing call with the state it was drawn in. Text is measured with the
// installed measurer at the canvas's resolution.
class LoggingCanvas : public Canvas {
public:
    explicit LoggingCanvas(int dpi = 96) { caps_.dpiX = caps_.dpiY = dpi; }

    std::vector<TextCall> texts;
    std::vector<ShapeCall> shapes;
    bool transparent = false;
    Color background = kWhite;

    std::vector<std::string> Shapes() const {
        std::vector<std::string> out;
        for (const auto& s : shapes) out.push_back(s.what);
        return out;
    }

    DeviceCaps Caps() const override { return caps_; }
    void SetFont(const FontSpec& font) override { font_ = font; }
    const FontSpec& Font() const override { return font_; }
    FontMetrics Metrics() override { return Platform().measurer->Metrics(font_, caps_.dpiY); }
    Size TextExtentW(std::u16string_view text) override {
        return {Platform().measurer->Advances(font_, caps_.dpiX, text, nullptr),
                Metrics().Height()};
    }
    void SetTextAlign(unsigned flags) override { align_ = flags; }
    unsigned TextAlign() const override { return align_; }
    void SetBackgroundTransparent(bool t) override { transparent = t; }
    void SetBackgroundColor(Color color) override { background = color; }
    void TextOutW(int x, int y, std::u16string_view text, const int* advances, unsigned options,
                  const Rect* rect) override {
        TextCall call;
        call.at = {x, y};
        call.text = std::u16string(text);
        if (advances != nullptr) call.advances = std::vector<int>(advances, advances + text.size());
        call.options = options;
        if (rect != nullptr) call.rect = *rect;
        call.font = font_;
        call.align = align_;
        call.transparent = transparent;
        call.background = background;
        texts.push_back(call);
    }
    void SetClipRect(const Rect& r) override { Log("Clip", {r.left, r.top, r.right, r.bottom}); }
    void RemoveClip() override { Log("RemoveClip", {}); }
    void SetPen(const Pen& pen) override { pen_ = pen; }
    const Pen& CurrentPen() const override { return pen_; }
    void SetBrush(const Brush& brush) override { brush_ = brush; }
    const Brush& CurrentBrush() const override { return brush_; }
    void FillRect(const Rect& r) override { Log("FillRect", {r.left, r.top, r.right, r.bottom}); }
    void Rectangle(const Rect& r) override { Log("Rectangle", {r.left, r.top, r.right, r.bottom}); }
    void Ellipse(const Rect& r) override { Log("Ellipse", {r.left, r.top, r.right, r.bottom}); }
    void RoundRect(const Rect& r, int w, int h) override {
        Log("RoundRect", {r.left, r.top, r.right, r.bottom, w, h});
    }
    void MoveTo(Point p) override { Log("MoveTo", {p.x, p.y}); }
    void LineTo(Point p) override { Log("LineTo", {p.x, p.y}); }
    void DrawPicture(const PagePicture& picture, const Rect& target) override {
        picture.Play(*this, target);
    }

private:
    void Log(const char* what, std::initializer_list<int> args) {
        std::string s = what;
        for (int a : args) s += " " + std::to_string(a);
        shapes.push_back({s, pen_, brush_});
    }

    DeviceCaps caps_;
    FontSpec font_;
    Pen pen_;
    Brush brush_;
    unsigned align_ = 0;
};

// Hand-made EMF bytes: a header for a page of `width` x `height` pixels at 96 pixels per inch
// (frame in hundredths of a millimetre), the records added, and an end-of-file record.
class EmfBuilder {
public:
    EmfBuilder(int width, int height, std::uint16_t handles = 8) {
        Put(1);
        Put(108);
        for (int v : {0, 0, width - 1, height - 1}) Put(static_cast<std::uint32_t>(v));
        const int frameW = width * 2540 / 96, frameH = height * 2540 / 96;
        for (int v : {0, 0, frameW - 1, frameH - 1}) Put(static_cast<std::uint32_t>(v));
        Put(0x464D4520);
        Put(0x10000);
        Put(0);  // nBytes
        Put(0);  // nRecords
        Put(handles);
        Put(0);
        Put(0);
        Put(0);
        for (int v : {width, height, width * 254 / 960, height * 254 / 960})
            Put(static_cast<std::uint32_t>(v));
        Put(0);
        Put(0);
        Put(0);
        Put(static_cast<std::uint32_t>(width * 254000 / 960));
        Put(static_cast<std::uint32_t>(height * 254000 / 960));
        records_ = 1;
    }

    // A record of 32-bit fields after type and size.
    EmfBuilder& Add(std::uint32_t type, std::initializer_list<std::int64_t> fields) {
        Put(type);
        Put(static_cast<std::uint32_t>(8 + 4 * fields.size()));
        for (auto f : fields) Put(static_cast<std::uint32_t>(f));
        ++records_;
        return *this;
    }

    // Any bytes as a record (type and size included); for damaged records.
    EmfBuilder& AddRaw(const std::vector<std::uint8_t>& record) {
        bytes_.insert(bytes_.end(), record.begin(), record.end());
        ++records_;
        return *this;
    }

    static std::vector<std::uint8_t> FontRecord(std::uint32_t index, std::int32_t height,
                                                std::uint8_t charset,
                                                std::u16string_view face = u"Arial",
                                                std::int32_t weight = 400) {
        std::vector<std::uint8_t> r(368, 0);
        Set(r, 0, 82);
        Set(r, 4, 368);
        Set(r, 8, index);
        Set(r, 12, static_cast<std::uint32_t>(height));
        Set(r, 28, static_cast<std::uint32_t>(weight));
        r.at(35) = charset;
        for (std::size_t i = 0; i < face.size() && i < 32; ++i) {
            r.at(40 + 2 * i) = static_cast<std::uint8_t>(face[i]);
            r.at(41 + 2 * i) = static_cast<std::uint8_t>(face[i] >> 8);
        }
        Set(r, 360, 0x08007664);
        return r;
    }

    EmfBuilder& Font(std::uint32_t index, std::int32_t height, std::uint8_t charset,
                     std::u16string_view face = u"Arial", std::int32_t weight = 400) {
        return AddRaw(FontRecord(index, height, charset, face, weight));
    }

    // A text record: 16-bit (type 84) or 8-bit (type 83, the low byte of each unit).
    static std::vector<std::uint8_t> TextRecord(int x, int y, std::u16string_view text,
                                                const std::vector<int>& dx, bool wide = true,
                                                std::uint32_t options = 0,
                                                Rect rect = {0, 0, -1, -1}) {
        const std::size_t unit = wide ? 2 : 1;
        const std::size_t stringBytes = (text.size() * unit + 3) / 4 * 4;
        const std::size_t size = 76 + stringBytes + 4 * dx.size();
        std::vector<std::uint8_t> r(size, 0);
        Set(r, 0, wide ? 84 : 83);
        Set(r, 4, static_cast<std::uint32_t>(size));
        Set(r, 16, 0xFFFFFFFF);
        Set(r, 20, 0xFFFFFFFF);
        Set(r, 24, 1);
        Set(r, 36, static_cast<std::uint32_t>(x));
        Set(r, 40, static_cast<std::uint32_t>(y));
        Set(r, 44, static_cast<std::uint32_t>(text.size()));
        Set(r, 48, 76);
        Set(r, 52, options);
        Set(r, 56, static_cast<std::uint32_t>(rect.left));
        Set(r, 60, static_cast<std::uint32_t>(rect.top));
        Set(r, 64, static_cast<std::uint32_t>(rect.right));
        Set(r, 68, static_cast<std::uint32_t>(rect.bottom));
        Set(r, 72, dx.empty() ? 0 : static_cast<std::uint32_t>(76 + stringBytes));
        for (std::size_t i = 0; i < text.size(); ++i) {
            r[76 + unit * i] = static_cast<std::uint8_t>(text[i]);
            if (wide) r[77 + unit * i] = static_cast<std::uint8_t>(text[i] >> 8);
        }
        for (std::size_t i = 0; i < dx.size(); ++i) {
            Set(r, 76 + stringBytes + 4 * i, static_cast<std::uint32_t>(dx[i]));
        }
        return r;
    }

    EmfBuilder& Text(int x, int y, std::u16string_view text, const std::vector<int>& dx = {}) {
        return AddRaw(TextRecord(x, y, text, dx));
    }

    // Points as 16-bit pairs after a bounds rectangle and a count (POLY*16 records).
    EmfBuilder& Poly16(std::uint32_t type, std::initializer_list<Point> points) {
        std::vector<std::uint8_t> r(28 + 4 * points.size(), 0);
        Set(r, 0, type);
        Set(r, 4, static_cast<std::uint32_t>(r.size()));
        Set(r, 24, static_cast<std::uint32_t>(points.size()));
        std::size_t at = 28;
        for (const Point& p : points) {
            r[at] = static_cast<std::uint8_t>(p.x);
            r[at + 1] = static_cast<std::uint8_t>(p.x >> 8);
            r[at + 2] = static_cast<std::uint8_t>(p.y);
            r[at + 3] = static_cast<std::uint8_t>(p.y >> 8);
            at += 4;
        }
        return AddRaw(r);
    }

    // The finished bytes: an end-of-file record appended, length and count patched.
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out = bytes_;
        for (std::uint32_t v : {14u, 20u, 0u, 16u, 20u}) {
            out.resize(out.size() + 4);
            Set(out, out.size() - 4, v);
        }
        Set(out, 48, static_cast<std::uint32_t>(out.size()));
        Set(out, 52, records_ + 1);
        return out;
    }

    static void Set(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i)
            bytes.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
    }

private:
    void Put(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }

    std::vector<std::uint8_t> bytes_;
    std::uint32_t records_ = 0;
};

}  // namespace quillon::testing
