#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/page_picture.h"

namespace quillon::testing {

// The bytes of a valid A4 page picture at 96 pixels per inch that draws `lines` of text in
// Courier New 10 pt, one line every 15 pixels from the top margin, as the recording canvas
// writes text: a font record, then one UTF-16 text record with 8-pixel advances per line.
std::vector<std::uint8_t> TextPageBytes(const std::vector<std::string>& lines);

// A page of `lineCount` lines of report-like text whose contents depend on `pageNumber`, so
// that every page differs from its neighbours.
std::unique_ptr<PagePicture> TextPage(int pageNumber, int lineCount = 4);

}  // namespace quillon::testing
