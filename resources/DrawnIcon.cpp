#include "resources/DrawnIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

namespace {

class DrawnIconEngine : public QIconEngine {
public:
    DrawnIconEngine(QSize designSize, std::function<void(QPainter &)> draw, QList<QSize> sizes)
        : designSize_(designSize), draw_(std::move(draw)), sizes_(std::move(sizes)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
               QIcon::State state) override {
        if (mode == QIcon::Disabled) {  // the style's greyed form of the drawing
            painter->drawPixmap(
                rect, pixmap(rect.size() * painter->device()->devicePixelRatioF(), mode, state));
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(qreal(rect.width()) / designSize_.width(),
                       qreal(rect.height()) / designSize_.height());
        draw_(*painter);
        painter->restore();
    }

    // `size` counts device pixels: QIcon asks for the shown size times the pixel ratio.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            paint(&painter, QRect(QPoint(), size), QIcon::Normal, state);
        }
        QPixmap drawn = QPixmap::fromImage(image);
        if (mode != QIcon::Normal && qApp) {
            QStyleOption option;
            option.palette = QApplication::palette();
            drawn = QApplication::style()->generatedIconPixmap(mode, drawn, &option);
        }
        return drawn;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override {
        return designSize_.scaled(size, Qt::KeepAspectRatio);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return sizes_; }
    QIconEngine *clone() const override { return new DrawnIconEngine(*this); }
    QString key() const override { return QStringLiteral("DrawnIconEngine"); }

private:
    QSize designSize_;
    std::function<void(QPainter &)> draw_;
    QList<QSize> sizes_;
};

}  // namespace

QIcon DrawnIcon(QSize designSize, std::function<void(QPainter &)> draw, QList<QSize> sizes) {
    return QIcon(new DrawnIconEngine(designSize, std::move(draw), std::move(sizes)));
}
