#include "output/qr_outline.h"

namespace quillon {

void TQROutline::Add(std::string_view caption, std::int32_t level, const Rect& rect,
                     std::int32_t page, std::int32_t key) {
    nodes_.push_back({std::string(caption.substr(0, kMaxCaption)), level, rect, page, key});
}

TQROutline::Target TQROutline::Find(std::int32_t key) const {
    for (const auto& node : nodes_) {
        if (node.key == key) return {node.rect, node.page};
    }
    return {};
}

}  // namespace quillon
