#pragma once

#include <QFileSystemWatcher>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include "view/FolderWalker.h"
#include "view/PicturePreloader.h"
#include "view/PictureZoom.h"

// What the picture view shows and where a step takes it: the shown path and the picture decoded
// from it, its neighbours in its folder, the sibling groups at the folder's ends, and the
// pictures decoded ahead. It holds no widget: the view paints what it holds and passes it the
// clicks, and whoever holds the folder tree follows its group steps through groupEntered. The
// shown picture's folder is watched: its neighbours are found afresh whenever it changes.
class PictureBrowser : public QObject {
    Q_OBJECT
public:
    enum class State { Folder, Picture, Undecodable };
    // What a step onto the previous or next picture did.
    enum class Step {
        Shown,       // a picture or group was shown
        AtRoot,      // the shown picture lies in the download root: no group to step to
        FirstGroup,  // no previous group
        LastGroup,   // no next group
    };

    explicit PictureBrowser(QObject *parent = nullptr);

    // Shows the picture at `path`; a path that does not end in ".jpg" shows as a folder.
    void Show(QString path);
    // Shows the folder's first picture, or the folder itself when it has none.
    void ShowFolder(const QString &folder);
    // A click on the picture's left (`previous`) or right half: the neighbouring picture, or at
    // the folder's end the last or first picture of the sibling group, whose folder is entered.
    Step StepTo(bool previous);
    // The first and the last picture of the shown picture's folder.
    void ShowFirst() { ShowEnd(false); }
    void ShowLast() { ShowEnd(true); }
    // The links of an undecodable picture: its neighbours, whatever they are.
    void ShowPrevious() { Show(previous_); }
    void ShowNext() { Show(next_); }
    // Lists and decodes the shown path afresh.
    void Refresh();
    // Deletes the picture `asked` for good (the one a question named), then shows the shown
    // picture's next neighbour, else its previous one, else its folder. False when the file
    // stays (no permission, a read-only disk): then nothing else changes.
    bool Delete(const QString &asked);
    // The download root: a picture directly in it has no groups to step to.
    void SetRoot(const QString &root) { root_ = root; }
    // The folders changed: nothing decoded ahead or listed before is used again.
    void Forget();
    // The view's pane in device pixels. Pictures are fitted to `fit`: they are decoded, and those
    // decoded ahead made ready, at the size they will be shown; empty: shown at their natural
    // size, which the shown picture is decoded again for when it was decoded smaller. Of a
    // picture at natural size larger than `visible` that nothing decoded ahead, that part is
    // decoded and shown first, the whole right after off this thread.
    void SetPanes(QSize fit, QSize visible);

    const QString &path() const { return path_; }
    const QString &previous() const { return previous_; }  // empty when there is none
    const QString &next() const { return next_; }
    const QString &root() const { return root_; }
    State state() const { return state_; }
    // The window title for the shown path.
    QString Caption() const;
    // The decoded picture; null unless the state is Picture, and while only its fitted copy was
    // decoded.
    const QImage &picture() const { return picture_.image; }
    // The picture scaled to fit the pane it was decoded ahead for; null when none was made.
    const QImage &fittedPicture() const { return picture_.fitted; }
    // Where picture() lies in the picture while only that part is decoded; null: whole.
    QRect picturePart() const { return picture_.part; }
    // The shown picture's number among its folder's pictures, and their count.
    FolderWalker::Place place() const { return place_; }
    PictureZoom &zoom() { return zoom_; }
    // The shown picture's size, each side in 16 bits; an undecodable picture keeps the size of
    // the one before, a folder has none.
    QSize pictureSize() const { return QSize(width_, height_); }
    PicturePreloader &preloader() { return preloader_; }

signals:
    // The previous picture is gone; the view paints that before the next one decodes.
    void cleared();
    // The new path is shown.
    void shown();
    // The whole of a picture shown in part has taken its place.
    void filledIn();
    // The shown picture's folder changed: its neighbours or its place are others now.
    void neighboursChanged();
    // A group step enters the sibling folder `folder`, before its picture is shown.
    void groupEntered(const QString &folder);

private:
    // The picture a step onto the previous or next would show: the neighbour, or at the
    // folder's end the group step's choice; empty when that is no picture.
    QString StepTarget(bool previous);
    void ShowEnd(bool last);
    // Hands the picture and the paths of its click targets to the preloader.
    void KeepAhead();
    void FillIn(const QString &path);
    // A picture shown in part is replaced by its whole, decoded here if need be.
    void CompleteNow();
    bool IsInRoot(const QString &path) const;
    // The neighbours and the place of the shown path from its folder's listing as it is now;
    // whether they changed.
    bool FindNeighboursAgain();
    void WatchFolderOf(const QString &path);
    void FollowFolder();

    QString path_;
    QString previous_;
    QString next_;
    QString root_;
    State state_ = State::Folder;
    ViewPicture picture_;
    quint16 width_ = 0;
    quint16 height_ = 0;
    FolderWalker::Place place_;
    QSize fitPane_;
    QSize visiblePane_;
    FolderWalker walker_;
    PicturePreloader preloader_;
    PictureZoom zoom_;
    QFileSystemWatcher folderWatch_;
    QTimer folderChangeDelay_;  // a burst of changes (a download into the folder) counts once
};
