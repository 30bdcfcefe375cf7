// Recording a report run: states and their errors, the page canvas, coordinates, the page
// pictures and the messages the preview receives.

#include <gtest/gtest.h>

#include <string>

#include "output/qr_page_list.h"
#include "output/qr_printer.h"
#include "tests/output/printer_test_support.h"

namespace quillon {
namespace {

using testing::RecordingClient;
using testing::RecordPages;
using testing::ScopedServices;

// Bytes of the UTF-16 text records of a picture, as one string of their characters.
std::string TextOf(const PagePicture& picture) {
    std::string text;
    picture.EnumerateRecords([&](std::uint32_t type, std::span<const std::uint8_t> record) {
        if (type != 84) return true;
        // EMR_EXTTEXTOUTW: the EMRTEXT starts at 36; its character count at +8, offset at +12.
        const auto u32 = [&](std::size_t at) {
            return static_cast<std::uint32_t>(record[at]) | (record[at + 1] << 8) |
                   (record[at + 2] << 16) | (static_cast<std::uint32_t>(record[at + 3]) << 24);
        };
        const std::uint32_t count = u32(36 + 8);
        const std::uint32_t offset = u32(36 + 12);
        for (std::uint32_t i = 0; i < count; ++i) text += static_cast<char>(record[offset + 2 * i]);
        return true;
    });
    return text;
}

TEST(QRPrinterRecord, PagePictureSizeFollowsPaperAndOrientation) {
    ScopedServices services;
    struct Case {
        TQRPaperSize paper;
        TPrinterOrientation orientation;
        int customWidth, customLength;
        int width, height;
    };
    const Case cases[] = {
        {TQRPaperSize::A4, TPrinterOrientation::poPortrait, 0, 0, 794, 1123},
        {TQRPaperSize::A4, TPrinterOrientation::poLandscape, 0, 0, 1123, 794},
        {TQRPaperSize::Letter, TPrinterOrientation::poPortrait, 0, 0, 816, 1056},
        {TQRPaperSize::Custom, TPrinterOrientation::poPortrait, 1000, 500, 378, 189},
        {TQRPaperSize::Custom, TPrinterOrientation::poLandscape, 1000, 500, 189, 378},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            std::string(PaperSizeName(c.paper)) +
            (c.orientation == TPrinterOrientation::poLandscape ? " landscape" : " portrait"));
        TQRPrinter printer;
        printer.SetPaperSize(c.paper);
        printer.SetOrientation(c.orientation);
        printer.SetPaperWidthValue(c.customWidth);
        printer.SetPaperLengthValue(c.customLength);
        RecordPages(printer, 1);
        const auto page = printer.PageImage(1);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->Width(), c.width);
        EXPECT_EQ(page->Height(), c.height);
        EXPECT_EQ(TextOf(*page), "Page 1");
    }
}

TEST(QRPrinterRecord, FactorsAndConversions) {
    ScopedServices services;
    TQRPrinter printer;
    // Factors are 1 until a document begins; halves round to even.
    EXPECT_EQ(printer.HorzFactor(), 1);
    EXPECT_EQ(printer.ToDeviceWidth(2.5L), 2);
    EXPECT_EQ(printer.ToDeviceWidth(3.5L), 4);
    EXPECT_EQ(printer.ToDeviceHeight(-2.5L), -2);
    EXPECT_EQ(printer.ToDeviceX(4.5L), 4);

    printer.BeginDocument();
    EXPECT_EQ(printer.HorzFactor(), 96.0L / 254);
    EXPECT_EQ(printer.VertFactor(), 96.0L / 254);
    EXPECT_EQ(printer.UnprintableLeft(), 0);
    EXPECT_EQ(printer.ToDeviceX(2100), 794);   // 793.7
    EXPECT_EQ(printer.ToDeviceY(2970), 1123);  // 1122.5...
    EXPECT_EQ(printer.ToDeviceWidth(100), 38);
    EXPECT_EQ(printer.PaperWidth(), 2100);
    EXPECT_EQ(printer.PaperLength(), 2970);
}

TEST(QRPrinterRecord, StateErrorsLeaveTheDocumentAlone) {
    ScopedServices services;
    TQRPrinter printer;
    const auto expectError = [](auto call, const char* message) {
        try {
            call();
            ADD_FAILURE() << "no error, expected " << message;
        } catch (const EQRError& error) {
            EXPECT_STREQ(error.what(), message);
        }
    };
    expectError([&] { printer.NewPage(); }, "Illegal call to NewPage");
    EXPECT_THROW(printer.PageCanvas(), EQRError);

    printer.BeginDocument();
    printer.NewPage();
    printer.PageCanvas().TextOut(10, 10, "Page 1");
    printer.RequestCancel();
    expectError([&] { printer.BeginDocument(); }, "QRPrinter not ready");
    // The open page and the run's state survive the refused call.
    EXPECT_EQ(printer.State(), TQRPrinterState::prsBusy);
    EXPECT_TRUE(printer.CancelRequested());
    printer.PageCanvas().TextOut(10, 30, "more");
    printer.EndDocument();
    EXPECT_EQ(printer.PageTotal(), 1);
    EXPECT_EQ(TextOf(*printer.PageImage(1)), "Page 1more");

    expectError([&] { printer.NewPage(); }, "Illegal call to NewPage");
    expectError([&] { printer.BeginDocument(); }, "QRPrinter not ready");
    EXPECT_THROW(printer.PageCanvas(), EQRError);

    printer.Reset();
    EXPECT_EQ(printer.State(), TQRPrinterState::prsReady);
    EXPECT_EQ(printer.PageImage(1), nullptr);
    RecordPages(printer, 2);
    EXPECT_FALSE(printer.CancelRequested());
    EXPECT_EQ(printer.PageTotal(), 2);
    EXPECT_EQ(printer.PageList().PageCount(), 2);
}

TEST(QRPrinterRecord, PageAvailableMessagesCountEveryPageOnce) {
    for (const int pages : {1, 3}) {
        SCOPED_TRACE(std::to_string(pages) + " pages");
        ScopedServices services;
        RecordingClient preview;
        TQRPrinter printer;
        printer.SetProgressTarget(&preview);
        printer.BeginDocument();
        printer.NewPage();
        EXPECT_EQ(services.queue.Pending(), 0u);  // no page was open
        for (int page = 2; page <= pages; ++page) printer.NewPage();
        printer.Progress(40);
        printer.EndDocument();  // lets the messages run
        std::vector<std::intptr_t> expected;
        for (int page = 1; page <= pages; ++page) expected.push_back(page);
        EXPECT_EQ(preview.Params(kMsgPageAvailable), expected);
        EXPECT_EQ(preview.Params(kMsgProgress), std::vector<std::intptr_t>{40});
        EXPECT_EQ(printer.PagesDone(), pages);
        EXPECT_EQ(printer.PageTotal(), pages);
        EXPECT_EQ(printer.State(), TQRPrinterState::prsFinished);
    }
}

TEST(QRPrinterRecord, PagesAreReadableWhileAndAfterRecording) {
    ScopedServices services;
    TQRPrinter printer;
    EXPECT_EQ(printer.PageImage(1), nullptr);  // prsReady
    printer.BeginDocument();
    printer.NewPage();
    printer.PageCanvas().TextOut(0, 0, "Page 1");
    printer.NewPage();
    printer.PageCanvas().TextOut(0, 0, "Page 2");
    ASSERT_NE(printer.PageImage(1), nullptr);
    EXPECT_EQ(TextOf(*printer.PageImage(1)), "Page 1");
    EXPECT_EQ(printer.PageImage(2), nullptr);  // still being drawn
    printer.EndDocument();
    EXPECT_EQ(TextOf(*printer.PageImage(2)), "Page 2");
    for (const int page : {0, -1, 3}) EXPECT_EQ(printer.PageImage(page), nullptr) << page;

    printer.SetCurrentPage(2);
    EXPECT_EQ(printer.CurrentPage(), 2);
    for (const int page : {0, 3}) {
        printer.SetCurrentPage(page);
        EXPECT_EQ(printer.CurrentPage(), 2) << page;
    }
}

TEST(QRPrinterRecord, AbortKeepsTheOpenPage) {
    ScopedServices services;
    RecordingClient preview;
    TQRPrinter printer;
    printer.SetProgressTarget(&preview);
    printer.BeginDocument();
    printer.NewPage();
    printer.NewPage();
    printer.PageCanvas().TextOut(0, 0, "cut short");
    printer.AbortDocument();
    services.queue.ProcessMessages();
    EXPECT_EQ(printer.State(), TQRPrinterState::prsFinished);
    EXPECT_EQ(printer.PageList().PageCount(), 2);
    EXPECT_EQ(TextOf(*printer.PageImage(2)), "cut short");
    EXPECT_EQ(preview.Params(kMsgPageAvailable), (std::vector<std::intptr_t>{1, 2}));
}

TEST(QRPrinterRecord, CompressionReachesThePageList) {
    ScopedServices services;
    TQRPrinter printer;
    printer.SetCompression(true);
    RecordPages(printer, 2);
    EXPECT_TRUE(printer.PageList().Compression());
    EXPECT_EQ(TextOf(*printer.PageImage(2)), "Page 2");
}

TEST(QRPrinterRecord, DestroyedPrinterDetachesFromPreviewAndProgressTarget) {
    ScopedServices services;
    RecordingClient preview;
    RecordingClient progress;
    {
        TQRPrinter printer;
        printer.SetClient(&preview);
        printer.SetProgressTarget(&progress);
        printer.BeginDocument();
        printer.NewPage();  // destroyed in the middle of a run
    }
    EXPECT_EQ(preview.destroyedCalls, 1);
    EXPECT_EQ(progress.destroyedCalls, 1);

    // One window in both roles hears it once; a window destroyed first hears nothing.
    RecordingClient both;
    auto gone = std::make_unique<RecordingClient>();
    {
        TQRPrinter printer;
        printer.SetClient(&both);
        printer.SetProgressTarget(gone.get());
        gone.reset();
        EXPECT_EQ(printer.ProgressTarget(), nullptr);
        printer.SetProgressTarget(&both);
        RecordPages(printer, 1);
    }
    EXPECT_EQ(both.destroyedCalls, 1);
}

}  // namespace
}  // namespace quillon
