#include "view/PictureBrowser.h"

#include <unistd.h>

#include <QDir>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"

PictureBrowser::PictureBrowser(QObject *parent) : QObject(parent) {}

void PictureBrowser::Show(QString path) {
    picture_ = ViewPicture();
    const Neighbours neighbours = walker_.FindNeighbours(path);
    previous_ = neighbours.previous;
    next_ = neighbours.next;
    emit cleared();
    path_ = std::move(path);
    place_ = IsPicturePath(path_) ? walker_.PlaceOf(path_) : FolderWalker::Place();

    if (!IsPicturePath(path_)) {
        preloader_.Keep(QString(), {}, QString(), QString());
        state_ = State::Folder;
        width_ = height_ = 0;
        emit shown();
        return;
    }
    if (std::optional<ViewPicture> held = preloader_.Take(path_))
        picture_ = std::move(*held);
    else
        picture_ = DecodeViewPicture(path_, fitPane_);
    if (picture_.image.isNull()) {
        state_ = State::Undecodable;  // the size of the one before stays
    } else {
        state_ = State::Picture;
        width_ = static_cast<quint16>(picture_.image.width());
        height_ = static_cast<quint16>(picture_.image.height());
    }
    preloader_.Keep(path_, picture_, StepTarget(true), StepTarget(false));
    emit shown();
}

void PictureBrowser::SetFitPane(QSize devicePixels) {
    fitPane_ = devicePixels;
    preloader_.SetFitPane(devicePixels);
}

void PictureBrowser::ShowFolder(const QString &folder) {
    const QString first = walker_.FirstPicture(folder);
    Show(first.isEmpty() ? folder : first);
}

PictureBrowser::Step PictureBrowser::StepTo(bool previous) {
    const QString neighbour = previous ? previous_ : next_;
    if (!neighbour.isEmpty()) {
        Show(neighbour);
        return Step::Shown;
    }
    if (IsInRoot(path_)) return Step::AtRoot;
    const QString group = previous ? walker_.PreviousGroup(path_) : walker_.NextGroup(path_);
    if (group.isEmpty()) return previous ? Step::FirstGroup : Step::LastGroup;
    emit groupEntered(previous ? -1 : 1);
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

void PictureBrowser::Delete(const QString &asked) {
    ::unlink(EncodeFileName(asked).constData());
    if (path_ != asked) {  // another picture was shown meanwhile: list its folder again
        Show(path_);
        return;
    }
    if (!next_.isEmpty())
        Show(next_);
    else if (!previous_.isEmpty())
        Show(previous_);
    else
        Show(FolderOf(path_));
}

void PictureBrowser::Forget() {
    preloader_.Forget();
    walker_.Forget();
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
