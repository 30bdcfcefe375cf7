#include "report/pdf_export_filter.h"

#include <memory>

#include "platform/core/qr_error.h"
#include "report/export_filter_library.h"

namespace quillon {

void TQRPdfExportFilter::RefuseRun() {
    throw EQRError("The PDF export writes recorded pages, not a report run");
}

void RegisterPdfExportFilter() {
    TQRExportFilterLibrary& library = QRExportFilterLibrary();
    for (const TQRExportFilterEntry& entry : library.Filters()) {
        if (entry.description == "PDF file") return;
    }
    library.Add(
        {"PDF file", "pdf", [](const std::string& fileName) -> std::unique_ptr<TQRExportFilter> {
             return std::make_unique<TQRPdfExportFilter>(fileName);
         }});
}

}  // namespace quillon
