// `cinevaro FILE.cvo`: the named catalogue is opened at start and becomes the last catalogue. The
// system's decimal separator becomes the core's.
#include "ui/StartArguments.h"

#include <QFileInfo>
#include <QLocale>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "support/FilmRows.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "ui/TfrmBase.h"
#include "ui/kit/Text.h"

using namespace cinevaro;
using namespace cinevaro::testing;

namespace {

std::string catalogueWith(const TempDir& dir, const std::string& name, const std::string& title)
{
    catalogue::CatalogueState build;
    const auto path = dir.file(name);
    newCatalogueAt(build, path);
    addFilm(build, title.c_str(), "DVD");
    saveAndReopen(build);
    return path;
}

QStringList captions(const QTreeWidget& tree)
{
    QStringList lines;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it)
        lines << (*it)->text(0);
    return lines;
}

} // namespace

TEST(StartArgumentsTest, FileArgumentIsOpenedAndBecomesTheLastCatalogue)
{
    TempDir dir;
    const auto ini = dir.file("Cinevaro.ini");
    catalogue::Settings settings(ini);
    settings.writeString("GENERAL", "FICHIERBASE", catalogueWith(dir, "Ancien.cvo", "Brazil"));
    const auto named = catalogueWith(dir, "Nouveau.cvo", "Alien");

    ScriptedPrompts prompts;
    // Qt's own options are passed over; a relative name is made absolute.
    const QString relative = QFileInfo(QString::fromStdString(named)).absoluteFilePath();
    ASSERT_TRUE(
        ui::adoptStartCatalogue({QStringLiteral("cinevaro"), QStringLiteral("-style"), relative}, ini, prompts));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), named);

    catalogue::CatalogueState state;
    ui::TfrmBase window(state, prompts, dir.path().string() + "/");
    EXPECT_EQ(state.CatalogueFileName, named);
    EXPECT_TRUE(captions(*window.TreeFilm).contains(QStringLiteral("Alien")));
    EXPECT_FALSE(captions(*window.TreeFilm).contains(QStringLiteral("Brazil")));
    EXPECT_TRUE(prompts.transcript().empty());
}

TEST(StartArgumentsTest, MissingFileIsReportedAndTheLastCatalogueKept)
{
    TempDir dir;
    const auto ini = dir.file("Cinevaro.ini");
    catalogue::Settings settings(ini);
    const auto last = catalogueWith(dir, "Ancien.cvo", "Brazil");
    settings.writeString("GENERAL", "FICHIERBASE", last);

    ScriptedPrompts prompts;
    EXPECT_FALSE(ui::adoptStartCatalogue({QStringLiteral("cinevaro"), QString::fromStdString(dir.file("Absent.cvo"))},
                                         ini, prompts));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), last);
    ASSERT_EQ(prompts.texts(QStringLiteral("warning")).size(), 1);
    EXPECT_TRUE(prompts.texts(QStringLiteral("warning")).front().contains(QStringLiteral("n'existe pas")));

    // Without an argument nothing changes.
    EXPECT_FALSE(ui::adoptStartCatalogue({QStringLiteral("cinevaro")}, ini, prompts));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), last);
}

// A settings file that cannot be written is reported, and the named catalogue is not taken as the
// last one (start-up then opens the one the settings name).
TEST(StartArgumentsTest, SettingsThatCannotBeWrittenAreReported)
{
    TempDir dir;
    const auto named = catalogueWith(dir, "Nouveau.cvo", "Alien");
    const auto ini = dir.write("notes.txt", "a file, not a folder") + "/Cinevaro.ini";
    ScriptedPrompts prompts;
    EXPECT_FALSE(ui::adoptStartCatalogue({QStringLiteral("cinevaro"), QString::fromStdString(named)}, ini, prompts));
    const QStringList warnings = prompts.texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings.front(), QStringLiteral("Impossible d'enregistrer le fichier de configuration ") +
                                    QString::fromStdString(ini) + QLatin1Char('.'));
}

// Numbers are read and written with the system's decimal separator when the core can hold it.
TEST(StartNumbers, TheSystemDecimalSeparatorIsTakenWhenItIsOneAsciiCharacter)
{
    EXPECT_EQ(ui::decimalSeparatorOf(QLocale(QLocale::French, QLocale::France)), std::optional<char>(','));
    EXPECT_EQ(ui::decimalSeparatorOf(QLocale(QLocale::English, QLocale::UnitedStates)), std::optional<char>('.'));
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    ASSERT_EQ(arabic.decimalPoint(), QString(QChar(0x066B)));
    EXPECT_EQ(ui::decimalSeparatorOf(arabic), std::nullopt);
}
