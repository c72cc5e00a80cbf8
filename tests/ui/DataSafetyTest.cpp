// Data safety in the main window: no command saves over a catalogue that failed to open; films of
// the same display title each keep their own record; support names never break the settings file.
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "support/FilmRows.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "ui/TfrmBase.h"
#include "ui/catalogue/RecordView.h"
#include "ui/editing/TechPanel.h"
#include "ui/editing/TfrmAjout.h"
#include "ui/editing/TfrmSupport.h"
#include "ui/kit/Text.h"
#include "ui/loans/LoanPanel.h"
#include "ui/loans/TfrmPret.h"

namespace fs = std::filesystem;
using namespace cinevaro;
using namespace cinevaro::testing;
using ui::TfrmBase;

namespace {

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Every cell of a row.
std::vector<std::string> rowCells(const table::TMlb2& t, int row)
{
    std::vector<std::string> cells;
    for (int f = 1; f <= t.FieldCount(); ++f)
        cells.push_back(t.GetCell(f, row));
    return cells;
}

// The row whose film number (RESERVE3) is `number`, 0 when none.
int rowNumbered(const table::TMlb2& t, const std::string& number)
{
    for (int n = 1; n <= t.RowCount(); ++n)
        if (t.GetCell(catalogue::posRESERVE3, n) == number)
            return n;
    return 0;
}

// The film node of `caption` under the support node of `support`.
QTreeWidgetItem* filmNode(const TfrmBase& window, const QString& support, const QString& caption)
{
    for (QTreeWidgetItemIterator it(window.TreeFilm); *it; ++it)
        if ((*it)->text(0) == caption && (*it)->parent() && (*it)->parent()->text(0) == support)
            return *it;
    return nullptr;
}

} // namespace

// ---- A catalogue that failed to open is never overwritten -------------------------------------

namespace {

// The unreadable catalogue of the report: 55 bytes that are not a table.
const std::string kUnreadable = "MLB? ceci n'est pas une base, juste 55 octets de texte.";

enum class HowItFailed { AtStart, OuvrirBase };

struct Command
{
    const char* name;
    std::function<void(TfrmBase&)> run;
};

void PrintTo(const Command& command, std::ostream* os)
{
    *os << command.name;
}

void PrintTo(HowItFailed how, std::ostream* os)
{
    *os << (how == HowItFailed::AtStart ? "at start" : "Ouvrir Base");
}

// Each command that would save, as the user reaches it.
const std::vector<Command>& savingCommands()
{
    static const std::vector<Command> commands = {
        {"GestionSupports", [](TfrmBase& w) { w.GestionSupports1->trigger(); }},
        {"AjoutManuel", [](TfrmBase& w) { w.AjoutManuel1->trigger(); }},
        {"EditerFiche", [](TfrmBase& w) { w.EditerFiche1->trigger(); }},
        {"SupprimerFiche", [](TfrmBase& w) { w.Effacer1->trigger(); }},
        {"Preter", [](TfrmBase& w) { w.MenuPret->trigger(); }},
        // The loan panel's button lends or, for a lent film, records the return.
        {"Rendre", [](TfrmBase& w) { emit w.loanPanel()->btnPret->clicked(); }},
        {"Emprunteurs", [](TfrmBase& w) { w.GestionEmprunteurs1->trigger(); }},
        {"EmprunteursPanneau", [](TfrmBase& w) { emit w.loanPanel()->btnFGestPret->clicked(); }},
        {"EnregistrerTechnique", [](TfrmBase& w) { emit w.techPanel()->btnEnregistreInfo->clicked(); }},
        {"AjoutAutomatique", [](TfrmBase& w) { w.AjoutAuto1->trigger(); }},
    };
    return commands;
}

} // namespace

class FailedOpenBase : public ::testing::Test
{
protected:
    TempDir dir;
    catalogue::Settings settings{dir.file("Cinevaro.ini")};
    catalogue::CatalogueState state;
    ScriptedPrompts prompts;
    std::unique_ptr<TfrmBase> window;
    std::string good;
    std::string bad;

    void SetUp() override
    {
        catalogue::CatalogueState build;
        good = dir.file("Films.cvo");
        newCatalogueAt(build, good);
        addFilm(build, {{"TITRE", "Alien"}, {"RESERVE1", "Alien"}, {"RESERVE0", "DVD"}, {"LISTEMP", "Anne"}});
        addFilm(build, {{"TITRE", "Brazil"},
                        {"RESERVE1", "Brazil"},
                        {"RESERVE0", "DVD"},
                        {"IFEMP", "1"},
                        {"NOMEMP", "Anne"},
                        {"LISTEMP", "Anne"}});
        saveAndReopen(build);
        bad = dir.write("Abime.cvo", kUnreadable);
        ASSERT_EQ(kUnreadable.size(), 55u);
    }
    void TearDown() override
    {
        window.reset();
        EXPECT_TRUE(prompts.allAnswered());
    }

    // The window after a failed open, the film Brazil selected beforehand when there was a tree.
    void failOpen(HowItFailed how)
    {
        settings.writeString("GENERAL", "FICHIERBASE", how == HowItFailed::AtStart ? bad : good);
        window = std::make_unique<TfrmBase>(state, prompts, dir.path().string() + "/");
        window->createSecondaryWindows();
        window->show();
        if (how == HowItFailed::OuvrirBase) {
            ASSERT_TRUE(prompts.transcript().empty());
            QTreeWidgetItem* film = filmNode(*window, text("DVD"), text("Brazil"));
            ASSERT_NE(film, nullptr);
            window->TreeFilm->setCurrentItem(film);
            prompts.answerFile(QString::fromStdString(bad));
            window->Ouvrir1->trigger();
        }
        const QStringList errors = prompts.texts(text("error"));
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].startsWith(text("Impossible de lire la base"))) << errors[0].toStdString();
        EXPECT_FALSE(state.IsOpen);
        prompts.clearTranscript();
    }

    // Whether the user was told that no catalogue is open.
    bool toldNoCatalogue() const
    {
        for (const auto& record : prompts.transcript())
            if (record.text.startsWith(text("Aucune base n'est ouverte")))
                return true;
        return false;
    }
};

class FailedOpenTest : public FailedOpenBase, public ::testing::WithParamInterface<std::tuple<HowItFailed, Command>>
{
};

class FailedOpenWindows : public FailedOpenBase
{
};

TEST_P(FailedOpenTest, CommandRefusesAndBothFilesStayByteForByte)
{
    const auto& [how, command] = GetParam();
    failOpen(how);
    const std::string goodBefore = readFile(good);
    command.run(*window);
    EXPECT_TRUE(toldNoCatalogue()) << command.name;
    EXPECT_EQ(readFile(bad), kUnreadable);
    EXPECT_EQ(readFile(good), goodBefore);
    EXPECT_FALSE(state.IsOpen);
    // Asked again, the command still refuses.
    prompts.clearTranscript();
    command.run(*window);
    EXPECT_TRUE(toldNoCatalogue()) << command.name;
    EXPECT_EQ(readFile(bad), kUnreadable);
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, FailedOpenTest,
                         ::testing::Combine(::testing::Values(HowItFailed::AtStart, HowItFailed::OuvrirBase),
                                            ::testing::ValuesIn(savingCommands())),
                         [](const auto& info) {
                             const auto how = std::get<0>(info.param);
                             return std::string(how == HowItFailed::AtStart ? "AuDemarrage_" : "OuvrirBase_") +
                                    std::get<1>(info.param).name;
                         });

// The supports window and the editor refuse at their own Ok too, should they ever be shown.
TEST_F(FailedOpenWindows, SupportsWindowOkSavesNothing)
{
    failOpen(HowItFailed::AtStart);
    prompts.answerModal([this](QDialog& dialog) {
        auto& supports = static_cast<ui::TfrmSupport&>(dialog);
        prompts.answerInput(text("Blu-ray"));
        supports.btnAddSupp->click();
        supports.btnSuppOk->click();
        // Refused: the window stays open with what was typed, for another try or a cancel.
        EXPECT_TRUE(supports.isVisible());
        EXPECT_EQ(supports.lstBoxSupport->count(), 1);
        supports.reject();
        return supports.result();
    });
    window->frmSupport->execute();
    EXPECT_TRUE(toldNoCatalogue());
    EXPECT_EQ(readFile(bad), kUnreadable);
}

TEST_F(FailedOpenWindows, EditorSavesNothing)
{
    failOpen(HowItFailed::OuvrirBase);
    const std::string goodBefore = readFile(good);
    prompts.answerModal([](QDialog& dialog) {
        auto& editor = static_cast<ui::TfrmAjout&>(dialog);
        editor.lblTitre->setText(text("Metropolis"));
        if (editor.cmbSupport->count() > 0)
            editor.cmbSupport->setCurrentIndex(0);
        editor.btnEnregistre->click();
        editor.reject();
        return editor.result();
    });
    window->frmAjout->execute(ui::EditorMode::Add);
    EXPECT_TRUE(toldNoCatalogue());
    EXPECT_EQ(readFile(bad), kUnreadable);
    EXPECT_EQ(readFile(good), goodBefore);
    EXPECT_FALSE(fs::exists(dir.file("Abime/METROPOLIS.jpg")));
}

// Once a readable catalogue is opened again, the commands save as usual.
TEST_F(FailedOpenWindows, OpeningAReadableCatalogueEndsTheRefusal)
{
    failOpen(HowItFailed::AtStart);
    prompts.answerFile(QString::fromStdString(good));
    window->Ouvrir1->trigger();
    ASSERT_TRUE(state.IsOpen);
    prompts.answerModal([this](QDialog& dialog) {
        auto& supports = static_cast<ui::TfrmSupport&>(dialog);
        prompts.answerInput(text("Blu-ray"));
        supports.btnAddSupp->click();
        supports.btnSuppOk->click();
        return supports.result();
    });
    window->GestionSupports1->trigger();
    EXPECT_FALSE(toldNoCatalogue());
    table::TMlb2 saved;
    ASSERT_TRUE(saved.LoadFromFile(good));
    EXPECT_EQ(saved.GetCell(catalogue::posRESERVE2, 1), "DivX;DVD;VHS;Blu-ray");
    EXPECT_EQ(readFile(bad), kUnreadable);
}

// ---- Films of the same display title ----------------------------------------------------------

class SameTitleTest : public ::testing::Test
{
protected:
    TempDir dir;
    catalogue::Settings settings{dir.file("Cinevaro.ini")};
    catalogue::CatalogueState state;
    ScriptedPrompts prompts;
    std::unique_ptr<TfrmBase> window;

    // Two films shown as "Heat" (RESERVE1), one on DVD (number 1), one on VHS (number 2, the
    // later row: a caption lookup would find the DVD one), and a third film.
    void SetUp() override
    {
        catalogue::CatalogueState build;
        const auto path = dir.file("Films.cvo");
        newCatalogueAt(build, path);
        build.table().SetCell(build.table().FieldIndex("LISTEMP"), 1, "Anne;Paul");
        addFilm(build, {{"TITRE", "Heat"},
                        {"RESERVE1", "Heat"},
                        {"RESERVE0", "DVD"},
                        {"RESERVE3", "1"},
                        {"REAL", "Michael Mann"},
                        {"GENRE", "Policier"},
                        {"SIZE", "700"}});
        addFilm(build, {{"TITRE", "Heat (1995)"},
                        {"RESERVE1", "Heat"},
                        {"RESERVE0", "VHS"},
                        {"RESERVE3", "2"},
                        {"REAL", "Autre Réalisateur"},
                        {"GENRE", "Policier"},
                        {"SIZE", "650"}});
        addFilm(build, {{"TITRE", "Alien"}, {"RESERVE1", "Alien"}, {"RESERVE0", "DVD"}, {"RESERVE3", "3"}});
        saveAndReopen(build);
        ASSERT_LT(rowNumbered(build.table(), "1"), rowNumbered(build.table(), "2"));
        settings.writeString("GENERAL", "FICHIERBASE", path);
        window = std::make_unique<TfrmBase>(state, prompts, dir.path().string() + "/");
        window->createSecondaryWindows();
        window->show();
        ASSERT_TRUE(state.IsOpen);
    }
    void TearDown() override
    {
        window.reset();
        EXPECT_TRUE(prompts.allAnswered());
    }

    table::TMlb2 reread() const
    {
        table::TMlb2 t;
        EXPECT_TRUE(t.LoadFromFile(state.CatalogueFileName));
        return t;
    }
    std::vector<std::string> savedRow(const std::string& number) const
    {
        const table::TMlb2 t = reread();
        const int row = rowNumbered(t, number);
        return row ? rowCells(t, row) : std::vector<std::string>();
    }
    void selectHeat(const char* support)
    {
        QTreeWidgetItem* film = filmNode(*window, text(support), text("Heat"));
        ASSERT_NE(film, nullptr) << support;
        window->TreeFilm->setCurrentItem(film);
    }
};

TEST_F(SameTitleTest, SelectingEachShowsItsOwnRecord)
{
    selectHeat("VHS");
    EXPECT_EQ(window->recordView()->lblReal->text(), text("Autre Réalisateur"));
    EXPECT_EQ(window->recordView()->lblSupport->text(), text("VHS"));
    EXPECT_EQ(window->techPanel()->spnSize->text(), text("650"));
    EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE3, state.CurrentRow), "2");
    selectHeat("DVD");
    EXPECT_EQ(window->recordView()->lblReal->text(), text("Michael Mann"));
    EXPECT_EQ(window->recordView()->lblSupport->text(), text("DVD"));
    EXPECT_EQ(window->techPanel()->spnSize->text(), text("700"));
}

TEST_F(SameTitleTest, FilterAndSearchKeepEachNodeOnItsRow)
{
    selectHeat("DVD");
    window->recordView()->filtreGenre->click(); // both films are "Policier"
    ASSERT_TRUE(state.FilterActive);
    selectHeat("VHS");
    EXPECT_EQ(window->recordView()->lblReal->text(), text("Autre Réalisateur"));
    window->Rafraichir1->trigger();

    auto* search = window->findChild<QLineEdit*>(QStringLiteral("editRecherche"));
    ASSERT_NE(search, nullptr);
    search->setText(text("Heat"));
    ASSERT_TRUE(state.SearchActive);
    selectHeat("VHS");
    EXPECT_EQ(window->recordView()->lblReal->text(), text("Autre Réalisateur"));
    selectHeat("DVD");
    EXPECT_EQ(window->recordView()->lblReal->text(), text("Michael Mann"));
}

TEST_F(SameTitleTest, EditingChangesTheChosenFilmOnly)
{
    const auto other = savedRow("1");
    selectHeat("VHS");
    prompts.answerModal([](QDialog& dialog) {
        auto& editor = static_cast<ui::TfrmAjout&>(dialog);
        EXPECT_EQ(editor.lblReal->text(), text("Autre Réalisateur"));
        editor.lblReal->setText(text("Réalisateur corrigé"));
        editor.btnEnregistre->click();
        return ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
    });
    window->EditerFiche1->trigger();
    EXPECT_EQ(savedRow("1"), other);
    const table::TMlb2 saved = reread();
    EXPECT_EQ(saved.GetCell(catalogue::posREAL, rowNumbered(saved, "2")), table::cp("Réalisateur corrigé"));
}

TEST_F(SameTitleTest, DeletingRemovesTheChosenFilmOnly)
{
    const auto other = savedRow("1");
    selectHeat("VHS");
    prompts.answerYes();
    window->Effacer1->trigger();
    EXPECT_EQ(savedRow("1"), other);
    EXPECT_TRUE(savedRow("2").empty());
    EXPECT_FALSE(savedRow("3").empty());
    EXPECT_NE(filmNode(*window, text("DVD"), text("Heat")), nullptr);
    EXPECT_EQ(filmNode(*window, text("VHS"), text("Heat")), nullptr);
}

TEST_F(SameTitleTest, LendingAndReturningActOnTheChosenFilmOnly)
{
    const auto other = savedRow("1");
    selectHeat("VHS");
    prompts.answerModal([](QDialog& dialog) {
        auto& pret = static_cast<ui::TfrmPret&>(dialog);
        pret.cmbQui->setCurrentIndex(1);
        pret.Button1->click();
        return pret.result();
    });
    window->MenuPret->trigger();
    EXPECT_EQ(savedRow("1"), other);
    table::TMlb2 saved = reread();
    EXPECT_EQ(saved.GetCell(catalogue::posNOMEMP, rowNumbered(saved, "2")), "Paul");

    selectHeat("VHS");
    EXPECT_TRUE(window->loanPanel()->lblPret->text().startsWith(text("Prêté à Paul")))
        << window->loanPanel()->lblPret->text().toStdString();
    selectHeat("DVD");
    EXPECT_EQ(window->loanPanel()->lblPret->text(), text("Disponible"));
    selectHeat("VHS");
    window->MenuPret->trigger(); // the return
    EXPECT_EQ(savedRow("1"), other);
    saved = reread();
    EXPECT_EQ(saved.GetCell(catalogue::posNOMEMP, rowNumbered(saved, "2")), "");
}

TEST_F(SameTitleTest, TechnicalSaveWritesTheChosenFilmOnly)
{
    const auto other = savedRow("1");
    selectHeat("VHS");
    window->techPanel()->spnSize->setText(text("1400"));
    window->techPanel()->btnEnregistreInfo->click();
    EXPECT_EQ(savedRow("1"), other);
    const table::TMlb2 saved = reread();
    EXPECT_EQ(saved.GetCell(saved.FieldIndex("SIZE"), rowNumbered(saved, "2")), "1400");

    // Leaving a changed film offers to save it, into that film.
    selectHeat("VHS");
    window->techPanel()->spnSize->setText(text("1500"));
    prompts.answerYes();
    selectHeat("DVD");
    EXPECT_EQ(savedRow("1"), other);
    const table::TMlb2 again = reread();
    EXPECT_EQ(again.GetCell(again.FieldIndex("SIZE"), rowNumbered(again, "2")), "1500");
}

// ---- Support names and the settings file ------------------------------------------------------

class SupportNamesTest : public ::testing::Test
{
protected:
    TempDir dir;
    catalogue::Settings settings{dir.file("Cinevaro.ini")};
    ScriptedPrompts prompts;
    std::string path;

    // Supports named like fixed keys in mixed case, and names that cannot be keys as written; a
    // film under each so that every branch can be expanded or collapsed.
    static std::vector<std::string> supports()
    {
        return {"DivX", "Fichierbase", "nomBase", "RepertoireTemp", "CloseFind", "hPanel",
                " DVD", "A=B",         "[y",      "SitewEb",        "x\ny",      "DVD "};
    }

    void SetUp() override
    {
        catalogue::CatalogueState build;
        path = dir.file("Films.cvo");
        newCatalogueAt(build, path);
        std::string list;
        for (const auto& name : supports())
            list += (list.empty() ? "" : ";") + name;
        build.table().SetCell(build.table().FieldIndex("RESERVE2"), 1, list);
        int n = 0;
        for (const auto& name : supports()) {
            const std::string title = "Film " + std::to_string(++n);
            addFilm(build, {{"TITRE", title.c_str()}, {"RESERVE1", title.c_str()}, {"RESERVE0", name.c_str()}});
        }
        saveAndReopen(build);
        settings.writeString("GENERAL", "FICHIERBASE", path);
        settings.writeString("GENERAL", "NOMBASE", "Ma Collection");
        settings.writeString("GENERAL", "REPERTOIRETEMP", dir.file("temporaire") + "/");
        settings.writeBool("GENERAL", "CLOSEFIND", true);
        settings.writeString("CONNEXION", "SITEWEB", "http://127.0.0.1:9/");
    }

    std::unique_ptr<TfrmBase> start(catalogue::CatalogueState& state)
    {
        auto window = std::make_unique<TfrmBase>(state, prompts, dir.path().string() + "/");
        window->show();
        return window;
    }
    static QTreeWidgetItem* branch(TfrmBase& window, const std::string& name)
    {
        for (int i = 0; i < window.TreeFilm->rootNode()->childCount(); ++i)
            if (window.TreeFilm->rootNode()->child(i)->text(0) == ui::fromCp(name))
                return window.TreeFilm->rootNode()->child(i);
        return nullptr;
    }
    void expectFixedKeys()
    {
        EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), path);
        EXPECT_EQ(settings.readString("GENERAL", "NOMBASE", ""), "Ma Collection");
        EXPECT_EQ(settings.readString("GENERAL", "REPERTOIRETEMP", ""), dir.file("temporaire") + "/");
        EXPECT_EQ(settings.readInteger("GENERAL", "CLOSEFIND", -1), 1);
        EXPECT_EQ(settings.readInteger("GENERAL", "HPANEL", -1), 330);
        EXPECT_EQ(settings.readString("CONNEXION", "SITEWEB", ""), "http://127.0.0.1:9/");
    }
};

TEST_F(SupportNamesTest, BranchStatesLeaveFixedKeysAloneAndReadBack)
{
    // Collapsed: every other support.
    const auto names = supports();
    {
        catalogue::CatalogueState state;
        auto window = start(state);
        ASSERT_TRUE(prompts.transcript().empty());
        for (std::size_t i = 0; i < names.size(); ++i) {
            QTreeWidgetItem* node = branch(*window, names[i]);
            ASSERT_NE(node, nullptr) << names[i];
            node->setExpanded(i % 2 == 0);
        }
        window->close();
    }
    expectFixedKeys();

    // The next start reopens the catalogue with its root caption and every branch as it was left.
    catalogue::CatalogueState state;
    auto window = start(state);
    EXPECT_TRUE(prompts.transcript().empty());
    ASSERT_TRUE(state.IsOpen);
    EXPECT_EQ(window->TreeFilm->rootNode()->text(0), text("Ma Collection"));
    EXPECT_EQ(window->tempDir(), dir.file("temporaire") + "/");
    for (std::size_t i = 0; i < names.size(); ++i) {
        QTreeWidgetItem* node = branch(*window, names[i]);
        ASSERT_NE(node, nullptr) << names[i];
        EXPECT_EQ(node->isExpanded(), i % 2 == 0) << names[i];
    }

    // Ten closes leave the file as it is.
    window->close();
    expectFixedKeys();
    const std::string after = readFile(settings.path());
    for (int i = 0; i < 10; ++i) {
        window->show();
        window->close();
    }
    EXPECT_EQ(readFile(settings.path()).size(), after.size());
    EXPECT_EQ(readFile(settings.path()), after);
    expectFixedKeys();
}
