// The view's click halves, cursors, tips, links and group steps.
#include <QDir>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>

#include "platform/DirectoryListing.h"
#include "view/CLumoraView.h"
#include "view/ViewTip.h"

ClickZone CLumoraView::HitZone(const QPoint &globalPos) const {
    if (m_image.IsNull()) return ClickZone::None;
    // Relative to the outer rectangle, frame included.
    return Geometry().ZoneAt(globalPos - mapToGlobal(QPoint(0, 0)), width() & 0xFFFF);
}

ClickZone CLumoraView::HitZone() const { return HitZone(QCursor::pos()); }

void CLumoraView::OnMouseMove(const QPoint &pos, const QPoint &globalPos) {
    const ClickZone zone = HitZone(globalPos);
    const bool moved = pos != m_lastMousePos;
    QCursor cursor(Qt::ArrowCursor);
    if (zone == ClickZone::None) {
        m_hWndTip->Activate(false);
    } else {
        QString text;
        if (zone == ClickZone::Right && m_nextMode == kNextPictureMode) {
            text = QStringLiteral("　 点击查看下一张");
            cursor = m_hCurNextPicture;
        } else if (zone == ClickZone::Right) {
            text = QStringLiteral("点击进入下一组");
            cursor = m_hCurNextGroup;
        } else if (m_prevMode == kPrevPictureMode) {
            text = QStringLiteral("　 　点击查看上一张");
            cursor = m_hCurPrevPicture;
        } else {
            text = QStringLiteral("　 　点击进入上一组");
            cursor = m_hCurPrevGroup;
        }
        if (moved) {
            m_hWndTip->SetText(text);
            if (m_bShowTip) m_hWndTip->Activate(true);
        }
    }
    viewport()->setCursor(cursor);
    if (moved) m_lastMousePos = pos;
}

void CLumoraView::OnLButtonDown(const QPoint &globalPos) {
    const ClickZone zone = HitZone(globalPos);
    if (zone == ClickZone::None) return;
    const bool previous = zone == ClickZone::Left;
    const QString neighbour = previous ? m_strPrev : m_strNext;
    if (!neighbour.isEmpty()) {
        LoadPath(neighbour);
        return;
    }
    if (IsInRoot(m_strPath)) {
        ShowMessage(QStringLiteral("当前已是根目录"));
        return;
    }
    const QString group =
        previous ? m_walker.PreviousGroup(m_strPath) : m_walker.NextGroup(m_strPath);
    if (group.isEmpty()) {
        ShowMessage(previous ? QStringLiteral("已经是第一组，请单击目录树中的文件夹查看其他组")
                             : QStringLiteral("已经是最后一组，请单击目录树中的文件夹查看其他组"));
        return;
    }
    SelectSiblingGroup(previous ? -1 : 1);
    LoadPath(group);
}

void CLumoraView::OnLinkPrevious() { LoadPath(m_strPrev); }

void CLumoraView::OnLinkNext() { LoadPath(m_strNext); }

void CLumoraView::mouseMoveEvent(QMouseEvent *event) {
    const QPoint global = event->globalPosition().toPoint();
    OnMouseMove(event->position().toPoint(), global);
    m_hWndTip->RelayMouseMove(global);
}

void CLumoraView::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) OnLButtonDown(event->globalPosition().toPoint());
}

void CLumoraView::SelectSiblingGroup(int offset) {
    if (!m_pTree) return;
    QTreeWidgetItem *selected = m_pTree->currentItem();
    QTreeWidgetItem *sibling = nullptr;
    if (selected) {
        QTreeWidgetItem *parent = selected->parent();
        const int index =
            (parent ? parent->indexOfChild(selected) : m_pTree->indexOfTopLevelItem(selected)) +
            offset;
        const int count = parent ? parent->childCount() : m_pTree->topLevelItemCount();
        if (index >= 0 && index < count)
            sibling = parent ? parent->child(index) : m_pTree->topLevelItem(index);
    }
    // The tree's handler would decode and paint that folder's first picture on the way.
    const QSignalBlocker quiet(m_pTree);
    m_pTree->setCurrentItem(sibling);
}

bool CLumoraView::IsInRoot(const QString &path) const {
    // The same folder whether or not the root was saved with a trailing "/".
    return !m_strRoot.isEmpty() && QDir::cleanPath(FolderOf(path)) == QDir::cleanPath(m_strRoot);
}
