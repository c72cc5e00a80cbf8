#include "ui/kit/Banner.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace cinevaro::ui {

QPixmap bannerPixmap(int width, int height)
{
    return QPixmap::fromImage(bannerImage(width, height));
}

QImage bannerImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, height);
    bg.setColorAt(0, QColor(20, 30, 70));
    bg.setColorAt(1, QColor(60, 90, 160));
    p.fillRect(image.rect(), bg);
    // A diagonal strip of film across the picture.
    p.save();
    p.translate(width * 0.62, height * 0.5);
    p.rotate(-14);
    const double stripH = height * 0.42;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(15, 15, 20, 230));
    p.drawRect(QRectF(-width, -stripH / 2, width * 2, stripH));
    p.setBrush(QColor(230, 230, 230));
    for (double x = -width; x < width; x += 14) {
        p.drawRect(QRectF(x, -stripH / 2 + 4, 7, 6));
        p.drawRect(QRectF(x, stripH / 2 - 10, 7, 6));
    }
    const QColor frames[] = {QColor(240, 170, 30), QColor(70, 120, 200), QColor(200, 70, 70), QColor(60, 160, 90)};
    int i = 0;
    for (double x = -width * 0.5; x < width; x += stripH * 1.1, ++i) {
        QLinearGradient g(0, -stripH / 2, 0, stripH / 2);
        g.setColorAt(0, frames[i % 4].lighter(150));
        g.setColorAt(1, frames[i % 4]);
        p.setBrush(g);
        p.drawRect(QRectF(x, -stripH / 2 + 14, stripH * 0.95, stripH - 28));
    }
    p.restore();
    // Title.
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(std::max(14, height / 4));
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(QRect(14, 10, width, height / 3), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Cinevaro"));
    p.setPen(Qt::white);
    p.drawText(QRect(12, 8, width, height / 3), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Cinevaro"));
    return image;
}

} // namespace cinevaro::ui
