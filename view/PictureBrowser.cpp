#include "view/PictureBrowser.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"

namespace {

constexpr int kFolderChangeDelayMs = 100;

}  // namespace

PictureBrowser::PictureBrowser(QObject *parent) : QObject(parent) {
    folderChangeDelay_.setSingleShot(true);
    folderChangeDelay_.setInterval(kFolderChangeDelayMs);
    connect(&folderChangeDelay_, &QTimer::timeout, this, &PictureBrowser::FollowFolder);
    connect(&folderWatch_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!folderChangeDelay_.isActive()) folderChangeDelay_.start();
    });
    // The worker decoded a picture: when it is the whole of the one shown in part, it takes over.
    preloader_.SetDecodedCallback([this](const QString &path) {
        QMetaObject::invokeMethod(
            this, [this, path] { FillIn(path); }, Qt::QueuedConnection);
    });
}

void PictureBrowser::Show(QString path) {
    picture_ = ViewPicture();
    emit cleared();
    path_ = std::move(path);
    FindNeighboursAgain();
    WatchFolderOf(path_);

    const QString shownPath = path_;
    if (!IsPicturePath(path_)) {
        state_ = State::Folder;
        width_ = height_ = 0;
        emit shown();
        if (path_ == shownPath) preloader_.Keep(QString(), {}, QString(), QString());
        return;
    }
    std::optional<ViewPicture> held = preloader_.Take(path_);
    if (held && ServesFitPane(*held, fitPane_))
        picture_ = std::move(*held);
    else if (!held && zoom_.mode() == PictureZoom::Mode::Natural)
        picture_ = DecodeVisiblePart(path_, visiblePane_);  // the rest follows off this thread
    if (picture_.isNull()) picture_ = DecodeViewPicture(path_, fitPane_);
    if (picture_.isNull()) {
        state_ = State::Undecodable;  // the size of the one before stays
    } else {
        state_ = State::Picture;
        width_ = static_cast<quint16>(picture_.size.width());
        height_ = static_cast<quint16>(picture_.size.height());
    }
    emit shown();
    // Only now the neighbours start decoding: beside a decode the window and the display server
    // would paint the picture later.
    if (path_ == shownPath) KeepAhead();
}

void PictureBrowser::KeepAhead() {
    preloader_.Keep(path_, picture_, StepTarget(true), StepTarget(false));
}

void PictureBrowser::FillIn(const QString &path) {
    if (path != path_ || state_ != State::Picture || picture_.part.isNull()) return;
    CompleteNow();
    if (state_ == State::Picture) emit filledIn();
}

void PictureBrowser::CompleteNow() {
    if (state_ != State::Picture || picture_.part.isNull()) return;
    std::optional<ViewPicture> whole = preloader_.Take(path_);
    picture_ = whole ? std::move(*whole) : DecodeViewPicture(path_, fitPane_);
    if (picture_.isNull()) {  // its later part turned out damaged beyond decoding
        state_ = State::Undecodable;
        emit shown();
    }
}

void PictureBrowser::SetPanes(QSize fit, QSize visible) {
    visiblePane_ = visible;
    // Zoomed or fitted, the picture is drawn from its whole.
    if (zoom_.mode() != PictureZoom::Mode::Natural) CompleteNow();
    if (fit == fitPane_) return;
    fitPane_ = fit;
    preloader_.SetFitPane(fit);
    // What was decoded for another pane is decoded again as this one needs it.
    preloader_.Forget();
    if (state_ == State::Picture && !ServesFitPane(picture_, fitPane_)) {
        picture_ = DecodeViewPicture(path_, fitPane_);
        if (picture_.isNull()) state_ = State::Undecodable;
        emit shown();
    }
    if (state_ != State::Folder) KeepAhead();
}

void PictureBrowser::ShowFolder(const QString &folder) {
    const QString first = walker_.FirstPicture(folder);
    Show(first.isEmpty() ? folder : first);
}

void PictureBrowser::WatchFolderOf(const QString &path) {
    const QString folder = IsPicturePath(path) ? FolderOf(path) : QString();
    const QStringList watched = folderWatch_.directories();
    if (watched.size() == 1 && watched.front() == folder) return;
    if (!watched.isEmpty()) folderWatch_.removePaths(watched);
    folderChangeDelay_.stop();
    // A folder Qt cannot name (not UTF-8) goes unwatched: a step still lists it afresh.
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) folderWatch_.addPath(folder);
}

bool PictureBrowser::FindNeighboursAgain() {
    const Neighbours neighbours = walker_.FindNeighbours(path_);  // none for a folder
    const FolderWalker::Place place =
        IsPicturePath(path_) ? walker_.PlaceOf(path_) : FolderWalker::Place();
    if (neighbours.previous == previous_ && neighbours.next == next_ &&
        place.number == place_.number && place.count == place_.count)
        return false;
    previous_ = neighbours.previous;
    next_ = neighbours.next;
    place_ = place;
    return true;
}

void PictureBrowser::FollowFolder() {
    if (!FindNeighboursAgain()) return;
    if (state_ != State::Folder) KeepAhead();
    emit neighboursChanged();
}

PictureBrowser::Step PictureBrowser::StepTo(bool previous) {
    // A picture that arrived since the watch last told is stepped onto too.
    if (FindNeighboursAgain()) emit neighboursChanged();
    const QString neighbour = previous ? previous_ : next_;
    if (!neighbour.isEmpty()) {
        Show(neighbour);
        return Step::Shown;
    }
    if (IsInRoot(path_)) return Step::AtRoot;
    const QString group = previous ? walker_.PreviousGroup(path_) : walker_.NextGroup(path_);
    if (group.isEmpty()) return previous ? Step::FirstGroup : Step::LastGroup;
    emit groupEntered(IsPicturePath(group) ? FolderOf(group) : group);
    Show(group);
    return Step::Shown;
}

void PictureBrowser::ShowEnd(bool last) {
    if (!IsPicturePath(path_)) return;
    const QString end = walker_.EndPicture(FolderOf(path_), last);
    if (!end.isEmpty()) Show(end);
}

QString PictureBrowser::StepTarget(bool previous) {
    QString target = previous ? previous_ : next_;
    if (target.isEmpty() && !IsInRoot(path_))
        target = previous ? walker_.PreviousGroup(path_) : walker_.NextGroup(path_);
    return IsPicturePath(target) ? target : QString();
}

void PictureBrowser::Refresh() {
    Forget();
    if (!path_.isEmpty()) Show(path_);
}

bool PictureBrowser::Delete(const QString &asked) {
    // A file already gone is as deleted as it would be.
    if (::unlink(EncodeFileName(asked).constData()) != 0 && errno != ENOENT) return false;
    if (path_ != asked) {  // another picture was shown meanwhile: list its folder again
        Show(path_);
        return true;
    }
    if (!next_.isEmpty())
        Show(next_);
    else if (!previous_.isEmpty())
        Show(previous_);
    else
        Show(FolderOf(path_));
    return true;
}

void PictureBrowser::Forget() {
    preloader_.Forget();
    walker_.Forget();
    CompleteNow();  // its whole was being decoded ahead
}

QString PictureBrowser::Caption() const {
    QString shown = IsPicturePath(path_) ? DisplayName(FileNameOf(path_)) : DisplayName(path_);
    // A lone "[*]" in a title is the modified mark; doubled it shows as written.
    shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return QStringLiteral("Lumora 1.00 - ") + shown;
}

bool PictureBrowser::IsInRoot(const QString &path) const {
    // The same folder whether or not the root was saved with a trailing "/".
    return !root_.isEmpty() && QDir::cleanPath(FolderOf(path)) == QDir::cleanPath(root_);
}
