#include "resources/FrameResources.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "resources/DrawnIcon.h"

const std::vector<MenuPopupResource> &FrameMenuResource() {
    static const std::vector<MenuPopupResource> menu = {
        {QStringLiteral("文件"),
         {{QString(), Command::None}, {QStringLiteral("关闭"), Command::Exit}}},
        {QStringLiteral("编辑"),
         {{QStringLiteral("删除图片"), Command::DeletePicture},
          {QStringLiteral("删除文件夹"), Command::DeleteFolder}}},
        {QStringLiteral("视图"),
         {{QStringLiteral("目录树"), Command::ToggleTreePane},
          {QString(), Command::None},
          {QStringLiteral("适合窗口"), Command::FitToWindow},
          {QStringLiteral("放大"), Command::ZoomIn},
          {QStringLiteral("缩小"), Command::ZoomOut},
          {QStringLiteral("实际大小"), Command::ActualSize},
          {QString(), Command::None},
          {QStringLiteral("全屏"), Command::FullScreen}}},
        {QStringLiteral("操作"), {{QStringLiteral("下载"), Command::Download}}},
        {QStringLiteral("设置"),
         {{QStringLiteral("下载文件夹..."), Command::ChooseDownloadFolder},
          {QStringLiteral("显示气泡提示"), Command::ToggleTips}}},
        {QStringLiteral("帮助"),
         {{QStringLiteral("帮助"), Command::Help},
          {QStringLiteral("检查新版本"), Command::CheckVersion},
          {QStringLiteral("关于..."), Command::About}}},
    };
    return menu;
}

const std::array<Command, 4> &ToolbarCommands() {
    static const std::array<Command, 4> commands = {Command::Download, Command::DeletePicture,
                                                    Command::DeleteFolder, Command::About};
    return commands;
}

QString CommandPrompt(Command command) {
    switch (command) {
        case Command::DeletePicture:
            return QStringLiteral("删除图片");
        case Command::DeleteFolder:
            return QStringLiteral("删除文件夹");
        case Command::Download:
            return QStringLiteral("下载");
        case Command::About:
            return QStringLiteral("关于");
        default:
            return QString();
    }
}

CommandKeys CommandShortcuts(Command command) {
    switch (command) {
        case Command::DeletePicture:
            return {{QKeySequence(Qt::Key_Delete)}, true};
        case Command::FitToWindow:
            return {{QKeySequence(Qt::Key_F)}, true};
        case Command::ZoomIn:
            return {
                {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}};
        case Command::ZoomOut:
            return {{QKeySequence(Qt::CTRL | Qt::Key_Minus)}};
        case Command::ActualSize:
            return {{QKeySequence(Qt::CTRL | Qt::Key_0)}};
        case Command::FullScreen:
            return {{QKeySequence(Qt::Key_F11)}};
        default:
            return {};
    }
}

const std::vector<QKeyCombination> &SwallowedAcceleratorKeys() {
    static const std::vector<QKeyCombination> keys = {
        Qt::CTRL | Qt::Key_N,        Qt::CTRL | Qt::Key_O,      Qt::CTRL | Qt::Key_S,
        Qt::CTRL | Qt::Key_P,        Qt::CTRL | Qt::Key_Z,      Qt::CTRL | Qt::Key_X,
        Qt::CTRL | Qt::Key_C,        Qt::CTRL | Qt::Key_V,      Qt::ALT | Qt::Key_Backspace,
        Qt::SHIFT | Qt::Key_Delete,  Qt::CTRL | Qt::Key_Insert, Qt::SHIFT | Qt::Key_Insert,
        QKeyCombination(Qt::Key_F6), Qt::SHIFT | Qt::Key_F6,
    };
    return keys;
}

namespace {

const QColor kInk(40, 70, 120);
const QColor kAccent(220, 60, 50);

void DrawDownload(QPainter &p) {  // an arrow down onto a tray
    p.setBrush(QColor(60, 150, 70));
    p.setPen(Qt::NoPen);
    p.drawRect(15, 8, 9, 16);
    p.drawPolygon(QPolygon({{8, 24}, {31, 24}, {19, 37}}));
    p.setPen(QPen(kInk, 3));
    p.drawPolyline(QPolygon({{6, 36}, {6, 43}, {33, 43}, {33, 36}}));
}

void DrawPicture(QPainter &p, QRect frame) {  // a small landscape photo
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(200, 225, 250));
    p.drawRect(frame);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 140, 70));
    p.drawPolygon(QPolygon({{frame.left() + 1, frame.bottom()},
                            {frame.left() + frame.width() / 3, frame.top() + frame.height() / 2},
                            {frame.left() + frame.width() * 2 / 3, frame.bottom()}}));
    p.setBrush(QColor(250, 200, 40));
    p.drawEllipse(QPoint(frame.right() - 6, frame.top() + 6), 3, 3);
}

void DrawFolder(QPainter &p) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(245, 200, 90));
    p.drawPolygon(QPolygon({{5, 14}, {15, 14}, {18, 18}, {34, 18}, {34, 38}, {5, 38}}));
}

void DrawCross(QPainter &p) {
    p.setPen(QPen(kAccent, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(22, 30, 34, 42);
    p.drawLine(34, 30, 22, 42);
}

void DrawAbout(QPainter &p) {  // an "i" in a circle
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(90, 150, 220));
    p.drawEllipse(QPoint(19, 25), 14, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(19, 17), 2, 2);
    p.drawRect(17, 22, 5, 11);
}

}  // namespace

namespace {

void DrawToolbarImage(QPainter &p, int buttonIndex) {
    switch (buttonIndex) {
        case 0:
            DrawDownload(p);
            break;
        case 1:
            DrawPicture(p, QRect(4, 10, 28, 22));
            DrawCross(p);
            break;
        case 2:
            DrawFolder(p);
            DrawCross(p);
            break;
        default:
            DrawAbout(p);
            break;
    }
}

void DrawFrameIcon(QPainter &p) { DrawPicture(p, QRect(2, 5, 28, 22)); }

}  // namespace

QIcon ToolbarIcon(int buttonIndex) {
    return DrawnIcon(QSize(kToolbarImageWidth, kToolbarImageHeight),
                     [buttonIndex](QPainter &p) { DrawToolbarImage(p, buttonIndex); });
}

QImage FrameIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    DrawFrameIcon(p);
    return image;
}

QIcon FrameIcon() {
    return DrawnIcon(QSize(32, 32), DrawFrameIcon,
                     {QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(64, 64), QSize(128, 128)});
}
