// The pictures drawn at run time: the tool bar icons and the banner of the splash and about windows,
// read back pixel by pixel.
#include "ui/kit/Icons.h"

#include <QImage>

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

using namespace cinevaro::ui;

namespace {

QImage drawn(IconId id)
{
    return iconPixmap(id, 32).toImage().convertToFormat(QImage::Format_ARGB32);
}

bool isGreen(QRgb pixel)
{
    return qAlpha(pixel) > 200 && qGreen(pixel) > qRed(pixel) + 50 && qGreen(pixel) > qBlue(pixel) + 50;
}

// The columns of one row that something is drawn on.
std::vector<int> inkedColumns(const QImage& image, int y)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if (qAlpha(image.pixel(x, y)) > 60)
            columns.push_back(x);
    return columns;
}

} // namespace

// "Ajout Manuel" shows the page and pencil of "Modifier" with a green plus in its lower right
// corner: the same picture everywhere but in the plus's disc, and the plus really there.
TEST(Icons, ManualAddIsTheEditPictureWithAPlusInItsCorner)
{
    const QImage add = drawn(IconId::AddManual);
    const QImage edit = drawn(IconId::Edit);
    int differing = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (std::hypot(x + 0.5 - 24, y + 0.5 - 24) > 8.5 && add.pixel(x, y) != edit.pixel(x, y))
                ++differing;
    EXPECT_EQ(differing, 0);
    // Inside the disc, off the white cross: green.
    EXPECT_TRUE(isGreen(add.pixel(20, 20)));
    EXPECT_TRUE(isGreen(add.pixel(28, 28)));
    EXPECT_FALSE(isGreen(edit.pixel(20, 20)));
}

// The printer icon: the sheet going in above the printer and the printed sheet below it are the
// same sheet, one right above the other.
TEST(Icons, PrinterSheetsInAndOutLineUp)
{
    const QImage print = drawn(IconId::Print);
    const std::vector<int> fedIn = inkedColumns(print, 6);
    const std::vector<int> printed = inkedColumns(print, 27);
    ASSERT_GE(fedIn.size(), 12u);
    EXPECT_EQ(fedIn, printed);
    // Centred on the printer, which spans the icon from 3 to 29.
    EXPECT_EQ(fedIn.front() + fedIn.back(), 31);
}

// The film frames across the banner are shaded, light at the top to their full colour at the
// bottom. The green frame is the only green in the picture.
TEST(Icons, BannerFramesAreShadedLightAtTheTop)
{
    const QImage banner = bannerPixmap(400, 165).toImage().convertToFormat(QImage::Format_ARGB32);
    struct Pixel
    {
        int y;
        int brightness;
    };
    std::vector<Pixel> green;
    for (int y = 0; y < banner.height(); ++y)
        for (int x = 0; x < banner.width(); ++x)
            if (const QRgb p = banner.pixel(x, y); isGreen(p))
                green.push_back({y, qRed(p) + qGreen(p) + qBlue(p)});
    ASSERT_GT(green.size(), 500u);
    const int top = green.front().y;
    const int height = green.back().y - top;
    long upper = 0, lower = 0, upperCount = 0, lowerCount = 0;
    for (const Pixel& p : green) {
        if (p.y < top + height / 3) {
            upper += p.brightness;
            ++upperCount;
        } else if (p.y > top + 2 * height / 3) {
            lower += p.brightness;
            ++lowerCount;
        }
    }
    ASSERT_GT(upperCount, 0);
    ASSERT_GT(lowerCount, 0);
    EXPECT_GT(upper / upperCount, lower / lowerCount + 40);
}
