#include "resources/ViewResources.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

#include "resources/CommandIds.h"

namespace {

// A triangle with its base on the column `baseX` and its tip on `tipX`, centred on row 16.
QPolygon Triangle(int baseX, int tipX, int halfHeight) {
    return QPolygon({{baseX, 16 - halfHeight}, {tipX, 16}, {baseX, 16 + halfHeight}});
}

}  // namespace

QImage ViewCursorImage(int id) {
    std::vector<QPolygon> triangles;
    switch (id) {
        case IDC_CUR_NEXT_PICTURE:
            triangles = {Triangle(9, 23, 11)};
            break;
        case IDC_CUR_PREV_PICTURE:
            triangles = {Triangle(23, 9, 11)};
            break;
        case IDC_CUR_NEXT_GROUP:
            triangles = {Triangle(3, 14, 9), Triangle(17, 28, 9)};
            break;
        case IDC_CUR_PREV_GROUP:
            triangles = {Triangle(14, 3, 9), Triangle(28, 17, 9)};
            break;
        default:
            return QImage();
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

QPoint ViewCursorHotSpot(int id) { return id == IDC_CUR_NEXT_GROUP ? QPoint(9, 12) : QPoint(0, 0); }

QCursor ViewCursor(int id) {
    const QPoint hotSpot = ViewCursorHotSpot(id);
    return QCursor(QPixmap::fromImage(ViewCursorImage(id)), hotSpot.x(), hotSpot.y());
}

const MenuPopupResource &ViewPopupMenuResource() {
    static const MenuPopupResource menu = {
        QStringLiteral("菜单"),
        {{QStringLiteral("刷新"), ID_VIEW_REFRESH}, {QStringLiteral("删除"), ID_VIEW_DELETE}}};
    return menu;
}
