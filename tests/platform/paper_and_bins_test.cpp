#include <gtest/gtest.h>

#include <QSizeF>

#include <cmath>
#include <string>

#include "platform/qt/cups_input_slots.h"
#include "platform/qt/paper_codes.h"

namespace quillon {
namespace {

struct PaperRow {
    int code;
    double width;  // millimetres, portrait
    double length;
};

// The report engine's paper table, by device code. Rows whose table entry is not a real paper
// size (C, D and E sheets at 100 x 100, Envelope #12 at 4 x 11 in although it is 4 3/4 x 11 in)
// are checked against the size the code stands for.
// clang-format off
constexpr PaperRow kPaperTable[] = {
    {1, 215.9, 279.4},
    {2, 215.9, 279.4},
    {3, 279.4, 431.8},
    {4, 431.8, 279.4},
    {5, 215.9, 355.6},
    {6, 139.7, 215.9},
    {7, 190.5, 254.0},
    {8, 297.0, 420.0},
    {9, 210.0, 297.0},
    {10, 210.0, 297.0},
    {11, 148.0, 210.0},
    {12, 250.0, 354.0},
    {13, 182.0, 257.0},
    {14, 215.9, 330.2},
    {15, 215.0, 275.0},
    {16, 254.0, 355.6},
    {17, 279.4, 431.8},
    {18, 215.9, 279.0},
    {19, 98.43, 225.4},
    {20, 104.8, 241.3},
    {21, 114.3, 263.5},
    {22, 120.65, 279.4},
    {23, 127.0, 292.1},
    {24, 431.8, 558.8},
    {25, 558.8, 863.6},
    {26, 863.6, 1117.6},
};
// clang-format on

TEST(PaperCodes, EveryCodeStandsForItsPaperSize) {
    for (const PaperRow& row : kPaperTable) {
        SCOPED_TRACE("paper code " + std::to_string(row.code));
        const auto id = PageSizeOfPaperCode(row.code);
        ASSERT_TRUE(id.has_value());
        const QSizeF size = QPageSize(*id).size(QPageSize::Millimeter);
        EXPECT_NEAR(size.width(), row.width, 1.0);
        EXPECT_NEAR(size.height(), row.length, 1.0);
    }
    for (const int code : {kPaperDefault, kPaperCustom, 27, -1}) {
        EXPECT_FALSE(PageSizeOfPaperCode(code).has_value()) << code;
    }
}

TEST(PaperCodes, PageSizesMapBackToTheFirstCodeOfTheirSize) {
    struct Case {
        QPageSize size;
        std::optional<int> code;
    };
    const Case cases[] = {
        {QPageSize(QPageSize::A4), 9},
        {QPageSize(QPageSize::A4Small), 10},
        {QPageSize(QPageSize::Tabloid), 3},
        {QPageSize(QPageSize::Ledger), 4},
        // A printer's own names for standard sizes.
        {QPageSize(QSizeF(210, 297), QPageSize::Millimeter, "MyA4"), 9},
        {QPageSize(QSize(612, 792), "AnsiA"), 1},
        {QPageSize(QPageSize::JisB4), std::nullopt},
        {QPageSize(QSizeF(100, 100), QPageSize::Millimeter), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size.name().toStdString());
        EXPECT_EQ(PaperCodeOfPageSize(c.size), c.code);
    }
}

TEST(InputSlots, BinsMapToThePrintersSlotChoices) {
    const InputSlots bins = InputSlots::FromPpdFile(QUILLON_TEST_DATA "/input-slots.ppd");
    EXPECT_EQ(bins.Choices(), (std::vector<std::string>{"Upper", "Lower", "ManualFeed", "Tray4"}));
    EXPECT_TRUE(bins.CanSelectBins());
    EXPECT_EQ(bins.DefaultBin(), 2);
    EXPECT_EQ(bins.ChoiceForBin(1), "Upper");
    EXPECT_EQ(bins.ChoiceForBin(2), "Lower");
    EXPECT_EQ(bins.ChoiceForBin(4), "ManualFeed");
    EXPECT_EQ(bins.ChoiceForBin(7), std::nullopt);  // no automatic selection
    EXPECT_EQ(bins.ChoiceForBin(14), std::nullopt);
    EXPECT_EQ(InputSlots::BinOfChoice("Tray4"), std::nullopt);
    EXPECT_EQ(InputSlots::BinOfChoice("cassette"), 14);
    EXPECT_EQ(InputSlots::BinOfChoice("AutoSelect"), 7);
}

TEST(InputSlots, PrinterWithoutSlotsOrUnreadableDescriptionSelectsNoBin) {
    for (const std::string& path : {std::string(QUILLON_TEST_DATA "/sample-dos.txt"),
                                    std::string(QUILLON_TEST_DATA "/no-such.ppd")}) {
        const InputSlots bins = InputSlots::FromPpdFile(path);
        EXPECT_FALSE(bins.CanSelectBins()) << path;
        EXPECT_EQ(bins.ChoiceForBin(1), std::nullopt);
    }
    EXPECT_FALSE(InputSlots({"Tray4", "Tray5"}, "Tray4").CanSelectBins());
}

}  // namespace
}  // namespace quillon
