// The view's popup menu and its commands: deleting the shown picture and refreshing the view.
#include <unistd.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <algorithm>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/Prompter.h"
#include "resources/CommandIds.h"
#include "resources/MenuActions.h"
#include "resources/ViewResources.h"
#include "view/CLumoraView.h"

namespace {

// A point on no screen has its x moved into the work area of the nearest one.
QPoint OnSomeScreen(QPoint point) {
    if (QGuiApplication::screenAt(point)) return point;
    QScreen *nearest = nullptr;
    qint64 best = 0;
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        const qint64 dx = std::max({area.left() - point.x(), 0, point.x() - area.right()});
        const qint64 dy = std::max({area.top() - point.y(), 0, point.y() - area.bottom()});
        if (!nearest || dx * dx + dy * dy < best) nearest = screen, best = dx * dx + dy * dy;
    }
    if (nearest) {
        const QRect work = nearest->availableGeometry();
        point.setX(std::clamp(point.x(), work.left(), work.right()));
    }
    return point;
}

}  // namespace

void CLumoraView::OnDeletePicture() {
    if (!IsPicturePath(m_strPath)) {
        ShowMessage(QStringLiteral("当前未浏览图片"));
        return;
    }
    // The file the question names: a refresh while the box is open may load another picture.
    const QString asked = m_strPath;
    const Answer answer =
        prompter_.ShowMessage(this, {QStringLiteral("删除后将不可恢复，确定要删除吗？"), QString(),
                                     Buttons::YesNo, Icon::Question});
    if (answer != Answer::Yes) return;
    ::unlink(
        EncodeFileName(asked).constData());  // a failure is not reported; the file stays listed
    if (m_strPath != asked) {
        LoadPath(m_strPath);  // the neighbours are listed again, without the deleted file
        return;
    }
    QString next;
    if (!m_strNext.isEmpty()) {
        next = m_strNext;
    } else if (!m_strPrev.isEmpty()) {
        next = m_strPrev;
    } else {
        m_strPath = FolderOf(m_strPath);
        next = m_strPath;
    }
    LoadPath(next);
}

void CLumoraView::OnContextMenu(const QPoint &globalPos) {
    if (!IsPicturePath(m_strPath)) return;
    const MenuPopupResource &resource = ViewPopupMenuResource();
    QMenu menu(resource.title, this);
    for (const MenuItemResource &item : resource.items)
        menu.addAction(item.text)->setProperty(kCommandIdProperty, item.id);
    QAction *chosen = popupMenuRunner_(menu, OnSomeScreen(globalPos));
    if (!chosen) return;
    const int id = chosen->property(kCommandIdProperty).toInt();
    if (id == ID_VIEW_DELETE) OnDeletePicture();
    if (id == ID_VIEW_REFRESH) OnRefresh();
}

void CLumoraView::OnRefresh() {
    ForgetPreloaded();  // decoded and listed again, with its neighbours
    if (!m_strPath.isEmpty()) LoadPath(m_strPath);
}

void CLumoraView::contextMenuEvent(QContextMenuEvent *event) {
    OnContextMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                              : QCursor::pos());
}
