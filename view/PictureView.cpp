#include "view/PictureView.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/Prompter.h"
#include "resources/Commands.h"
#include "resources/ViewResources.h"
#include "view/PictureBrowser.h"
#include "view/ViewTip.h"

namespace {

const QRect kNoteGeometry(60, 60, 500, 20);
const QRect kPreviousLinkGeometry(60, 90, 62, 24);
const QRect kNextLinkGeometry(132, 90, 62, 24);
constexpr int kWheelDelta = 120;
constexpr int kMaxLayoutPasses = 4;  // showing a bar resizes the pane; a few passes settle it

QLabel *MakeLink(const QString &text, QWidget *parent, const QRect &geometry) {
    auto *link = new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(text), parent);
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    link->setGeometry(geometry);
    return link;
}

void ScrollByWheel(QScrollBar *bar, int delta, int &remainder) {
    remainder += delta;
    const int notches = remainder / kWheelDelta;
    remainder %= kWheelDelta;
    if (notches != 0)
        bar->setValue(bar->value() -
                      notches * QApplication::wheelScrollLines() * bar->singleStep());
}

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

PictureView::PictureView(PictureBrowser &browser, Prompter &prompter, QWidget *parent)
    : QAbstractScrollArea(parent),
      browser_(browser),
      prompter_(prompter),
      popupMenuRunner_([](QMenu &menu, const QPoint &at) { return menu.exec(at); }) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);  // a click or Tab gives it the keys
    viewport()->setMouseTracking(true);

    tip_ = new ViewTip(this);
    note_ = new QLabel(viewport());
    note_->setTextFormat(Qt::PlainText);  // it shows file names, which may look like markup
    note_->setGeometry(kNoteGeometry);
    previousLink_ = MakeLink(QStringLiteral("上一张"), viewport(), kPreviousLinkGeometry);
    nextLink_ = MakeLink(QStringLiteral("下一张"), viewport(), kNextLinkGeometry);
    connect(previousLink_, &QLabel::linkActivated, &browser_, &PictureBrowser::ShowPrevious);
    connect(nextLink_, &QLabel::linkActivated, &browser_, &PictureBrowser::ShowNext);
    // The wheel and the popup menu work the same over the scroll bars and the links as over the
    // picture, instead of those widgets' own scrolling and menus.
    QWidget *parts[] = {horizontalScrollBar(), verticalScrollBar(), previousLink_, nextLink_};
    for (QWidget *part : parts) part->installEventFilter(this);

    connect(&browser_, &PictureBrowser::cleared, this, [this] { viewport()->repaint(); });
    connect(&browser_, &PictureBrowser::shown, this, &PictureView::ShowState);
    connect(&browser_, &PictureBrowser::filledIn, viewport(), qOverload<>(&QWidget::update));
    connect(&browser_, &PictureBrowser::neighboursChanged, this, &PictureView::FollowNeighbours);
    connect(&browser_.zoom(), &PictureZoom::changed, this, &PictureView::FollowZoom);
    ShowState();
}

PictureView::~PictureView() = default;

void PictureView::ShowState() {
    switch (browser_.state()) {
        case PictureBrowser::State::Picture:
            previousLink_->hide();
            nextLink_->hide();
            Layout();
            viewport()->repaint();
            note_->hide();
            break;
        case PictureBrowser::State::Undecodable:
            // The bars stay as the last picture left them.
            note_->setText(DisplayName(FileNameOf(browser_.path())) + QStringLiteral("　无效"));
            note_->show();
            previousLink_->setVisible(!browser_.previous().isEmpty());
            nextLink_->setVisible(!browser_.next().isEmpty());
            break;
        case PictureBrowser::State::Folder:
            horizontalScrollBar()->setRange(0, 0);
            verticalScrollBar()->setRange(0, 0);
            ShowBarsNow();
            note_->setText(QStringLiteral("此文件夹下无图片"));
            note_->show();
            previousLink_->hide();
            nextLink_->hide();
            break;
    }
    DescribeForScreenReaders();
}

void PictureView::FollowNeighbours() {
    if (browser_.state() == PictureBrowser::State::Undecodable) {
        previousLink_->setVisible(!browser_.previous().isEmpty());
        nextLink_->setVisible(!browser_.next().isEmpty());
    }
    DescribeForScreenReaders();
}

void PictureView::DescribeForScreenReaders() {
    const FolderWalker::Place place = browser_.place();
    QString description = browser_.state() == PictureBrowser::State::Picture
                              ? DisplayName(FileNameOf(browser_.path()))
                              : note_->text();
    if (browser_.state() != PictureBrowser::State::Folder && place.number > 0)
        description += QStringLiteral(" 第%1张，共%2张").arg(place.number).arg(place.count);
    setAccessibleName(description);
}

void PictureView::SetTipsShown(bool shown) {
    tipsShown_ = shown;
    tip_->Activate(shown);
}

QSizeF PictureView::FitPane() const {
    const qreal ratio = devicePixelRatioF();
    const QSize pane = contentsRect().size();
    return QSizeF(std::floor(pane.width() * ratio + 1e-9),
                  std::floor(pane.height() * ratio + 1e-9));
}

qreal PictureView::Scale() const {
    return browser_.zoom().ScaleFor(browser_.pictureSize(), FitPane());
}

PictureGeometry PictureView::Geometry() const {
    return PictureGeometry(browser_.pictureSize(), devicePixelRatioF(), Scale(),
                           fullScreen_ ? QSizeF(viewport()->size()) : QSizeF());
}

bool PictureView::Pannable() const {
    return horizontalScrollBar()->maximum() > 0 || verticalScrollBar()->maximum() > 0;
}

void PictureView::FollowZoom() {
    UpdateFitPane();
    Layout();
    viewport()->update();
}

void PictureView::UpdateFitPane() {
    const QSize pane = FitPane().toSize();
    browser_.SetPanes(browser_.zoom().fitting() ? pane : QSize(), pane);
}

void PictureView::ToggleFit() { browser_.zoom().ToggleFit(); }

void PictureView::ShowActualSize() { browser_.zoom().ShowActualSize(); }

void PictureView::ZoomAbout(QPoint pos, int direction) {
    if (browser_.state() != PictureBrowser::State::Picture) return;
    const qreal ratio = devicePixelRatioF();
    const QRectF before =
        Geometry().Target(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
    // The point under `pos` as a share of the picture, which stays under it.
    const QPointF share((pos.x() - before.x()) / before.width(),
                        (pos.y() - before.y()) / before.height());
    if (direction > 0)
        browser_.zoom().ZoomIn(browser_.pictureSize(), FitPane());
    else
        browser_.zoom().ZoomOut(browser_.pictureSize(), FitPane());
    const QSize shown = Geometry().Shown();
    horizontalScrollBar()->setValue(int(std::lround(share.x() * shown.width() - pos.x() * ratio)));
    verticalScrollBar()->setValue(int(std::lround(share.y() * shown.height() - pos.y() * ratio)));
}

void PictureView::SetFullScreen(bool on) {
    fullScreen_ = on;
    setFrameShape(on ? QFrame::NoFrame : QFrame::StyledPanel);
    const Qt::ScrollBarPolicy bars = on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    setHorizontalScrollBarPolicy(bars);
    setVerticalScrollBarPolicy(bars);
    FollowZoom();
}

const QImage &PictureView::FittedPicture(QSize shown) {
    const QImage &ready = browser_.fittedPicture();
    if (ready.size() == shown) return ready;
    // From the whole picture, or, until it is decoded again for this pane, the fitted copy.
    const QImage &source = browser_.picture().isNull() ? ready : browser_.picture();
    if (source.isNull()) return source;  // the last picture is gone, the next not yet there
    if (fitted_.isNull() || fittedFrom_ != source.cacheKey() || fitted_.size() != shown) {
        fitted_ = ScaledViewPicture(source, shown);
        fittedFrom_ = source.cacheKey();
    }
    return fitted_;
}

ClickZone PictureView::ZoneAt(const QPoint &globalPos) const {
    if (browser_.state() != PictureBrowser::State::Picture) return ClickZone::None;
    // Relative to the outer rectangle, frame included.
    return Geometry().ZoneAt(globalPos - mapToGlobal(QPoint(0, 0)), width() & 0xFFFF);
}

void PictureView::ShowBarsNow() {
    // The scroll area lays its bars out later on its own; the pane's size must follow now.
    QEvent layout(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(this, &layout);
}

void PictureView::Layout() {
    // Showing or hiding a bar resizes the pane, which comes back here; run again instead.
    if (inLayout_) {
        layoutAgain_ = true;
        return;
    }
    inLayout_ = true;
    laidOutRatio_ = devicePixelRatioF();
    QScrollBar *horizontal = horizontalScrollBar();
    QScrollBar *vertical = verticalScrollBar();
    const QSize picture = browser_.pictureSize();
    for (int pass = 0; pass < kMaxLayoutPasses; ++pass) {
        layoutAgain_ = false;
        const QSize pane = viewport()->size();
        const PictureGeometry geometry = Geometry();
        const PictureGeometry::Bar across = geometry.Horizontal(pane.width());
        const PictureGeometry::Bar down = geometry.Vertical(pane.height());
        if (!pane.isEmpty() && !picture.isEmpty()) {
            horizontal->setSingleStep(across.step);
            vertical->setSingleStep(down.step);
            horizontal->setPageStep(across.page);
            vertical->setPageStep(down.page);
        }
        const bool wereNeeded[] = {horizontal->maximum() > 0, vertical->maximum() > 0};
        horizontal->setValue(0);
        vertical->setValue(0);
        vertical->setRange(0, down.maximum);
        horizontal->setRange(0, across.maximum);
        // Only a bar that comes or goes changes the pane; relaying it out repaints the window.
        if (wereNeeded[0] != across.shown || wereNeeded[1] != down.shown) ShowBarsNow();
        if (!layoutAgain_) break;
    }
    inLayout_ = false;
}

void PictureView::paintEvent(QPaintEvent *) {
    if (laidOutRatio_ != devicePixelRatioF()) {
        // Another screen, or another scale: the picture keeps its pixels, the bars change.
        QMetaObject::invokeMethod(
            this,
            [this] {
                Layout();
                viewport()->update();
            },
            Qt::QueuedConnection);
    }
    QPainter painter(viewport());
    if (fullScreen_) painter.fillRect(viewport()->rect(), Qt::black);
    if (browser_.state() != PictureBrowser::State::Picture) return;
    const QImage &picture = browser_.picture();
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const PictureGeometry geometry = Geometry();
    const QRect part = browser_.picturePart();
    if (!part.isNull()) {  // what is decoded so far, in its place; the rest follows
        const QRectF whole = geometry.Target(scroll);
        const qreal ratio = devicePixelRatioF();
        DrawViewPicture(painter, picture,
                        QRectF(whole.topLeft() + QPointF(part.topLeft()) / ratio,
                               QSizeF(picture.size()) / ratio));
    } else if (!picture.isNull() && geometry.Shown() == picture.size()) {  // pixel for pixel
        DrawViewPicture(painter, picture, geometry.Target(scroll));
    } else if (browser_.zoom().fitting()) {  // scaled once, then copied pixel for pixel
        DrawViewPicture(painter, FittedPicture(geometry.Shown()), geometry.Target(scroll));
    } else {  // zoomed: scaled as it is drawn, so that a zoom step repaints at once
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        DrawViewPicture(painter, picture, geometry.Target(scroll));
    }
}

void PictureView::resizeEvent(QResizeEvent *) {
    UpdateFitPane();
    Layout();
}

void PictureView::wheelEvent(QWheelEvent *event) {
    const QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        wheelRemainderY_ += delta.y();
        for (; wheelRemainderY_ >= kWheelDelta; wheelRemainderY_ -= kWheelDelta)
            ZoomAbout(viewport()->mapFromGlobal(event->globalPosition().toPoint()), +1);
        for (; wheelRemainderY_ <= -kWheelDelta; wheelRemainderY_ += kWheelDelta)
            ZoomAbout(viewport()->mapFromGlobal(event->globalPosition().toPoint()), -1);
        event->accept();
        return;
    }
    ScrollByWheel(verticalScrollBar(), delta.y(), wheelRemainderY_);
    ScrollByWheel(horizontalScrollBar(), delta.x(), wheelRemainderX_);
    event->accept();
}

void PictureView::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers held =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    // "+" takes Shift on most layouts; every other key is taken bare.
    if (held & ~Qt::KeyboardModifiers(event->key() == Qt::Key_Plus ? Qt::ShiftModifier : 0)) {
        event->ignore();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Space:
            return Step(false);
        case Qt::Key_Left:
        case Qt::Key_Backspace:
            return Step(true);
        case Qt::Key_Home:
            return browser_.ShowFirst();
        case Qt::Key_End:
            return browser_.ShowLast();
        case Qt::Key_Delete:
            emit deleteRequested();
            return;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            return ZoomIn();
        case Qt::Key_Minus:
            return ZoomOut();
        case Qt::Key_1:
            return ShowActualSize();
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return QAbstractScrollArea::keyPressEvent(event);
        default:
            event->ignore();
    }
}

void PictureView::focusInEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusInEvent(event);
    update();
}

void PictureView::focusOutEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusOutEvent(event);
    update();
}

bool PictureView::event(QEvent *event) {
    if (event->type() == QEvent::ScreenChangeInternal) {
        UpdateFitPane();
        Layout();
        viewport()->update();
    }
    const bool handled = QAbstractScrollArea::event(event);
    if (event->type() == QEvent::Paint && hasFocus() && !fullScreen_) {
        // The keys go to the view: its frame says so, outside the picture's pixels.
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    return handled;
}

bool PictureView::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::Leave) tip_->Hide();
    return QAbstractScrollArea::viewportEvent(event);
}

bool PictureView::eventFilter(QObject *watched, QEvent *event) {
    const bool bar = watched == horizontalScrollBar() || watched == verticalScrollBar();
    const bool link = watched == previousLink_ || watched == nextLink_;
    if (event->type() == QEvent::Wheel && bar) {
        wheelEvent(static_cast<QWheelEvent *>(event));
        return true;
    }
    if (event->type() == QEvent::ContextMenu && (bar || link)) {
        contextMenuEvent(static_cast<QContextMenuEvent *>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void PictureView::TrackPointer(const QPoint &pos, const QPoint &globalPos) {
    const ClickZone zone = ZoneAt(globalPos);
    const bool moved = pos != lastMousePos_;
    QCursor cursor(Qt::ArrowCursor);
    if (zone == ClickZone::None) {
        tip_->Activate(false);
    } else {
        QString text;
        if (zone == ClickZone::Right && !browser_.next().isEmpty()) {
            text = QStringLiteral("　 点击查看下一张");
            cursor = ViewCursor(StepCursor::NextPicture);
        } else if (zone == ClickZone::Right) {
            text = QStringLiteral("点击进入下一组");
            cursor = ViewCursor(StepCursor::NextGroup);
        } else if (!browser_.previous().isEmpty()) {
            text = QStringLiteral("　 　点击查看上一张");
            cursor = ViewCursor(StepCursor::PreviousPicture);
        } else {
            text = QStringLiteral("　 　点击进入上一组");
            cursor = ViewCursor(StepCursor::PreviousGroup);
        }
        if (moved) {
            tip_->SetText(text);
            if (tipsShown_) tip_->Activate(true);
        }
    }
    viewport()->setCursor(cursor);
    if (moved) lastMousePos_ = pos;
}

void PictureView::Click(const QPoint &globalPos) {
    const ClickZone zone = ZoneAt(globalPos);
    if (zone != ClickZone::None) Step(zone == ClickZone::Left);
}

void PictureView::Step(bool previous) {
    if (browser_.state() == PictureBrowser::State::Folder) return;
    switch (browser_.StepTo(previous)) {
        case PictureBrowser::Step::Shown:
            break;
        case PictureBrowser::Step::AtRoot:
            Tell(QStringLiteral("当前已是根目录"));
            break;
        case PictureBrowser::Step::FirstGroup:
            Tell(QStringLiteral("已经是第一组，请单击目录树中的文件夹查看其他组"));
            break;
        case PictureBrowser::Step::LastGroup:
            Tell(QStringLiteral("已经是最后一组，请单击目录树中的文件夹查看其他组"));
            break;
    }
}

void PictureView::mouseMoveEvent(QMouseEvent *event) {
    const QPoint global = event->globalPosition().toPoint();
    const QPoint pos = event->position().toPoint();
    if (pressed_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint moved = pos - pressPos_;
        if (!panning_ && moved.manhattanLength() >= QApplication::startDragDistance()) {
            panning_ = true;
            tip_->Activate(false);
            viewport()->setCursor(Qt::ClosedHandCursor);
        }
        if (panning_) {
            const qreal ratio = devicePixelRatioF();
            horizontalScrollBar()->setValue(scrollAtPress_.x() -
                                            int(std::lround(moved.x() * ratio)));
            verticalScrollBar()->setValue(scrollAtPress_.y() - int(std::lround(moved.y() * ratio)));
            return;
        }
    }
    TrackPointer(pos, global);
    tip_->RelayMouseMove(global);
}

void PictureView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint global = event->globalPosition().toPoint();
    if (!Pannable()) {  // the whole picture shows: a press steps at once
        Click(global);
        return;
    }
    pressed_ = true;
    panning_ = false;
    pressPos_ = event->position().toPoint();
    pressGlobalPos_ = global;
    scrollAtPress_ = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void PictureView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (!panning_) {
        Click(pressGlobalPos_);
        return;
    }
    panning_ = false;
    TrackPointer(event->position().toPoint(), event->globalPosition().toPoint());
}

void PictureView::ShowPopupMenu(const QPoint &globalPos) {
    if (!IsPicturePath(browser_.path())) return;
    const MenuPopupResource &resource = ViewPopupMenuResource();
    QMenu menu(resource.title, this);
    for (const MenuItemResource &item : resource.items)
        menu.addAction(item.text)->setData(static_cast<int>(item.command));
    QAction *chosen = popupMenuRunner_(menu, OnSomeScreen(globalPos));
    if (!chosen) return;
    const auto command = static_cast<Command>(chosen->data().toInt());
    if (command == Command::DeleteViewPicture) emit deleteRequested();
    if (command == Command::RefreshView) browser_.Refresh();
}

void PictureView::contextMenuEvent(QContextMenuEvent *event) {
    ShowPopupMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                              : QCursor::pos());
}

void PictureView::Tell(const QString &text) { prompter_.Tell(this, text); }
