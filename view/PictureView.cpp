#include "view/PictureView.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

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
    setFocusPolicy(Qt::NoFocus);
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
}

void PictureView::SetTipsShown(bool shown) {
    tipsShown_ = shown;
    tip_->Activate(shown);
}

PictureGeometry PictureView::Geometry() const {
    return PictureGeometry(browser_.pictureSize(), devicePixelRatioF());
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
        horizontal->setValue(0);
        vertical->setValue(0);
        vertical->setRange(0, down.maximum);
        horizontal->setRange(0, across.maximum);
        ShowBarsNow();
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
    if (browser_.picture().isNull()) return;
    QPainter painter(viewport());
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    DrawViewPicture(painter, browser_.picture(), Geometry().Target(scroll));
}

void PictureView::resizeEvent(QResizeEvent *) { Layout(); }

void PictureView::wheelEvent(QWheelEvent *event) {
    const QPoint delta = event->angleDelta();
    ScrollByWheel(verticalScrollBar(), delta.y(), wheelRemainderY_);
    ScrollByWheel(horizontalScrollBar(), delta.x(), wheelRemainderX_);
    event->accept();
}

void PictureView::keyPressEvent(QKeyEvent *event) { event->ignore(); }  // no keyboard commands

bool PictureView::event(QEvent *event) {
    if (event->type() == QEvent::ScreenChangeInternal) {
        Layout();
        viewport()->update();
    }
    return QAbstractScrollArea::event(event);
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
    if (zone == ClickZone::None) return;
    switch (browser_.StepTo(zone == ClickZone::Left)) {
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
    TrackPointer(event->position().toPoint(), global);
    tip_->RelayMouseMove(global);
}

void PictureView::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) Click(event->globalPosition().toPoint());
}

void PictureView::DeleteShownPicture() {
    if (!IsPicturePath(browser_.path())) {
        Tell(QStringLiteral("当前未浏览图片"));
        return;
    }
    // The file the question names: a refresh while the box is open may show another picture.
    const QString asked = browser_.path();
    const Answer answer =
        prompter_.ShowMessage(this, {QStringLiteral("删除后将不可恢复，确定要删除吗？"), QString(),
                                     Buttons::YesNo, Icon::Question});
    if (answer == Answer::Yes) browser_.Delete(asked);
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
    if (command == Command::DeleteViewPicture) DeleteShownPicture();
    if (command == Command::RefreshView) browser_.Refresh();
}

void PictureView::contextMenuEvent(QContextMenuEvent *event) {
    ShowPopupMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                              : QCursor::pos());
}

void PictureView::Tell(const QString &text) { prompter_.Tell(this, text); }
