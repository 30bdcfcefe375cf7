#pragma once

#include <string>

#include "output/pdf_page_export.h"
#include "report/export_filter.h"

namespace quillon {

// "PDF file (*.pdf)" of the preview's Save: the recorded pages as a PDF with their text
// (fonts embedded, searchable), frames and shapes as they were recorded. It writes whole
// pages, so it takes no run: its run calls refuse with EQRError.
class TQRPdfExportFilter : public TQRExportFilter {
public:
    explicit TQRPdfExportFilter(const std::string& fileName) : pages_(fileName) {}

    TQRPageExport* PageExport() override { return &pages_; }

    bool Started() const override { return false; }
    void Start(const FontSpec&, int, int) override { RefuseRun(); }
    void NewPage() override { RefuseRun(); }
    void Shape(const ExportShape&) override { RefuseRun(); }
    void Text(long double, long double, const FontSpec&, Color, TAlignment,
              std::string_view) override {
        RefuseRun();
    }
    void EndBand(TQRCustomBand&, long double, int, int) override { RefuseRun(); }
    void EndPage() override { RefuseRun(); }
    void Finish() override { RefuseRun(); }
    bool WholePageRoom() override { return false; }

private:
    [[noreturn]] static void RefuseRun();

    PdfPageExport pages_;
};

// Adds "PDF file" to the program's export-filter library, after the entries already there.
void RegisterPdfExportFilter();

}  // namespace quillon
