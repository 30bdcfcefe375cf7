#include "app/cli/print_command.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "app/cli/standard_streams.h"
#include "app/printtext/print_text.h"
#include "app/settings/print_settings.h"
#include "app/transcode/text_file.h"
#include "expr/environment.h"
#include "output/pdf_page_export.h"
#include "output/qr_printer.h"
#include "platform/core/file_name_text.h"
#include "platform/core/printer.h"
#include "platform/core/services.h"
#include "platform/files/in_out_error.h"
#include "platform/files/output_file.h"
#include "platform/files/posix_file.h"
#include "platform/qt/qt_platform.h"
#include "report/program_report.h"

namespace quillon {

namespace {

// The index of the installed printer named `name`; -1 (the default printer) for no name.
int PrinterIndexOf(const std::string& name) {
    if (name.empty()) return -1;
    const std::vector<std::string> printers = Platform().printers->SharedPrinter().Printers();
    const auto it = std::find(printers.begin(), printers.end(), name);
    if (it == printers.end()) throw EPrinterError("Printer \"" + name + "\" is not available");
    return static_cast<int>(it - printers.begin());
}

struct PageRange {
    int first;
    int last;
};

// The pages of the job's range that the report has; raises when there are none.
PageRange RangeOf(const PrintJob& job, int pageTotal) {
    const int first = std::max(job.firstPage, 1);
    const int last = job.lastPage > 0 ? std::min(job.lastPage, pageTotal) : pageTotal;
    if (first > last) {
        throw EPrinterError("The report has no page in the range " + std::to_string(job.firstPage) +
                            "-" + std::to_string(job.lastPage));
    }
    return {first, last};
}

// Print jobs and PDFs are named as the job says, else after the input file.
std::string DocumentNameOf(const PrintJob& job) {
    if (job.title) return *job.title;
    return job.input == kStandardStream ? std::string() : FileNameOf(job.input);
}

// Replays the recorded pages of the job's range into a PDF file, which never replaces the
// input. Returns the number of pages written.
int WritePdf(TQRPrinter& printer, const PrintJob& job) {
    const PageRange range = RangeOf(job, printer.PageTotal());
    printer.CheckPages(range.first, range.last);
    PdfPageExport pdf(job.target);
    printer.ExportPages(pdf, range.first, range.last);
    return range.last - range.first + 1;
}

// Returns the number of pages printed.
int PrintOnPrinter(TQRPrinter& printer, const PrintJob& job) {
    if (!printer.HasPrinters()) throw EPrinterError("No printer is installed");
    const PageRange range = RangeOf(job, printer.PageTotal());
    printer.SetFirstPage(range.first);
    printer.SetLastPage(range.last);
    // The pages are final: printing replays them rather than generating again.
    printer.SetPagesFinal(true);
    printer.Print();
    return range.last - range.first + 1;
}

// Sends the pages where the job says; returns the number of pages saved, written or printed.
int DeliverTo(TQRPrinter& printer, const PrintJob& job) {
    switch (job.output) {
        case PrintOutput::kReportFile:
            printer.Save(job.target);
            return printer.PageTotal();
        case PrintOutput::kPdf:
            return WritePdf(printer, job);
        case PrintOutput::kPrinter:
            return PrintOnPrinter(printer, job);
        case PrintOutput::kNone:
            break;
    }
    return 0;
}

// Runs one step of a job; a failure names the file it concerns (an error that knows its own
// file names that one).
template <class Step>
auto ForFile(const std::string& file, Step step) -> decltype(step()) {
    try {
        return step();
    } catch (const EInOutError& error) {
        throw EJobFailure(
            error.Path().empty() || error.Path().rfind("/proc/", 0) == 0 ? file : error.Path(),
            error.what());
    } catch (const EJobFailure&) {
        throw;
    } catch (const std::exception& error) {
        throw EJobFailure(file, error.what());
    }
}

// Delivers the pages; returns the number of pages saved, written or printed.
int Deliver(TQRPrinter& printer, const PrintJob& job) {
    if (job.output == PrintOutput::kPrinter) {
        return ForFile("", [&] { return DeliverTo(printer, job); });
    }
    if (job.target != kStandardStream) {
        return ForFile(job.target, [&] { return DeliverTo(printer, job); });
    }
    // Standard output: written whole into a private file first, so that a failure halfway
    // sends nothing.
    return ForFile(job.target, [&] {
        cli::SpooledOutput spool;
        PrintJob toSpool = job;
        toSpool.target = spool.Path();
        const int pages = DeliverTo(printer, toSpool);
        spool.SendToStandardOutput();
        return pages;
    });
}

PrintText ReadInput(const PrintJob& job) {
    return ForFile(job.input, [&] {
        const PrintTextOptions options{job.lineDrawing};
        if (job.input != kStandardStream) return ReadPrintText(job.input, options);
        posix::File input = posix::File::Standard(0, job.input);
        PrintText text;
        ReadPrintText(input, options, text);
        return text;
    });
}

// The name under which a job's file is compared with the others: "-" is the file that the
// standard stream `fd` is when that is a regular file (redirected into or out of the tool),
// and nothing when it is a pipe or a terminal.
std::string FileToCompare(const std::string& name, int fd) {
    if (name != kStandardStream) return name;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return posix::DescriptorPath(fd);
}

// A file output onto the job's input is refused before any work is done; the writers refuse
// it again when they open the file.
void RefuseInputAsTarget(const PrintJob& job) {
    if (job.output == PrintOutput::kReportFile || job.output == PrintOutput::kPdf) {
        const std::string input = FileToCompare(job.input, 0);
        ForFile(job.target, [&] {
            RefuseInputAsOutput(FileToCompare(job.target, 1), {&input, 1});
        });
    }
}

}  // namespace

int RunPrint(const PrintJob& job) {
    RefuseInputAsTarget(job);
    const auto platform = InstallQtPlatform();
    CreateGlobalEnvironment("Quillon");
    PrintText text = ReadInput(job);

    ProgramReport program;
    TRozerEdedid& report = program.Report();
    // What the job leaves open comes from the settings file, as the program reads it.
    const PrintSettings settings = ReadPrintSettings(SettingsFilePath());
    FontSpec font = report.Font();
    font.face = job.fontName.value_or(settings.fontName);
    if (font.face.empty()) font.face = report.Font().face;
    font.size = PrintedFontSize(job.fontSize.value_or(settings.fontSize));
    font.color = job.fontColor.value_or(settings.fontColor);
    report.SetFont(font);
    program.SetLineDrawing(job.lineDrawing);
    report.Page().SetOrientation(job.landscape.value_or(!settings.portrait)
                                     ? TPrinterOrientation::poLandscape
                                     : TPrinterOrientation::poPortrait);
    if (job.compress) {
        TRozerEdedidOptions options = report.Options();
        options.Include(TRozerEdedidOption::Compression);
        report.SetOptions(options);
    }
    if (job.output == PrintOutput::kPrinter) {
        report.PrinterSettings().PrinterIndex =
            ForFile("", [&] { return PrinterIndexOf(job.target); });
    }
    const bool fit = job.fit.value_or(text.narrowPrint);
    program.Memo().SetLines(std::move(text.lines));
    program.Memo().SetFormFeeds(std::move(text.formFeeds));
    report.SetDocumentName(DocumentNameOf(job));
    report.SetInputFiles({FileToCompare(job.input, 0)});
    if (fit) {
        FontSpec fitted = report.Font();
        fitted.size = program.LargestFittingFontSize(fitted.size);
        report.SetFont(fitted);
    }
    if (job.maxPages > 0) {
        // Checked as each page starts, so an endless stream stops at the limit.
        report.OnStartPage = [&job](TCustomRozerEdedid& sender) {
            if (sender.PageNumber() > job.maxPages) {
                throw EQRError("The report has more than " + std::to_string(job.maxPages) +
                               " pages");
            }
        };
    }

    report.SetQRPrinter(std::make_unique<TQRPrinter>(&report));
    TQRPrinter& printer = *report.QRPrinter();
    ForFile("", [&] { report.GenerateReport(); });
    const int pages = Deliver(printer, job);
    report.SetQRPrinter(nullptr);
    return pages;
}

int RunRender(const PrintJob& job) {
    RefuseInputAsTarget(job);
    const auto platform = InstallQtPlatform();
    TQRPrinter printer(nullptr);
    // Chosen before loading: selecting a printer reads its settings, loading then sets the
    // paper the pages were made for.
    if (job.output == PrintOutput::kPrinter) {
        ForFile("", [&] { printer.SelectPrinter(PrinterIndexOf(job.target)); });
    }
    // A report file is read by seeking: standard input is stored first.
    std::optional<cli::SpooledInput> spooled;
    ForFile(job.input, [&] {
        if (job.input == kStandardStream) spooled.emplace();
        printer.Load(spooled ? spooled->Path() : job.input);
        printer.SetInputFiles({FileToCompare(job.input, 0)});
        // Loading names the pages after the file read, which for standard input is the spool.
        printer.SetDocumentName(DocumentNameOf(job));
    });
    return Deliver(printer, job);
}

}  // namespace quillon
