#pragma once

// The preview control: one recorded page of a report printer, at a zoom, in a scrolling area.
// It follows a report that is still being generated: the printer posts it page-available and
// progress messages, which it passes on as events, and the page on show appears as soon as it
// is stored.

#include <QAbstractScrollArea>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output/qr_printer_client.h"
#include "preview/core/preview_geometry.h"
#include "report/rozer_ededid.h"

class QTreeWidget;

namespace quillon {

class PagePicture;
class TQRPrinter;

enum class TQRHyperlinkEventType { heCursorMoveOver, heCursorMoveAway, heGoto, heGotoNewWindow };

// Sender is the report printer (may be null when none is attached).
using TQRPreviewHyperlinkEvent = std::function<void(
    TQRPrinter* sender, TQRHyperlinkEventType eventType, const std::string& link, bool& handled)>;

// The page itself: a white sheet with a black border and a two-pixel shadow, the recorded
// picture stretched over it. It holds only the page on show.
class TQRPreviewImage : public QWidget {
public:
    explicit TQRPreviewImage(QWidget* parent = nullptr);
    ~TQRPreviewImage() override;

    // The zoom the image's size was computed for.
    int ImageZoom() const { return zoom_; }
    void SetImageZoom(int zoom) { zoom_ = zoom; }
    // Not owned; null shows nothing.
    TQRPrinter* Printer() const { return printer_; }
    void SetPrinter(TQRPrinter* printer);
    int PageNumber() const { return pageNumber_; }
    const PagePicture* Picture() const { return picture_.get(); }

    // Frees the page held, asks the printer for page `page` (none while it is not stored) and
    // paints at once.
    void ShowPage(int page);
    // Frees the page held and shows none.
    void ClearPage();

    // Rectangles of the page (pixels at zoom 100) that link somewhere; nothing in this program
    // fills them.
    std::vector<LinkArea>& LinkAreas() { return links_; }
    const std::string& LastLink() const { return lastLink_; }
    bool OverLink() const { return overLink_; }

    TQRPreviewHyperlinkEvent OnHyperlink;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::string FindLink(int x, int y);

    int zoom_ = 100;
    TQRPrinter* printer_ = nullptr;
    std::unique_ptr<PagePicture> picture_;
    std::vector<LinkArea> links_;
    int pageNumber_ = 1;
    bool overLink_ = false;
    std::string lastLink_;
};

class TQRPreview : public QAbstractScrollArea, public TQRPrinterClient {
public:
    explicit TQRPreview(QWidget* parent = nullptr);
    // Detaches the printer, which learns that its preview is gone.
    ~TQRPreview() override;

    // The printer shown (not owned). Attaching one tells the printer that this control shows
    // its pages and makes the control its progress target; the printer attached before learns
    // that its preview is gone (a run it is still generating is cancelled).
    TQRPrinter* QRPrinter() const { return printer_; }
    void SetQRPrinter(TQRPrinter* printer);

    int Zoom() const { return zoom_; }
    // Ignored unless 2..2000; otherwise the zoom state becomes qrZoomOther and the page is
    // laid out again.
    void SetZoom(int zoom);
    TQRZoomState ZoomState() const { return zoomState_; }

    int PageNumber() const { return pageNumber_; }
    // Ignored for the page already shown, for 0 or less, without a printer and above the
    // pages begun so far; otherwise shows the page from its top left corner.
    void SetPageNumber(int page);

    void ZoomFitPage();
    void ZoomFitWidth();
    void LayOutImage();
    // Applies the zoom state again (after a resize or on getting the focus).
    void RefitZoom();
    // Loads the page on show when it was missing and has been stored since.
    void RefreshPage();

    // The page size in screen pixels at `zoom`, without border and shadow.
    QSize PagePixelSize(int zoom) const;

    TQRPreviewImage* PreviewImage() const { return image_; }

    // A tree that receives the printer's outline (not owned, may be null).
    QTreeWidget* Outline() const { return outline_; }
    void SetOutline(QTreeWidget* outline);

    std::function<void(TQRPreview& sender, int pageNum)> OnPageAvailable;
    std::function<void(TQRPreview& sender, int progress)> OnProgressUpdate;
    // The printer shown is being destroyed (the control then shows no page).
    std::function<void(TQRPreview& sender)> OnPrinterGone;
    const TQRPreviewHyperlinkEvent& OnHyperlink() const { return image_->OnHyperlink; }
    void SetOnHyperlink(TQRPreviewHyperlinkEvent handler) {
        image_->OnHyperlink = std::move(handler);
    }

    // Page-available (U + 1) and progress (U) messages of the printer.
    void HandleMessage(const Message& message) override;
    void PrinterDestroyed(TQRPrinter& printer) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollRanges();
    void PlaceImage();
    void FillOutline();

    TQRPreviewImage* image_;
    TQRPrinter* printer_ = nullptr;
    int zoom_ = 100;
    TQRZoomState zoomState_ = TQRZoomState::qrZoomOther;
    int pageNumber_ = 1;
    QTreeWidget* outline_ = nullptr;
    QPoint imagePlace_;  // where the image sits with both scroll bars at 0
    bool layingOut_ = false;
};

}  // namespace quillon
