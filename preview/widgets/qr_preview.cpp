#include "preview/widgets/qr_preview.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

#include "output/qr_page_list.h"
#include "output/qr_printer.h"
#include "platform/core/cp1251.h"
#include "platform/core/page_picture.h"
#include "platform/core/rounding.h"
#include "platform/core/services.h"
#include "platform/qt/qt_canvas.h"

namespace quillon {

namespace {

// Screen pixels per tenth of a millimetre: pages are shown at the engine's reference
// resolution, whatever the printer's own factors are at the moment.
constexpr long double kScreenFactor = static_cast<long double>(kScreenPixelsPerInch) / 254;

// The size of the first row of the paper table, in which a control without a printer shows
// its empty sheet.
constexpr long double kBlankWidth = 215.9L;
constexpr long double kBlankLength = 279.4L;

// A canvas on the widget that plays page pictures at the display's own pixels: on a screen
// that scales its windows, text and lines of the page are drawn sharp rather than enlarged.
class ScreenCanvas : public QtCanvas {
public:
    ScreenCanvas(QPainter& painter, const DeviceCaps& caps, qreal scale)
        : QtCanvas(painter, caps), painter_(painter), scale_(scale) {}

    void DrawPicture(const PagePicture& picture, const Rect& target) override {
        if (scale_ == 1) {
            QtCanvas::DrawPicture(picture, target);
            return;
        }
        DeviceCaps caps = Caps();
        caps.dpiX = static_cast<int>(std::lround(caps.dpiX * scale_));
        caps.dpiY = static_cast<int>(std::lround(caps.dpiY * scale_));
        const auto scaled = [this](int v) { return static_cast<int>(std::lround(v * scale_)); };
        painter_.save();
        painter_.scale(1 / scale_, 1 / scale_);
        QtCanvas device(painter_, caps);
        picture.Play(device, Rect{scaled(target.left), scaled(target.top), scaled(target.right),
                                  scaled(target.bottom)});
        painter_.restore();
    }

private:
    QPainter& painter_;
    qreal scale_;
};

}  // namespace

// --- TQRPreviewImage -------------------------------------------------------------------------

TQRPreviewImage::TQRPreviewImage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PreviewImage"));
    resize(100, 50);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

TQRPreviewImage::~TQRPreviewImage() = default;

void TQRPreviewImage::SetPrinter(TQRPrinter* printer) {
    printer_ = printer;
    if (printer == nullptr) ClearPage();
}

void TQRPreviewImage::ShowPage(int page) {
    pageNumber_ = page;
    picture_.reset();
    if (printer_ != nullptr) picture_ = printer_->PageImage(page);
    repaint();
}

void TQRPreviewImage::ClearPage() {
    picture_.reset();
    update();
}

void TQRPreviewImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    ScreenCanvas canvas(painter, QtCanvas::CapsOf(*this), devicePixelRatioF());
    DrawPagePicture(picture_.get(), canvas, Rect{0, 0, width(), height()}, false);
}

std::string TQRPreviewImage::FindLink(int x, int y) {
    const LinkArea* area = LinkAt(links_, x, y, zoom_);
    if (area == nullptr) return {};
    lastLink_ = area->link;
    return lastLink_;
}

void TQRPreviewImage::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    const bool over = !FindLink(at.x(), at.y()).empty();
    setCursor(over ? Qt::PointingHandCursor : Qt::ArrowCursor);
    const bool changed = over != overLink_;
    overLink_ = over;
    if (changed && OnHyperlink) {
        bool handled = false;
        if (over) {
            OnHyperlink(printer_, TQRHyperlinkEventType::heCursorMoveOver, lastLink_, handled);
        } else {
            OnHyperlink(printer_, TQRHyperlinkEventType::heCursorMoveAway, std::string(), handled);
        }
    }
    event->ignore();  // the control's own pointer handling sees it too
}

void TQRPreviewImage::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    event->ignore();
    if (!overLink_) return;
    bool handled = false;
    if (OnHyperlink) OnHyperlink(printer_, TQRHyperlinkEventType::heGoto, lastLink_, handled);
    if (!handled && printer_ != nullptr) printer_->FollowHyperlink(lastLink_);
}

void TQRPreviewImage::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    event->ignore();
}

void TQRPreviewImage::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    event->ignore();
}

// --- TQRPreview ------------------------------------------------------------------------------

TQRPreview::TQRPreview(QWidget* parent)
    : QAbstractScrollArea(parent), image_(new TQRPreviewImage(viewport())) {
    setObjectName(QStringLiteral("QRPreview"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);
    resize(250, 250);
    image_->move(0, 0);
}

TQRPreview::~TQRPreview() {
    if (printer_ != nullptr) SetQRPrinter(nullptr);
}

void TQRPreview::SetQRPrinter(TQRPrinter* printer) {
    if (printer_ != nullptr) {
        TQRPrinter* old = printer_;
        if (old->Client() == this) {
            old->SetClient(nullptr);
            if (old->ProgressTarget() == this) old->SetProgressTarget(nullptr);
            // May cancel a run and call the report back; the control no longer shows it.
            printer_ = nullptr;
            image_->SetPrinter(nullptr);
            old->SetPreviewShowing(false);
        }
    }
    printer_ = printer;
    image_->SetPrinter(printer);
    if (printer != nullptr) {
        printer->SetClient(this);
        printer->SetProgressTarget(this);
        printer->SetPreviewShowing(true);
    }
    pageNumber_ = 1;
    if (printer != nullptr)
        image_->ShowPage(1);
    else
        image_->ClearPage();
    viewport()->update();
    if (printer != nullptr) FillOutline();
}

void TQRPreview::SetZoom(int zoom) {
    if (!IsPreviewZoom(zoom)) return;
    zoomState_ = TQRZoomState::qrZoomOther;
    zoom_ = zoom;
    LayOutImage();
}

void TQRPreview::SetPageNumber(int page) {
    if (page == pageNumber_ && image_->Picture() != nullptr) return;
    if (page <= 0 || printer_ == nullptr || page > printer_->PageTotal()) return;
    image_->ShowPage(page);
    pageNumber_ = page;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

QSize TQRPreview::PagePixelSize(int zoom) const {
    if (printer_ == nullptr) {
        return {RoundHalfEven32(kBlankWidth * zoom / 100),
                RoundHalfEven32(kBlankLength * zoom / 100)};
    }
    return {PagePixels(printer_->PaperWidth(), zoom, kScreenFactor),
            PagePixels(printer_->PaperLength(), zoom, kScreenFactor)};
}

void TQRPreview::LayOutImage() {
    const QSize page = PagePixelSize(zoom_);
    const int w = page.width() + kSheetMargin;
    const int h = page.height() + kSheetMargin;
    image_->resize(w, h);
    imagePlace_ = QPoint(CentredOffset(width(), w), CentredOffset(height(), h));
    image_->SetImageZoom(zoom_);
    // The ranges may show or hide a scroll bar, which resizes the viewport meanwhile.
    layingOut_ = true;
    UpdateScrollRanges();
    layingOut_ = false;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    PlaceImage();
}

void TQRPreview::UpdateScrollRanges() {
    const QSize image = image_->size();
    horizontalScrollBar()->setRange(
        0, std::max(0, imagePlace_.x() + image.width() - viewport()->width()));
    verticalScrollBar()->setRange(
        0, std::max(0, imagePlace_.y() + image.height() - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
}

void TQRPreview::ZoomFitPage() {
    const QSize page = PagePixelSize(100);
    const long double pw = printer_ != nullptr ? page.width() : kBlankWidth;
    const long double ph = printer_ != nullptr ? page.height() : kBlankLength;
    if (const auto zoom = FitPageZoom(width(), height(), pw, ph); zoom && IsPreviewZoom(*zoom)) {
        SetZoom(static_cast<int>(*zoom));
    }
    LayOutImage();
    zoomState_ = TQRZoomState::qrZoomToFit;
}

void TQRPreview::ZoomFitWidth() {
    const long double pw = printer_ != nullptr ? PagePixelSize(100).width() : kBlankWidth;
    const int percent = printer_ != nullptr ? 90 : 95;
    if (const auto zoom = FitWidthZoom(width(), pw, percent); zoom && IsPreviewZoom(*zoom)) {
        SetZoom(static_cast<int>(*zoom));
    }
    LayOutImage();
    zoomState_ = TQRZoomState::qrZoomToWidth;
}

void TQRPreview::RefitZoom() {
    if (zoomState_ == TQRZoomState::qrZoomToFit)
        ZoomFitPage();
    else if (zoomState_ == TQRZoomState::qrZoomToWidth)
        ZoomFitWidth();
    LayOutImage();
}

void TQRPreview::RefreshPage() {
    if (image_->Picture() == nullptr && printer_ != nullptr &&
        printer_->PagesDone() >= image_->PageNumber()) {
        image_->ShowPage(image_->PageNumber());
    }
}

void TQRPreview::SetOutline(QTreeWidget* outline) {
    outline_ = outline;
    if (printer_ != nullptr) FillOutline();
}

void TQRPreview::FillOutline() {
    if (outline_ == nullptr || printer_ == nullptr) return;
    outline_->clear();
    std::vector<QTreeWidgetItem*> parents;
    for (const TQROutlineNode& node : printer_->PageList().Outline().Nodes()) {
        const auto level = static_cast<std::size_t>(std::max(node.level, 0));
        parents.resize(std::min(level, parents.size()));
        auto* item =
            parents.empty() ? new QTreeWidgetItem(outline_) : new QTreeWidgetItem(parents.back());
        item->setText(0, QString::fromStdString(Cp1251ToUtf8(node.caption)));
        item->setData(0, Qt::UserRole, node.key);
        parents.push_back(item);
    }
}

void TQRPreview::HandleMessage(const Message& message) {
    const int param = static_cast<int>(static_cast<std::uintptr_t>(message.wParam) & 0xFFFF);
    if (message.id == kMsgPageAvailable) {
        if (param == pageNumber_) RefreshPage();
        if (OnPageAvailable) OnPageAvailable(*this, param);
    } else if (message.id == kMsgProgress) {
        if (OnProgressUpdate) OnProgressUpdate(*this, param);
    }
}

void TQRPreview::PrinterDestroyed(TQRPrinter& printer) {
    if (printer_ != &printer) return;
    printer_ = nullptr;
    image_->SetPrinter(nullptr);
    if (OnPrinterGone) OnPrinterGone(*this);
}

void TQRPreview::resizeEvent(QResizeEvent*) {
    if (layingOut_) {
        UpdateScrollRanges();
        PlaceImage();
        return;
    }
    RefitZoom();
}

void TQRPreview::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // Only when the focus moves here within the window: a window that becomes active again
    // (after a dialog, say) keeps its place on the page.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        RefitZoom();
    }
}

void TQRPreview::scrollContentsBy(int, int) {
    PlaceImage();
}

void TQRPreview::PlaceImage() {
    image_->move(imagePlace_.x() - horizontalScrollBar()->value(),
                 imagePlace_.y() - verticalScrollBar()->value());
}

}  // namespace quillon
