#pragma once

#include <QAbstractScrollArea>
#include <QCursor>
#include <QPoint>
#include <functional>

#include "view/PictureGeometry.h"

class PictureBrowser;
class Prompter;
class QLabel;
class QMenu;
class QAction;
class ViewTip;

// The right-hand pane: the browser's picture at its natural size, anchored top-left, with scroll
// bars when it is larger than the pane, or a one-line note when there is no picture to show. A
// click on the picture's left or right half steps the browser back or on; the cursor and a tip
// tell which step a click takes. The view asks the questions of deleting the shown picture.
class PictureView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Shows the popup menu at a screen point; returns the chosen action or null.
    using PopupMenuRunner = std::function<QAction *(QMenu &menu, const QPoint &globalPos)>;

    PictureView(PictureBrowser &browser, Prompter &prompter, QWidget *parent = nullptr);
    ~PictureView() override;

    // Tips on or off, as the frame's show-tips setting says.
    void SetTipsShown(bool shown);
    bool tipsShown() const { return tipsShown_; }
    // Deletes the shown picture after asking; without one, says that no picture is shown.
    void DeleteShownPicture();
    void SetPopupMenuRunner(PopupMenuRunner runner) { popupMenuRunner_ = std::move(runner); }

    // The half of the shown picture under the screen point `globalPos`.
    ClickZone ZoneAt(const QPoint &globalPos) const;
    // The shown picture's place on screen at the current device pixel ratio.
    PictureGeometry Geometry() const;

    ViewTip &tip() { return *tip_; }
    QLabel &note() { return *note_; }
    QLabel &previousLink() { return *previousLink_; }
    QLabel &nextLink() { return *nextLink_; }

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
    // The browser shows another path: the note, the links and the bars follow.
    void ShowState();
    // The scroll bars for the picture and the pane, scrolled back to the top-left corner.
    void Layout();
    void ShowBarsNow();
    // The cursor and the tip for the pointer at `pos` (in the pane) and `globalPos`.
    void TrackPointer(const QPoint &pos, const QPoint &globalPos);
    void Click(const QPoint &globalPos);
    void ShowPopupMenu(const QPoint &globalPos);
    void Tell(const QString &text);

    PictureBrowser &browser_;
    Prompter &prompter_;
    PopupMenuRunner popupMenuRunner_;
    ViewTip *tip_ = nullptr;
    QLabel *note_ = nullptr;
    QLabel *previousLink_ = nullptr;
    QLabel *nextLink_ = nullptr;
    QPoint lastMousePos_;
    bool tipsShown_ = true;
    int wheelRemainderX_ = 0;
    int wheelRemainderY_ = 0;
    bool inLayout_ = false;
    bool layoutAgain_ = false;
    qreal laidOutRatio_ = 0;  // the device pixel ratio the scroll bars were last set up for
};
