// Page pictures from untrusted files: loading either refuses the bytes or yields a picture
// whose records can be enumerated and played onto any canvas, and whose playback records a
// valid picture again. The checking canvas aborts on values no drawing should ever see.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/core/byte_stream.h"
#include "platform/core/emf_recorder.h"
#include "platform/core/page_picture.h"
#include "platform/core/services.h"

namespace {

using namespace quillon;

constexpr int kLimit = 1 << 25;

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckPoint(int x, int y) {
    Check(std::abs(x) <= kLimit && std::abs(y) <= kLimit);
}

void CheckRect(const Rect& r) {
    CheckPoint(r.left, r.top);
    CheckPoint(r.right, r.bottom);
}

class CheckingCanvas : public Canvas {
public:
    DeviceCaps Caps() const override { return caps_; }
    void SetFont(const FontSpec& font) override {
        Check(std::isfinite(font.size) && font.size >= 0 && font.size * 600 / 72 <= 16385);
        font_ = font;
    }
    const FontSpec& Font() const override { return font_; }
    FontMetrics Metrics() override { return Platform().measurer->Metrics(font_, caps_.dpiY); }
    Size TextExtentW(std::u16string_view text) override {
        return {Platform().measurer->Advances(font_, caps_.dpiX, text, nullptr),
                Metrics().Height()};
    }
    void SetTextAlign(unsigned flags) override { align_ = flags; }
    unsigned TextAlign() const override { return align_; }
    void SetBackgroundTransparent(bool) override {}
    void SetBackgroundColor(Color color) override { Check(color <= 0xFFFFFF); }
    void TextOutW(int x, int y, std::u16string_view text, const int* advances, unsigned,
                  const Rect* rect) override {
        CheckPoint(x, y);
        if (rect != nullptr) CheckRect(*rect);
        if (advances != nullptr) {
            long long position = x;
            for (std::size_t i = 0; i < text.size(); ++i) {
                position += advances[i];  // every advance readable, positions bounded
                Check(std::llabs(position) <= 2LL * kLimit);
            }
        }
    }
    void SetClipRect(const Rect& rect) override { CheckRect(rect); }
    void RemoveClip() override {}
    void SetPen(const Pen& pen) override {
        Check(pen.width >= 0 && pen.width <= 4096);
        pen_ = pen;
    }
    const Pen& CurrentPen() const override { return pen_; }
    void SetBrush(const Brush& brush) override { brush_ = brush; }
    const Brush& CurrentBrush() const override { return brush_; }
    void FillRect(const Rect& rect) override { CheckRect(rect); }
    void Rectangle(const Rect& rect) override { CheckRect(rect); }
    void Ellipse(const Rect& rect) override { CheckRect(rect); }
    void RoundRect(const Rect& rect, int w, int h) override {
        CheckRect(rect);
        CheckPoint(w, h);
    }
    void MoveTo(Point p) override { CheckPoint(p.x, p.y); }
    void LineTo(Point p) override { CheckPoint(p.x, p.y); }
    void DrawPicture(const PagePicture& picture, const Rect& target) override {
        picture.Play(*this, target);
    }

private:
    DeviceCaps caps_{600, 600, 4961, 7016, 0, 0, -1};
    FontSpec font_;
    Pen pen_;
    Brush brush_;
    unsigned align_ = 0;
};

// Loads the bytes; when they are a picture, enumerates and plays it every way.
void Exercise(const std::vector<std::uint8_t>& bytes) {
    std::unique_ptr<PagePicture> picture;
    try {
        picture = PagePicture::FromBytes(bytes);
    } catch (const EInvalidPicture&) {
        return;
    }

    // A stream holding the picture and more gives back exactly the picture.
    MemoryStream stream(bytes);
    stream.Seek(0, SeekOrigin::kEnd);
    stream.WriteInt32(0x12345678);
    stream.SetPosition(0);
    Check(PagePicture::LoadFrom(stream)->Bytes() == bytes);
    Check(stream.ReadInt32() == 0x12345678);

    // Records lie inside the picture, one after the other.
    std::size_t next = 0;
    picture->EnumerateRecords([&](std::uint32_t, std::span<const std::uint8_t> record) {
        Check(record.data() == picture->Bytes().data() + next && record.size() >= 8);
        next += record.size();
        Check(next <= picture->ByteLength());
        return true;
    });

    Check(picture->Width() >= 0 && picture->Height() >= 0);
    const int w = picture->Width() > 0 ? picture->Width() : 100;
    const int h = picture->Height() > 0 ? picture->Height() : 100;

    auto measuring = CreateMeasuringCanvas();
    picture->Play(*measuring, {0, 0, w, h});
    CheckingCanvas checking;
    picture->Play(checking, {-3, 5, 4961, 7016});

    // Recording the playback gives a valid picture, which plays again.
    EmfRecordingCanvas recorder(w, h);
    recorder.DrawPicture(*picture, {0, 0, w / 2 + 1, h});
    const auto copy = recorder.Finish();
    copy->Play(checking, {0, 0, 4961, 7016});
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The input's records behind a valid header, every record size made to fit and an end record
// appended: mutations of record fields then reach the player instead of failing the chain
// check.
std::vector<std::uint8_t> WithValidChain(const std::uint8_t* data, std::size_t size) {
    EmfRecordingCanvas blank(794, 1123);
    std::vector<std::uint8_t> out = blank.Finish()->Bytes();
    out.resize(108);
    PutLe32(out.data() + 56, 16);  // object table size

    std::size_t at = 0;
    if (size >= 8 && Le32(data) == 1 && Le32(data + 4) >= 88 && Le32(data + 4) <= size) {
        at = Le32(data + 4);  // the input's own header
    }
    std::uint32_t records = 1;
    while (size - at >= 8) {
        const std::size_t remaining = (size - at) & ~std::size_t{3};
        std::uint32_t length = Le32(data + at + 4);
        if (length < 8 || length % 4 != 0 || length > remaining) {
            length = static_cast<std::uint32_t>(remaining);
        }
        const std::size_t start = out.size();
        out.insert(out.end(), data + at, data + at + length);
        PutLe32(out.data() + start + 4, length);
        ++records;
        at += length;
    }
    const std::uint8_t eof[20] = {14, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 20, 0, 0, 0};
    out.insert(out.end(), eof, eof + 20);
    PutLe32(out.data() + 48, static_cast<std::uint32_t>(out.size()));
    PutLe32(out.data() + 52, records + 1);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Exercise(std::vector<std::uint8_t>(data, data + size));
    Exercise(WithValidChain(data, size));
    return 0;
}
