#include "PictureArt.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <functional>

namespace {

constexpr int kJpegQuality = 85;

}  // namespace

QByteArray DrawDemoPicture(const std::string &title, int number, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    const int hue = static_cast<int>(std::hash<std::string>{}(title) % 360);
    QLinearGradient background(0, 0, width, height);
    background.setColorAt(0, QColor::fromHsv(hue, 140, 230));
    background.setColorAt(1, QColor::fromHsv((hue + 40 + number * 23) % 360, 200, 120));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(picture.rect(), background);
    painter.setPen(QPen(QColor(255, 255, 255, 90), 6));
    painter.drawEllipse(QPoint(width * 2 / 3, height / 3), width / 4, width / 4);

    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(std::max(12, height / 10));
    painter.setFont(font);
    const QRect upper(0, 0, width, height / 2);
    const QRect lower(0, height / 2, width, height / 2);
    painter.drawText(upper, Qt::AlignCenter, QString::fromStdString(title));
    font.setPixelSize(std::max(10, height / 16));
    painter.setFont(font);
    painter.drawText(lower, Qt::AlignCenter,
                     QStringLiteral("%1\n%2 × %3").arg(number).arg(width).arg(height));
    painter.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", kJpegQuality);
    return bytes;
}
