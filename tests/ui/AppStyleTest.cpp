// The application's style and the splash picture drawn away from the main thread.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolButton>

#include <future>

#include <gtest/gtest.h>

#include "ui/TSplashForm.h"
#include "ui/kit/AppStyle.h"
#include "ui/kit/Banner.h"

using namespace cinevaro;

namespace {

// Pixels that are not transparent in the left and right halves of an icon's picture.
std::pair<int, int> inkHalves(const QImage& image)
{
    int left = 0, right = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                ++(x < image.width() / 2 ? left : right);
    return {left, right};
}

} // namespace

TEST(AppStyleTest, NarrowMenuBarOffersItsHiddenMenusBehindDrawnChevrons)
{
    // The widget tests run with the program's style, as the program does.
    ASSERT_NE(dynamic_cast<ui::AppStyle*>(QApplication::style()), nullptr);
    const QStyle& style = *QApplication::style();
    const QImage right = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16, 16).toImage();
    const QImage down = style.standardIcon(QStyle::SP_ToolBarVerticalExtensionButton).pixmap(16, 16).toImage();
    ASSERT_FALSE(right.isNull());
    ASSERT_FALSE(down.isNull());
    // Both chevrons are drawn, side by side for the bar, one above the other for a column.
    const auto [left, rightHalf] = inkHalves(right);
    EXPECT_GT(left, 10);
    EXPECT_GT(rightHalf, 10);
    EXPECT_NE(right, down);
    EXPECT_EQ(down, right.transformed(QTransform().rotate(90)));
    // Every other standard picture is the platform style's own.
    EXPECT_FALSE(style.standardIcon(QStyle::SP_DialogOkButton).isNull());
    // Each chevron is drawn once: the menu bar and the tool bar that ask later get the same icon.
    EXPECT_EQ(style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).cacheKey(),
              style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).cacheKey());

    QMainWindow window;
    for (const char* name : {"Fichier", "Edition", "Affichage", "Outils", "Fenêtres", "Aide"})
        window.menuBar()->addMenu(QString::fromUtf8(name));
    window.resize(80, 200);
    window.show();
    auto* more = window.menuBar()->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
    ASSERT_NE(more, nullptr);
    EXPECT_TRUE(more->isVisible());
    EXPECT_EQ(more->icon().pixmap(16, 16).toImage(), right);
}

TEST(AppStyleTest, SplashPictureDrawnOnAnotherThreadIsTheOneTheMainThreadDraws)
{
    auto drawn = std::async(std::launch::async, [] { return ui::bannerImage(400, 165); });
    const QImage elsewhere = drawn.get();
    const QImage here = ui::bannerImage(400, 165);
    ASSERT_EQ(elsewhere.size(), QSize(400, 165));
    EXPECT_EQ(elsewhere, here);

    ui::TSplashForm splash(elsewhere);
    auto* picture = splash.findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixmap().toImage().convertToFormat(here.format()), here);

    // The splash made without a picture shows the one start-up draws ahead, at its own size: not
    // scaled into the window.
    const QImage ahead = ui::TSplashForm::drawPicture();
    ui::TSplashForm plain;
    auto* shown = plain.findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->size(), ahead.size());
    EXPECT_EQ(shown->pixmap().toImage().convertToFormat(ahead.format()), ahead);
}
