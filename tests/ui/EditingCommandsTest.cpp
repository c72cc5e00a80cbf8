// The editor and the supports window as the main window opens them: "Editer Fiche" on a film,
// "Ajouter Fiche (Manuel)", "Gestion des Supports", and the tree after each save.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "MainWindowFilmsSupport.h"
#include "ui/catalogue/RecordView.h"
#include "ui/editing/TfrmAjout.h"
#include "ui/editing/TfrmSupport.h"

using namespace cinevaro;
using cinevaro::testing::MainWindowFilms;

class EditingCommandsTest : public MainWindowFilms
{
};

TEST_F(EditingCommandsTest, EditFilmFromTheTreeRefreshesIt)
{
    select(QStringLiteral("Casino"));
    prompts.answerModal([this](QDialog& dialog) {
        auto& editor = static_cast<ui::TfrmAjout&>(dialog);
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Editeur de fiche"));
        EXPECT_EQ(editor.lblTitre->text(), QStringLiteral("CASINO"));
        editor.lblTitre->setText(QStringLiteral("CASINO (1995)"));
        editor.btnEnregistre->click();
        return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
    });
    window->EditerFiche1->trigger();
    EXPECT_NE(node(QStringLiteral("CASINO (1995)")), nullptr);
    EXPECT_EQ(node(QStringLiteral("Casino")), nullptr);
    EXPECT_EQ(ui::fromCp(state.table().GetCell(catalogue::posTITRE, row(QStringLiteral("CASINO (1995)")))),
              QStringLiteral("Casino"));
}

TEST_F(EditingCommandsTest, EditOnASupportNodeDoesNothing)
{
    select(QStringLiteral("DVD"));
    window->EditerFiche1->trigger();
    EXPECT_TRUE(prompts.transcript().empty());
}

// A double click on a film opens its editor, and the film stays selected once it closes; on a
// support it opens nothing.
TEST_F(EditingCommandsTest, DoubleClickOnAFilmEditsIt)
{
    const auto doubleClick = [this](const QString& caption) {
        select(caption);
        emit window->TreeFilm->itemDoubleClicked(node(caption), 0);
    };
    int edited = 0;
    prompts.answerModal([this, &edited](QDialog& dialog) {
        auto& editor = static_cast<ui::TfrmAjout&>(dialog);
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Editeur de fiche"));
        EXPECT_EQ(editor.lblTitre->text(), QStringLiteral("CASINO"));
        ++edited;
        return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Rejected);
    });
    doubleClick(QStringLiteral("Casino"));
    EXPECT_EQ(edited, 1);
    ASSERT_NE(window->TreeFilm->currentItem(), nullptr);
    EXPECT_EQ(window->TreeFilm->currentItem()->text(0), QStringLiteral("Casino"));

    doubleClick(QStringLiteral("DVD"));
    EXPECT_EQ(edited, 1);
}

// A letter typed in the tree moves to the next film it begins, and the record view shows it.
TEST_F(EditingCommandsTest, ALetterTypedInTheTreeShowsTheFilmItNames)
{
    select(QStringLiteral("Alien"));
    window->TreeFilm->setFocus();
    QTest::keyClick(window->TreeFilm, Qt::Key_C);
    ASSERT_NE(window->TreeFilm->currentItem(), nullptr);
    EXPECT_EQ(window->TreeFilm->currentItem()->text(0), QStringLiteral("Casino"));
    EXPECT_EQ(window->recordView()->lblTitre->text(), QStringLiteral("Casino"));
}

TEST_F(EditingCommandsTest, AddManualFilmAppearsUnderItsSupport)
{
    prompts.answerModal([this](QDialog& dialog) {
        auto& editor = static_cast<ui::TfrmAjout&>(dialog);
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Ajout Manuel de Fiche"));
        QTest::keyClicks(editor.lblTitre, QStringLiteral("metropolis"));
        editor.cmbSupport->setCurrentIndex(2);
        prompts.answerNo();
        editor.btnEnregistre->click();
        return editor.result();
    });
    window->AjoutManuel1->trigger();
    QTreeWidgetItem* film = node(QStringLiteral("METROPOLIS"));
    ASSERT_NE(film, nullptr);
    EXPECT_EQ(film->parent()->text(0), QStringLiteral("VHS"));
}

TEST_F(EditingCommandsTest, SupportsWindowAddsABranch)
{
    const int before = supportBranches();
    prompts.answerModal([this](QDialog& dialog) {
        auto& supports = static_cast<ui::TfrmSupport&>(dialog);
        prompts.answerInput(QStringLiteral("Blu"));
        supports.btnAddSupp->click();
        supports.btnSuppOk->click();
        return supports.result();
    });
    window->GestionSupports1->trigger();
    EXPECT_EQ(supportBranches(), before + 1);
    EXPECT_NE(node(QStringLiteral("Blu")), nullptr);
    EXPECT_EQ(reread().GetCell(catalogue::posRESERVE2, 1), "DivX;DVD;VHS;Blu");
}
