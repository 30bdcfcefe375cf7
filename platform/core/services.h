#pragma once

#include <memory>
#include <string>

#include "platform/core/canvas.h"
#include "platform/core/glyph_source.h"
#include "platform/core/messages.h"
#include "platform/core/printer.h"
#include "platform/core/text_measurer.h"

namespace quillon {

// Opens documents and web addresses with the desktop's default application.
class Shell {
public:
    virtual ~Shell() = default;
    // False when nothing could open it.
    virtual bool Open(const std::string& target) = 0;
};

// The report engine's fixed reference resolution: recorded pages and text measuring are at
// 96 pixels per inch, whatever the display's scale, so that pagination is the same
// everywhere.
inline constexpr int kScreenPixelsPerInch = 96;

// The platform services the Qt-free core reaches drawing, printers and messages through. The
// Qt layer installs its implementations at start-up; until then headless defaults serve: the
// fixed-pitch measurer, a simple message queue, no printers, a shell that opens nothing, and
// no glyphs (documents that embed fonts get no text).
struct PlatformServices {
    TextMeasurer* measurer = nullptr;
    MessageQueue* messages = nullptr;
    PrinterSystem* printers = nullptr;
    Shell* shell = nullptr;
    int screenColors = -1;
    GlyphSource* glyphs = nullptr;
};

// The services in use (never null members).
const PlatformServices& Platform();
// Installs services; null members keep the headless defaults. The objects must outlive their
// use; installing again replaces them.
void InstallPlatform(const PlatformServices& services);

// A canvas that measures text at the reference resolution and draws nothing: the report's
// text-measuring context "compatible with the screen".
std::unique_ptr<Canvas> CreateMeasuringCanvas();

}  // namespace quillon
