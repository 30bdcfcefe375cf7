#include "preview/widgets/preview_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

#include <array>
#include <functional>

namespace quillon {

namespace {

const QColor kInk(0x20, 0x20, 0x20);
const QColor kPaper(Qt::white);
const QColor kAccent(0x1F, 0x5F, 0xB4);

// Every picture is drawn on a 16 x 16 grid; crisp lines sit on pixel centres.
void Page(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
}

void Lines(QPainter& p, qreal left, qreal right, qreal top, int count, qreal step = 2) {
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * step), QPointF(right, top + i * step));
}

void Triangle(QPainter& p, bool right, qreal x, qreal cy, qreal size) {
    QPolygonF t;
    if (right)
        t << QPointF(x, cy - size) << QPointF(x + size, cy) << QPointF(x, cy + size);
    else
        t << QPointF(x + size, cy - size) << QPointF(x, cy) << QPointF(x + size, cy + size);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawPolygon(t);
}

void Bar(QPainter& p, qreal x) {
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRect(QRectF(x, 3, 2, 10));
}

void Printer(QPainter& p) {
    Page(p, QRectF(4.5, 1.5, 7, 5));  // paper going in
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0xC8, 0xC8, 0xC8));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));  // body
    Page(p, QRectF(4.5, 10.5, 7, 4));     // paper coming out
    p.setPen(QPen(QColor(0x30, 0xA0, 0x30), 1));
    p.drawPoint(QPointF(12.5, 8.5));
}

void Magnifier(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(0xDD, 0xEE, 0xFF));
    p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
    p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14, 14));
}

using Drawing = std::function<void(QPainter&)>;

const std::array<Drawing, kPreviewIconCount>& Drawings() {
    static const std::array<Drawing, kPreviewIconCount> drawings = {
        // 0 zoom to fit: a whole page inside corner marks.
        [](QPainter& p) {
            Page(p, QRectF(4.5, 2.5, 7, 11));
            Lines(p, 6, 10, 5, 4);
            p.setPen(QPen(kAccent, 1));
            for (const QPointF c :
                 {QPointF(0.5, 0.5), QPointF(15.5, 0.5), QPointF(0.5, 15.5), QPointF(15.5, 15.5)}) {
                const qreal dx = c.x() < 8 ? 3 : -3;
                const qreal dy = c.y() < 8 ? 3 : -3;
                p.drawLine(c, QPointF(c.x() + dx, c.y()));
                p.drawLine(c, QPointF(c.x(), c.y() + dy));
            }
        },
        // 1 100 %: "1:1".
        [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(kInk);
            p.drawRect(QRectF(3, 3, 2, 10));
            p.drawRect(QRectF(1, 4, 2, 2));
            p.drawRect(QRectF(11, 3, 2, 10));
            p.drawRect(QRectF(9, 4, 2, 2));
            p.drawRect(QRectF(7, 5, 1.5, 1.5));
            p.drawRect(QRectF(7, 10, 1.5, 1.5));
        },
        // 2 zoom to width: a page with a double arrow across it.
        [](QPainter& p) {
            Page(p, QRectF(2.5, 1.5, 11, 13));
            p.setPen(QPen(kAccent, 1));
            p.drawLine(QPointF(1, 8.5), QPointF(15, 8.5));
            Triangle(p, false, 0.5, 8.5, 3);
            Triangle(p, true, 12.5, 8.5, 3);
        },
        // 3 first page.
        [](QPainter& p) {
            Bar(p, 3);
            Triangle(p, false, 6, 8, 5);
        },
        // 4 previous page.
        [](QPainter& p) { Triangle(p, false, 5, 8, 5); },
        // 5 next page.
        [](QPainter& p) { Triangle(p, true, 6, 8, 5); },
        // 6 last page.
        [](QPainter& p) {
            Triangle(p, true, 5, 8, 5);
            Bar(p, 11);
        },
        // 7 printer set-up: a printer with a check list beside it.
        [](QPainter& p) {
            p.save();
            p.translate(-1, 1);
            p.scale(0.8, 0.8);
            Printer(p);
            p.restore();
            Page(p, QRectF(10.5, 0.5, 5, 7));
            p.setPen(QPen(kAccent, 1));
            p.drawLine(QPointF(12, 2.5), QPointF(14, 2.5));
            p.drawLine(QPointF(12, 4.5), QPointF(14, 4.5));
        },
        // 8 print.
        [](QPainter& p) { Printer(p); },
        // 9 load: an open folder.
        [](QPainter& p) {
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(0xE8, 0xC0, 0x50));
            p.drawRect(QRectF(1.5, 4.5, 11, 9));
            p.setBrush(QColor(0xF8, 0xD8, 0x70));
            QPolygonF flap;
            flap << QPointF(3.5, 7.5) << QPointF(15.5, 7.5) << QPointF(12.5, 13.5)
                 << QPointF(1.5, 13.5);
            p.drawPolygon(flap);
            p.drawLine(QPointF(2, 4.5), QPointF(3.5, 2.5));
            p.drawLine(QPointF(3.5, 2.5), QPointF(6.5, 2.5));
        },
        // 10 save: a diskette.
        [](QPainter& p) {
            p.setPen(QPen(kInk, 1));
            p.setBrush(kAccent);
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            p.setBrush(kPaper);
            p.drawRect(QRectF(3.5, 1.5, 9, 5));
            p.setBrush(QColor(0xC8, 0xC8, 0xC8));
            p.drawRect(QRectF(4.5, 9.5, 7, 5));
        },
        // 11 search.
        [](QPainter& p) { Magnifier(p); },
        // 12 go to page: an arrow into a page.
        [](QPainter& p) {
            Page(p, QRectF(6.5, 1.5, 8, 13));
            Lines(p, 8.5, 12.5, 4, 5);
            p.setPen(QPen(kAccent, 2));
            p.drawLine(QPointF(0.5, 8), QPointF(6, 8));
            Triangle(p, true, 6, 8, 3.5);
        },
        // 13 blank.
        [](QPainter&) {},
    };
    return drawings;
}

QPixmap Render(int index, int scale) {
    QPixmap pixmap(16 * scale, 16 * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(scale, scale);
    Drawings()[static_cast<std::size_t>(index)](painter);
    painter.end();
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

}  // namespace

QIcon PreviewIcon(int index) {
    QIcon icon;
    if (index < 0 || index >= kPreviewIconCount) return icon;
    icon.addPixmap(Render(index, 1));
    icon.addPixmap(Render(index, 2));
    return icon;
}

}  // namespace quillon
