#pragma once

// The thumbnails of the preview window's side panel: one row of its grid per page, the page
// drawn as a small sheet with its number in the top left corner.

#include <QPixmap>
#include <QStyledItemDelegate>

#include <functional>
#include <map>
#include <memory>

namespace quillon {

class PagePicture;

// Draws a grid row as the thumbnail of its page. A page is read and drawn once for the size
// its cell has; later paints of the row (every change of the grid's row count repaints all
// rows in view) copy what was drawn. Only rows that are painted are read at all.
class TQRThumbnailDelegate : public QStyledItemDelegate {
public:
    // The picture of page `page` (1-based); none while it is not stored. A page that cannot be
    // read raises; it shows as no sheet.
    using PageSource = std::function<std::unique_ptr<PagePicture>(int page)>;

    TQRThumbnailDelegate(PageSource pages, QObject* parent);

    // Where the sheet lies in its cell: `left` and `top` from the cell's corner, 30 and 10
    // pixels short of its right and bottom edges.
    void SetSheetOffsets(int left, int top);
    // The pages or their place changed: everything is drawn afresh.
    void Forget();

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    // The row's sheet as drawn for a cell of `size`; a null pixmap for a page that could not
    // be read, none for a page not stored yet.
    const QPixmap* Sheet(int row, const QSize& size, qreal pixelRatio) const;

    PageSource pages_;
    int left_ = 10;
    int top_ = 10;
    mutable std::map<int, QPixmap> drawn_;  // by row
};

}  // namespace quillon
