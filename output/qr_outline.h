#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/geometry.h"

namespace quillon {

// A bookmark into the pages: a caption, its level in the outline tree and the place it
// points to.
struct TQROutlineNode {
    std::string caption;  // at most kMaxCaption bytes
    std::int32_t level = 0;
    Rect rect;
    std::int32_t page = 0;
    std::int32_t key = 0;
};

// The outline of a page list. Nothing in the program adds nodes yet, so it stays empty and is
// never stored with the pages.
class TQROutline {
public:
    static constexpr std::size_t kMaxCaption = 51;

    struct Target {
        Rect rect;
        std::int32_t page = 0;
    };

    // Adds a node at the end; a longer caption is cut to kMaxCaption bytes.
    void Add(std::string_view caption, std::int32_t level, const Rect& rect, std::int32_t page,
             std::int32_t key);
    // The place of the first node with `key`, or page 0 and an empty rectangle.
    Target Find(std::int32_t key) const;

    const std::vector<TQROutlineNode>& Nodes() const { return nodes_; }
    void Clear() { nodes_.clear(); }

private:
    std::vector<TQROutlineNode> nodes_;
};

}  // namespace quillon
