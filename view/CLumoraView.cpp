#include "view/CLumoraView.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/Prompter.h"
#include "resources/CommandIds.h"
#include "resources/MenuActions.h"
#include "resources/ViewResources.h"
#include "view/ViewTip.h"

namespace {

const QRect kNoteGeometry(60, 60, 500, 20);
const QRect kPrevLinkGeometry(60, 90, 62, 24);
const QRect kNextLinkGeometry(132, 90, 62, 24);
constexpr int kWheelDelta = 120;
constexpr int kMaxSizePasses = 4;  // showing a bar resizes the client; a few passes settle it

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

}  // namespace

CLumoraView::CLumoraView(Prompter &prompter, QWidget *parent)
    : QAbstractScrollArea(parent),
      prompter_(prompter),
      popupMenuRunner_([](QMenu &menu, const QPoint &at) { return menu.exec(at); }) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setMouseTracking(true);

    m_hWndTip = new ViewTip(this);
    m_hWndNote = new QLabel(viewport());
    m_hWndNote->setObjectName(QStringLiteral("note"));
    m_hWndNote->setTextFormat(Qt::PlainText);  // it shows file names, which may look like markup
    m_hWndNote->setGeometry(kNoteGeometry);
    m_hWndPrevLink = MakeLink(QStringLiteral("上一张"), viewport(), kPrevLinkGeometry);
    m_hWndPrevLink->setObjectName(QStringLiteral("previousLink"));
    m_hWndNextLink = MakeLink(QStringLiteral("下一张"), viewport(), kNextLinkGeometry);
    m_hWndNextLink->setObjectName(QStringLiteral("nextLink"));
    connect(m_hWndPrevLink, &QLabel::linkActivated, this, [this] { OnLinkPrevious(); });
    connect(m_hWndNextLink, &QLabel::linkActivated, this, [this] { OnLinkNext(); });
    // The wheel and the popup menu work the same over the scroll bars and the links as over the
    // picture, instead of those widgets' own scrolling and menus.
    QWidget *parts[] = {horizontalScrollBar(), verticalScrollBar(), m_hWndPrevLink, m_hWndNextLink};
    for (QWidget *part : parts) part->installEventFilter(this);

    m_hCurNextPicture = ViewCursor(IDC_CUR_NEXT_PICTURE);
    m_hCurPrevGroup = ViewCursor(IDC_CUR_PREV_GROUP);
    m_hCurPrevPicture = ViewCursor(IDC_CUR_PREV_PICTURE);
    m_hCurNextGroup = ViewCursor(IDC_CUR_NEXT_GROUP);
}

CLumoraView::~CLumoraView() = default;

void CLumoraView::LoadPath(const QString &requested) {
    const QString path = requested;  // `requested` may be one of the members changed below
    if (!m_image.IsNull()) m_image.Destroy();
    FindNeighbours(path);
    m_prevMode = m_strPrev.isEmpty() ? kPrevGroupMode : kPrevPictureMode;
    m_nextMode = m_strNext.isEmpty() ? kNextGroupMode : kNextPictureMode;
    viewport()->repaint();  // the old picture disappears before the new one decodes
    m_strPath = path;

    if (IsPicturePath(path)) {
        const QString name = DisplayName(FileNameOf(path));
        SetCaption(name);
        if (DecodeShown(path)) {
            m_cyPicture = static_cast<quint16>(m_image.GetHeight());
            m_cxPicture = static_cast<quint16>(m_image.GetWidth());
            m_hWndPrevLink->hide();
            m_hWndNextLink->hide();
            OnSize();
            viewport()->repaint();
            m_hWndNote->hide();
        } else {
            m_hWndNote->setText(name + QStringLiteral("　无效"));
            m_hWndNote->show();
            m_hWndPrevLink->setVisible(!m_strPrev.isEmpty());
            m_hWndNextLink->setVisible(!m_strNext.isEmpty());
        }
        EnableFrameMenuItem(ID_EDIT_DELETE_PICTURE, MF_ENABLED);
        preloader_.Keep(path, {m_image.image(), m_image.stamp()}, ClickTarget(true),
                        ClickTarget(false));
        return;
    }
    preloader_.Keep(QString(), {}, QString(), QString());

    SetCaption(DisplayName(path));
    m_cyPicture = 0;
    m_cxPicture = 0;
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    ShowOrHideBarsNow();
    m_hWndNote->setText(QStringLiteral("此文件夹下无图片"));
    m_hWndNote->show();
    m_hWndPrevLink->hide();
    m_hWndNextLink->hide();
    EnableFrameMenuItem(ID_EDIT_DELETE_PICTURE, MF_GRAYED);
}

QString CLumoraView::ClickTarget(bool previous) {
    QString target = previous ? m_strPrev : m_strNext;
    if (target.isEmpty() && !IsInRoot(m_strPath))
        target = previous ? m_walker.PreviousGroup(m_strPath) : m_walker.NextGroup(m_strPath);
    return IsPicturePath(target) ? target : QString();
}

bool CLumoraView::DecodeShown(const QString &path) {
    if (std::optional<ViewPicture> held = preloader_.Take(path))
        m_image.Adopt(*held);
    else
        m_image.Load(path);
    return !m_image.IsNull();
}

void CLumoraView::EnableFrameMenuItem(int id, int flags) {
    if (QAction *action = FindFrameMenuAction(this, id)) action->setEnabled(flags == MF_ENABLED);
}

void CLumoraView::SetTipsActive(bool active) { m_hWndTip->Activate(active); }

void CLumoraView::FindNeighbours(const QString &path) {
    const Neighbours found = m_walker.FindNeighbours(path);
    m_strPrev = found.previous;
    m_strNext = found.next;
}

void CLumoraView::ShowOrHideBarsNow() {
    // The scroll area lays its bars out later on its own; the client size must follow now.
    QEvent layout(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(this, &layout);
}

PictureGeometry CLumoraView::Geometry() const {
    return PictureGeometry(QSize(m_cxPicture, m_cyPicture), devicePixelRatioF());
}

void CLumoraView::OnSize() {
    // Showing or hiding a bar resizes the client, which comes back here; run again instead.
    if (inSize_) {
        sizeAgain_ = true;
        return;
    }
    inSize_ = true;
    laidOutRatio_ = devicePixelRatioF();
    QScrollBar *horizontal = horizontalScrollBar();
    QScrollBar *vertical = verticalScrollBar();
    for (int pass = 0; pass < kMaxSizePasses; ++pass) {
        sizeAgain_ = false;
        const PictureGeometry geometry = Geometry();
        const PictureGeometry::Bar across = geometry.Horizontal(viewport()->width());
        const PictureGeometry::Bar down = geometry.Vertical(viewport()->height());
        if (viewport()->width() > 0 && viewport()->height() > 0 && m_cxPicture != 0 &&
            m_cyPicture != 0) {
            horizontal->setSingleStep(across.step);
            vertical->setSingleStep(down.step);
            horizontal->setPageStep(across.page);
            vertical->setPageStep(down.page);
        }
        horizontal->setValue(0);
        vertical->setValue(0);
        vertical->setRange(0, down.maximum);
        horizontal->setRange(0, across.maximum);
        ShowOrHideBarsNow();
        if (!sizeAgain_) break;
    }
    inSize_ = false;
}

void CLumoraView::paintEvent(QPaintEvent *) {
    if (laidOutRatio_ != devicePixelRatioF()) {
        // Another screen, or another scale: the picture keeps its pixels, the bars change.
        QMetaObject::invokeMethod(
            this,
            [this] {
                OnSize();
                viewport()->update();
            },
            Qt::QueuedConnection);
    }
    if (m_image.IsNull()) return;
    QPainter painter(viewport());
    const QRectF target =
        Geometry().Target(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
    m_image.Draw(&painter, target);
}

void CLumoraView::resizeEvent(QResizeEvent *) { OnSize(); }

void CLumoraView::wheelEvent(QWheelEvent *event) {
    const QPoint delta = event->angleDelta();
    ScrollByWheel(verticalScrollBar(), delta.y(), wheelRemainderY_);
    ScrollByWheel(horizontalScrollBar(), delta.x(), wheelRemainderX_);
    event->accept();
}

void CLumoraView::keyPressEvent(QKeyEvent *event) { event->ignore(); }  // no keyboard commands

bool CLumoraView::event(QEvent *event) {
    if (event->type() == QEvent::ScreenChangeInternal) {
        OnSize();
        viewport()->update();
    }
    return QAbstractScrollArea::event(event);
}

bool CLumoraView::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::Leave) m_hWndTip->Hide();
    return QAbstractScrollArea::viewportEvent(event);
}

bool CLumoraView::eventFilter(QObject *watched, QEvent *event) {
    const bool bar = watched == horizontalScrollBar() || watched == verticalScrollBar();
    const bool link = watched == m_hWndPrevLink || watched == m_hWndNextLink;
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

void CLumoraView::ShowMessage(const QString &text) {
    prompter_.ShowMessage(this, {text, QString(), Buttons::Ok, Icon::None});
}

void CLumoraView::SetCaption(const QString &text) {
    // A lone "[*]" in a title is the modified mark; doubled it shows as written.
    QString shown = text;
    shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    window()->setWindowTitle(QStringLiteral("Lumora 1.00 - ") + shown);
}
