#pragma once

#include <QAbstractScrollArea>
#include <QCursor>
#include <QPoint>
#include <QString>
#include <functional>

#include "view/CImage.h"
#include "view/FolderWalker.h"
#include "view/PictureGeometry.h"
#include "view/PicturePreloader.h"

class Prompter;
class QLabel;
class QMenu;
class QAction;
class QTreeWidget;
class ViewTip;

// The picture view: one picture at a time at its natural size, anchored top-left, with click
// halves that step through the folder's pictures and on to the neighbouring groups.
class CLumoraView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // What a click on either half of the picture does.
    static constexpr quint16 kPrevGroupMode = 1;
    static constexpr quint16 kPrevPictureMode = 2;
    static constexpr quint16 kNextPictureMode = 2;
    static constexpr quint16 kNextGroupMode = 3;

    // Shows the popup menu at a screen point; returns the chosen action or null.
    using PopupMenuRunner = std::function<QAction *(QMenu &menu, const QPoint &globalPos)>;

    explicit CLumoraView(Prompter &prompter, QWidget *parent = nullptr);
    ~CLumoraView() override;

    // Shows the picture at `path`, or the folder note for a path not ending in ".jpg".
    void LoadPath(const QString &path);
    // Enables (MF_ENABLED) or greys (MF_GRAYED) the frame menu's item `id`.
    void EnableFrameMenuItem(int id, int flags);
    // Tips on or off, as the frame's show-tips setting says.
    void SetTipsActive(bool active);

    void FindNeighbours(const QString &path);
    // The half of the picture under the screen point `globalPos`.
    ClickZone HitZone(const QPoint &globalPos) const;
    ClickZone HitZone() const;
    // The shown picture's place on screen at the current device pixel ratio.
    PictureGeometry Geometry() const;

    void OnSize();
    void OnMouseMove(const QPoint &pos, const QPoint &globalPos);
    void OnLButtonDown(const QPoint &globalPos);
    void OnLinkPrevious();
    void OnLinkNext();
    void OnDeletePicture();
    void OnContextMenu(const QPoint &globalPos);
    void OnRefresh();

    void SetPopupMenuRunner(PopupMenuRunner runner) { popupMenuRunner_ = std::move(runner); }
    // The pictures beside the shown one, decoded ahead. A refresh of the folder drops them, and
    // the folders' listings are read again.
    PicturePreloader &preloader() { return preloader_; }
    void ForgetPreloaded() {
        preloader_.Forget();
        m_walker.Forget();
    }

    CImage m_image;
    quint16 m_cyPicture = 0;
    quint16 m_cxPicture = 0;
    QString m_strPath;
    QLabel *m_hWndPrevLink = nullptr;
    QLabel *m_hWndNextLink = nullptr;
    QCursor m_hCurPrevGroup;
    QCursor m_hCurPrevPicture;
    QCursor m_hCurNextPicture;
    QCursor m_hCurNextGroup;
    ViewTip *m_hWndTip = nullptr;
    quint16 m_prevMode = kPrevGroupMode;
    quint16 m_nextMode = kNextGroupMode;
    QString m_strPrev;
    QString m_strNext;
    QTreeWidget *m_pTree = nullptr;
    QLabel *m_hWndNote = nullptr;
    QString m_strRoot;
    FolderWalker m_walker;
    QPoint m_lastMousePos;
    bool m_bShowTip = true;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowOrHideBarsNow();
    // The picture a click on the left (previous) or right half would show: the neighbour, or at
    // the folder's end the group step's choice; empty when that is no picture.
    QString ClickTarget(bool previous);
    // Decodes `path` into m_image, or takes its preloaded copy.
    bool DecodeShown(const QString &path);
    void ShowMessage(const QString &text);
    void SetCaption(const QString &text);
    // Moves the tree's selection to the previous or next sibling of the selected item, without
    // the tree's own load of that folder: the group step shows its own choice.
    void SelectSiblingGroup(int offset);
    bool IsInRoot(const QString &path) const;

    Prompter &prompter_;
    PopupMenuRunner popupMenuRunner_;
    PicturePreloader preloader_;
    int wheelRemainderX_ = 0;
    int wheelRemainderY_ = 0;
    bool inSize_ = false;
    bool sizeAgain_ = false;
    qreal laidOutRatio_ = 0;  // the device pixel ratio the scroll bars were last set up for
};
