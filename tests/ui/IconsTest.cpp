// The drawn icons: drawn when shown, they give the pictures an icon holding every drawn size gives.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "ui/kit/Icons.h"

using namespace cinevaro;

namespace {

// The icon as it was made before: each picture drawn at its three sizes up front.
QIcon drawnAtEverySize(ui::IconId id)
{
    QIcon result;
    for (int size : {16, 24, 32})
        result.addPixmap(ui::iconPixmap(id, size));
    if (id == ui::IconId::Film)
        for (int size : {16, 24, 32})
            result.addPixmap(ui::iconPixmap(ui::IconId::FilmSelected, size), QIcon::Selected);
    return result;
}

QImage painted(const QIcon& icon, const QRect& rect, QIcon::Mode mode)
{
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    icon.paint(&p, rect, Qt::AlignCenter, mode);
    return image;
}

} // namespace

TEST(IconsTest, DrawnWhenShownTheyLookAsIconsDrawnAtEverySize)
{
    const QIcon::Mode modes[] = {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected};
    for (ui::IconId id : {ui::IconId::Film, ui::IconId::Print, ui::IconId::Support}) {
        const QIcon lazy = ui::icon(id);
        const QIcon eager = drawnAtEverySize(id);
        ASSERT_FALSE(lazy.isNull());
        for (QIcon::Mode mode : modes) {
            for (QIcon::State state : {QIcon::Off, QIcon::On}) {
                EXPECT_EQ(lazy.availableSizes(mode, state), eager.availableSizes(mode, state)) << int(id);
                for (const QSize size : {QSize(16, 16), QSize(20, 20), QSize(24, 24), QSize(30, 30), QSize(33, 33),
                                         QSize(48, 48), QSize(8, 8), QSize(16, 40), QSize(40, 12), QSize(25, 23)}) {
                    EXPECT_EQ(lazy.actualSize(size, mode, state), eager.actualSize(size, mode, state))
                        << int(id) << " " << size.width() << "x" << size.height();
                    EXPECT_EQ(lazy.pixmap(size, mode, state).toImage(), eager.pixmap(size, mode, state).toImage())
                        << int(id) << " mode " << int(mode) << " " << size.width() << "x" << size.height();
                }
            }
            for (const QRect rect :
                 {QRect(0, 0, 16, 16), QRect(4, 4, 24, 24), QRect(0, 0, 48, 48), QRect(2, 0, 30, 20)})
                EXPECT_EQ(painted(lazy, rect, mode), painted(eager, rect, mode)) << int(id) << " mode " << int(mode);
        }
    }
    // One icon per picture: the tree's nodes are told apart by it.
    EXPECT_EQ(ui::icon(ui::IconId::Film).cacheKey(), ui::icon(ui::IconId::Film).cacheKey());
    EXPECT_NE(ui::icon(ui::IconId::Film).cacheKey(), ui::icon(ui::IconId::FilmLent).cacheKey());
}
