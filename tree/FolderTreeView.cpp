#include "tree/FolderTreeView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include "tree/FolderTreeModel.h"

namespace {

constexpr int kIconSize = 16;

bool IsRightButtonOnly(const QMouseEvent *event) {
    return event->button() == Qt::RightButton ||
           (event->button() == Qt::NoButton && event->buttons() == Qt::RightButton);
}

// The tree's popup menu.
void AddTreePopupItems(QMenu &menu) {
    const std::pair<const char16_t *, Command> items[] = {{u"刷新", Command::RefreshTreeFolder},
                                                          {u"删除", Command::DeleteTreeFolder}};
    for (const auto &[text, command] : items)
        menu.addAction(QString::fromUtf16(text))->setData(static_cast<int>(command));
}

// The folder icons, and the marked node's half-tone highlight.
class FolderDelegate : public QStyledItemDelegate {
public:
    explicit FolderDelegate(FolderTreeView *tree) : QStyledItemDelegate(tree), tree_(tree) {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->icon = tree_->IconFor(index);
        option->features |= QStyleOptionViewItem::HasDecoration;
        if (index == tree_->markedIndex()) {
            QColor marked = option->palette.color(QPalette::Highlight);
            marked.setAlpha(96);
            option->backgroundBrush = marked;
        }
    }

private:
    FolderTreeView *tree_;
};

}  // namespace

FolderTreeView::FolderTreeView(QWidget *parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);  // thousands of folders lay out without measuring each
    setIconSize(QSize(kIconSize, kIconSize));
    setItemDelegate(new FolderDelegate(this));
    setAccessibleName(QStringLiteral("图片文件夹"));

    const QPixmap closed = style()->standardIcon(QStyle::SP_DirClosedIcon).pixmap(kIconSize);
    const QPixmap open = style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(kIconSize);
    closedIcon_.addPixmap(closed, QIcon::Normal);
    closedIcon_.addPixmap(closed, QIcon::Selected);
    folderIcon_.addPixmap(closed, QIcon::Normal);
    folderIcon_.addPixmap(open, QIcon::Selected);

    runPopup_ = [](QMenu &menu, const QPoint &at) { return menu.exec(at); };
}

void FolderTreeView::SetFolderModel(FolderTreeModel *model) {
    setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this,
            [this, model] { expand(model->index(0, 0)); });
    expand(model->index(0, 0));
}

const QIcon &FolderTreeView::IconFor(const QModelIndex &index) const {
    return index.data(FolderTreeModel::TextOnlyRole).toBool() ? closedIcon_ : folderIcon_;
}

bool FolderTreeView::IsOnLabel(const QModelIndex &index, const QPoint &viewportPos) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.index = index;
    option.text = index.data().toString();
    option.icon = IconFor(index);
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    QRect label = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    // The label is the text's own extent, not the rest of the row.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    label.setWidth(
        std::min(label.width(), fontMetrics().horizontalAdvance(option.text) + 2 * margin));
    return label.contains(viewportPos);
}

void FolderTreeView::OfferPopupMenu(const QPoint &globalPos) {
    const QPoint at = viewport()->mapFromGlobal(globalPos);
    const QModelIndex index = indexAt(at);
    if (!index.isValid() || !IsOnLabel(index, at)) return;
    const QString folder = index.data(FolderTreeModel::PathRole).toString();
    marked_ = index;
    viewport()->update();

    QMenu menu(this);
    AddTreePopupItems(menu);
    QAction *chosen = runPopup_ ? runPopup_(menu, globalPos) : nullptr;
    if (chosen) emit popupCommandChosen(static_cast<Command>(chosen->data().toInt()), folder);
    marked_ = QPersistentModelIndex();
    viewport()->update();
}

void FolderTreeView::contextMenuEvent(QContextMenuEvent *event) {
    if (event->reason() == QContextMenuEvent::Mouse) OfferPopupMenu(event->globalPos());
    event->accept();
}

bool FolderTreeView::viewportEvent(QEvent *event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (IsRightButtonOnly(static_cast<QMouseEvent *>(event))) {
                event->accept();
                return true;
            }
            break;
        default:
            break;
    }
    return QTreeView::viewportEvent(event);
}
