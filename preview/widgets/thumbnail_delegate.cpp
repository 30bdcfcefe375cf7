#include "preview/widgets/thumbnail_delegate.h"

#include <QPainter>
#include <QRegion>

#include <cstdlib>
#include <exception>
#include <utility>

#include "platform/core/page_picture.h"
#include "platform/qt/qt_canvas.h"
#include "preview/core/preview_geometry.h"

namespace quillon {

namespace {

// Sheets kept: a few screens of rows, so that scrolling back and forth reads nothing again.
constexpr std::size_t kKeptSheets = 64;

}  // namespace

TQRThumbnailDelegate::TQRThumbnailDelegate(PageSource pages, QObject* parent)
    : QStyledItemDelegate(parent), pages_(std::move(pages)) {}

void TQRThumbnailDelegate::SetSheetOffsets(int left, int top) {
    if (left == left_ && top == top_) return;
    left_ = left;
    top_ = top;
    Forget();
}

void TQRThumbnailDelegate::Forget() {
    drawn_.clear();
}

const QPixmap* TQRThumbnailDelegate::Sheet(int row, const QSize& size, qreal pixelRatio) const {
    if (const auto found = drawn_.find(row); found != drawn_.end()) {
        const QPixmap& sheet = found->second;
        if (sheet.isNull() || (sheet.deviceIndependentSize().toSize() == size &&
                               sheet.devicePixelRatio() == pixelRatio))
            return &sheet;
    }
    std::unique_ptr<PagePicture> picture;
    bool damaged = false;
    try {
        picture = pages_(row + 1);
    } catch (const std::exception&) {
        // Shown as no sheet here; opening the page says what is wrong with it.
        damaged = true;
    }
    if (!picture && !damaged) return nullptr;

    if (drawn_.size() >= kKeptSheets) {
        // The sheet farthest from this row goes.
        auto farthest = drawn_.begin();
        if (std::abs(drawn_.rbegin()->first - row) > std::abs(farthest->first - row))
            farthest = std::prev(drawn_.end());
        drawn_.erase(farthest);
    }
    QPixmap& sheet = drawn_[row];
    sheet = QPixmap();
    if (!picture) return &sheet;
    sheet = QPixmap(size * pixelRatio);
    sheet.setDevicePixelRatio(pixelRatio);
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    QtCanvas canvas(painter, QtCanvas::CapsOf(sheet));
    const Rect page{left_, top_, size.width() - 30, size.height() - 10};
    DrawPagePicture(picture.get(), canvas, page, true);
    // Text wider than the paper would spill over the sheet's edge; the paper keeps nothing
    // beyond it, so neither does the sheet.
    painter.setClipping(false);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    const QRegion beyond =
        QRegion(QRect(QPoint(0, 0), size)) -
        QRegion(QRect(QPoint(page.left, page.top), QPoint(page.right - 1, page.bottom - 1)));
    for (const QRect& part : beyond) painter.fillRect(part, Qt::transparent);
    return &sheet;
}

void TQRThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QRect r = option.rect;
    painter->save();
    painter->fillRect(r, option.palette.button());
    if (option.state & QStyle::State_Selected) {
        painter->setPen(option.palette.highlight().color());
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    }
    const qreal ratio = painter->device()->devicePixelRatioF();
    if (const QPixmap* sheet = Sheet(index.row(), r.size(), ratio); sheet && !sheet->isNull()) {
        painter->drawPixmap(r.topLeft(), *sheet);
    }
    const QString number = QString::number(index.row() + 1);
    const QRect text(r.topLeft(), painter->fontMetrics().boundingRect(number).size());
    painter->fillRect(text, option.palette.button());
    painter->setPen(option.palette.buttonText().color());
    painter->drawText(text, Qt::AlignLeft | Qt::AlignTop, number);
    painter->restore();
}

}  // namespace quillon
