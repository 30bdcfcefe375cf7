// Reports through the PDF writer with the real fonts: the program's report portrait,
// landscape and on other paper, Cyrillic and line drawing, a data-driven report with frames
// and shapes, an empty report. Each PDF passes qpdf, and poppler reads its pages, their size,
// title, embedded fonts and every printed line back. Saving onto the loaded report, a cancel
// and a full file system leave nothing behind.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "output/pdf_page_export.h"
#include "output/qr_printer.h"
#include "platform/core/byte_stream.h"
#include "platform/core/cp1251.h"
#include "platform/qt/qt_platform.h"
#include "report/program_report.h"
#include "report/qr_shape.h"
#include "tests/database/sqlite_fixture.h"
#include "tests/platform/qt_test_app.h"
#include "tests/report/shop_report.h"
#include "tests/support/pdf_check.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using Strings = std::vector<std::string>;

class PdfReports : public ::testing::Test {
protected:
    void SetUp() override {
        testing::EnsureQtApplication();
        platform = InstallQtPlatform();
    }
    void TearDown() override { platform.reset(); }

    // Generates the report into recorded pages.
    static TQRPrinter& Record(TRozerEdedid& report) {
        report.SetQRPrinter(std::make_unique<TQRPrinter>(&report));
        report.GenerateReport(false);
        return *report.QRPrinter();
    }

    // Exports every recorded page to `path` and reads the PDF back.
    static testing::PdfFacts Export(TQRPrinter& printer, const std::string& path) {
        PdfPageExport pdf(path);
        printer.ExportPages(pdf);
        return testing::InspectPdf(path);
    }

    std::unique_ptr<QtPlatform> platform;
    testing::TempDir dir;
};

// Lines as the program prints them, in Windows-1251, and the same lines as UTF-8.
struct Lines {
    Strings cp1251;
    Strings utf8;
};

Lines SampleLines(int count) {
    Lines lines;
    for (int i = 1; i <= count; ++i) {
        const std::string utf8 = i % 7 == 0
                                     ? "+----------+--------+ " + std::to_string(i)
                                     : "Ред " + std::to_string(i) + ": Хляб бял | 12.50 | Сирене";
        lines.utf8.push_back(utf8);
        lines.cp1251.push_back(Utf8ToCp1251(utf8));
    }
    return lines;
}

TEST_F(PdfReports, ProgramReportsKeepPagesPaperAndEveryLine) {
    const struct Case {
        const char* name;
        TPrinterOrientation orientation;
        TQRPaperSize paper;
        int lines;
        double width;
        double height;
    } cases[] = {
        {"a4-portrait", TPrinterOrientation::poPortrait, TQRPaperSize::A4, 150, 595.28, 841.89},
        {"a4-landscape", TPrinterOrientation::poLandscape, TQRPaperSize::A4, 150, 841.89, 595.28},
        {"letter", TPrinterOrientation::poPortrait, TQRPaperSize::Letter, 70, 612, 792},
        {"empty", TPrinterOrientation::poPortrait, TQRPaperSize::A4, 0, 595.28, 841.89},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramReport program;
        TRozerEdedid& report = program.Report();
        report.Page().SetPaperSize(c.paper);
        report.Page().SetOrientation(c.orientation);
        const Lines lines = SampleLines(c.lines);
        program.Memo().SetLines(lines.cp1251);
        report.SetDocumentName(std::string(c.name) + ".txt");
        TQRPrinter& printer = Record(report);

        const std::string path = dir.File(std::string(c.name) + ".pdf");
        const testing::PdfFacts facts = Export(printer, path);
        EXPECT_TRUE(facts.qpdfClean) << facts.qpdfReport;
        EXPECT_EQ(facts.warnings, "");
        EXPECT_EQ(facts.pages, printer.PageTotal());
        EXPECT_NEAR(facts.width, c.width, 0.5);
        EXPECT_NEAR(facts.height, c.height, 0.5);
        EXPECT_EQ(facts.title, std::string(c.name) + ".txt");
        EXPECT_EQ(facts.creator, "Quillon");
        EXPECT_EQ(testing::TextLines(facts.text), lines.utf8);
        if (c.lines > 0) {
            ASSERT_EQ(facts.fonts.size(), 1u);
            // Courier New is Liberation Mono here, embedded as a subset with a ToUnicode map.
            EXPECT_NE(facts.fonts[0].find("LiberationMono"), std::string::npos) << facts.fonts[0];
            EXPECT_NE(facts.fonts[0].find("CID TrueType      Identity-H       yes yes yes"),
                      std::string::npos)
                << facts.fonts[0];
        }
        if (c.lines <= 60) {
            EXPECT_LT(testing::ReadFile(path).size(), 30u * 1024);
        }
    }
}

// The decompressed content of a PDF, for a look at its drawing operators.
std::string Content(const std::string& path) {
    return testing::CommandOutput("qpdf --qdf --object-streams=disable '" + path +
                                  "' - 2>/dev/null");
}

TEST_F(PdfReports, ADataReportKeepsItsTextFramesAndShapesAsVectors) {
    const std::string file = dir.File("shop.db");
    testing::CreateShop(file, 12, 5);
    testing::ShopReport shop(file);
    TRozerEdedid& report = *shop.report;
    TQRCustomBand& title = *report.Bands().TitleBand();
    title.Frame().SetDrawBottom(true);
    title.Frame().SetWidth(2);
    TQRShape& circle = title.Insert(std::make_unique<TQRShape>(&report));
    circle.SetBounds({500, 2, 30, 30});
    circle.SetShape(TQRShapeType::qrsCircle);
    TQRPrinter& printer = Record(report);

    const std::string path = dir.File("shop.pdf");
    const testing::PdfFacts facts = Export(printer, path);
    EXPECT_TRUE(facts.qpdfClean) << facts.qpdfReport;
    EXPECT_EQ(facts.warnings, "");
    EXPECT_EQ(facts.pages, printer.PageTotal());
    EXPECT_EQ(facts.title, testing::kShopTitle);
    const std::string all = facts.text;
    EXPECT_NE(all.find(testing::kShopTitle), std::string::npos);
    for (const Strings& texts : testing::ExpectedShopLines(file)) {
        for (const std::string& t : texts) EXPECT_NE(all.find(t), std::string::npos) << t;
    }
    // The circle is Bézier curves and the frame a filled strip or stroked line, not pixels.
    const std::string content = Content(path);
    EXPECT_NE(content.find(" c\n"), std::string::npos);
    EXPECT_EQ(content.find("/Subtype /Image"), std::string::npos);
}

TEST_F(PdfReports, ALoadedReportIsNeverReplacedByItsPdf) {
    ProgramReport program;
    program.Memo().SetLines(SampleLines(80).cp1251);
    TQRPrinter& recorded = Record(program.Report());
    const std::string qrp = dir.File("report.qrp");
    recorded.Save(qrp);
    const std::string before = testing::ReadFile(qrp);

    TQRPrinter loaded;
    loaded.Load(qrp);
    PdfPageExport onto(dir.Path() + "/./report.qrp");
    EXPECT_THROW(loaded.ExportPages(onto), EFCreateError);
    EXPECT_EQ(testing::ReadFile(qrp), before);

    // Under another name the loaded pages make the same PDF, titled after the file.
    const testing::PdfFacts facts = Export(loaded, dir.File("loaded.pdf"));
    EXPECT_EQ(facts.pages, loaded.PageTotal());
    EXPECT_EQ(facts.title, "report.qrp");
    EXPECT_EQ(testing::TextLines(facts.text), SampleLines(80).utf8);
}

TEST_F(PdfReports, ACancelOrAFullFileSystemLeavesTheOldFileAndNothingElse) {
    ProgramReport program;
    program.Memo().SetLines(SampleLines(3000).cp1251);
    TQRPrinter& printer = Record(program.Report());
    const std::string path = dir.File("out.pdf");
    testing::WriteFile(path, "the old file");

    // Cancelled before the first page.
    class CancelFirst : public PdfPageExport {
    public:
        CancelFirst(std::string name, TQRPrinter& p)
            : PdfPageExport(std::move(name)), printer_(p) {}
        void Begin(const std::string& title, const Strings& inUse) override {
            PdfPageExport::Begin(title, inUse);
            printer_.RequestCancel();
        }

    private:
        TQRPrinter& printer_;
    } cancelled(path, printer);
    printer.ExportPages(cancelled);

    // A file size limit in a child process: the write fails part way.
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{20000, 20000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        PdfPageExport pdf(path);
        try {
            printer.ExportPages(pdf);
        } catch (const std::exception&) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(testing::ReadFile(path), "the old file");
    EXPECT_EQ(testing::CommandOutput("ls -A '" + dir.Path() + "'"), "out.pdf\n");
}

}  // namespace
}  // namespace quillon
