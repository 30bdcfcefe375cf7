// Printing through a real CUPS server with the cups-pdf queue "PDF" (scripts/with-cups starts
// one); the PDF files it writes are read back with poppler's tools.
#include <gtest/gtest.h>

#include <cups/cups.h>
#include <unistd.h>

#include <QPrinterInfo>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/qt/qt_printer.h"
#include "tests/output/cups_jobs.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

const char* const kQueue = testing::kPdfQueue;

using testing::Command;
using testing::UniqueTitle;
using testing::WaitForPdf;

bool JobExists(const std::string& title, int which) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs(&jobs, kQueue, 0, which);
    bool found = false;
    for (int i = 0; i < count; ++i) found = found || title == jobs[i].title;
    cupsFreeJobs(count, jobs);
    return found;
}

class QtPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
        testing::EnsureQtApplication();
        ASSERT_FALSE(QPrinterInfo::printerInfo(kQueue).isNull())
            << "The CUPS queue \"PDF\" (cups-pdf) is missing: run the tests through "
               "scripts/with-cups, which starts a CUPS server with that queue";
        device = std::make_unique<QtPrinterDevice>();
        const std::vector<std::string> printers = printer().Printers();
        const auto found = std::find(printers.begin(), printers.end(), kQueue);
        ASSERT_NE(found, printers.end());
        printer().SetPrinterIndex(static_cast<int>(found - printers.begin()));
    }

    QtPrinterDevice& printer() { return *device; }
    std::unique_ptr<QtPrinterDevice> device;
};

TEST_F(QtPrintTest, PrintsLatinAndCyrillicTextOnItsPages) {
    const std::string title = UniqueTitle("text");
    printer().SetTitle(title);
    printer().BeginDoc();
    ASSERT_TRUE(printer().Printing());
    Canvas& canvas = printer().PageCanvas();
    canvas.SetFont({"Courier New", 12, 0, kBlack, kRussianCharset});
    canvas.SetBackgroundTransparent(true);
    canvas.TextOutW(600, 600, u"Quillon prints: Hello, world", nullptr);
    canvas.TextOut(600, 1000, "\xC7\xE4\xF0\xE0\xE2\xE5\xE9, \xF1\xE2\xFF\xF2");  // Windows-1251
    printer().NewPage();
    printer().PageCanvas().TextOutW(600, 600, u"Страница 2 \u2014 край", nullptr);
    printer().EndDoc();
    EXPECT_FALSE(printer().Printing());

    const std::string pdf = WaitForPdf(title);
    ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
    const std::string text = Command("pdftotext -layout -enc UTF-8 '" + pdf + "' -");
    EXPECT_NE(text.find("Quillon prints: Hello, world"), std::string::npos) << text;
    EXPECT_NE(text.find("Здравей, свят"), std::string::npos) << text;
    EXPECT_NE(text.find("Страница 2 — край"), std::string::npos) << text;
    const std::string info = Command("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    EXPECT_NE(info.find("595 x 842"), std::string::npos) << info;
}

TEST_F(QtPrintTest, PaperSizeAndOrientationReachTheJob) {
    struct Case {
        int paper;
        int orientation;
        double widthInches;  // of the page as drawn
        double heightInches;
        const char* sheet;  // pdfinfo's name of the printed sheet
        bool rotated;
    };
    const Case cases[] = {
        {11, 1, 148 / 25.4, 210 / 25.4, "(A5)", false},  // A5 portrait
        {1, 2, 11, 8.5, "(letter)", true},               // Letter landscape
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("paper " + std::to_string(c.paper) + ", orientation " +
                     std::to_string(c.orientation));
        DeviceMode mode = *printer().GetDeviceMode();
        mode.paperSize = c.paper;
        mode.orientation = c.orientation;
        printer().SetDeviceMode(mode);
        EXPECT_EQ(printer().GetDeviceMode()->paperSize, c.paper);
        const DeviceCaps caps = printer().Caps();
        EXPECT_NEAR(caps.physicalWidth, c.widthInches * caps.dpiX, caps.dpiX / 50.0);
        EXPECT_NEAR(caps.physicalHeight, c.heightInches * caps.dpiY, caps.dpiY / 50.0);

        const std::string title = UniqueTitle("paper");
        printer().SetTitle(title);
        printer().BeginDoc();
        printer().PageCanvas().SetFont({"Arial", 14, 0, kBlack, kRussianCharset});
        printer().PageCanvas().TextOutW(1200, 1200, u"Orientation", nullptr);
        printer().EndDoc();

        const std::string pdf = WaitForPdf(title);
        ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
        const std::string info = Command("pdfinfo '" + pdf + "'");
        EXPECT_NE(info.find(c.sheet), std::string::npos) << info;
        // A landscape page lies turned on the sheet: its words run upwards.
        const std::string box = Command("pdftotext -bbox '" + pdf + "' - | grep Orientation");
        double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
        ASSERT_EQ(
            std::sscanf(box.c_str(), " <word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"",
                        &xMin, &yMin, &xMax, &yMax),
            4)
            << box;
        EXPECT_EQ(yMax - yMin > xMax - xMin, c.rotated) << box;
    }
}

TEST_F(QtPrintTest, AbortedDocumentNeverReachesTheQueue) {
    const std::string title = UniqueTitle("abort");
    printer().SetTitle(title);
    printer().BeginDoc();
    printer().PageCanvas().TextOutW(100, 100, u"must not print", nullptr);
    printer().NewPage();
    printer().Abort();
    EXPECT_FALSE(printer().Printing());
    EXPECT_FALSE(JobExists(title, CUPS_WHICHJOBS_ALL));
    // The printer object is ready for the next document.
    const std::string next = UniqueTitle("after-abort");
    printer().SetTitle(next);
    printer().BeginDoc();
    printer().PageCanvas().TextOutW(100, 100, u"printed", nullptr);
    printer().EndDoc();
    EXPECT_TRUE(JobExists(next, CUPS_WHICHJOBS_ALL));
    EXPECT_FALSE(WaitForPdf(next).empty());
}

TEST_F(QtPrintTest, UnknownPrinterIsAnErrorAndWritesNothing) {
    const std::string title = UniqueTitle("unknown");
    printer().SelectPrinter("Quillon-No-Such-Printer");
    EXPECT_EQ(printer().PrinterIndex(), -1);
    EXPECT_FALSE(printer().GetDeviceMode().has_value());
    printer().SetTitle(title);
    try {
        printer().BeginDoc();
        ADD_FAILURE() << "a document began on a printer that does not exist";
    } catch (const EPrinterError& error) {
        EXPECT_STREQ(error.what(), "Printer \"Quillon-No-Such-Printer\" is not available");
    }
    EXPECT_FALSE(printer().Printing());
    EXPECT_THROW(printer().NewPage(), EPrinterError);
    EXPECT_FALSE(JobExists(title, CUPS_WHICHJOBS_ALL));
    EXPECT_THROW(printer().SetPrinterIndex(static_cast<int>(printer().Printers().size())),
                 EPrinterError);
    EXPECT_THROW(printer().SetPrinterIndex(-2), EPrinterError);
}

TEST_F(QtPrintTest, SettingsRecordOfThePdfQueue) {
    const std::optional<DeviceMode> mode = printer().GetDeviceMode();
    ASSERT_TRUE(mode.has_value());
    const std::uint32_t always =
        DeviceMode::kOrientation | DeviceMode::kPaperSize | DeviceMode::kCopies;
    EXPECT_EQ(mode->fields & always, always);
    EXPECT_EQ(mode->fields & DeviceMode::kDuplex, 0u);         // the queue prints one-sided only
    EXPECT_EQ(mode->fields & DeviceMode::kDefaultSource, 0u);  // and has no paper sources
    EXPECT_EQ(mode->paperSize, 9);
    EXPECT_EQ(mode->orientation, 1);
    EXPECT_EQ(mode->copies, 1);
    EXPECT_EQ(mode->duplex, 1);

    const std::vector<int> codes = printer().PaperCodes();
    for (const int code : {1, 3, 4, 5, 8, 9, 11, 12, 13, 20, 256}) {
        EXPECT_NE(std::find(codes.begin(), codes.end(), code), codes.end()) << code;
    }
    EXPECT_EQ(std::find(codes.begin(), codes.end(), 10), codes.end());  // A4 is listed once

    const PrinterNames names = printer().Names();
    EXPECT_EQ(names.device, kQueue);
    EXPECT_EQ(names.port, "cups-pdf:/");

    // Wishes the queue cannot meet are replaced by what it has.
    DeviceMode wish = *mode;
    wish.duplex = 2;
    wish.paperSize = 22;  // an envelope the queue does not offer
    wish.copies = 0;
    wish.defaultSource = 4;
    wish.orientation = 5;
    wish.collate = 1;
    ASSERT_TRUE(printer().MergeDeviceMode(wish));
    EXPECT_EQ(wish.duplex, 1);
    EXPECT_EQ(wish.paperSize, 9);
    EXPECT_EQ(wish.copies, 1);
    EXPECT_EQ(wish.defaultSource, mode->defaultSource);
    EXPECT_EQ(wish.orientation, 1);
    EXPECT_EQ(wish.collate, 1);
    EXPECT_EQ(wish.fields, mode->fields);

    const DeviceCaps caps = printer().Caps();
    EXPECT_EQ(caps.dpiX, QtPrinterDevice::kResolution);
    EXPECT_NEAR(caps.physicalWidth, 210 / 25.4 * caps.dpiX, caps.dpiX / 50.0);
    EXPECT_EQ(printer().PageWidth(), caps.physicalWidth - 2 * caps.physicalOffsetX);
}

}  // namespace
}  // namespace quillon
