// The configuration window: defaults, writing and applying, the enabling rules, custom colours.
#include "ui/catalogue/TfrmConf.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "catalogue/Settings.h"
#include "support/TempDir.h"
#include "ui/OutputWindowsSupport.h"
#include "ui/kit/ColourBox.h"

namespace catalogue = cinevaro::catalogue;
namespace ct = cinevaro::testing;
using cinevaro::ui::ColourBox;
using cinevaro::ui::TfrmConf;

class TfrmConfTest : public ::testing::Test
{
protected:
    ct::TempDir dir;
    catalogue::Settings settings{dir.file("Cinevaro.ini")};
    int applied = 0;

    std::unique_ptr<TfrmConf> makeWindow()
    {
        auto window = std::make_unique<TfrmConf>(settings);
        window->setOnApplied([this] { ++applied; });
        return window;
    }
    template <typename T> static T* child(TfrmConf& window, const char* name)
    {
        auto* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void click(TfrmConf& window, const char* name)
    {
        QTest::mouseClick(child<QAbstractButton>(window, name), Qt::LeftButton);
    }
};

TEST_F(TfrmConfTest, DefaultsWithoutSettingsFileAndOkWritesThem)
{
    auto window = makeWindow();
    window->show();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Configuration"));
    EXPECT_EQ(child<QLineEdit>(*window, "editNom")->text(), QStringLiteral("Mes DivX's"));
    EXPECT_FALSE(child<QCheckBox>(*window, "chkClose")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*window, "chkXP")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*window, "chkXPdeg")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(*window, "chkHot")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(*window, "chkProxy")->isChecked());
    EXPECT_TRUE(child<QLineEdit>(*window, "editPort")->text().isEmpty());
    EXPECT_TRUE(child<QLineEdit>(*window, "editAdresse")->text().isEmpty());
    EXPECT_EQ(child<ColourBox>(*window, "colorTree")->currentText(), QStringLiteral("Bleu ciel"));
    EXPECT_EQ(child<ColourBox>(*window, "colorTitre")->currentText(), QStringLiteral("Crème"));
    EXPECT_EQ(child<ColourBox>(*window, "colorTextTitre")->currentText(), QStringLiteral("Bleu"));
    EXPECT_EQ(child<ColourBox>(*window, "colorZone")->currentText(), QStringLiteral("Aqua"));

    auto* tabs = child<QTabWidget>(*window, "tabConf");
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        ct::screenshot(*window, QStringLiteral("configuration-tab%1").arg(i + 1));
    }

    click(*window, "btnOk");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(ct::readFile(dir.file("Cinevaro.ini")).empty(), false);
    EXPECT_EQ(settings.readString("GENERAL", "NOMBASE", ""), "Mes DivX's");
    EXPECT_EQ(settings.readString("GENERAL", "CLOSEFIND", ""), "0");
    EXPECT_EQ(settings.readString("INTERFACE", "XPMENU", ""), "1");
    EXPECT_EQ(settings.readString("INTERFACE", "XPDEG", ""), "1");
    EXPECT_EQ(settings.readString("INTERFACE", "HOTTRACK", ""), "1");
    EXPECT_EQ(settings.readString("CONNEXION", "PROXY", ""), "0");
    EXPECT_TRUE(settings.hasKey("CONNEXION", "PROXYPORT"));
    EXPECT_EQ(settings.readString("CONNEXION", "PROXYPORT", "x"), "");
    EXPECT_EQ(settings.readString("CONNEXION", "PROXYADRESSE", "x"), "");
    EXPECT_EQ(settings.readString("COULEUR", "COULEURTREE", ""), "15780518");
    EXPECT_EQ(settings.readString("COULEUR", "COULEURTITRE", ""), "15793151");
    EXPECT_EQ(settings.readString("COULEUR", "COULEURTEXTETITRE", ""), "16711680");
    EXPECT_EQ(settings.readString("COULEUR", "COULEURZONE", ""), "16776960");
}

TEST_F(TfrmConfTest, AppliquerThenAnnulerKeepsTheAppliedValues)
{
    auto window = makeWindow();
    window->show();
    child<QLineEdit>(*window, "editNom")->setText(QStringLiteral("Mes Films"));
    child<ColourBox>(*window, "colorTree")->setColourValue(16777215);
    click(*window, "btnApp");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(applied, 1);
    child<QLineEdit>(*window, "editNom")->setText(QStringLiteral("Autre"));
    click(*window, "btnCancel");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(settings.readString("GENERAL", "NOMBASE", ""), "Mes Films");
    EXPECT_EQ(settings.readInteger("COULEUR", "COULEURTREE", 0), 16777215);
    // Showing again brings back the stored values, not what "Annuler" left in the box.
    window->show();
    EXPECT_EQ(child<QLineEdit>(*window, "editNom")->text(), QStringLiteral("Mes Films"));
    EXPECT_EQ(child<ColourBox>(*window, "colorTree")->currentText(), QStringLiteral("Blanc"));
}

TEST_F(TfrmConfTest, EnablingRules)
{
    auto window = makeWindow();
    window->show();
    click(*window, "chkXP");
    EXPECT_FALSE(child<QCheckBox>(*window, "chkXP")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(*window, "chkXPdeg")->isEnabled());
    click(*window, "chkXP");
    EXPECT_TRUE(child<QCheckBox>(*window, "chkXPdeg")->isEnabled());

    auto* tabs = child<QTabWidget>(*window, "tabConf");
    tabs->setCurrentIndex(3);
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("Connexion"));
    EXPECT_FALSE(child<QLineEdit>(*window, "editPort")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(*window, "editAdresse")->isEnabled());
    child<QCheckBox>(*window, "chkProxy")->click();
    EXPECT_TRUE(child<QLineEdit>(*window, "editPort")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>(*window, "editAdresse")->isEnabled());
    // A tick the program set, without a click, is followed when another tab is chosen.
    child<QCheckBox>(*window, "chkProxy")->setChecked(false);
    tabs->setCurrentIndex(0);
    EXPECT_FALSE(child<QLineEdit>(*window, "editPort")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(*window, "editAdresse")->isEnabled());
}

TEST_F(TfrmConfTest, UnlistedColourShowsAsCustomAndIsWrittenBackUnchanged)
{
    settings.writeInteger("COULEUR", "COULEURZONE", 1193046);
    settings.writeInteger("COULEUR", "COULEURTREE", -16777201); // a system colour
    auto window = makeWindow();
    window->show();
    auto* zone = child<ColourBox>(*window, "colorZone");
    EXPECT_EQ(zone->currentText(), QStringLiteral("Personnalisée"));
    EXPECT_EQ(zone->count(), 21);
    EXPECT_EQ(child<ColourBox>(*window, "colorTree")->currentText(), QStringLiteral("Personnalisée"));
    click(*window, "btnOk");
    EXPECT_EQ(settings.readString("COULEUR", "COULEURZONE", ""), "1193046");
    EXPECT_EQ(settings.readString("COULEUR", "COULEURTREE", ""), "-16777201");
    // Choosing a listed colour removes the extra entry.
    zone->setColourValue(255);
    EXPECT_EQ(zone->count(), 20);
    EXPECT_EQ(zone->currentText(), QStringLiteral("Rouge"));
}

TEST(ColourBoxTest, TwentyNamedColoursInOrder)
{
    const auto& colours = cinevaro::ui::namedColours();
    ASSERT_EQ(colours.size(), 20u);
    const std::uint32_t values[] = {0,        128,      32768,    32896,    8388608,  8388736,  8421376,
                                    8421504,  12632256, 255,      65280,    65535,    16711680, 16711935,
                                    16776960, 16777215, 12639424, 15780518, 15793151, 10789024};
    for (std::size_t i = 0; i < colours.size(); ++i)
        EXPECT_EQ(colours[i].value, values[i]) << i;
}

// Every named colour, the first one included, is shown under its own name, without the extra entry.
TEST(ColourBoxTest, EachNamedColourShowsUnderItsName)
{
    ColourBox box;
    box.setColourValue(1193046);
    ASSERT_EQ(box.count(), 21);
    for (const auto& colour : cinevaro::ui::namedColours()) {
        box.setColourValue(colour.value);
        EXPECT_EQ(box.currentText(), QString::fromUtf8(colour.name)) << colour.name;
        EXPECT_EQ(box.count(), 20) << colour.name;
        EXPECT_EQ(box.colourValue(), colour.value) << colour.name;
    }
}
