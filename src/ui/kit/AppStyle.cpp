#include "ui/kit/AppStyle.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace cinevaro::ui {

namespace {

// Two chevrons side by side pointing right (or down), in the text colour, on a square of `size`.
QPixmap chevrons(int size, bool down, const QColor& colour)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    if (down) {
        p.translate(16, 0);
        p.rotate(90);
    }
    QPen pen(colour, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    for (double x : {4.0, 8.5}) {
        QPainterPath path;
        path.moveTo(x, 4.5);
        path.lineTo(x + 3.5, 8);
        path.lineTo(x, 11.5);
        p.drawPath(path);
    }
    return pixmap;
}

QIcon extensionIcon(bool down)
{
    // The menu bar and the tool bar each ask when made: the icon is drawn once per direction and
    // colour.
    static QHash<QString, QIcon> made;
    const QColor colour = QApplication::palette().color(QPalette::WindowText);
    const QString key = colour.name(QColor::HexArgb) + (down ? QLatin1Char('v') : QLatin1Char('>'));
    if (const auto it = made.constFind(key); it != made.constEnd())
        return *it;
    QIcon icon;
    for (int size : {16, 32})
        icon.addPixmap(chevrons(size, down, colour));
    made.insert(key, icon);
    return icon;
}

} // namespace

QIcon AppStyle::standardIcon(StandardPixmap id, const QStyleOption* option, const QWidget* widget) const
{
    if (id == SP_ToolBarHorizontalExtensionButton || id == SP_ToolBarVerticalExtensionButton)
        return extensionIcon(id == SP_ToolBarVerticalExtensionButton);
    return QProxyStyle::standardIcon(id, option, widget);
}

void installAppStyle()
{
    QApplication::setStyle(new AppStyle);
}

} // namespace cinevaro::ui
