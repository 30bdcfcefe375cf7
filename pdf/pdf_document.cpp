#include "pdf/pdf_document.h"

#include <ctime>
#include <stdexcept>

#include "platform/core/services.h"

namespace quillon {

namespace {

constexpr double kA4Width = 595.2756;
constexpr double kA4Height = 841.8898;

// The present moment as a PDF date string, "(D:YYYYMMDDHHmmSSZ)".
std::string PdfDate() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "(D:%Y%m%d%H%M%SZ)", &utc);
    return text;
}

}  // namespace

double PointsOfTenths(double tenths) {
    return tenths / 254.0 * 72.0;
}

PdfDocument::PdfDocument(PdfSink& sink, GlyphSource& glyphs, TextMeasurer& measurer,
                         const Properties& properties)
    : file_(sink),
      fonts_(file_, glyphs),
      canvas_(fonts_, glyphs, measurer),
      properties_(properties),
      pagesObject_(file_.Reserve()),
      resources_(file_.Reserve()) {}

PdfDocument::PdfDocument(PdfSink& sink, const Properties& properties)
    : PdfDocument(sink, *Platform().glyphs, *Platform().measurer, properties) {}

PdfDocument::~PdfDocument() = default;

Canvas& PdfDocument::NewPage(double width, double height, const DeviceCaps& caps) {
    if (finished_) throw std::logic_error("The PDF document is finished");
    if (!(width > 0 && height > 0 && caps.dpiX > 0 && caps.dpiY > 0)) {
        throw std::invalid_argument("A PDF page needs a size and a resolution");
    }
    EndPage();
    pageWidth_ = width;
    pageHeight_ = height;
    // Device pixels run right and down from the printable area's corner.
    std::string transform;
    AppendReal(transform, 72.0 / caps.dpiX, 6);
    transform += " 0 0 ";
    AppendReal(transform, -72.0 / caps.dpiY, 6);
    transform += ' ';
    AppendReal(transform, caps.physicalOffsetX * 72.0 / caps.dpiX, 3);
    transform += ' ';
    AppendReal(transform, height - caps.physicalOffsetY * 72.0 / caps.dpiY, 3);
    transform += " cm\n";
    canvas_.BeginPage(caps, transform);
    pageOpen_ = true;
    return canvas_;
}

void PdfDocument::EndPage() {
    if (!pageOpen_) return;
    pageOpen_ = false;
    const int content = file_.Reserve();
    file_.WriteStream(content, "", canvas_.TakeContent());
    const int page = file_.Reserve();
    std::string p = "<</Type/Page/Parent ";
    AppendReference(p, pagesObject_);
    p += "/MediaBox[0 0 ";
    AppendReal(p, pageWidth_, 3);
    p += ' ';
    AppendReal(p, pageHeight_, 3);
    p += "]/Resources ";
    AppendReference(p, resources_);
    p += "/Contents ";
    AppendReference(p, content);
    p += ">>";
    file_.WriteObject(page, p);
    pages_.push_back(page);
}

void PdfDocument::Finish() {
    if (finished_) return;
    if (pages_.empty() && !pageOpen_) {
        DeviceCaps caps;
        caps.dpiX = caps.dpiY = 72;
        NewPage(kA4Width, kA4Height, caps);
    }
    EndPage();
    finished_ = true;

    fonts_.WriteAll();
    file_.WriteObject(resources_,
                      "<</ProcSet[/PDF/Text]/Font<<" + fonts_.ResourceEntries() + ">>>>");

    std::string kids = "<</Type/Pages/Count ";
    AppendInt(kids, static_cast<std::int64_t>(pages_.size()));
    kids += "/Kids[";
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (i > 0) kids += ' ';
        AppendReference(kids, pages_[i]);
    }
    kids += "]>>";
    file_.WriteObject(pagesObject_, kids);

    const int catalog = file_.Reserve();
    std::string c = "<</Type/Catalog/Pages ";
    AppendReference(c, pagesObject_);
    c += ">>";
    file_.WriteObject(catalog, c);

    const int info = file_.Reserve();
    const std::string date = PdfDate();
    file_.WriteObject(info, "<</Title" + PdfTextString(properties_.title) + "/Creator" +
                                PdfTextString(properties_.creator) + "/Producer" +
                                PdfTextString("Quillon") + "/CreationDate" + date + "/ModDate" +
                                date + ">>");
    file_.Finish(catalog, info);
}

}  // namespace quillon
