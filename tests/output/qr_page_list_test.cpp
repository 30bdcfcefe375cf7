// The page list: record layout, the walks between pages, compressed records, and appends
// that fail half-way.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "output/qr_compress.h"
#include "output/qr_page_list.h"
#include "tests/output/emf_fixture.h"
#include "tests/output/scoped_tmpdir.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TempDir;
using testing::TextPage;

std::int32_t I32At(const Bytes& bytes, std::size_t at) {
    std::int32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

Bytes StreamBytes(TQRStream& stream) {
    const std::int64_t position = stream.Position();
    MemoryStream copy;
    stream.CopyTo(copy);
    stream.SetPosition(position);
    return copy.Bytes();
}

// A list on a fresh stream with `count` distinct pages.
struct Pages {
    Pages(int count, bool compressed, std::int32_t memoryLimit = 250000) {
        list.SetCompression(compressed);
        list.SetStream(std::make_unique<TQRStream>(memoryLimit));
        for (int i = 1; i <= count; ++i) Append(i);
    }
    void Append(int pageNumber) {
        pictures.push_back(TextPage(pageNumber));
        list.AppendPage(*pictures.back());
    }
    void ExpectPage(int pageNumber) {
        const auto page = list.ReadPage(pageNumber);
        ASSERT_NE(page, nullptr) << "page " << pageNumber;
        EXPECT_EQ(page->Bytes(), pictures[static_cast<std::size_t>(pageNumber - 1)]->Bytes())
            << "page " << pageNumber;
    }
    TQRPageList list;
    std::vector<std::unique_ptr<PagePicture>> pictures;
};

class PageListTest : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(Storage, PageListTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Compressed" : "Plain";
                         });

TEST_P(PageListTest, OnePageReportHasItsHeaderAndOffsets) {
    const bool compressed = GetParam();
    Pages pages(1, compressed);
    TQRStream& stream = *pages.list.Stream();
    EXPECT_EQ(stream.Position(), stream.Size());
    for (const bool afterFinalHeader : {false, true}) {
        if (afterFinalHeader) pages.list.WriteHeader();
        const Bytes bytes = StreamBytes(stream);
        EXPECT_EQ(bytes[0] | bytes[1] << 8, 3);
        EXPECT_EQ(bytes[2] | bytes[3] << 8, 40);
        EXPECT_EQ(I32At(bytes, 8), 1);
        EXPECT_EQ(bytes[25], compressed ? 1 : 0);
        for (const std::size_t zero : {4, 5, 6, 7, 12, 13, 14, 15, 24, 26, 100, 126, 127}) {
            EXPECT_EQ(bytes[zero], 0) << zero;
        }
        EXPECT_EQ(I32At(bytes, 128), 1);                                        // page number
        EXPECT_EQ(I32At(bytes, 132), static_cast<std::int32_t>(bytes.size()));  // next record
        EXPECT_EQ(I32At(bytes, bytes.size() - 4), 128);                         // own start
        const Bytes& picture = pages.pictures[0]->Bytes();
        if (compressed) {
            EXPECT_EQ(I32At(bytes, 136), static_cast<std::int32_t>(picture.size()));
            MemoryStream code(Bytes(bytes.begin() + 140, bytes.end() - 4));
            EXPECT_EQ(ExpandBytes(code, picture.size()), picture);
            EXPECT_EQ(code.Position(), static_cast<std::int64_t>(bytes.size() - 144));
        } else {
            EXPECT_EQ(Bytes(bytes.begin() + 136, bytes.end() - 4), picture);
        }
    }
    EXPECT_EQ(stream.Position(), 128);  // the header write leaves the stream behind it
    pages.ExpectPage(1);
}

// The local time of a zone far from UTC (13 h 45 min ahead), so that local time and UTC differ
// in the date itself for half of the day; the zone before is back afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* tz = std::getenv("TZ")) saved_ = tz;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (saved_) {
            ::setenv("TZ", saved_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    std::optional<std::string> saved_;
};

TEST_P(PageListTest, HeaderCarriesTheLocalDateAndTime) {
    const ScopedTimeZone zone("<+1345>-13:45");
    Pages pages(2, GetParam());
    pages.list.WriteHeader();
    const Bytes bytes = StreamBytes(*pages.list.Stream());
    double stamp;
    std::memcpy(&stamp, bytes.data() + 16, 8);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    // 25569 is 1 January 1970 counted from 30 December 1899.
    const double expected = 25569.0 + static_cast<double>(now + local.tm_gmtoff) / 86400.0;
    ASSERT_EQ(local.tm_gmtoff, (13 * 60 + 45) * 60);
    EXPECT_NEAR(stamp, expected, 5.0 / 86400);
    EXPECT_EQ(I32At(bytes, 8), 2);
}

TEST_P(PageListTest, FindsPagesInAnyOrderByWalkingTheChain) {
    TempDir dir;
    testing::ScopedTmpDir tmp(dir.Path());
    // The second list moves to its temporary file during the appends.
    for (const std::int32_t limit : {250000, 3000}) {
        Pages pages(9, GetParam(), limit);
        EXPECT_EQ(pages.list.Stream()->InMemory(), limit == 250000);
        for (const int n : {3, 1, 9, 2, 8, 8, 5, 4, 9, 1}) pages.ExpectPage(n);
        // Right after an append the stream stands at its end; earlier pages are still found.
        pages.Append(10);
        EXPECT_EQ(pages.list.Stream()->Position(), pages.list.Stream()->Size());
        pages.ExpectPage(6);
        pages.ExpectPage(10);
        EXPECT_EQ(pages.list.PageCount(), 10);
    }
}

TEST_P(PageListTest, ReadingNextOrPreviousPagesCostsConstantSteps) {
    Pages pages(30, GetParam());
    pages.list.ReadPage(1);
    std::uint64_t before = pages.list.ChainSteps();
    for (int n = 2; n <= 30; ++n) pages.ExpectPage(n);
    EXPECT_EQ(pages.list.ChainSteps() - before, 0u);  // each read leaves the stream on the next
    before = pages.list.ChainSteps();
    for (int n = 29; n >= 1; --n) pages.ExpectPage(n);
    // Page 30 was read last, so the stream stands at the end: from there page 29 is one step
    // back from the last page; every later page two steps back from the page after the one
    // just read.
    EXPECT_EQ(pages.list.ChainSteps() - before, 1u + 2u * 27);
}

TEST_P(PageListTest, MissingPagesAreNoneAndLeaveThePositionAlone) {
    Pages pages(3, GetParam());
    TQRStream& stream = *pages.list.Stream();
    stream.SetPosition(200);
    EXPECT_EQ(pages.list.ReadPage(4), nullptr);
    EXPECT_EQ(pages.list.ReadPage(0), nullptr);
    EXPECT_EQ(stream.Position(), 200);
    pages.list.ClearPages();
    EXPECT_EQ(pages.list.ReadPage(1), nullptr);
}

TEST_P(PageListTest, PositioningLandsOnRecordStarts) {
    Pages pages(4, GetParam());
    TQRPageList& list = pages.list;
    TQRStream& stream = *list.Stream();
    const Bytes bytes = StreamBytes(stream);
    list.PositionAtLastPage();
    const std::int64_t last = stream.Position();
    EXPECT_EQ(I32At(bytes, static_cast<std::size_t>(last)), 4);
    list.PositionAtFirstPage();
    EXPECT_EQ(stream.Position(), 128);
    list.PositionAtPage(3);
    EXPECT_EQ(I32At(bytes, static_cast<std::size_t>(stream.Position())), 3);
    EXPECT_EQ(I32At(bytes, static_cast<std::size_t>(stream.Position()) + 4), last);
}

TEST_P(PageListTest, AFailedAppendLeavesNoHalfRecordAndTheNextOneWorks) {
    TempDir dir;
    Pages pages(2, GetParam(), 20000);
    TQRStream& stream = *pages.list.Stream();
    ASSERT_TRUE(stream.InMemory());
    const Bytes before = StreamBytes(stream);
    stream.Seek(0, SeekOrigin::kEnd);
    {
        testing::ScopedTmpDir missing(dir.File("missing"));
        for (int attempt = 0; attempt < 2; ++attempt) {
            EXPECT_THROW(pages.list.AppendPage(*TextPage(3, 400)), EFCreateError);
            EXPECT_EQ(pages.list.PageCount(), 2);
            EXPECT_EQ(StreamBytes(stream), before);
            EXPECT_EQ(stream.Position(), stream.Size());
        }
        pages.ExpectPage(1);
        pages.ExpectPage(2);
    }
    testing::ScopedTmpDir present(dir.Path());
    pages.pictures.push_back(TextPage(3, 400));
    pages.list.AppendPage(*pages.pictures.back());
    EXPECT_FALSE(stream.InMemory());
    EXPECT_EQ(pages.list.PageCount(), 3);
    for (const int n : {3, 1, 2, 3}) pages.ExpectPage(n);
}

TEST(PageList, AppendOfTheFirstPageThatFailsLeavesAnEmptyStream) {
    TempDir dir;
    testing::ScopedTmpDir missing(dir.File("missing"));
    TQRPageList list;
    list.SetStream(std::make_unique<TQRStream>(100));
    EXPECT_THROW(list.AppendPage(*TextPage(1)), EFCreateError);
    EXPECT_EQ(list.PageCount(), 0);
    EXPECT_EQ(list.Stream()->Size(), 0);
}

TEST(PageList, OffsetsPastTheSigned32BitRangeAreAWriteError) {
    TempDir dir;
    testing::ScopedTmpDir tmp(dir.Path());
    TQRPageList list;
    list.SetStream(std::make_unique<TQRStream>(0));
    list.AppendPage(*TextPage(1));
    TQRStream& stream = *list.Stream();
    ASSERT_FALSE(stream.InMemory());
    // A sparse file end just short of 2 GiB: the next record would end beyond it.
    stream.SetSize(0x7FFFFF00);
    stream.Seek(0, SeekOrigin::kEnd);
    try {
        list.AppendPage(*TextPage(2));
        FAIL() << "no error";
    } catch (const EWriteError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_EQ(list.PageCount(), 1);
    EXPECT_EQ(stream.Size(), 0x7FFFFF00);
}

TEST(PageList, WithoutAStreamNothingIsStoredOrRead) {
    TQRPageList list;
    EXPECT_THROW(list.AppendPage(*TextPage(1)), EWriteError);
    EXPECT_EQ(list.PageCount(), 0);
    EXPECT_EQ(list.ReadPage(1), nullptr);
}

TEST(PageList, AppendsAndReadsFromTwoThreadsStayConsistent) {
    TempDir dir;
    testing::ScopedTmpDir tmp(dir.Path());
    constexpr int kPages = 150;
    std::vector<std::unique_ptr<PagePicture>> pictures;
    for (int i = 1; i <= kPages; ++i) pictures.push_back(TextPage(i));
    TQRPageList list;
    list.SetCompression(true);
    list.SetStream(std::make_unique<TQRStream>(20000));
    std::thread writer([&] {
        for (const auto& picture : pictures) list.AppendPage(*picture);
    });
    int mismatches = 0;
    unsigned seed = 1;
    for (int reads = 0; reads < 600; ++reads) {
        const std::int32_t count = list.PageCount();
        if (count == 0) continue;
        seed = seed * 1103515245u + 12345u;
        const auto n = static_cast<std::int32_t>(1 + (seed >> 8) % static_cast<unsigned>(count));
        const auto page = list.ReadPage(n);
        if (page == nullptr ||
            page->Bytes() != pictures[static_cast<std::size_t>(n - 1)]->Bytes()) {
            ++mismatches;
        }
    }
    writer.join();
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(list.PageCount(), kPages);
}

TEST(PageOutline, FindsTheFirstNodeWithAKey) {
    TQROutline outline;
    EXPECT_EQ(outline.Find(7).page, 0);
    EXPECT_EQ(outline.Find(7).rect, Rect{});
    outline.Add(std::string(60, 'x'), 0, Rect{1, 2, 3, 4}, 5, 7);
    outline.Add("second", 1, Rect{9, 9, 9, 9}, 6, 7);
    EXPECT_EQ(outline.Find(7).page, 5);
    EXPECT_EQ(outline.Find(7).rect, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(outline.Nodes()[0].caption.size(), TQROutline::kMaxCaption);
}

}  // namespace
}  // namespace quillon
