// The preview's arithmetic: automatic zooms, centring, links, and reading typed page numbers.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "preview/core/preview_geometry.h"

namespace quillon {
namespace {

TEST(PreviewGeometry, AutomaticZooms) {
    // An A4 page is 794 x 1123 screen pixels at zoom 100.
    EXPECT_EQ(FitPageZoom(600, 800, 794, 1123), 68);  // 72 across, 68 down: the smaller
    EXPECT_EQ(FitPageZoom(800, 600, 1123, 794), 68);
    EXPECT_EQ(FitWidthZoom(600, 794, 90), 68);
    EXPECT_EQ(FitWidthZoom(600, 215.9L, 95), 264);
    EXPECT_EQ(FitPageZoom(0, 800, 794, 1123), 0);  // out of range: the caller keeps its zoom
    // A page of no size has no zoom that fits it.
    EXPECT_EQ(FitPageZoom(600, 800, 0, 1123), std::nullopt);
    EXPECT_EQ(FitPageZoom(600, 800, 794, 0), std::nullopt);
    EXPECT_EQ(FitWidthZoom(600, 0, 90), std::nullopt);
    EXPECT_EQ(FitWidthZoom(600, -5, 90), std::nullopt);
}

TEST(PreviewGeometry, PageSizesAndPlaces) {
    constexpr long double kScreen = 96.0L / 254;
    EXPECT_EQ(PagePixels(2100, 100, kScreen), 794);
    EXPECT_EQ(PagePixels(2970, 100, kScreen), 1123);
    EXPECT_EQ(PagePixels(2100, 68, kScreen), 540);
    EXPECT_EQ(PagePixels(2100, 2000, kScreen), 15874);
    EXPECT_EQ(CentredOffset(600, 544), 28);
    EXPECT_EQ(CentredOffset(600, 545), 27);
    EXPECT_EQ(CentredOffset(600, 600), 0);
    EXPECT_EQ(CentredOffset(600, 1000), 0);
    EXPECT_TRUE(IsPreviewZoom(2) && IsPreviewZoom(2000));
    EXPECT_FALSE(IsPreviewZoom(1) || IsPreviewZoom(2001));
}

TEST(PreviewGeometry, LinkUnderThePointer) {
    const std::vector<LinkArea> areas = {
        {{100, 100, 200, 120}, "first"},
        {{150, 110, 300, 130}, "second"},
    };
    struct Case {
        int x, y, zoom;
        const char* link;
    };
    const Case cases[] = {
        {100, 100, 100, "first"}, {200, 120, 100, "first"},  {201, 120, 100, "second"},
        {160, 115, 100, "first"},  // both hold it: the first wins
        {50, 50, 50, "first"},    {99, 100, 100, nullptr},   {160, 131, 100, nullptr},
        {320, 230, 200, "first"}, {320, 250, 200, "second"}, {160, 115, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + " @" +
                     std::to_string(c.zoom));
        const LinkArea* found = LinkAt(areas, c.x, c.y, c.zoom);
        if (c.link == nullptr) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->link, c.link);
        }
    }
}

TEST(PreviewGeometry, ReadingATypedPageNumber) {
    constexpr std::int64_t kBeyond = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    struct Case {
        const char* text;
        std::int64_t value;
        int page;  // of 7 pages
    };
    const Case cases[] = {
        {"5", 5, 5},
        {"5x", 5, 5},
        {"  7", 7, 7},
        {"\t3", 3, 3},
        {"+4", 4, 4},
        {"0", 0, 1},
        {"-3", -3, 1},
        {"abc", 0, 1},
        {"", 0, 1},
        {" ", 0, 1},
        {"8", 8, 1},
        {"$6", 6, 6},
        {"0x7", 7, 7},
        {"0X5", 5, 5},
        {"$a", 10, 1},
        {"-$2", -2, 1},
        {"0xg", 0, 1},
        {"$", 0, 1},
        {"5 6", 5, 5},
        {"1e3", 1, 1},
        {"- 3", 0, 1},
        {"3.9", 3, 3},
        {"٣", 0, 1},
        {"2147483647", 2147483647, 1},
        {"2147483648", kBeyond, 1},
        {"99999999999999999999999999999999", kBeyond, 1},
        {"-99999999999999999999999999999999", -kBeyond, 1},
        {"$FFFFFFFFFFFFFFFFFFFFFFFF", kBeyond, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadLeadingInteger(c.text), c.value);
        EXPECT_EQ(PageFromTypedText(c.text, 7), c.page);
    }
    EXPECT_EQ(PageFromTypedText("1", 0), 1);
}

}  // namespace
}  // namespace quillon
