#include "ui/kit/PictureBox.h"

#include <QPainter>

namespace cinevaro::ui {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
}

void PictureBox::setImage(const QImage& image)
{
    m_image = image;
    update();
}

QRect PictureBox::pictureRect() const
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return {};
    QSize size = m_image.size();
    QSize limit = rect().size().boundedTo(size * 2);
    size.scale(limit, Qt::KeepAspectRatio);
    return {(width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height()};
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(pictureRect(), m_image);
}

} // namespace cinevaro::ui
