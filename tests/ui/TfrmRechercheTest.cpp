// The web search window against the stand-in film service: search, results list, support
// choice, and the import of ticked films into a fresh catalogue.
#include "ui/weblookup/TfrmRecherche.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "catalogue/Settings.h"
#include "support/FakeFilmService.h"
#include "support/HostileArchives.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "table/Cp1252.h"
#include "ui/TfrmBase.h"
#include "ui/kit/TParamCheckList.h"
#include "ui/kit/Text.h"
#include "ui/weblookup/TfrmEtat.h"
#include "weblookup/SearchPage.h"

namespace cinevaro::ui {
namespace {

namespace fs = std::filesystem;
using testing::FakeFilm;

const QString kWarning4 = QStringLiteral("Evitez de Selectionner plus de 4 films sinon MovieCovers sature");

FakeFilm extraFilm(int n)
{
    FakeFilm film;
    film.name = "FILM_" + std::to_string(n);
    film.listedTitle = "Film " + std::to_string(n);
    film.title = film.listedTitle;
    film.director = "Director " + std::to_string(n);
    film.year = "2001";
    film.origin = table::cp("Américain");
    film.genre = "Drame";
    film.duration = "1H30";
    film.actors = "Actor A;Actor B";
    film.synopsis = "Une histoire.";
    film.distributor = "Studio " + std::to_string(n);
    return film;
}

class RechercheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings = std::make_unique<catalogue::Settings>(catalogue::Settings::defaultPath(dir.path().string() + "/"));
        settings->writeString("CONNEXION", "SITEWEB", service.rootAddress());
        ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("films.cvo"), nullptr).ok);
        catalogue::ParseSupportList(state);
        form = std::make_unique<TfrmRecherche>(state, *settings, prompts);
        etat = std::make_unique<TfrmEtat>();
        form->setProgressWindow(etat.get());
        form->setRefreshTree([this] { ++refreshes; });
        form->setUrlOpener([this](const QUrl& url) { opened.push_back(url); });
        form->show();
    }

    void TearDown() override { EXPECT_TRUE(prompts.allAnswered()); }

    void search(const QString& text, int mode = 0)
    {
        form->cmbCherche->setCurrentIndex(mode);
        form->Edit1->setText(text);
        QTest::mouseClick(form->btnCherche, Qt::LeftButton);
    }

    TParamCheckList& list() { return *form->PCheckListBox; }

    // What choosing a support in the item's popup does.
    void chooseSupport(int index, const QString& support)
    {
        QString href = QStringLiteral("Support") + QString::number(index + 1);
        list().setCurrentRow(index);
        list().chooseParamValue(index, href, support);
    }

    std::string cell(const char* field, int row) const
    {
        return state.table().GetCell(state.table().FieldIndex(field), row);
    }

    testing::TempDir dir;
    testing::FakeFilmService service;
    testing::ScriptedPrompts prompts;
    catalogue::CatalogueState state;
    std::unique_ptr<catalogue::Settings> settings;
    std::unique_ptr<TfrmRecherche> form;
    std::unique_ptr<TfrmEtat> etat;
    int refreshes = 0;
    std::vector<QUrl> opened;
};

TEST_F(RechercheTest, ControlsAtOpening)
{
    EXPECT_EQ(form->cmbCherche->count(), 3);
    EXPECT_EQ(form->cmbCherche->itemText(2), QStringLiteral("Rechercher par Réalisateur (trice)"));
    EXPECT_TRUE(form->rdExact->isChecked());
    EXPECT_FALSE(form->btnAdd->isEnabled());
    EXPECT_EQ(form->Label1->text(), QStringLiteral("Nombre de films trouvé: "));
    EXPECT_EQ(form->rdPhone->text(), QStringLiteral("Phonétique "));
    EXPECT_EQ(etat->windowTitle(), QStringLiteral("Extraction des Données"));
}

TEST_F(RechercheTest, SearchListsResultsAndResetsTheWindow)
{
    form->rdPart->setChecked(true);
    search(QStringLiteral("le phare"), 0);
    ASSERT_EQ(service.requestCount(), 1u);
    EXPECT_EQ(service.requests()[0].path, "/multicrit.html?titre=le+phare&slow=1&listes=1");
    ASSERT_EQ(list().count(), 1);
    EXPECT_EQ(form->resultCount(), 1);
    EXPECT_EQ(list().itemMarkup(0), QStringLiteral("<A href=\"Support1\">?</A> -> Le Phare du Nord (1987)"));
    EXPECT_EQ(form->nbrFilm->text(), QStringLiteral("1"));
    EXPECT_TRUE(form->Edit1->text().isEmpty());
    EXPECT_EQ(form->cmbCherche->currentIndex(), 0);
    EXPECT_TRUE(form->rdPart->isChecked());
    EXPECT_TRUE(form->btnAdd->isEnabled());
    EXPECT_TRUE(form->btnClear->isEnabled());
    EXPECT_FALSE(etat->isVisible());
    EXPECT_EQ(form->searchResults()[0].pageAddress, service.rootAddress() + "/film/LE_PHARE_DU_NORD.html");
}

TEST_F(RechercheTest, ActorSearchEncodesAccents)
{
    form->rdPhone->setChecked(true);
    search(QStringLiteral("Jérôme"), 1);
    ASSERT_EQ(service.requestCount(), 1u);
    EXPECT_EQ(service.requests()[0].path, "/multicrit.html?acteur=J%E9r%F4me&slow=2&listes=1");
    EXPECT_EQ(form->cmbCherche->currentIndex(), 0);
    EXPECT_GE(list().count(), 1);
}

TEST_F(RechercheTest, DirectorSearchAsksForTheDirector)
{
    search(QStringLiteral("Besson"), 2);
    ASSERT_EQ(service.requestCount(), 1u);
    EXPECT_EQ(service.requests()[0].path, "/multicrit.html?real=Besson&slow=0&listes=1");
}

// A letter the catalogue cannot hold is refused before any request leaves; the text stays in the
// box to be corrected.
TEST_F(RechercheTest, ALetterOutsideTheCatalogueCharactersIsRefusedBeforeAnyRequest)
{
    search(QStringLiteral("Tōkyō"), 0);
    EXPECT_EQ(service.requestCount(), 0u);
    ASSERT_EQ(prompts.transcript().size(), 1u);
    EXPECT_EQ(prompts.transcript()[0].kind, QStringLiteral("error"));
    EXPECT_EQ(prompts.transcript()[0].text,
              QStringLiteral("Le texte contient un caractère qui ne peut pas être enregistré dans la base."));
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("Tōkyō"));
    EXPECT_EQ(list().count(), 0);
    EXPECT_TRUE(form->btnCherche->isEnabled());
}

// The proxy of the settings is taken each time the window opens; the service's pages then come
// through it, asked by their whole address.
TEST_F(RechercheTest, SearchesGoThroughTheProxyOfTheSettingsWhenTheWindowOpens)
{
    settings->writeString("CONNEXION", "SITEWEB", "http://films.example");
    settings->writeBool("CONNEXION", "PROXY", true);
    settings->writeString("CONNEXION", "PROXYADRESSE", "127.0.0.1");
    settings->writeString("CONNEXION", "PROXYPORT", std::to_string(service.port()));
    form->hide();
    form->show();
    search(QStringLiteral("phare"));
    ASSERT_EQ(service.requestCount(), 1u);
    EXPECT_EQ(service.requests()[0].target, "http://films.example:80/multicrit.html?titre=phare&slow=0&listes=1");
    EXPECT_EQ(list().count(), 1);
}

TEST_F(RechercheTest, EnterInTheSearchBoxRunsOneSearch)
{
    form->Edit1->setText(QStringLiteral("le phare"));
    QTest::keyClick(form->Edit1, Qt::Key_Return);
    // One request, for the text typed: no second search with the box the first one emptied.
    ASSERT_EQ(service.requestCount(), 1u);
    EXPECT_EQ(service.requests()[0].path, "/multicrit.html?titre=le+phare&slow=0&listes=1");
    EXPECT_EQ(list().count(), 1);
    form->Edit1->setText(QStringLiteral("caf"));
    QTest::keyClick(form->Edit1, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(service.requestCount(), 2u);
}

// "Chercher" is the window's default button: Enter pressed while the keyboard is on a search
// option runs the search too.
TEST_F(RechercheTest, EnterOnASearchOptionRunsTheSearch)
{
    form->Edit1->setText(QStringLiteral("le phare"));
    form->rdPart->setChecked(true);
    QTest::keyClick(form->rdPart, Qt::Key_Return);
    ASSERT_EQ(service.requestCount(), 1u);
    EXPECT_EQ(service.requests()[0].path, "/multicrit.html?titre=le+phare&slow=1&listes=1");
    EXPECT_EQ(list().count(), 1);
}

TEST_F(RechercheTest, MinimisingAndRestoringKeepsTheResults)
{
    search(QString());
    ASSERT_GE(list().count(), 3);
    chooseSupport(1, QStringLiteral("DVD"));
    form->Edit1->setText(QStringLiteral("phare"));
    form->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    form->setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
    EXPECT_EQ(list().count(), static_cast<int>(service.films().size()));
    EXPECT_TRUE(list().isChecked(1));
    EXPECT_EQ(list().paramText(1, QStringLiteral("Support2")), QStringLiteral("DVD"));
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("phare"));
    // Showing the window again resets it.
    form->hide();
    form->show();
    EXPECT_EQ(list().count(), 0);
    EXPECT_TRUE(form->Edit1->text().isEmpty());
}

TEST_F(RechercheTest, ControlsWaitWhileAPageArrives)
{
    auto slow = testing::FakeResponse::html(service.searchPage("titre", ""));
    slow.trickle = 16; // 5 ms between pieces: the transfer lasts a while
    service.setOverride("/multicrit.html", slow);
    bool checked = false;
    QTimer::singleShot(30, [&] {
        checked = true;
        EXPECT_TRUE(form->isBusy());
        EXPECT_FALSE(form->btnCherche->isEnabled());
        EXPECT_FALSE(form->btnAdd->isEnabled());
        EXPECT_TRUE(etat->isVisible());
        EXPECT_EQ(etat->lblEtat()->text(), QStringLiteral("Veuillez patienter, Recherche de \" x \" en Cours... "));
        // A second search asked for meanwhile does nothing (closing cancels: see FetchCancelTest).
        form->Edit1->setText(QStringLiteral("y"));
        emit form->Edit1->returnPressed();
    });
    search(QStringLiteral("x"));
    EXPECT_TRUE(checked);
    EXPECT_EQ(service.requestCount(), 1u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->btnCherche->isEnabled());
    EXPECT_EQ(list().count(), static_cast<int>(service.films().size()));
}

TEST_F(RechercheTest, PageWithoutEntries)
{
    service.setOverride("/multicrit.html", testing::FakeResponse::html("<HTML><li>minuscule</li></HTML>"));
    search(QStringLiteral("rien"));
    EXPECT_EQ(list().count(), 0);
    EXPECT_EQ(form->resultCount(), 0);
    EXPECT_EQ(form->nbrFilm->text(), QStringLiteral("Aucun Film Trouvé"));
    EXPECT_FALSE(form->btnAdd->isEnabled());
    EXPECT_FALSE(form->btnClear->isEnabled());
}

TEST_F(RechercheTest, FailedSearchKeepsTheCountAndTheText)
{
    search(QString());
    int before = form->resultCount();
    ASSERT_GT(before, 0);
    service.setOverride("/multicrit.html", testing::FakeResponse::withStatus(500, "Server Error"));
    search(QStringLiteral("phare"));
    ASSERT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("La Connexion à été fermé pour des raisons inconnues.")});
    EXPECT_EQ(list().count(), 0);
    EXPECT_EQ(form->resultCount(), before);
    EXPECT_EQ(form->nbrFilm->text(), QString::number(before));
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("phare"));
    EXPECT_FALSE(etat->isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->btnCherche->isEnabled());
}

TEST_F(RechercheTest, UnreachableServiceShowsTheTransportMessage)
{
    settings->writeString("CONNEXION", "SITEWEB", "http://127.0.0.1:1");
    search(QStringLiteral("x"));
    ASSERT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    EXPECT_FALSE(prompts.texts(QStringLiteral("error"))[0].isEmpty());
}

TEST_F(RechercheTest, PopupOffersTheSupportsOfTheCatalogue)
{
    search(QString());
    QStringList values;
    bool show = false;
    emit list().paramPopup(0, QStringLiteral("Support1"), values, show);
    EXPECT_TRUE(show);
    EXPECT_EQ(values, (QStringList{QStringLiteral("DivX"), QStringLiteral("DVD"), QStringLiteral("VHS")}));
    values.clear();
    show = false;
    emit list().paramPopup(0, QStringLiteral("Support2"), values, show);
    EXPECT_FALSE(show);
    EXPECT_TRUE(values.isEmpty());
}

TEST_F(RechercheTest, PopupNeverOffersTheSupportsOfAnEarlierList)
{
    auto& t = state.table();
    const int column = t.FieldIndex("RESERVE2");
    t.SetCell(column, 1, "Blu-ray;K7");
    catalogue::ParseSupportList(state);
    ASSERT_EQ(state.supportNames(), (std::vector<std::string>{"Blu-ray", "K7"}));
    // The header row now holds no list (another catalogue, or one whose list was emptied).
    t.SetCell(column, 1, "");
    search(QString());
    QStringList values;
    bool show = false;
    emit list().paramPopup(0, QStringLiteral("Support1"), values, show);
    EXPECT_TRUE(show);
    EXPECT_EQ(values, (QStringList{QStringLiteral("DivX"), QStringLiteral("DVD"), QStringLiteral("VHS")}));
}

TEST_F(RechercheTest, ChoosingFromTheRealMenuWritesTheSupport)
{
    search(QString());
    bool offered = false;
    QTimer::singleShot(50, [&offered] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* menu = qobject_cast<QMenu*>(w);
            if (!menu || !menu->isVisible())
                continue;
            for (QAction* action : menu->actions()) {
                if (action->data().toString() == QStringLiteral("DVD")) {
                    offered = true;
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                }
            }
        }
    });
    QRect at = list().paramRect(0, QStringLiteral("Support1"));
    ASSERT_FALSE(at.isNull());
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, at.center());
    EXPECT_TRUE(offered);
    EXPECT_EQ(list().paramText(0, QStringLiteral("Support1")), QStringLiteral("DVD"));
    EXPECT_TRUE(list().isChecked(0));
    EXPECT_TRUE(list().itemMarkup(0).startsWith(fromCp(weblookup::markup::kHighlightOpen)));
}

TEST_F(RechercheTest, WarningFromTheFourthSupportChoiceOnly)
{
    for (int n = 1; n <= 3; ++n)
        service.addFilm(extraFilm(n));
    search(QString());
    ASSERT_GE(list().count(), 6);
    // Ticking with the check box alone never warns.
    for (int i = 0; i < 5; ++i)
        list().toggleCheck(i);
    EXPECT_TRUE(prompts.transcript().empty());
    for (int i = 0; i < 5; ++i)
        list().toggleCheck(i);
    for (int i = 0; i < 3; ++i)
        chooseSupport(i, QStringLiteral("DVD"));
    EXPECT_TRUE(prompts.transcript().empty());
    chooseSupport(3, QStringLiteral("VHS"));
    ASSERT_EQ(prompts.texts(QStringLiteral("warning")), QStringList{kWarning4});
    // Choosing again with four ticked warns again, once; the choice stays.
    chooseSupport(3, QStringLiteral("DivX"));
    chooseSupport(4, QStringLiteral("DivX"));
    EXPECT_EQ(prompts.texts(QStringLiteral("warning")).size(), 3);
    EXPECT_EQ(list().paramText(4, QStringLiteral("Support5")), QStringLiteral("DivX"));
    EXPECT_TRUE(list().isChecked(4));
}

TEST_F(RechercheTest, UntickingPutsTheQuestionMarkBack)
{
    search(QString());
    QString plain = list().itemMarkup(1);
    chooseSupport(1, QStringLiteral("DVD"));
    EXPECT_NE(list().itemMarkup(1), plain);
    EXPECT_TRUE(list().isChecked(1));
    list().toggleCheck(1);
    EXPECT_FALSE(list().isChecked(1));
    EXPECT_EQ(list().itemMarkup(1), plain);
    // Ticking again highlights without a support.
    list().toggleCheck(1);
    EXPECT_EQ(list().itemMarkup(1), fromCp(weblookup::markup::highlighted(toCp(plain).value())));
    EXPECT_EQ(list().paramText(1, QStringLiteral("Support2")), QStringLiteral("?"));
    // The first result likewise.
    const QString first = list().itemMarkup(0);
    chooseSupport(0, QStringLiteral("VHS"));
    EXPECT_NE(list().itemMarkup(0), first);
    list().toggleCheck(0);
    EXPECT_EQ(list().itemMarkup(0), first);
}

TEST_F(RechercheTest, ClearDisablesTheListButtonsAndAddOnEmptyListDoesNothing)
{
    search(QString());
    QTest::mouseClick(form->btnClear, Qt::LeftButton);
    EXPECT_EQ(list().count(), 0);
    EXPECT_FALSE(form->btnAdd->isEnabled());
    EXPECT_FALSE(form->btnClear->isEnabled());
    service.clearRequests();
    form->btnAdd->setEnabled(true);
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_EQ(state.table().RowCount(), 1);
}

TEST_F(RechercheTest, CloseBoxIsTheSetting)
{
    EXPECT_FALSE(form->chkClose->isChecked());
    QTest::mouseClick(form->chkClose, Qt::LeftButton);
    EXPECT_TRUE(settings->readBool("GENERAL", "CLOSEFIND", false));
    settings->writeBool("GENERAL", "CLOSEFIND", false);
    form->hide();
    form->show();
    EXPECT_FALSE(form->chkClose->isChecked());
}

// "Fermer" closes the window, as accepted.
TEST_F(RechercheTest, FermerClosesTheWindow)
{
    ASSERT_TRUE(form->isVisible());
    QTest::mouseClick(form->brnFerme, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), int(QDialog::Accepted));
}

TEST_F(RechercheTest, LogoOpensTheServiceRoot)
{
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QString::fromStdString(service.rootAddress())));
}

// While an import runs the mouse shows the wait cursor; once it is done the cursor is as before.
TEST_F(RechercheTest, TheWaitCursorLastsAsLongAsTheImport)
{
    search(QString());
    ASSERT_GE(list().count(), 3);
    chooseSupport(0, QStringLiteral("DVD"));
    chooseSupport(2, QStringLiteral("VHS"));
    std::vector<int> shapes;
    form->setRefreshTree([&shapes] {
        const QCursor* cursor = QApplication::overrideCursor();
        shapes.push_back(cursor ? int(cursor->shape()) : -1);
    });
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    EXPECT_EQ(shapes, (std::vector<int>{Qt::WaitCursor, Qt::WaitCursor}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(RechercheTest, ImportOfTwoTickedFilms)
{
    search(QString());
    ASSERT_GE(list().count(), 3);
    chooseSupport(0, QStringLiteral("DVD"));
    chooseSupport(2, QStringLiteral("VHS"));
    service.clearRequests();
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    EXPECT_TRUE(prompts.transcript().empty());
    auto requests = service.requests();
    auto films = service.films();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].path, testing::FakeFilmService::filmPath(films[0]));
    EXPECT_EQ(requests[1].path, testing::FakeFilmService::archivePath(films[0]));
    EXPECT_EQ(requests[2].path, testing::FakeFilmService::filmPath(films[2]));
    EXPECT_EQ(requests[3].path, testing::FakeFilmService::archivePath(films[2]));

    ASSERT_EQ(state.table().RowCount(), 3);
    EXPECT_EQ(cell("TITRE", 2), films[0].name);
    EXPECT_EQ(cell("RESERVE0", 2), "DVD");
    EXPECT_EQ(cell("RESERVE1", 2), films[0].listedTitle);
    EXPECT_EQ(cell("REAL", 2), films[0].director);
    EXPECT_EQ(cell("DISTRIB", 2), films[0].distributor == "IDMC" ? "N/A" : films[0].distributor);
    EXPECT_EQ(cell("RESERVE0", 3), "VHS");
    EXPECT_EQ(cell("TITRE", 3), films[2].name);
    EXPECT_TRUE(fs::exists(catalogue::coverPath(state, films[0].name)));
    EXPECT_TRUE(fs::exists(catalogue::coverPath(state, films[2].name)));
    EXPECT_FALSE(fs::exists(state.CollectionFolder + "(c).txt"));
    EXPECT_FALSE(fs::exists(state.CollectionFolder + films[0].name + ".zip"));
    EXPECT_FALSE(fs::exists(state.CollectionFolder + films[0].name + ".film"));
    EXPECT_EQ(refreshes, 2);
    // The run ends with the window reset: the list is empty, the progress window closed.
    EXPECT_EQ(list().count(), 0);
    EXPECT_FALSE(etat->isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(RechercheTest, MissingSupportStopsEverything)
{
    search(QString());
    chooseSupport(0, QStringLiteral("DVD"));
    list().toggleCheck(1);
    service.clearRequests();
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    ASSERT_EQ(prompts.transcript().size(), 1u);
    EXPECT_EQ(prompts.transcript()[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(prompts.transcript()[0].systemModal);
    EXPECT_EQ(prompts.transcript()[0].caption, QStringLiteral("Opération Arrétée"));
    EXPECT_EQ(prompts.transcript()[0].text,
              QStringLiteral("Il manque des catégories de support pour les films Selectionnés."));
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_EQ(state.table().RowCount(), 1);
    EXPECT_EQ(list().count(), 3);
}

TEST_F(RechercheTest, EntriesLeftOutOfAnArchiveAreToldAfterTheImport)
{
    const FakeFilm film = service.films()[0];
    testing::ZipBuilder zip;
    zip.add(film.name + ".film", film.filmFile()).addSymlink(film.name + ".jpg", "/etc/passwd");
    testing::serveHostileArchive(service, film, testing::FakeFilmService::archivePath(film), zip.bytes());
    search(QString());
    chooseSupport(0, QStringLiteral("DVD"));
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    EXPECT_EQ(state.table().RowCount(), 2);
    ASSERT_EQ(prompts.texts(QStringLiteral("warning")).size(), 1);
    EXPECT_EQ(prompts.texts(QStringLiteral("warning"))[0],
              QStringLiteral("Archive de ") + ui::fromCp(film.listedTitle) +
                  QStringLiteral(" : 1 entrée ignorée (liens, noms vides ou contenant des caractères de contrôle)"));
    EXPECT_FALSE(fs::exists(catalogue::coverPath(state, film.name)));
}

TEST_F(RechercheTest, AutomaticClosingRemovesDuplicateRows)
{
    settings->writeBool("GENERAL", "CLOSEFIND", true);
    state.table().AppendRow();
    state.table().AppendRow(); // two identical empty rows: one goes at closing
    search(QString());
    chooseSupport(1, QStringLiteral("DivX"));
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(state.table().RowCount(), 3);
}

TEST_F(RechercheTest, DuplicateQuestionText)
{
    search(QString());
    chooseSupport(0, QStringLiteral("DVD"));
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    search(QString());
    chooseSupport(0, QStringLiteral("DVD"));
    prompts.answerNo();
    // RESERVE1 holds the listed title; the film name is tested as a pattern against it.
    state.table().SetCell(state.table().FieldIndex("RESERVE1"), 2, service.films()[0].name);
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    ASSERT_EQ(prompts.texts(QStringLiteral("question")).size(), 1);
    EXPECT_EQ(prompts.transcript().back().caption, QStringLiteral("Confirmation"));
    EXPECT_EQ(prompts.texts(QStringLiteral("question"))[0],
              QStringLiteral("La gestion des Doublons n'est pas parfaite\r\nEtes vous sur de vouloir ajouter ") +
                  fromCp(service.films()[0].name) + QStringLiteral(" ?"));
    EXPECT_EQ(state.table().RowCount(), 2);
}

TEST_F(RechercheTest, Screenshot)
{
    search(QString());
    chooseSupport(0, QStringLiteral("DVD"));
    chooseSupport(2, QStringLiteral("VHS"));
    form->Edit1->setText(QStringLiteral("phare"));
    QApplication::processEvents();
    QString path = QStringLiteral(CINEVARO_BUILD_DIR) + QStringLiteral("/screenshots/TfrmRecherche.png");
    fs::create_directories(fs::path(path.toStdString()).parent_path());
    EXPECT_TRUE(form->grab().save(path));
    // The list shows every film found, the two chosen supports ticked in their lines.
    EXPECT_EQ(list().count(), static_cast<int>(service.films().size()));
    EXPECT_TRUE(list().isChecked(0));
    EXPECT_FALSE(list().isChecked(1));
    EXPECT_TRUE(list().isChecked(2));
    EXPECT_EQ(list().paramText(0, QStringLiteral("Support1")), QStringLiteral("DVD"));
    EXPECT_EQ(list().paramText(2, QStringLiteral("Support3")), QStringLiteral("VHS"));
    EXPECT_TRUE(form->btnAdd->isEnabled());
    etat->showProgress(QStringLiteral("Extraction de la fiche de : Le Phare du Nord (1987)"));
    etat->workBegin(1000);
    etat->work(400);
    EXPECT_TRUE(etat->grab().save(QStringLiteral(CINEVARO_BUILD_DIR) + QStringLiteral("/screenshots/TfrmEtat.png")));
    // The progress window names the film and stands at 40 %.
    EXPECT_EQ(etat->lblEtat()->text(), QStringLiteral("Extraction de la fiche de : Le Phare du Nord (1987)"));
    EXPECT_EQ(etat->progressBar()->value() * 100 / etat->progressBar()->maximum(), 40);
    EXPECT_EQ(etat->btnAnnuler()->text(), QStringLiteral("Annuler"));
    etat->hide();
}

TEST(ProgressWindow, LongDownloadsStandAtTheirFractionOnTheBar)
{
    // The bar holds ints: a length that fits is shown byte for byte, a larger one scaled down with
    // what was received, so that the bar shows the same fraction and reaches its end.
    constexpr std::int64_t intMax = std::numeric_limits<int>::max();
    for (const std::int64_t length : {std::int64_t{1000}, intMax, intMax + 1, std::int64_t{6'000'000'000}}) {
        SCOPED_TRACE(length);
        TfrmEtat etat;
        etat.workBegin(length);
        const QProgressBar& bar = *etat.progressBar();
        if (length <= intMax) {
            EXPECT_EQ(bar.maximum(), length);
        } else {
            EXPECT_GE(bar.maximum(), intMax / 4); // still fine steps
        }
        etat.work(length / 5 * 2);
        EXPECT_NEAR(static_cast<double>(bar.value()) / bar.maximum(), 0.4, 1e-6);
        etat.work(length - 1);
        EXPECT_LT(bar.value(), bar.maximum());
        etat.workEnd();
        EXPECT_EQ(bar.value(), bar.maximum());
    }
}

TEST(AutomaticAddition, FromTheMainWindowCommand)
{
    testing::TempDir dir;
    testing::FakeFilmService service;
    catalogue::Settings settings(dir.file("Cinevaro.ini"));
    catalogue::CatalogueState build;
    ASSERT_TRUE(catalogue::newCatalogue(build, dir.file("Films.cvo"), &settings).ok);
    settings.writeString("CONNEXION", "SITEWEB", service.rootAddress());
    catalogue::CatalogueState state;
    testing::ScriptedPrompts prompts;
    TfrmBase window(state, prompts, dir.path().string() + "/");
    window.createSecondaryWindows();
    ASSERT_NE(window.frmRecherche, nullptr);
    ASSERT_TRUE(window.AjoutAuto1->isEnabled());
    // A proxy port that is not a number keeps the window closed.
    settings.writeBool("CONNEXION", "PROXY", true);
    settings.writeString("CONNEXION", "PROXYPORT", "8o8o");
    window.AjoutAuto1->trigger();
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("'8o8o' n'est pas une valeur entière correcte.")});
    EXPECT_TRUE(prompts.texts(QStringLiteral("modal")).isEmpty());
    settings.writeBool("CONNEXION", "PROXY", false);
    prompts.answerModal([&](QDialog& dialog) {
        auto& form = static_cast<TfrmRecherche&>(dialog);
        form.show();
        form.Edit1->setText(QStringLiteral("caf"));
        QTest::mouseClick(form.btnCherche, Qt::LeftButton);
        EXPECT_EQ(form.PCheckListBox->count(), 1);
        form.PCheckListBox->setCurrentRow(0);
        form.PCheckListBox->chooseParamValue(0, QStringLiteral("Support1"), QStringLiteral("VHS"));
        QTest::mouseClick(form.btnAdd, Qt::LeftButton);
        QTest::mouseClick(form.brnFerme, Qt::LeftButton);
        return static_cast<int>(QDialog::Accepted);
    });
    window.AjoutAuto1->trigger();
    EXPECT_EQ(state.table().RowCount(), 2);
    // The tree shows the film under its support by its listed title.
    const std::string listed =
        weblookup::parseResultPage(service.searchPage("titre", "caf"), service.rootAddress()).at(0).title;
    auto found = window.TreeFilm->findItems(fromCp(listed), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0]->parent()->text(0), QStringLiteral("VHS"));
}

} // namespace
} // namespace cinevaro::ui
