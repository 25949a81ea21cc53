#include "resources/ViewResources.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace {

// A triangle with its base on the column `baseX` and its tip on `tipX`, centred on row 16.
QPolygon Triangle(int baseX, int tipX, int halfHeight) {
    return QPolygon({{baseX, 16 - halfHeight}, {tipX, 16}, {baseX, 16 + halfHeight}});
}

}  // namespace

QImage ViewCursorImage(StepCursor cursor) {
    std::vector<QPolygon> triangles;
    switch (cursor) {
        case StepCursor::NextPicture:
            triangles = {Triangle(9, 23, 11)};
            break;
        case StepCursor::PreviousPicture:
            triangles = {Triangle(23, 9, 11)};
            break;
        case StepCursor::NextGroup:
            triangles = {Triangle(3, 14, 9), Triangle(17, 28, 9)};
            break;
        case StepCursor::PreviousGroup:
            triangles = {Triangle(14, 3, 9), Triangle(28, 17, 9)};
            break;
    }
    QImage image(kViewCursorSize, kViewCursorSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);  // only yellow or transparent pixels
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(kViewCursorColour));
    for (const QPolygon &triangle : triangles) painter.drawPolygon(triangle);
    return image;
}

QPoint ViewCursorHotSpot(StepCursor cursor) {
    return cursor == StepCursor::NextGroup ? QPoint(9, 12) : QPoint(0, 0);
}

QCursor ViewCursor(StepCursor cursor) {
    const QPoint hotSpot = ViewCursorHotSpot(cursor);
    return QCursor(QPixmap::fromImage(ViewCursorImage(cursor)), hotSpot.x(), hotSpot.y());
}

const MenuPopupResource &ViewPopupMenuResource() {
    static const MenuPopupResource menu = {QStringLiteral("菜单"),
                                           {{QStringLiteral("刷新"), Command::RefreshView},
                                            {QStringLiteral("删除"), Command::DeleteViewPicture}}};
    return menu;
}
