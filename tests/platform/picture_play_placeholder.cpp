// Linked into the Qt tests only while the library has no page picture playback of its own: the
// linker takes this member of its archive only when nothing earlier defines the function. Once
// playback exists, this file is never linked and can be deleted.
#include <stdexcept>

#include "platform/core/page_picture.h"

namespace quillon {

void PagePicture::Play(Canvas&, const Rect&) const {
    throw std::logic_error("page picture playback is not built into this program");
}

}  // namespace quillon
