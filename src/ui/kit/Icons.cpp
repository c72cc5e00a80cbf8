#include "ui/kit/Icons.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStyle>
#include <QStyleOption>

#include <cmath>
#include <iterator>
#include <map>
#include <mutex>
#include <utility>

namespace cinevaro::ui {

namespace {

const QColor kFilm(45, 45, 52);

// Strip of film with sprocket holes and a coloured picture in the middle (32 x 32 canvas).
void drawFilmStrip(QPainter& p, const QColor& picture)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kFilm);
    p.drawRoundedRect(QRectF(5, 2, 22, 28), 2, 2);
    p.setBrush(QColor(235, 235, 235));
    for (int i = 0; i < 6; ++i) {
        p.drawRect(QRectF(7, 4 + i * 4.4, 2.5, 2.5));
        p.drawRect(QRectF(22.5, 4 + i * 4.4, 2.5, 2.5));
    }
    QLinearGradient g(0, 5, 0, 27);
    g.setColorAt(0, picture.lighter(140));
    g.setColorAt(1, picture);
    p.setBrush(g);
    p.drawRect(QRectF(11, 5, 10, 9.5));
    p.drawRect(QRectF(11, 17, 10, 9.5));
}

void drawDisc(QPainter& p)
{
    QRadialGradient g(QPointF(13, 12), 16);
    g.setColorAt(0, QColor(250, 250, 255));
    g.setColorAt(0.5, QColor(190, 205, 230));
    g.setColorAt(1, QColor(120, 140, 185));
    p.setPen(QPen(QColor(80, 95, 130), 1.2));
    p.setBrush(g);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QRectF(12, 12, 8, 8));
    p.setPen(QPen(QColor(255, 255, 255, 170), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 6, 20, 20), 30 * 16, 60 * 16);
}

void drawClapper(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kFilm);
    p.drawRect(QRectF(3, 13, 26, 16));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(6, 17, 20, 2));
    p.drawRect(QRectF(6, 22, 14, 2));
    // Hinged top with stripes.
    p.save();
    p.translate(3, 12);
    p.rotate(-18);
    p.setBrush(kFilm);
    p.drawRect(QRectF(0, -6, 27, 6));
    p.setBrush(QColor(255, 255, 255));
    for (int i = 0; i < 4; ++i) {
        QPolygonF stripe;
        stripe << QPointF(3 + i * 6.5, -6) << QPointF(6.5 + i * 6.5, -6) << QPointF(4 + i * 6.5, 0)
               << QPointF(0.5 + i * 6.5, 0);
        p.drawPolygon(stripe);
    }
    p.restore();
}

void drawArrow(QPainter& p, const QColor& colour)
{
    QPainterPath arrow;
    arrow.moveTo(14, 20);
    arrow.lineTo(22, 20);
    arrow.lineTo(22, 16);
    arrow.lineTo(31, 24);
    arrow.lineTo(22, 32);
    arrow.lineTo(22, 28);
    arrow.lineTo(14, 28);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(colour);
    p.drawPath(arrow);
}

void drawPage(QPainter& p)
{
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(19, 3);
    page.lineTo(25, 9);
    page.lineTo(25, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 100, 120), 1.2));
    p.setBrush(QColor(252, 252, 255));
    p.drawPath(page);
    p.drawLine(QPointF(19, 3), QPointF(19, 9));
    p.drawLine(QPointF(19, 9), QPointF(25, 9));
}

void drawPlus(QPainter& p, QPointF c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 150, 60));
    p.drawEllipse(c, 7, 7);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(c.x() - 4, c.y() - 1.2, 8, 2.4));
    p.drawRect(QRectF(c.x() - 1.2, c.y() - 4, 2.4, 8));
}

void drawPencil(QPainter& p)
{
    p.save();
    p.translate(16, 16);
    p.rotate(45);
    p.setPen(QPen(QColor(80, 60, 20), 1));
    p.setBrush(QColor(245, 190, 60));
    p.drawRect(QRectF(-3.5, -13, 7, 19));
    p.setBrush(QColor(240, 140, 140));
    p.drawRect(QRectF(-3.5, -15, 7, 3));
    QPolygonF tip;
    tip << QPointF(-3.5, 6) << QPointF(3.5, 6) << QPointF(0, 13);
    p.setBrush(QColor(240, 220, 180));
    p.drawPolygon(tip);
    p.restore();
}

void drawGear(QPainter& p)
{
    QPainterPath gear;
    const QPointF c(16, 16);
    for (int i = 0; i < 16; ++i) {
        double a = i * M_PI / 8;
        double r = (i % 2 == 0) ? 14 : 10.5;
        QPointF pt(c.x() + r * std::cos(a - 0.12), c.y() + r * std::sin(a - 0.12));
        QPointF pt2(c.x() + r * std::cos(a + 0.12), c.y() + r * std::sin(a + 0.12));
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
        gear.lineTo(pt2);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 4.5, 4.5);
    p.setPen(QPen(QColor(60, 70, 90), 1));
    p.setBrush(QColor(150, 160, 180));
    p.drawPath(gear);
}

void paint(QPainter& p, IconId id)
{
    switch (id) {
    case IconId::Root:
    case IconId::Application:
        drawClapper(p);
        break;
    case IconId::Support:
        drawDisc(p);
        break;
    case IconId::Film:
        drawFilmStrip(p, QColor(70, 120, 200));
        break;
    case IconId::FilmSelected:
        drawFilmStrip(p, QColor(240, 170, 30));
        break;
    case IconId::FilmLent:
        drawFilmStrip(p, QColor(150, 150, 160));
        drawArrow(p, QColor(210, 40, 40));
        break;
    case IconId::NewCatalogue:
        drawPage(p);
        drawPlus(p, {22, 22});
        break;
    case IconId::OpenCatalogue: {
        p.setPen(QPen(QColor(150, 110, 20), 1.2));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(3, 8, 24, 19));
        p.drawRect(QRectF(3, 5, 10, 4));
        QPolygonF front;
        front << QPointF(7, 13) << QPointF(30, 13) << QPointF(26, 27) << QPointF(3, 27);
        p.setBrush(QColor(252, 222, 120));
        p.drawPolygon(front);
        break;
    }
    case IconId::Print:
        p.setPen(QPen(QColor(70, 70, 80), 1.2));
        p.setBrush(QColor(252, 252, 255));
        p.drawRect(QRectF(9, 3, 14, 10));
        p.setBrush(QColor(160, 165, 180));
        p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
        p.setBrush(QColor(252, 252, 255));
        p.drawRect(QRectF(9, 19, 14, 10));
        p.setBrush(QColor(60, 200, 80));
        p.drawEllipse(QPointF(25, 15.5), 1.3, 1.3);
        break;
    case IconId::AddAuto: {
        QRadialGradient g(QPointF(12, 11), 16);
        g.setColorAt(0, QColor(150, 200, 255));
        g.setColorAt(1, QColor(30, 90, 190));
        p.setPen(QPen(QColor(20, 60, 140), 1.2));
        p.setBrush(g);
        p.drawEllipse(QRectF(2, 2, 24, 24));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 180), 1));
        p.drawEllipse(QRectF(8, 2, 12, 24));
        p.drawLine(QPointF(2, 14), QPointF(26, 14));
        drawPlus(p, {24, 24});
        break;
    }
    case IconId::AddManual:
        drawPage(p);
        drawPencil(p);
        drawPlus(p, {24, 24});
        break;
    case IconId::Edit:
        drawPage(p);
        drawPencil(p);
        break;
    case IconId::Delete:
        p.setPen(QPen(QColor(200, 30, 30), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(24, 24));
        p.drawLine(QPointF(24, 8), QPointF(8, 24));
        break;
    case IconId::Search:
        p.setPen(QPen(QColor(70, 70, 80), 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 19), QPointF(28, 28));
        p.setPen(QPen(QColor(70, 70, 80), 2.2));
        p.setBrush(QColor(200, 230, 255, 200));
        p.drawEllipse(QPointF(13, 13), 9, 9);
        break;
    case IconId::Refresh: {
        p.setPen(QPen(QColor(30, 130, 60), 3.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6, 6, 20, 20), 100 * 16, 250 * 16);
        QPolygonF head;
        head << QPointF(15, 1) << QPointF(22, 6) << QPointF(15, 11);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 130, 60));
        p.drawPolygon(head);
        break;
    }
    case IconId::Configuration:
        drawGear(p);
        break;
    case IconId::Preview:
        drawPage(p);
        p.setPen(QPen(QColor(70, 70, 80), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(20, 20), QPointF(28, 28));
        p.setPen(QPen(QColor(70, 70, 80), 2));
        p.setBrush(QColor(200, 230, 255, 200));
        p.drawEllipse(QPointF(15, 15), 6.5, 6.5);
        break;
    case IconId::SaveFile:
        // A diskette: body, shutter and label.
        p.setPen(QPen(QColor(30, 45, 90), 1.2));
        p.setBrush(QColor(60, 90, 160));
        p.drawRoundedRect(QRectF(3, 3, 26, 26), 2, 2);
        p.setBrush(QColor(200, 205, 215));
        p.drawRect(QRectF(9, 3, 13, 9));
        p.setBrush(QColor(60, 90, 160));
        p.drawRect(QRectF(17, 5, 3, 5));
        p.setBrush(QColor(250, 250, 252));
        p.drawRect(QRectF(7, 16, 18, 11));
        break;
    }
}

} // namespace

QPixmap iconPixmap(IconId id, int size)
{
    return QPixmap::fromImage(iconImage(id, size));
}

QImage iconImage(IconId id, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    paint(p, id);
    return image;
}

namespace {

// Pictures drawn ahead by drawFirstIconsAhead, each taken once by the icon that shows it.
struct AheadPictures
{
    std::mutex mutex;
    std::map<std::pair<IconId, int>, QImage> pictures;
};

AheadPictures& aheadPictures()
{
    static AheadPictures ahead;
    return ahead;
}

// The picture of `id` at `size` drawn ahead, or a null pixmap.
QPixmap takeAheadPicture(IconId id, int size)
{
    AheadPictures& ahead = aheadPictures();
    const std::lock_guard lock(ahead.mutex);
    const auto it = ahead.pictures.find({id, size});
    if (it == ahead.pictures.end())
        return {};
    QPixmap pixmap = QPixmap::fromImage(std::move(it->second));
    ahead.pictures.erase(it);
    return pixmap;
}

} // namespace

void drawFirstIconsAhead()
{
    // The tool bar shows its icons at 24 pixels, the tree at 16.
    const std::pair<IconId, int> first[] = {
        {IconId::NewCatalogue, 24}, {IconId::OpenCatalogue, 24}, {IconId::Print, 24},        {IconId::AddAuto, 24},
        {IconId::AddManual, 24},    {IconId::Edit, 24},          {IconId::Delete, 24},       {IconId::Search, 24},
        {IconId::Refresh, 24},      {IconId::Configuration, 24}, {IconId::Root, 16},         {IconId::Support, 16},
        {IconId::Film, 16},         {IconId::FilmLent, 16},      {IconId::FilmSelected, 16},
    };
    for (const auto& [id, size] : first) {
        QImage image = iconImage(id, size);
        AheadPictures& ahead = aheadPictures();
        const std::lock_guard lock(ahead.mutex);
        ahead.pictures.emplace(std::pair{id, size}, std::move(image));
    }
}

namespace {

// The sizes each picture is drawn at; a request in between takes the next larger one, reduced.
constexpr int kIconSizes[] = {16, 24, 32};

// An icon drawn at the size asked when it is first shown, rather than at every size when made:
// the main window's commands then cost nothing until they are painted. It gives the
// pictures an icon holding the three drawn sizes would give: the size chosen for a request, the
// reduction, and the disabled or selected looks the style makes (the film has its own selected
// picture).
class PaintedIconEngine final : public QIconEngine
{
public:
    explicit PaintedIconEngine(IconId id) : m_id(id) {}

    QIconEngine* clone() const override { return new PaintedIconEngine(m_id); }
    QString key() const override { return QStringLiteral("PaintedIconEngine"); }
    bool isNull() override { return false; }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        QList<QSize> sizes;
        if (state == QIcon::Off && (mode == QIcon::Normal || (mode == QIcon::Selected && hasSelectedPicture())))
            for (int side : kIconSizes)
                sizes << QSize(side, side);
        return sizes;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = drawnSide(size);
        QSize actual(side, side);
        if (side > size.width() || side > size.height())
            actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        Q_UNUSED(state);
        const QSize actual = actualSize(size, mode, QIcon::Off);
        const bool ownPicture = mode == QIcon::Selected && hasSelectedPicture();
        const int side = drawnSide(size);
        const QString key = QString::number(side) + QLatin1Char('/') + QString::number(actual.width()) +
                            QLatin1Char('x') + QString::number(actual.height()) + QLatin1Char('/') +
                            QString::number(int(mode)) + QLatin1Char('/') +
                            QString::number(QGuiApplication::palette().cacheKey());
        if (const auto it = m_cache.constFind(key); it != m_cache.constEnd())
            return *it;
        const IconId picture = ownPicture ? IconId::FilmSelected : m_id;
        QPixmap pm = takeAheadPicture(picture, side);
        if (pm.isNull())
            pm = iconPixmap(picture, side);
        if (pm.size() != actual)
            pm = pm.scaled(actual, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal && !ownPicture) {
            QStyleOption option(0);
            option.palette = QGuiApplication::palette();
            if (const QPixmap generated = QApplication::style()->generatedIconPixmap(mode, pm, &option);
                !generated.isNull())
                pm = generated;
        }
        m_cache.insert(key, pm);
        return pm;
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override
    {
        return pixmap(size, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : qApp->devicePixelRatio();
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }

private:
    bool hasSelectedPicture() const { return m_id == IconId::Film; }

    // The smallest drawn size whose area covers the request's, else the largest.
    static int drawnSide(const QSize& size)
    {
        const qint64 area = qint64(size.width()) * size.height();
        for (int side : kIconSizes)
            if (qint64(side) * side >= area)
                return side;
        return kIconSizes[std::size(kIconSizes) - 1];
    }

    const IconId m_id;
    QHash<QString, QPixmap> m_cache;
};

} // namespace

QIcon icon(IconId id)
{
    static QHash<int, QIcon> cache;
    auto it = cache.find(static_cast<int>(id));
    if (it != cache.end())
        return *it;
    const QIcon result(new PaintedIconEngine(id));
    cache.insert(static_cast<int>(id), result);
    return result;
}

} // namespace cinevaro::ui
