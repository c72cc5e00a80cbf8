// The main window's output commands and ApplyAppearance.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "ui/MainWindowFilmsSupport.h"
#include "ui/catalogue/RecordView.h"
#include "ui/catalogue/TfrmConf.h"
#include "ui/kit/ColourBox.h"
#include "ui/kit/OfficeStyle.h"
#include "ui/kit/PrintPreview.h"
#include "ui/output/TfrmExportH.h"
#include "ui/output/TfrmPrint.h"

using namespace cinevaro;

class TfrmBaseOutputTest : public cinevaro::testing::MainWindowFilms
{
protected:
    // Runs "Configuration" with a script acting on the window.
    void configure(const std::function<void(ui::TfrmConf&)>& script)
    {
        prompts.answerModal([script](QDialog& dialog) {
            auto& conf = static_cast<ui::TfrmConf&>(dialog);
            conf.show();
            script(conf);
            return int(QDialog::Accepted);
        });
        window->Configuration1->trigger();
    }
};

TEST_F(TfrmBaseOutputTest, WhiteTreeAndRootNameAfterOk)
{
    EXPECT_EQ(window->TreeFilm->palette().color(QPalette::Base), QColor(166, 202, 240));
    EXPECT_EQ(window->recordView()->lblTitre->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(window->recordView()->lblReal->palette().color(QPalette::Base), QColor(0, 255, 255));
    configure([](ui::TfrmConf& conf) {
        conf.findChild<ui::ColourBox*>(QStringLiteral("colorTree"))->setColourValue(16777215);
        conf.findChild<ui::ColourBox*>(QStringLiteral("colorTitre"))->setColourValue(255);
        QTest::mouseClick(conf.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
    });
    EXPECT_EQ(window->TreeFilm->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(window->recordView()->lblTitre->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(window->TreeFilm->rootNode()->text(0), QStringLiteral("Mes DivX's"));
    grab(*window, QStringLiteral("main-white-tree.png"));
}

TEST_F(TfrmBaseOutputTest, PlainMenusWithoutTheOfficeStyle)
{
    EXPECT_TRUE(ui::officeStyleActive(window.get()));
    EXPECT_FALSE(window->menuBar()->styleSheet().isEmpty());
    configure([](ui::TfrmConf& conf) {
        QTest::mouseClick(conf.findChild<QCheckBox*>(QStringLiteral("chkXP")), Qt::LeftButton);
        EXPECT_FALSE(conf.findChild<QCheckBox*>(QStringLiteral("chkXPdeg"))->isEnabled());
        QTest::mouseClick(conf.findChild<QPushButton*>(QStringLiteral("btnApp")), Qt::LeftButton);
        QTest::mouseClick(conf.findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
    });
    EXPECT_FALSE(ui::officeStyleActive(window.get()));
    EXPECT_TRUE(window->menuBar()->styleSheet().isEmpty());
    EXPECT_FALSE(ui::officeStyleActive(window->frmPrint));
}

namespace {

// Pixels of `rect` in the tree's picture drawn in the hot-tracking blue.
int hotPixels(QTreeWidget& tree, const QRect& rect)
{
    const QImage picture = tree.viewport()->grab(rect).toImage();
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            count += c.blue() > 200 && c.red() < 90 && c.green() < 90;
        }
    return count;
}

} // namespace

TEST_F(TfrmBaseOutputTest, HotTrackingDrawsTheFilmUnderTheMouseBlueAndUnderlined)
{
    QTreeWidget& tree = *window->TreeFilm;
    QTreeWidgetItem* alien = node(QStringLiteral("Alien"));
    ASSERT_NE(alien, nullptr);
    tree.scrollToItem(alien);
    const QRect rect = tree.visualItemRect(alien);
    QRect below = rect.translated(0, rect.height() * 6);
    const auto hover = [&tree](QPoint at) {
        QTest::mouseMove(tree.viewport(), at);
        QCoreApplication::processEvents();
    };
    ASSERT_EQ(hotPixels(tree, rect), 0);

    hover(rect.center());
    const int hot = hotPixels(tree, rect);
    EXPECT_GT(hot, 20);
    // The underline: a blue run across the text's lower part.
    const QImage line = tree.viewport()->grab(rect).toImage();
    int longestRow = 0;
    for (int y = line.height() / 2; y < line.height(); ++y) {
        int run = 0;
        for (int x = 0; x < line.width(); ++x) {
            const QColor c = line.pixelColor(x, y);
            run = c.blue() > 200 && c.red() < 90 && c.green() < 90 ? run + 1 : 0;
            longestRow = std::max(longestRow, run);
        }
    }
    EXPECT_GT(longestRow, 15);

    // The mouse gone, the film is drawn as the others.
    hover(below.center());
    EXPECT_EQ(hotPixels(tree, rect), 0);

    configure([](ui::TfrmConf& conf) {
        QTest::mouseClick(conf.findChild<QCheckBox*>(QStringLiteral("chkHot")), Qt::LeftButton);
        QTest::mouseClick(conf.findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
    });
    EXPECT_FALSE(tree.hasMouseTracking());
    hover(rect.center());
    EXPECT_EQ(hotPixels(tree, rect), 0);
}

TEST_F(TfrmBaseOutputTest, ExportIsShownAndPrintRunsModally)
{
    window->HTML1->trigger();
    EXPECT_TRUE(window->frmExportH->isVisible());
    EXPECT_FALSE(window->frmExportH->isModal());
    EXPECT_EQ(window->frmExportH->findChild<QListWidget*>(QStringLiteral("lstH"))->count(), 6);
    window->frmExportH->close();

    prompts.answerModal([](QDialog& dialog) {
        auto& print = static_cast<ui::TfrmPrint&>(dialog);
        print.FormActivate();
        EXPECT_EQ(print.preview().pageCount(), 2);
        return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
    });
    window->Imprimer1->trigger();
    EXPECT_EQ(prompts.transcript().back().caption, QStringLiteral("Aperçu de l'impression"));
}
