#include "ui/Icons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace {

const QColor kInk(0x2f, 0x4f, 0x7f);
const QColor kPaper(0xfb, 0xfb, 0xf4);
const QColor kAccent(0xd9, 0x8c, 0x1f);
const QColor kGreen(0x3b, 0x8a, 0x4a);
const QColor kRed(0xc0, 0x39, 0x2b);

// One 16 x 16 and one 32 x 32 picture drawn by `paint` on a 16-unit canvas.
template <typename Paint> QIcon Drawn(Paint paint)
{
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void Page(QPainter &p)
{
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(9.5, 1.5);
    page.lineTo(12.5, 4.5);
    page.lineTo(12.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
    p.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
}

void Folder(QPainter &p)
{
    p.setPen(QPen(kInk.darker(120), 1));
    p.setBrush(QColor(0xe8, 0xb8, 0x4a));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.drawRect(QRectF(1.5, 3.0, 5, 1.5));
    p.setBrush(QColor(0xf6, 0xd3, 0x7a));
    QPolygonF flap({{3.5, 7.5}, {15.0, 7.5}, {13.5, 13.5}, {1.5, 13.5}});
    p.drawPolygon(flap);
}

void Arrow(QPainter &p, bool up)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    QPolygonF arrow({{8, 2}, {14, 8}, {10.5, 8}, {10.5, 14}, {5.5, 14}, {5.5, 8}, {2, 8}});
    if (!up) {
        for (QPointF &point : arrow)
            point.setY(16 - point.y());
    }
    p.drawPolygon(arrow);
}

// A hooked arrow turning back to the left (undo) or on to the right (redo).
void TurnArrow(QPainter &p, bool back)
{
    if (!back) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath hook;
    hook.moveTo(4, 6.5);
    hook.lineTo(10, 6.5);
    hook.cubicTo(15, 6.5, 15, 13.5, 10, 13.5);
    hook.lineTo(7, 13.5);
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({{1, 6.5}, {6, 2}, {6, 11}}));
}

void Book(QPainter &p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0x4a, 0x78, 0xb5));
    p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 11.5, 9, 2));
    p.setPen(QPen(Qt::white, 1.6));
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(3, 1.5, 11, 10), Qt::AlignCenter, QStringLiteral("?"));
}

void Picture(QPainter &p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x7d, 0xb4, 0xe0));
    p.drawRect(QRectF(2, 3, 12, 6));
    p.setBrush(kGreen);
    p.drawPolygon(QPolygonF({{2, 13}, {6, 7}, {9, 11}, {11, 9}, {14, 13}}));
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(11, 5.5), 1.5, 1.5);
}

void Reel(QPainter &p)
{
    // Strips standing side by side, one of them opened: the slideshow's own look.
    const QColor strips[] = {QColor(0x4a, 0x78, 0xb5), kAccent, QColor(0x6f, 0x9b, 0xd1), kGreen};
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(0.5, 1.5, 15, 13), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(strips[0]);
    p.drawRect(QRectF(2, 3, 2, 10));
    p.setBrush(strips[1]);
    p.drawRect(QRectF(4.5, 3, 6, 10));
    p.setBrush(strips[2]);
    p.drawRect(QRectF(11, 3, 1.5, 10));
    p.setBrush(strips[3]);
    p.drawRect(QRectF(12.8, 3, 1.2, 10));
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QPointF(7.5, 6.5), 1.4, 1.4);
}

QIcon FromTheme(const char *name, QStyle::StandardPixmap standard, const QIcon &drawn)
{
    QIcon icon = QIcon::fromTheme(QLatin1String(name));
    if (icon.isNull() || icon.availableSizes().isEmpty()) {
        if (icon.isNull() && standard != QStyle::SP_CustomBase)
            icon = QApplication::style()->standardIcon(standard);
        if (icon.isNull() || icon.pixmap(16, 16).isNull())
            icon = drawn;
    }
    return icon;
}

} // namespace

QIcon DrawnCommandIcon(int index)
{
    switch (index) {
    case 0:
        return Drawn([](QPainter &p) {
            Page(p);
            p.setPen(QPen(kAccent, 1.6));
            p.drawLine(QPointF(11, 9), QPointF(11, 15));
            p.drawLine(QPointF(8, 12), QPointF(14, 12));
        });
    case 1:
        return Drawn([](QPainter &p) { Folder(p); });
    case 2:
        return Drawn([](QPainter &p) {
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(0x4a, 0x78, 0xb5));
            p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
            p.setBrush(kPaper);
            p.drawRect(QRectF(4.5, 1.5, 7, 5));
            p.setBrush(QColor(0xdd, 0xdd, 0xdd));
            p.drawRect(QRectF(3.5, 9.5, 9, 5));
        });
    case 3:
        return Drawn([](QPainter &p) { TurnArrow(p, true); });
    case 4:
        return Drawn([](QPainter &p) { TurnArrow(p, false); });
    case 6:
        return Drawn([](QPainter &p) {
            Picture(p);
            p.setPen(QPen(kAccent, 2));
            p.drawLine(QPointF(12, 9), QPointF(12, 15));
            p.drawLine(QPointF(9, 12), QPointF(15, 12));
        });
    case 7:
        return Drawn([](QPainter &p) {
            p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
            p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        });
    case 8:
        return Drawn([](QPainter &p) { Arrow(p, true); });
    case 9:
        return Drawn([](QPainter &p) { Arrow(p, false); });
    case 11:
        return Drawn([](QPainter &p) {
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(0x9c, 0xc8, 0xee));
            p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
            p.setPen(QPen(kInk, 0.8));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(8, 8), 2.8, 6.5);
            p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        });
    case 12:
        return Drawn([](QPainter &p) { Book(p); });
    default:
        return Drawn([](QPainter &p) { Page(p); });
    }
}

QIcon CommandIcon(int index)
{
    switch (index) {
    case 0:
        return FromTheme("document-new", QStyle::SP_FileIcon, DrawnCommandIcon(0));
    case 1:
        return FromTheme("document-open", QStyle::SP_DialogOpenButton, DrawnCommandIcon(1));
    case 2:
        return FromTheme("document-save", QStyle::SP_DialogSaveButton, DrawnCommandIcon(2));
    case 3:
        return FromTheme("edit-undo", QStyle::SP_ArrowBack, DrawnCommandIcon(3));
    case 4:
        return FromTheme("edit-redo", QStyle::SP_ArrowForward, DrawnCommandIcon(4));
    case 6:
        return FromTheme("list-add", QStyle::SP_CustomBase, DrawnCommandIcon(6));
    case 7:
        return FromTheme("list-remove", QStyle::SP_TrashIcon, DrawnCommandIcon(7));
    case 8:
        return FromTheme("go-up", QStyle::SP_ArrowUp, DrawnCommandIcon(8));
    case 9:
        return FromTheme("go-down", QStyle::SP_ArrowDown, DrawnCommandIcon(9));
    case 11:
        return FromTheme("applications-internet", QStyle::SP_CustomBase, DrawnCommandIcon(11));
    case 12:
        return HelpBookIcon();
    default:
        return DrawnCommandIcon(index);
    }
}

QIcon HelpBookIcon()
{
    return FromTheme("help-browser", QStyle::SP_CustomBase, Drawn([](QPainter &p) { Book(p); }));
}

QIcon OpenFolderIcon()
{
    return FromTheme("folder-open", QStyle::SP_DirOpenIcon, Drawn([](QPainter &p) { Folder(p); }));
}

QIcon TreeRootIcon()
{
    return Drawn([](QPainter &p) { Reel(p); });
}

QIcon TreeItemIcon()
{
    return FromTheme("image-x-generic", QStyle::SP_CustomBase, Drawn([](QPainter &p) { Picture(p); }));
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        Reel(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
