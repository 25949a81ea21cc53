#pragma once

#include <QAbstractScrollArea>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <functional>

#include "view/PictureGeometry.h"

class PictureBrowser;
class Prompter;
class QLabel;
class QMenu;
class QAction;
class ViewTip;

// The right-hand pane: the browser's picture at its natural size (or fitted, or zoomed, as the
// browser's zoom says), anchored top-left, with scroll bars when it is larger than the pane, or a
// one-line note when there is no picture to show. A click on the picture's left or right half
// steps the browser back or on; the cursor and a tip tell which step a click takes; a drag pans a
// picture larger than the pane. With the keyboard focus it takes the common viewers' keys. Its
// deletion command (popup menu, Delete key) is told, not run.
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
    void SetPopupMenuRunner(PopupMenuRunner runner) { popupMenuRunner_ = std::move(runner); }

    // Zoom steps about the pane's top-left corner; fit to the pane; natural size again.
    void ZoomIn() { ZoomAbout(QPoint(), +1); }
    void ZoomOut() { ZoomAbout(QPoint(), -1); }
    void ToggleFit();
    void ShowActualSize();
    // The picture alone, centred on black, for the full screen.
    void SetFullScreen(bool on);
    bool fullScreen() const { return fullScreen_; }

    // The half of the shown picture under the screen point `globalPos`.
    ClickZone ZoneAt(const QPoint &globalPos) const;
    // The shown picture's place on screen at the current device pixel ratio.
    PictureGeometry Geometry() const;

    ViewTip &tip() { return *tip_; }
    QLabel &note() { return *note_; }
    QLabel &previousLink() { return *previousLink_; }
    QLabel &nextLink() { return *nextLink_; }

signals:
    // The popup menu's 删除 or the Delete key: the shown picture is to be deleted.
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The browser shows another path: the note, the links and the bars follow.
    void ShowState();
    // The shown picture's neighbours changed: its links and its description follow.
    void FollowNeighbours();
    // The scroll bars for the picture and the pane, scrolled back to the top-left corner.
    void Layout();
    void ShowBarsNow();
    // The cursor and the tip for the pointer at `pos` (in the pane) and `globalPos`.
    void TrackPointer(const QPoint &pos, const QPoint &globalPos);
    void Click(const QPoint &globalPos);
    // A step back or on, as the halves take it, with the same messages at the ends.
    void Step(bool previous);
    // One zoom step up or down, keeping the picture's point under `pos` (in the pane) there.
    void ZoomAbout(QPoint pos, int direction);
    // The browser's zoom changed: the fit pane, the bars and the picture follow.
    void FollowZoom();
    // Tells the browser the pane pictures are fitted to, while they are.
    void UpdateFitPane();
    // The pane in device pixels, without scroll bars: what a picture is fitted to.
    QSizeF FitPane() const;
    qreal Scale() const;
    // The picture as drawn at `shown` device pixels, scaled once when it is fitted.
    const QImage &FittedPicture(QSize shown);
    bool Pannable() const;
    void DescribeForScreenReaders();
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
    bool fullScreen_ = false;
    // The shown picture fitted, when the browser held none of that size; kept until another one
    // is made, so that no step waits for its pixels to be freed.
    QImage fitted_;
    qint64 fittedFrom_ = 0;
    // A press on a pannable picture: a drag pans it, a click without one steps at the release.
    bool pressed_ = false;
    bool panning_ = false;
    QPoint pressPos_, pressGlobalPos_, scrollAtPress_;
};
