// "Annuler" / "Rétablir" in the main window and the versions window: enabling, texts, the tree
// after an undo, and a restore that can itself be undone.
#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "MainWindowFilmsSupport.h"
#include "catalogue/Versions.h"
#include "table/Platform.h"
#include "ui/catalogue/RecordView.h"
#include "ui/catalogue/TfrmVersions.h"

using namespace cinevaro;
using cinevaro::testing::MainWindowFilms;

class VersionsWindowTest : public MainWindowFilms
{
protected:
    void refreshTexts() { window->updateUndoActions(true); }
    void deleteFilm(const QString& caption)
    {
        select(caption);
        prompts.answerYes();
        window->Effacer1->trigger();
    }
    // Opens "Versions" after a film was deleted, the window 560 x 300, runs `look` on it, then
    // closes it.
    void lookAtVersionsWindow(const std::function<void(ui::TfrmVersions&)>& look)
    {
        deleteFilm(QStringLiteral("Casino"));
        prompts.answerModal([look](QDialog& dialog) {
            // The window shown is the versions window, under its own name.
            EXPECT_EQ(dialog.objectName(), QStringLiteral("frmVersions"));
            auto& versions = static_cast<ui::TfrmVersions&>(dialog);
            versions.resize(560, 300);
            versions.show();
            QApplication::processEvents();
            look(versions);
            return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Rejected);
        });
        window->Versions1->trigger();
    }
};

TEST_F(VersionsWindowTest, UndoAndRedoFollowTheChanges)
{
    refreshTexts();
    // Opening the catalogue changed nothing: the last change is the one that filled it.
    EXPECT_EQ(window->Annuler1->text(), QStringLiteral("Annuler Modification"));
    EXPECT_FALSE(window->Retablir1->isEnabled());
    EXPECT_EQ(window->Annuler1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(window->Retablir1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));

    deleteFilm(QStringLiteral("Casino"));
    EXPECT_EQ(node(QStringLiteral("Casino")), nullptr);
    refreshTexts();
    EXPECT_TRUE(window->Annuler1->isEnabled());
    EXPECT_EQ(window->Annuler1->text(), QStringLiteral("Annuler Suppression de fiche"));

    window->Annuler1->trigger();
    ASSERT_NE(node(QStringLiteral("Casino")), nullptr);
    EXPECT_NE(row(QStringLiteral("Casino")), 0);
    EXPECT_EQ(window->Annuler1->text(), QStringLiteral("Annuler Modification"));
    EXPECT_TRUE(window->Retablir1->isEnabled());
    EXPECT_EQ(window->Retablir1->text(), QStringLiteral("Rétablir Suppression de fiche"));

    window->Retablir1->trigger();
    EXPECT_EQ(node(QStringLiteral("Casino")), nullptr);
    EXPECT_FALSE(window->Retablir1->isEnabled());
    EXPECT_TRUE(window->Annuler1->isEnabled());
}

// The film chosen before an undo or a redo stays chosen in the rebuilt tree.
TEST_F(VersionsWindowTest, TheChosenFilmStaysChosenThroughUndoAndRedo)
{
    deleteFilm(QStringLiteral("Casino"));
    select(QStringLiteral("Alien"));
    QTreeWidgetItem* chosen = window->TreeFilm->currentItem();
    ASSERT_NE(chosen, nullptr);
    ASSERT_NE(chosen->parent(), nullptr);
    const QString support = chosen->parent()->text(0);
    for (QAction* command : {window->Annuler1, window->Retablir1}) {
        SCOPED_TRACE(command->objectName().toStdString());
        command->trigger();
        QTreeWidgetItem* current = window->TreeFilm->currentItem();
        ASSERT_NE(current, nullptr);
        EXPECT_EQ(current->text(0), QStringLiteral("Alien"));
        ASSERT_NE(current->parent(), nullptr);
        EXPECT_EQ(current->parent()->text(0), support);
    }
}

TEST_F(VersionsWindowTest, VersionsWindowRestoresAndTheRestoreCanBeUndone)
{
    deleteFilm(QStringLiteral("Casino"));
    deleteFilm(QStringLiteral("Alien"));
    prompts.answerModal([this](QDialog& dialog) {
        auto& versions = static_cast<ui::TfrmVersions&>(dialog);
        EXPECT_EQ(versions.windowTitle(), QStringLiteral("Versions de la base"));
        EXPECT_EQ(versions.lstVersions->topLevelItemCount(), 3);
        if (versions.lstVersions->topLevelItemCount() != 3)
            return static_cast<int>(QDialog::Rejected);
        EXPECT_EQ(versions.lstVersions->topLevelItem(0)->text(1), QStringLiteral("Suppression de fiche"));
        EXPECT_EQ(versions.lstVersions->topLevelItem(0)->text(2), QStringLiteral("5"));
        EXPECT_EQ(versions.lstVersions->topLevelItem(1)->text(2), QStringLiteral("6"));
        EXPECT_EQ(versions.lstVersions->topLevelItem(2)->text(1), QStringLiteral("Modification"));
        versions.resize(560, 300);
        grab(versions, QStringLiteral("versions_window.png"));
        // The older one: both films back.
        versions.lstVersions->setCurrentItem(versions.lstVersions->topLevelItem(1));
        prompts.answerYes();
        versions.btnRestaurer->click();
        return versions.result();
    });
    window->Versions1->trigger();
    EXPECT_NE(node(QStringLiteral("Casino")), nullptr);
    EXPECT_NE(node(QStringLiteral("Alien")), nullptr);
    EXPECT_EQ(window->Annuler1->text(), QStringLiteral("Annuler Restauration de version"));
    window->Annuler1->trigger();
    EXPECT_EQ(node(QStringLiteral("Casino")), nullptr);
    EXPECT_EQ(node(QStringLiteral("Alien")), nullptr);
}

// A restore that cannot be saved (a full disk) says so, keeps the window open and the tree as it is.
TEST_F(VersionsWindowTest, ARestoreThatCannotBeSavedSaysSoAndChangesNothing)
{
    deleteFilm(QStringLiteral("Casino"));
    const std::string before = cinevaro::testing::readFile(state.CatalogueFileName);
    prompts.answerModal([this](QDialog& dialog) {
        auto& versions = static_cast<ui::TfrmVersions&>(dialog);
        if (versions.lstVersions->topLevelItemCount() < 2)
            return static_cast<int>(QDialog::Rejected);
        versions.lstVersions->setCurrentItem(versions.lstVersions->topLevelItem(1));
        prompts.answerYes();
        table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC, 1000);
        versions.btnRestaurer->click();
        table::clearFileFaultsForTesting();
        EXPECT_TRUE(versions.isVisible());
        return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Rejected);
    });
    window->Versions1->trigger();
    const QStringList errors = prompts.texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.front().contains(QStringLiteral("disque plein"))) << errors.front().toStdString();
    EXPECT_EQ(cinevaro::testing::readFile(state.CatalogueFileName), before);
    EXPECT_EQ(node(QStringLiteral("Casino")), nullptr);
}

// "Restaurer" waits for a chosen version and follows the choice.
TEST_F(VersionsWindowTest, RestaurerIsAvailableOnlyWithAChosenVersion)
{
    deleteFilm(QStringLiteral("Casino"));
    prompts.answerModal([](QDialog& dialog) {
        auto& versions = static_cast<ui::TfrmVersions&>(dialog);
        EXPECT_GE(versions.lstVersions->topLevelItemCount(), 1);
        versions.lstVersions->setCurrentItem(nullptr);
        EXPECT_FALSE(versions.btnRestaurer->isEnabled());
        versions.lstVersions->setCurrentItem(versions.lstVersions->topLevelItem(0));
        EXPECT_TRUE(versions.btnRestaurer->isEnabled());
        versions.lstVersions->setCurrentItem(nullptr);
        EXPECT_FALSE(versions.btnRestaurer->isEnabled());
        versions.btnFermer->click();
        return versions.result();
    });
    window->Versions1->trigger();
    EXPECT_EQ(node(QStringLiteral("Casino")), nullptr);
}

TEST_F(VersionsWindowTest, AnUndoThatBringsBackAnUnreadableFileShowsNoFilm)
{
    // The file is damaged behind the window's back; the next save keeps the damaged bytes as the
    // version an undo brings back.
    const std::string file = state.CatalogueFileName;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "ceci n'est pas une base";
    deleteFilm(QStringLiteral("Casino"));
    ASSERT_TRUE(prompts.texts(QStringLiteral("error")).isEmpty());
    ASSERT_NE(node(QStringLiteral("Alien")), nullptr);

    window->Annuler1->trigger();
    ASSERT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(
        prompts.texts(QStringLiteral("error")).front().startsWith(QStringLiteral("Impossible de lire la base")));
    EXPECT_FALSE(state.IsOpen);
    // No film of the catalogue that could not be read back is left on show, and the commands
    // that need one are off, as after an open that failed.
    EXPECT_EQ(node(QStringLiteral("Alien")), nullptr);
    EXPECT_TRUE(films().isEmpty());
    // Nor its root and supports: the tree is as empty as after an open that failed.
    EXPECT_EQ(window->TreeFilm->topLevelItemCount(), 0);
    EXPECT_FALSE(window->Annuler1->isEnabled());
    EXPECT_FALSE(window->Versions1->isEnabled());
}

TEST_F(VersionsWindowTest, AnUndoThatCannotBeReadLeavesTheFilterAsAFailedOpenDoes)
{
    const std::string file = state.CatalogueFileName;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "ceci n'est pas une base";
    deleteFilm(QStringLiteral("Casino"));
    select(QStringLiteral("Alien"));
    window->recordView()->filtreReal->click();
    const QString filterText = window->statusText(1);
    ASSERT_TRUE(filterText.startsWith(QString::fromUtf8("Filtrer par Réalisateur avec Ridley Scott")));

    window->Annuler1->trigger();
    ASSERT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    ASSERT_FALSE(state.IsOpen);
    // Only the catalogue goes, as after an open that failed: the filter the user chose stays
    // chosen and named, for the next catalogue to clear when it is shown.
    EXPECT_EQ(window->statusText(1), filterText);
    EXPECT_TRUE(window->recordView()->filtreReal->isChecked());
    EXPECT_FALSE(window->AucunFiltre1->isChecked());
}

// The dates and the film counts are shown whole, not cut.
TEST_F(VersionsWindowTest, DatesAndFilmCountsAreShownWhole)
{
    lookAtVersionsWindow([](ui::TfrmVersions& versions) {
        QTreeWidget* list = versions.lstVersions;
        EXPECT_GT(list->topLevelItemCount(), 0);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            for (int column : {0, 2}) {
                const QString text = list->topLevelItem(i)->text(column);
                EXPECT_GT(list->columnWidth(column), list->fontMetrics().horizontalAdvance(text)) << text.toStdString();
            }
    });
}

// A wider window gives its room to the operations; the dates and the film counts keep their width.
TEST_F(VersionsWindowTest, AWiderWindowWidensTheOperationsOnly)
{
    lookAtVersionsWindow([](ui::TfrmVersions& versions) {
        const QTreeWidget* list = versions.lstVersions;
        const int date = list->columnWidth(0), operation = list->columnWidth(1), films = list->columnWidth(2);
        versions.resize(versions.width() + 200, versions.height());
        QApplication::processEvents();
        EXPECT_EQ(list->columnWidth(0), date);
        EXPECT_EQ(list->columnWidth(2), films);
        EXPECT_EQ(list->columnWidth(1), operation + 200);
    });
}

// A version whose header lost its time (a damaged file) is listed with an empty date, not 1970.
TEST_F(VersionsWindowTest, AVersionWithoutItsTimeHasAnEmptyDate)
{
    deleteFilm(QStringLiteral("Casino"));
    catalogue::versionsOf(state).flush();
    int newest = 0;
    for (const auto& item : std::filesystem::directory_iterator(dir.file("films.versions"))) {
        const std::string name = item.path().filename().string();
        if (name.size() > 5 && name[0] == 'v' && name.ends_with(".ver"))
            newest = std::max(newest, std::stoi(name.substr(1)));
    }
    ASSERT_GT(newest, 0);
    const std::string version = "films.versions/v" + std::to_string(newest) + ".ver";
    std::string bytes = cinevaro::testing::readFile(dir.file(version));
    ASSERT_EQ(bytes.rfind("time=", 0), 0u);
    dir.write(version, bytes.erase(0, bytes.find('\n') + 1));

    prompts.answerModal([](QDialog& dialog) {
        QTreeWidget* list = static_cast<ui::TfrmVersions&>(dialog).lstVersions;
        EXPECT_GT(list->topLevelItemCount(), 1);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            EXPECT_EQ(list->topLevelItem(i)->text(0).isEmpty(), i == 0) << i;
        return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Rejected);
    });
    window->Versions1->trigger();
}

// The list of versions fills the window, edge to edge within its margins, down to the row of
// buttons; the buttons stay below it.
TEST_F(VersionsWindowTest, TheListFillsTheWindowAboveItsButtons)
{
    lookAtVersionsWindow([](ui::TfrmVersions& versions) {
        const QRect inside = versions.rect().marginsRemoved(versions.layout()->contentsMargins());
        const QRect list = versions.lstVersions->geometry();
        EXPECT_EQ(list.topLeft(), inside.topLeft());
        EXPECT_EQ(list.width(), inside.width());
        for (QPushButton* button : {versions.btnRestaurer, versions.btnFermer}) {
            EXPECT_LT(list.bottom(), button->geometry().top());
            EXPECT_LE(button->geometry().top() - list.bottom(), 20) << "a gap between the list and the buttons";
            EXPECT_LE(button->geometry().bottom(), inside.bottom());
        }
    });
}

// "Fermer" closes the window without restoring anything.
TEST_F(VersionsWindowTest, CloseButtonClosesTheWindowAndRestoresNothing)
{
    lookAtVersionsWindow([](ui::TfrmVersions& versions) {
        versions.setResult(-1);
        versions.btnFermer->click();
        EXPECT_FALSE(versions.isVisible());
        EXPECT_EQ(versions.result(), QDialog::Rejected);
    });
    EXPECT_EQ(node(QStringLiteral("Casino")), nullptr);
}

// After an undo, rebuilding the tree (here "Rafraichir Base") keeps "Rétablir" available with its
// operation's name.
TEST_F(VersionsWindowTest, RedoSurvivesATreeRefresh)
{
    deleteFilm(QStringLiteral("Casino"));
    window->Annuler1->trigger();
    ASSERT_TRUE(window->Retablir1->isEnabled());
    window->Rafraichir1->trigger();
    EXPECT_TRUE(window->Retablir1->isEnabled());
    EXPECT_EQ(window->Retablir1->text(), QStringLiteral("Rétablir Suppression de fiche"));
    EXPECT_EQ(window->Annuler1->text(), QStringLiteral("Annuler Modification"));
}

// An undo that cannot be done says why, in French, and leaves the catalogue and the tree as they are.
// A change whose version cannot be kept (a file stands where the versions folder goes) is saved
// all the same; the window says so once, with the reason.
TEST_F(VersionsWindowTest, AChangeSavedWithoutItsVersionIsDoneAndSaidOnce)
{
    const auto folder = std::filesystem::path(catalogue::versionsOf(state).folder()).parent_path(); // no final '/'
    state.Versions.reset();
    std::filesystem::remove_all(folder);
    std::ofstream(folder) << "un fichier";
    deleteFilm(QStringLiteral("Casino"));
    EXPECT_EQ(node(QStringLiteral("Casino")), nullptr);
    refreshTexts();
    const auto warnings = prompts.texts(QStringLiteral("warning"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("n'a pas pu être conservée"))) << warnings[0].toStdString();
    EXPECT_EQ(prompts.transcript().back().caption, QStringLiteral("Attention"));
    catalogue::CatalogueState reread;
    catalogue::commitNames(reread, state.CatalogueFileName);
    ASSERT_TRUE(catalogue::loadCatalogue(reread).ok);
    EXPECT_EQ(reread.table().RowCount(), state.table().RowCount());
}

TEST_F(VersionsWindowTest, AnUndoThatCannotBeDoneSaysWhyAndChangesNothing)
{
    deleteFilm(QStringLiteral("Casino"));
    refreshTexts();
    ASSERT_TRUE(window->Annuler1->isEnabled());
    const auto bytes = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = bytes(state.CatalogueFileName);
    // The kept versions are damaged behind the window's back.
    for (const auto& e : std::filesystem::recursive_directory_iterator(catalogue::versionsOf(state).folder()))
        if (e.is_regular_file())
            std::ofstream(e.path(), std::ios::binary | std::ios::trunc) << "abime";

    window->Annuler1->trigger();
    ASSERT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    EXPECT_EQ(node(QStringLiteral("Casino")), nullptr);
    EXPECT_NE(node(QStringLiteral("Alien")), nullptr);
    EXPECT_TRUE(state.IsOpen);
    EXPECT_EQ(bytes(state.CatalogueFileName), before);
}
