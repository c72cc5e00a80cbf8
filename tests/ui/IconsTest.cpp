// The pictures drawn at run time: the tool bar icons, the banner of the splash and about windows and
// the search window's logo, read back pixel by pixel and against recorded pictures; and the icons
// drawn when shown, which give the pictures an icon holding every drawn size gives.
#include "ui/kit/Icons.h"
#include "ui/kit/Banner.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdlib>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "ui/kit/AppStyle.h"
#include "ui/weblookup/TfrmRecherche.h"

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

// The icon as it was made before: each picture drawn at its three sizes up front.
QIcon drawnAtEverySize(IconId id)
{
    QIcon result;
    for (int size : {16, 24, 32})
        result.addPixmap(iconPixmap(id, size));
    if (id == IconId::Film)
        for (int size : {16, 24, 32})
            result.addPixmap(iconPixmap(IconId::FilmSelected, size), QIcon::Selected);
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

// The automatic-add icon: a globe whose light equator runs across its middle, halfway between the
// top and the bottom of its outline.
TEST(Icons, AutomaticAddGlobeHasItsEquatorAcrossItsMiddle)
{
    const QImage globe = drawn(IconId::AddAuto);
    const int middleColumn = 14; // clear of the plus in the lower right corner
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < globe.height(); ++y)
        if (qAlpha(globe.pixel(middleColumn, y)) > 60) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    ASSERT_GT(bottom - top, 16);
    // A light line stands out from the shading of the rows two above and two below it.
    auto light = [&](int y) {
        int sum = 0;
        for (int x = 10; x <= 18; ++x)
            sum += qRed(globe.pixel(x, y)) + qGreen(globe.pixel(x, y)) + qBlue(globe.pixel(x, y));
        return sum;
    };
    double weight = 0;
    double rows = 0;
    for (int y = top + 4; y <= bottom - 4; ++y) {
        const double excess = light(y) - (light(y - 2) + light(y + 2)) / 2.0;
        if (excess > 0) {
            weight += excess;
            rows += excess * y;
        }
    }
    ASSERT_GT(weight, 0);
    EXPECT_NEAR(rows / weight, (top + bottom) / 2.0, 0.25);
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

TEST(IconsTest, DrawnWhenShownTheyLookAsIconsDrawnAtEverySize)
{
    const QIcon::Mode modes[] = {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected};
    for (IconId id : {IconId::Film, IconId::Print, IconId::Support}) {
        const QIcon lazy = icon(id);
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
    EXPECT_EQ(icon(IconId::Film).cacheKey(), icon(IconId::Film).cacheKey());
    EXPECT_NE(icon(IconId::Film).cacheKey(), icon(IconId::FilmLent).cacheKey());
}

namespace {

constexpr IconId kAllIcons[] = {
    IconId::Root,         IconId::Support,       IconId::Film,     IconId::FilmSelected, IconId::FilmLent,
    IconId::NewCatalogue, IconId::OpenCatalogue, IconId::Print,    IconId::AddAuto,      IconId::AddManual,
    IconId::Edit,         IconId::Delete,        IconId::Search,   IconId::Refresh,      IconId::Configuration,
    IconId::Application,  IconId::Preview,       IconId::SaveFile,
};

// Every icon at one size, side by side, as straight (not premultiplied) colours: what a picture
// file holds exactly.
QImage iconStrip(int size)
{
    QImage strip(size * int(std::size(kAllIcons)), size, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (std::size_t i = 0; i < std::size(kAllIcons); ++i)
        p.drawPixmap(int(i) * size, 0, iconPixmap(kAllIcons[i], size));
    p.end();
    return strip.convertToFormat(QImage::Format_ARGB32);
}

// The first pixel where the two pictures differ, or "" when none. The drawing
// gives the same pixels whatever the processor's vector instructions (checked with Qt's
// QT_NO_CPU_FEATURE), so the comparison is exact.
std::string firstDifference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return "sizes differ";
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return "";
}

// Compares `picture` with the recorded file `name` under tests/data/pictures; with
// CINEVARO_RECORD_PICTURES set, records it instead (after a deliberate change of a drawing).
void expectAsRecorded(const QImage& picture, const std::string& name)
{
    const QString path = QString::fromStdString(cinevaro::testing::dataFile("pictures/" + name));
    if (const char* record = std::getenv("CINEVARO_RECORD_PICTURES"); record && *record) {
        ASSERT_TRUE(picture.save(path));
        return;
    }
    const QImage recorded = QImage(path).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(recorded.isNull()) << path.toStdString();
    EXPECT_EQ(firstDifference(picture, recorded), "") << name;
}

} // namespace

// The pictures look as they were drawn when recorded: a changed stroke, colour or position in
// any of them shows here.
TEST(Icons, EveryIconAtEverySizeLooksAsRecorded)
{
    for (int size : {16, 24, 32}) {
        SCOPED_TRACE(size);
        expectAsRecorded(iconStrip(size), "icons-" + std::to_string(size) + ".png");
    }
}

// The overflow arrows of the menu and tool bars, pointing right and down, at both drawn sizes.
TEST(Icons, OverflowChevronsLookAsRecorded)
{
    const QStyle& style = *QApplication::style();
    ASSERT_NE(dynamic_cast<const AppStyle*>(&style), nullptr);
    QImage strip(96, 32, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    int x = 0;
    for (auto id : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton})
        for (int size : {16, 32}) {
            p.drawPixmap(x, 0, style.standardIcon(id).pixmap(QSize(size, size), 1.0));
            x += size;
        }
    p.end();
    expectAsRecorded(strip.convertToFormat(QImage::Format_ARGB32), "chevrons.png");
}

// The banner, its title included: the title's letters come from the DejaVu font the set-up
// installs.
TEST(Icons, BannerLooksAsRecorded)
{
    expectAsRecorded(bannerImage(400, 165).convertToFormat(QImage::Format_ARGB32), "banner.png");
}

// The web service's logo of the search window, its two lines of text included.
TEST(Icons, SearchLogoLooksAsRecorded)
{
    expectAsRecorded(TfrmRecherche::logoPixmap().toImage().convertToFormat(QImage::Format_ARGB32), "search-logo.png");
}

// Every picture leaves its painter as it found it: Qt says nothing while they are drawn (an
// unbalanced save or a painter misused shows as a warning).
TEST(Icons, DrawingEveryPictureRaisesNoQtWarning)
{
    static QStringList said;
    said.clear();
    const QtMessageHandler before =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) { said << text; });
    for (int size : {16, 24, 32})
        for (IconId id : kAllIcons)
            static_cast<void>(iconImage(id, size));
    static_cast<void>(bannerImage(400, 165));
    static_cast<void>(TfrmRecherche::logoPixmap());
    qInstallMessageHandler(before);
    EXPECT_TRUE(said.isEmpty()) << said.join(QLatin1Char('\n')).toStdString();
}

// The first icons are drawn ahead on another thread while the main window is made; drawn there or
// here, and shown through the icons after that, every picture is the same.
TEST(Icons, PicturesDrawnOnAnotherThreadAreTheOnesDrawnHere)
{
    for (int size : {16, 24, 32})
        for (IconId id : kAllIcons) {
            SCOPED_TRACE(size);
            QImage there = std::async(std::launch::async, [id, size] { return iconImage(id, size); }).get();
            EXPECT_EQ(there, iconPixmap(id, size).toImage());
        }
    std::async(std::launch::async, &drawFirstIconsAhead).get();
    for (int size : {16, 24})
        for (IconId id : kAllIcons)
            EXPECT_EQ(icon(id).pixmap(QSize(size, size), 1.0).toImage(), iconPixmap(id, size).toImage());
}
