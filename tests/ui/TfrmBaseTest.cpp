// The main window: start-up with and without settings, the film tree, the record view, delete,
// refresh, new catalogue, close; and a screenshot of a small catalogue.
#include "ui/TfrmBase.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/FilmTree.h"
#include "catalogue/Settings.h"
#include "editing/JpegWriter.h"
#include "support/FilmRows.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "ui/TSplashForm.h"
#include "ui/catalogue/FilmLeafItems.h"
#include "ui/catalogue/RecordView.h"
#include "ui/catalogue/TfrmCherchebase.h"
#include "ui/editing/TechPanel.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/kit/Icons.h"
#include "ui/kit/OfficeStyle.h"
#include "ui/kit/PictureBox.h"
#include "ui/kit/Version.h"
#include "ui/loans/LoanPanel.h"
#include "ui/output/TfrmExportH.h"
#include "ui/output/TfrmPrint.h"

namespace fs = std::filesystem;
using namespace cinevaro;
using namespace cinevaro::testing;
using ui::TfrmBase;

namespace {

std::string coverJpeg(int width, int height)
{
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = static_cast<unsigned char>(40 + 150 * y / height);
            p[1] = static_cast<unsigned char>(60 + 80 * x / width);
            p[2] = static_cast<unsigned char>(160 - 100 * y / height);
        }
    return editing::encodeJpeg(width, height, rgb.data(), width * 3, 85);
}

} // namespace

class TfrmBaseTest : public ::testing::Test
{
protected:
    TempDir dir;
    catalogue::Settings settings{dir.file("Cinevaro.ini")};
    catalogue::CatalogueState state;
    ScriptedPrompts prompts;
    std::unique_ptr<TfrmBase> window;

    void TearDown() override
    {
        window.reset();
        EXPECT_TRUE(prompts.allAnswered());
    }

    std::string exeDir() const { return dir.path().string() + "/"; }
    void start() { window = std::make_unique<TfrmBase>(state, prompts, exeDir()); }

    // A catalogue "Films.cvo" written beforehand and recorded as the last catalogue.
    std::string writeFilms(const std::function<void(catalogue::CatalogueState&)>& fill)
    {
        catalogue::CatalogueState build;
        const auto path = dir.file("Films.cvo");
        newCatalogueAt(build, path);
        fill(build);
        saveAndReopen(build);
        settings.writeString("GENERAL", "FICHIERBASE", path);
        return path;
    }

    static void smallCatalogue(catalogue::CatalogueState& s)
    {
        addFilm(s, {{"TITRE", "Alien"},
                    {"RESERVE1", "Alien"},
                    {"RESERVE0", "DVD"},
                    {"REAL", "Ridley Scott"},
                    {"DATE", "1979"},
                    {"ORIGINE", "Américain"},
                    {"GENRE", "Science-fiction"},
                    {"DUREE", "1H57"},
                    {"ACTEUR", "Sigourney Weaver;Tom Skerritt;John Hurt"},
                    {"RESUME", "Un cargo spatial reçoit un signal.\r\nL'équipage enquête."},
                    {"DISTRIB", "FOX"},
                    {"RESERVE3", "12"},
                    {"FORMATVIDEO", "DivX 5"},
                    {"FORMATAUDIO", "AC3"},
                    {"RESOLUTION", "640 x 480"},
                    {"ZONE", "2: Europe, Japon et Afrique du Sud"},
                    {"BITVIDEO", "900"},
                    {"BITAUDIO", "128"},
                    {"SIZE", "700"},
                    {"FREQUENCE", "25"},
                    {"LANGUEP", "Français"},
                    {"LANGUES", "Anglais"},
                    {"SOUSTITRE", "Français"},
                    {"NBDISK", "1 Disque"}});
        addFilm(s, {{"TITRE", "Brazil"},
                    {"RESERVE1", "Brazil"},
                    {"RESERVE0", "DVD"},
                    {"IFEMP", "1"},
                    {"NOMEMP", "Paul"},
                    {"DATEMP", "12/03/2024"},
                    {"REAL", "Terry Gilliam"}});
        addFilm(s, "Été meurtrier", "DVD");
        addFilm(s, "zombie", "DivX");
        addFilm(s, "Cassette perdue", "Betamax"); // under no support
        addFilm(s, {{"TITRE", "Heat 1"}, {"RESERVE1", "Heat"}, {"RESERVE0", "VHS"}, {"REAL", "Michael Mann"}});
        addFilm(s, {{"TITRE", "Heat 2"}, {"RESERVE1", "Heat"}, {"RESERVE0", "VHS"}, {"REAL", "Autre"}});
    }

    QStringList treeLines() const
    {
        QStringList lines;
        for (QTreeWidgetItemIterator it(window->TreeFilm); *it; ++it) {
            int depth = 0;
            for (auto* p = (*it)->parent(); p; p = p->parent())
                ++depth;
            lines << QString(depth * 2, QLatin1Char(' ')) + (*it)->text(0);
        }
        return lines;
    }

    QTreeWidgetItem* node(const QString& caption, int occurrence = 0) const
    {
        for (QTreeWidgetItemIterator it(window->TreeFilm); *it; ++it)
            if ((*it)->text(0) == caption && occurrence-- == 0)
                return *it;
        ADD_FAILURE() << "no node " << caption.toStdString();
        return nullptr;
    }

    void select(const QString& caption, int occurrence = 0)
    {
        window->TreeFilm->setCurrentItem(node(caption, occurrence));
    }
};

TEST_F(TfrmBaseTest, ItsControlsAreFoundByTheirNames)
{
    start();
    const std::pair<const char*, QObject*> controls[] = {
        {"Split", window->Split},         {"TreeFilm", window->TreeFilm}, {"Panel", window->Panel},
        {"ADVGen", window->ADVGen},       {"ADVSupp", window->ADVSupp},   {"ADVpret", window->ADVpret},
        {"StatusBar", window->StatusBar}, {"ToolBar1", window->ToolBar1}, {"PopupMenu", window->PopupMenu}};
    for (const auto& [name, control] : controls)
        EXPECT_EQ(window->findChild<QObject*>(QString::fromLatin1(name)), control) << name;
}

TEST_F(TfrmBaseTest, FirstStartWithoutSettingsFile)
{
    start();
    window->show();
    EXPECT_EQ(window->width(), 847);
    EXPECT_EQ(window->height(), 561);
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(8, 103));
    EXPECT_EQ(window->Split->sizes().value(0), 289);
    EXPECT_FALSE(window->TreeFilm->isEnabled());
    EXPECT_FALSE(window->Panel->isEnabled());
    EXPECT_TRUE(window->ADVpret->isVisible());
    EXPECT_TRUE(window->ADVSupp->isVisible());
    EXPECT_TRUE(window->ADVpret->isCollapsed());
    EXPECT_TRUE(window->ADVSupp->isCollapsed());
    EXPECT_EQ(window->ADVGen->height(), 330);
    EXPECT_TRUE(window->mnuPret->isChecked());
    EXPECT_TRUE(window->mnuSupp->isChecked());
    EXPECT_TRUE(window->AucunFiltre1->isChecked());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Cinevaro"));
    EXPECT_TRUE(prompts.transcript().empty());
    EXPECT_FALSE(fs::exists(dir.file("Cinevaro.ini")));
}

TEST_F(TfrmBaseTest, NewCatalogueShowsRootAndDefaultSupports)
{
    start();
    const auto path = dir.file("Nouvelle.cvo");
    prompts.answerFile(QString::fromStdString(path));
    window->Nouveau1->trigger();
    ASSERT_EQ(prompts.transcript().size(), 1u);
    EXPECT_EQ(prompts.transcript()[0].caption, QStringLiteral("Nom de la Nouvelle Base"));
    EXPECT_EQ(prompts.transcript()[0].text, QStringLiteral("Fichier Cinevar (*.cvo)"));
    EXPECT_EQ(treeLines(), (QStringList{QStringLiteral("Ma Vidéothèque"), QStringLiteral("  DivX"),
                                        QStringLiteral("  DVD"), QStringLiteral("  VHS")}));
    EXPECT_EQ(window->statusText(0), QStringLiteral("Il y a 0 films dans la base de donnée"));
    // The root is open on its supports.
    ASSERT_NE(window->TreeFilm->rootNode(), nullptr);
    EXPECT_TRUE(window->TreeFilm->rootNode()->isExpanded());
    EXPECT_TRUE(window->TreeFilm->isEnabled());
    EXPECT_TRUE(window->Panel->isEnabled());
    EXPECT_TRUE(fs::is_directory(dir.file("Nouvelle")));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), path);
}

// A new catalogue shows nothing of the film shown before it: no text and no cover.
TEST_F(TfrmBaseTest, ANewCatalogueShowsNothingOfTheFilmShownBefore)
{
    writeFilms(smallCatalogue);
    dir.write("Films/Alien.jpg", coverJpeg(300, 420));
    start();
    select(QStringLiteral("Alien"));
    ASSERT_FALSE(window->recordView()->imgCover->isEmpty());
    prompts.answerFile(QString::fromStdString(dir.file("Nouvelle.cvo")));
    window->Nouveau1->trigger();
    ASSERT_EQ(window->statusText(0), QStringLiteral("Il y a 0 films dans la base de donnée"));
    EXPECT_TRUE(window->recordView()->lblTitre->text().isEmpty());
    EXPECT_TRUE(window->recordView()->lblReal->text().isEmpty());
    EXPECT_TRUE(window->recordView()->imgCover->isEmpty());
    EXPECT_TRUE(window->recordView()->lblimage->text().isEmpty());
}

TEST_F(TfrmBaseTest, StartWithACatalogueWithoutRowsShowsTheRootOpenOnItsSupports)
{
    writeFilms([](catalogue::CatalogueState& s) { ASSERT_TRUE(s.table().DeleteRow(1)); });
    start();
    EXPECT_TRUE(prompts.transcript().empty());
    EXPECT_EQ(treeLines(), (QStringList{QStringLiteral("Ma Vidéothèque"), QStringLiteral("  DivX"),
                                        QStringLiteral("  DVD"), QStringLiteral("  VHS")}));
    ASSERT_NE(window->TreeFilm->rootNode(), nullptr);
    EXPECT_TRUE(window->TreeFilm->rootNode()->isExpanded());
}

TEST_F(TfrmBaseTest, NewCatalogueCancelledOrFolderImpossible)
{
    start();
    prompts.answerFile(QString());
    EXPECT_FALSE(window->Nouveau1Click());
    // A file stands where the collection folder should be created.
    dir.write("Bloque", "x");
    prompts.answerFile(QString::fromStdString(dir.file("Bloque.cvo")));
    EXPECT_FALSE(window->Nouveau1Click());
    const auto errors = prompts.texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Impossible de créer"))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].endsWith(QLatin1Char('.')));
    EXPECT_FALSE(window->TreeFilm->isEnabled());
    EXPECT_FALSE(fs::exists(dir.file("Bloque.cvo")));
}

// A new catalogue that cannot be created leaves the one open as it was: still shown, still named
// in the settings, and its film still selected.
TEST_F(TfrmBaseTest, ANewCatalogueThatCannotBeCreatedLeavesTheOpenOneShown)
{
    writeFilms(smallCatalogue);
    start();
    select(QStringLiteral("Alien"));
    const QStringList before = treeLines();
    const std::string named = settings.readString("GENERAL", "FICHIERBASE", "");
    dir.write("Bloque", "x");
    prompts.answerFile(QString::fromStdString(dir.file("Bloque.cvo")));
    EXPECT_FALSE(window->Nouveau1Click());
    ASSERT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(state.IsOpen);
    EXPECT_EQ(treeLines(), before);
    EXPECT_TRUE(window->TreeFilm->isEnabled());
    EXPECT_TRUE(window->Panel->isEnabled());
    EXPECT_EQ(window->recordView()->lblTitre->text(), QStringLiteral("Alien"));
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), named);
}

TEST_F(TfrmBaseTest, CatalogueWithFilmsInTreeOrder)
{
    writeFilms(smallCatalogue);
    start();
    EXPECT_EQ(treeLines(),
              (QStringList{QStringLiteral("Ma Vidéothèque"), QStringLiteral("  DivX"), QStringLiteral("    zombie"),
                           QStringLiteral("  DVD"), QStringLiteral("    Alien"), QStringLiteral("    Brazil"),
                           QStringLiteral("    Été meurtrier"), QStringLiteral("  VHS"), QStringLiteral("    Heat"),
                           QStringLiteral("    Heat")}));
    // The film under no support is counted.
    EXPECT_EQ(window->statusText(0), QStringLiteral("Il y a 7 films dans la base de donnée"));
    EXPECT_EQ(window->statusText(1), QStringLiteral("Aucun Filtre"));
    EXPECT_EQ(node(QStringLiteral("Brazil"))->icon(0).cacheKey(), ui::icon(ui::IconId::FilmLent).cacheKey());
    EXPECT_EQ(node(QStringLiteral("Alien"))->icon(0).cacheKey(), ui::icon(ui::IconId::Film).cacheKey());
    EXPECT_EQ(node(QStringLiteral("DVD"))->icon(0).cacheKey(), ui::icon(ui::IconId::Support).cacheKey());
    EXPECT_EQ(window->TreeFilm->currentItem(), window->TreeFilm->rootNode());
    // Never closed before: every support expanded.
    EXPECT_TRUE(node(QStringLiteral("DVD"))->isExpanded());
    EXPECT_TRUE(prompts.transcript().empty());
}

TEST_F(TfrmBaseTest, TwoFilmsWithTheSameTitleEachShowTheirOwnRecord)
{
    writeFilms(smallCatalogue);
    start();
    select(QStringLiteral("Heat"), 1);
    EXPECT_EQ(window->recordView()->lblReal->text(), QStringLiteral("Autre"));
    select(QStringLiteral("Heat"), 0);
    EXPECT_EQ(window->recordView()->lblReal->text(), QStringLiteral("Michael Mann"));
}

// A row asked for twice in one build of the tree gets a second node of its own, showing the same
// caption, picture and row as the first.
TEST(FilmLeafItemsTest, ARowAskedForTwiceInOneBuildGetsASecondNodeShowingTheFilm)
{
    ui::FilmLeafItems leaves(Qt::UserRole);
    const QIcon filmImage = ui::icon(ui::IconId::Film);
    const QIcon lentImage = ui::icon(ui::IconId::FilmLent);
    catalogue::FilmLeaf film;
    film.row = 3;
    film.caption = table::cp("Amélie");
    film.lent = true;
    leaves.beginBuild();
    QTreeWidgetItem* first = leaves.node(film, filmImage, lentImage);
    std::unique_ptr<QTreeWidgetItem> second(leaves.node(film, filmImage, lentImage));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second.get(), nullptr);
    EXPECT_NE(second.get(), first);
    for (const QTreeWidgetItem* node : {first, second.get()}) {
        EXPECT_EQ(node->text(0), QString::fromUtf8("Amélie"));
        EXPECT_EQ(node->data(0, Qt::UserRole).toInt(), 3);
        EXPECT_EQ(node->icon(0).cacheKey(), lentImage.cacheKey());
    }
}

TEST_F(TfrmBaseTest, SelectingAFilmFillsEveryBoxAndTheCover)
{
    writeFilms(smallCatalogue);
    dir.write("Films/Alien.jpg", coverJpeg(300, 420));
    start();
    window->show();
    select(QStringLiteral("Alien"));
    EXPECT_EQ(window->recordView()->lblTitre->text(), QStringLiteral("Alien"));
    EXPECT_EQ(window->recordView()->lblReal->text(), QStringLiteral("Ridley Scott"));
    EXPECT_EQ(window->recordView()->lblDate->text(), QStringLiteral("1979"));
    EXPECT_EQ(window->recordView()->lblOri->text(), QStringLiteral("Américain"));
    EXPECT_EQ(window->recordView()->lblGenre->text(), QStringLiteral("Science-fiction"));
    EXPECT_EQ(window->recordView()->lblDuree->text(), QStringLiteral("1H57"));
    EXPECT_EQ(window->recordView()->lblNo->text(), QStringLiteral("12"));
    EXPECT_EQ(window->recordView()->lblDistrib->text(), QStringLiteral("FOX"));
    EXPECT_EQ(window->recordView()->lblSupport->text(), QStringLiteral("DVD"));
    EXPECT_EQ(window->recordView()->MemoResume->toPlainText(),
              QStringLiteral("Un cargo spatial reçoit un signal.\nL'équipage enquête."));
    ASSERT_EQ(window->recordView()->lstActeur->count(), 3);
    EXPECT_EQ(window->recordView()->lstActeur->item(1)->text(), QStringLiteral("Tom Skerritt"));
    EXPECT_EQ(window->recordView()->lstActeur->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(window->techPanel()->cmbVideo->currentText(), QStringLiteral("DivX 5"));
    EXPECT_EQ(window->techPanel()->cmbAudio->currentText(), QStringLiteral("AC3"));
    EXPECT_EQ(window->techPanel()->cmbResol->currentText(), QStringLiteral("640 x 480"));
    EXPECT_EQ(window->techPanel()->cmbZone->currentText(), QStringLiteral("2: Europe, Japon et Afrique du Sud"));
    EXPECT_EQ(window->techPanel()->spnVideo->text(), QStringLiteral("900"));
    EXPECT_EQ(window->techPanel()->spnAudio->text(), QStringLiteral("128"));
    EXPECT_EQ(window->techPanel()->spnSize->text(), QStringLiteral("700"));
    EXPECT_EQ(window->techPanel()->cmbFrame->currentText(), QStringLiteral("25"));
    EXPECT_EQ(window->techPanel()->cmbLanguep->currentText(), QStringLiteral("Français"));
    EXPECT_EQ(window->techPanel()->cmbLangues->currentText(), QStringLiteral("Anglais"));
    EXPECT_EQ(window->techPanel()->cmbSoustitre->currentText(), QStringLiteral("Français"));
    EXPECT_EQ(window->techPanel()->cmbDisk->currentText(), QStringLiteral("1 Disque"));
    EXPECT_EQ(window->loanPanel()->lblPret->text(), QStringLiteral("Disponible"));
    EXPECT_EQ(window->loanPanel()->btnPret->text(), QStringLiteral("Prêter"));
    EXPECT_EQ(window->MenuPret->text(), QStringLiteral("Prêter ce Film"));
    EXPECT_TRUE(window->loanPanel()->filtrePret->isEnabled());
    EXPECT_TRUE(window->recordView()->filtreSupport->isEnabled());
    EXPECT_FALSE(window->recordView()->imgCover->isEmpty());
    EXPECT_EQ(window->recordView()->imgCover->toolTip(), QStringLiteral("Affiche"));
    EXPECT_FALSE(window->recordView()->lblimage->isVisible());
    EXPECT_FALSE(state.TechModified);

    select(QStringLiteral("Brazil"));
    EXPECT_EQ(window->loanPanel()->lblPret->text(), QStringLiteral("Prêté à Paul le 12/03/2024"));
    EXPECT_EQ(window->loanPanel()->btnPret->text(), QStringLiteral("Rendu"));
    EXPECT_EQ(window->MenuPret->text(), QStringLiteral("Film Rendu"));
    EXPECT_EQ(window->recordView()->lstActeur->count(), 0);
    EXPECT_TRUE(window->recordView()->imgCover->isEmpty());
    EXPECT_TRUE(window->recordView()->lblimage->isVisible());
    EXPECT_EQ(window->recordView()->lblimage->text(), QStringLiteral("Il n'y a pas d'Affiche pour : \"Brazil\""));
    EXPECT_EQ(window->recordView()->imgCover->toolTip(), QStringLiteral("Pas d'Affiche disponible"));
    EXPECT_TRUE(window->techPanel()->cmbVideo->currentText().isEmpty());

    // A branch keeps the record view as it was and sets CurrentRow to 1.
    select(QStringLiteral("DVD"));
    EXPECT_EQ(state.CurrentRow, 1);
    EXPECT_EQ(window->recordView()->lblTitre->text(), QStringLiteral("Brazil"));
}

// A cover is decoded no larger than its box needs; shown again in a larger box (the window was
// enlarged), it is decoded again at the larger size rather than stretched from the smaller one.
TEST_F(TfrmBaseTest, ACoverShownAgainInALargerBoxIsDecodedAtTheLargerSize)
{
    ui::RecordView view;
    const std::string cover = dir.write("Films/Grand.jpg", coverJpeg(1600, 2240));
    view.imgCover->resize(200, 280);
    view.setCover(cover, QString());
    const int small = view.imgCover->image().width();
    ASSERT_GT(small, 0);
    EXPECT_LT(small, 1600);
    view.imgCover->resize(800, 1120);
    view.setCover(cover, QString());
    EXPECT_GE(view.imgCover->image().width(), 800);
    EXPECT_GT(view.imgCover->image().width(), small);
}

// A record view starts unfolded: given a size, it places its fields below the title; folded, it
// places the title only.
TEST_F(TfrmBaseTest, ANewRecordViewPlacesItsFieldsUntilFolded)
{
    ui::RecordView view;
    view.resize(640, 420);
    view.arrange();
    const QRect title = view.lblTitre->geometry();
    EXPECT_GT(view.lblReal->geometry().width(), 0);
    EXPECT_GE(view.lblReal->geometry().top(), title.bottom());

    ui::RecordView folded;
    folded.setCollapsed(true);
    folded.resize(640, 420);
    folded.arrange();
    EXPECT_EQ(folded.lblReal->geometry(), ui::RecordView().lblReal->geometry()); // never placed
}

// The record view shows a film; its boxes and synopsis cannot be typed into.
TEST_F(TfrmBaseTest, TheRecordViewsBoxesAreReadOnly)
{
    ui::RecordView view;
    const auto boxes = view.findChildren<QLineEdit*>();
    EXPECT_GE(boxes.size(), 6);
    for (const QLineEdit* box : boxes)
        EXPECT_TRUE(box->isReadOnly()) << box->objectName().toStdString();
    EXPECT_TRUE(view.MemoResume->isReadOnly());
}

TEST_F(TfrmBaseTest, DamagedCoverShowsAMessageInsteadOfAPicture)
{
    writeFilms(smallCatalogue);
    dir.write("Films/Alien.jpg", "\xFF\xD8\xFF\xE0 damaged");
    start();
    select(QStringLiteral("Alien"));
    EXPECT_TRUE(window->recordView()->imgCover->isEmpty());
    EXPECT_FALSE(window->recordView()->lblimage->isHidden());
    EXPECT_TRUE(window->recordView()->lblimage->text().startsWith(QStringLiteral("Image illisible")));
}

// The popup's items do what their menu commands do, and are enabled as those are.
TEST_F(TfrmBaseTest, APopupItemActsAndIsEnabledAsItsMenuCommand)
{
    writeFilms(smallCatalogue);
    start();
    select(QStringLiteral("Brazil"));
    prompts.answerNo();
    window->PopupEffacer1->trigger();
    const auto questions = prompts.texts(QStringLiteral("question"));
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QStringLiteral("Etes vous sur de Vouloir Supprimer Brazil ?"));
    window->Effacer1->setEnabled(false);
    EXPECT_FALSE(window->PopupEffacer1->isEnabled());
    window->Effacer1->setEnabled(true);
    EXPECT_TRUE(window->PopupEffacer1->isEnabled());
}

// "Archiver" opens the archive window; its "Fermer" closes it.
TEST_F(TfrmBaseTest, ArchiverOpensTheArchiveWindow)
{
    writeFilms(smallCatalogue);
    start();
    window->createSecondaryWindows();
    QString shown;
    prompts.answerModal([&](QDialog& dialog) {
        shown = dialog.windowTitle();
        if (auto* close = dialog.findChild<QPushButton*>(QStringLiteral("btnClose")))
            close->click();
        return dialog.result();
    });
    window->Archiver1->trigger();
    EXPECT_EQ(shown, QStringLiteral("Archivage"));
}

TEST_F(TfrmBaseTest, DeleteAskedAndDone)
{
    writeFilms(smallCatalogue);
    dir.write("Films/Brazil.jpg", "x");
    start();
    select(QStringLiteral("Brazil"));
    prompts.answerNo();
    window->Effacer1->trigger();
    EXPECT_EQ(treeLines().size(), 10);
    select(QStringLiteral("Brazil"));
    prompts.answerYes();
    window->Effacer1->trigger();
    const auto questions = prompts.texts(QStringLiteral("question"));
    ASSERT_EQ(questions.size(), 2);
    EXPECT_EQ(questions[1], QStringLiteral("Etes vous sur de Vouloir Supprimer Brazil ?"));
    EXPECT_EQ(prompts.transcript().back().caption, QStringLiteral("Confirmation"));
    EXPECT_FALSE(treeLines().contains(QStringLiteral("    Brazil")));
    EXPECT_EQ(window->statusText(0), QStringLiteral("Il y a 6 films dans la base de donnée"));
    EXPECT_FALSE(fs::exists(dir.file("Films/Brazil.jpg")));
    EXPECT_TRUE(window->recordView()->lblTitre->text().isEmpty());

    catalogue::CatalogueState reread;
    catalogue::commitNames(reread, dir.file("Films.cvo"));
    ASSERT_TRUE(catalogue::OpenCatalogue(reread).ok);
    EXPECT_EQ(reread.table().RowCount(), 7);
}

TEST_F(TfrmBaseTest, DeleteRefusedForTheRootAndBranchesWithFilms)
{
    writeFilms(smallCatalogue);
    start();
    select(QStringLiteral("DVD"));
    window->Effacer1->trigger();
    select(QStringLiteral("Ma Vidéothèque"));
    window->Effacer1->trigger();
    ASSERT_EQ(prompts.transcript().size(), 2u);
    EXPECT_EQ(prompts.transcript()[0].kind, QStringLiteral("information"));
    EXPECT_EQ(prompts.transcript()[0].caption, QStringLiteral("Attention"));
    EXPECT_EQ(prompts.transcript()[0].text, QStringLiteral("Vous ne pouvez pas supprimer DVD"));
    EXPECT_EQ(prompts.transcript()[1].text, QStringLiteral("Vous ne pouvez pas supprimer Ma Vidéothèque"));
    EXPECT_EQ(treeLines().size(), 10);
}

TEST_F(TfrmBaseTest, DeleteOneOfTwoFilmsSharingACoverKeepsIt)
{
    writeFilms([](catalogue::CatalogueState& s) {
        addFilm(s, {{"TITRE", "Alien"}, {"RESERVE1", "Alien"}, {"RESERVE0", "DVD"}});
        addFilm(s, {{"TITRE", "Alien"}, {"RESERVE1", "Alien (DivX)"}, {"RESERVE0", "DivX"}});
    });
    dir.write("Films/Alien.jpg", coverJpeg(20, 30));
    start();
    select(QStringLiteral("Alien (DivX)"));
    prompts.answerYes();
    window->Effacer1Click();
    EXPECT_TRUE(fs::exists(dir.file("Films/Alien.jpg")));
    select(QStringLiteral("Alien"));
    EXPECT_FALSE(window->recordView()->imgCover->isEmpty());
}

TEST_F(TfrmBaseTest, RefreshKeepsSelectionAndExpansion)
{
    writeFilms(smallCatalogue);
    start();
    node(QStringLiteral("DivX"))->setExpanded(false);
    node(QStringLiteral("VHS"))->setExpanded(true);
    select(QStringLiteral("Été meurtrier"));
    window->Rafraichir2->trigger();
    ASSERT_NE(window->TreeFilm->currentItem(), nullptr);
    EXPECT_EQ(window->TreeFilm->currentItem()->text(0), QStringLiteral("Été meurtrier"));
    EXPECT_FALSE(node(QStringLiteral("DivX"))->isExpanded());
    EXPECT_TRUE(node(QStringLiteral("DVD"))->isExpanded());
    EXPECT_TRUE(node(QStringLiteral("VHS"))->isExpanded());
    EXPECT_EQ(window->statusText(1), QStringLiteral("Aucun Filtre"));

    // With nothing selected the first support is selected.
    window->TreeFilm->setCurrentItem(nullptr);
    window->Rafraichir1Click();
    EXPECT_EQ(window->TreeFilm->currentItem()->text(0), QStringLiteral("DivX"));
    EXPECT_FALSE(node(QStringLiteral("DivX"))->isExpanded());
}

// A refresh asked from elsewhere in the window gives the keyboard to the tree: the arrow keys then
// move through the films at once.
TEST_F(TfrmBaseTest, RefreshGivesTheKeyboardToTheTree)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    select(QStringLiteral("Alien"));
    window->recordView()->MemoResume->setFocus();
    ASSERT_TRUE(window->recordView()->MemoResume->hasFocus());
    window->Rafraichir2->trigger();
    EXPECT_TRUE(window->TreeFilm->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(window->TreeFilm->currentItem()->text(0), QStringLiteral("Brazil"));
}

// The root, first node of the tree, stays selected through a refresh.
TEST_F(TfrmBaseTest, RefreshWithTheRootSelectedKeepsItSelected)
{
    writeFilms(smallCatalogue);
    start();
    window->TreeFilm->setCurrentItem(window->TreeFilm->rootNode());
    window->Rafraichir2->trigger();
    ASSERT_NE(window->TreeFilm->rootNode(), nullptr);
    EXPECT_EQ(window->TreeFilm->currentItem(), window->TreeFilm->rootNode());
}

TEST_F(TfrmBaseTest, StartWithACatalogueThatNoLongerExists)
{
    settings.writeString("GENERAL", "FICHIERBASE", dir.file("Perdue.cvo"));
    prompts.answerNo();
    start();
    ASSERT_EQ(prompts.transcript().size(), 1u);
    EXPECT_EQ(prompts.transcript()[0].caption, QStringLiteral("Attention"));
    EXPECT_EQ(prompts.transcript()[0].text,
              QStringLiteral("Le nom de la Base ") + QString::fromStdString(dir.file("Perdue.cvo")) +
                  QStringLiteral(" n'existe plus\nVoulez vous créer une nouvelle base maintenant ?"));
    EXPECT_FALSE(window->TreeFilm->isEnabled());
    EXPECT_EQ(window->TreeFilm->topLevelItemCount(), 0);
}

TEST_F(TfrmBaseTest, StartWithAMissingCatalogueAndCreateANewOne)
{
    settings.writeString("GENERAL", "FICHIERBASE", dir.file("Perdue.cvo"));
    prompts.answerYes();
    prompts.answerFile(QString::fromStdString(dir.file("Neuve.cvo")));
    start();
    EXPECT_TRUE(window->TreeFilm->isEnabled());
    EXPECT_EQ(treeLines().size(), 4);
    EXPECT_EQ(settings.readString("GENERAL", "FICHIERBASE", ""), dir.file("Neuve.cvo"));
}

TEST_F(TfrmBaseTest, StartWithAnUnreadableCatalogueLeavesItUntouched)
{
    const std::string garbage = "MLB? this is not a catalogue";
    settings.writeString("GENERAL", "FICHIERBASE", dir.write("Abime.cvo", garbage));
    start();
    const auto errors = prompts.texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_FALSE(errors[0].isEmpty());
    EXPECT_EQ(readFile(dir.file("Abime.cvo")), garbage);
    EXPECT_FALSE(window->TreeFilm->isEnabled());
}

// The pictures of an older catalogue, kept in "Images", become its collection folder at start as
// they do when it is opened by hand.
TEST_F(TfrmBaseTest, StartWithAnOlderCatalogueTakesItsImagesFolder)
{
    writeFilms(smallCatalogue);
    fs::remove_all(dir.file("Films"));
    dir.write("Images/Alien.jpg", "jpeg");
    start();
    EXPECT_TRUE(prompts.transcript().empty());
    EXPECT_EQ(readFile(dir.file("Films/Alien.jpg")), "jpeg");
    EXPECT_FALSE(fs::exists(dir.file("Images")));
}

TEST_F(TfrmBaseTest, StartWhenTheCollectionFolderCannotBeCreated)
{
    writeFilms(smallCatalogue);
    fs::remove_all(dir.file("Films"));
    dir.write("Films", "a file, not a folder");
    start();
    const auto errors = prompts.texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Impossible de créer"))) << errors[0].toStdString();
    EXPECT_FALSE(window->TreeFilm->isEnabled());
}

TEST_F(TfrmBaseTest, StartRestoresBranchesAndLayoutFromSettings)
{
    writeFilms(smallCatalogue);
    settings.writeBool("GENERAL", "DVD", false);
    settings.writeInteger("GENERAL", "POSITIONW", 900);
    settings.writeInteger("GENERAL", "HPANEL", 360);
    settings.writeBool("GENERAL", "PANELPRET", false);
    settings.writeBool("GENERAL", "PANELSCO", false);
    start();
    EXPECT_FALSE(node(QStringLiteral("DVD"))->isExpanded());
    EXPECT_TRUE(node(QStringLiteral("DivX"))->isExpanded());
    EXPECT_EQ(window->width(), 900);
    EXPECT_EQ(window->ADVGen->height(), 360);
    EXPECT_TRUE(window->ADVpret->isHidden());
    EXPECT_FALSE(window->mnuPret->isChecked());
    EXPECT_FALSE(window->ADVSupp->isCollapsed());
}

// The other way round: the supplementary panel closed and the loan panel unfolded when the
// window was last left.
TEST_F(TfrmBaseTest, StartRestoresTheClosedSupplementaryPanelAndTheUnfoldedLoanPanel)
{
    writeFilms(smallCatalogue);
    settings.writeBool("GENERAL", "PANELSUPP", false);
    settings.writeBool("GENERAL", "PANELPCO", false);
    start();
    EXPECT_TRUE(window->ADVSupp->isHidden());
    EXPECT_FALSE(window->mnuSupp->isChecked());
    EXPECT_FALSE(window->ADVpret->isHidden());
    EXPECT_TRUE(window->mnuPret->isChecked());
    EXPECT_FALSE(window->ADVpret->isCollapsed());
}

// The close button of the loan and supports panels hides the panel and unticks its menu item,
// which shows it again.
TEST_F(TfrmBaseTest, ClosingAPanelByItsCaptionUnticksItsMenuItem)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    const std::pair<ui::CaptionPanel*, QAction*> panels[] = {{window->ADVpret, window->mnuPret},
                                                             {window->ADVSupp, window->mnuSupp}};
    for (const auto& [panel, item] : panels) {
        SCOPED_TRACE(panel->caption().toStdString());
        ASSERT_TRUE(item->isChecked());
        auto* close = panel->findChild<QToolButton*>(QStringLiteral("closeButton"));
        ASSERT_NE(close, nullptr);
        close->click();
        EXPECT_TRUE(panel->isHidden());
        EXPECT_FALSE(item->isChecked());
        item->trigger();
        EXPECT_FALSE(panel->isHidden());
        EXPECT_TRUE(item->isChecked());
    }
}

// At rest the caption's arrow and cross lie flat on the caption: no button frame is drawn around
// them until the pointer comes over them.
TEST(CaptionPanelLook, ItsButtonsAreFlatUntilPointedAt)
{
    ui::CaptionPanel panel(QStringLiteral("Prêt"));
    panel.setClosable(true);
    panel.resize(300, 120);
    panel.show();
    QCoreApplication::processEvents();
    const QImage shown = panel.grab().toImage();
    for (const char* name : {"collapseButton", "closeButton"}) {
        SCOPED_TRACE(name);
        auto* button = panel.findChild<QToolButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isVisible());
        const QRect at(button->mapTo(&panel, QPoint(0, 0)), button->size());
        const QColor caption = shown.pixelColor(at.left() - 1, at.center().y());
        for (int x = at.left(); x <= at.right(); ++x)
            for (int y : {at.top(), at.bottom()})
                EXPECT_EQ(shown.pixelColor(x, y), caption) << x << "," << y;
        for (int y = at.top(); y <= at.bottom(); ++y)
            for (int x : {at.left(), at.right()})
                EXPECT_EQ(shown.pixelColor(x, y), caption) << x << "," << y;
    }
}

// A panel's arrow button folds it up to its caption and unfolds it again.
TEST_F(TfrmBaseTest, APanelsArrowButtonFoldsAndUnfoldsIt)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    for (ui::CaptionPanel* panel : {window->ADVGen, window->ADVSupp, window->ADVpret}) {
        SCOPED_TRACE(panel->caption().toStdString());
        auto* arrow = panel->findChild<QToolButton*>(QStringLiteral("collapseButton"));
        ASSERT_NE(arrow, nullptr);
        const bool folded = panel->isCollapsed();
        arrow->click();
        EXPECT_NE(panel->isCollapsed(), folded);
        arrow->click();
        EXPECT_EQ(panel->isCollapsed(), folded);
    }
}

TEST_F(TfrmBaseTest, CloseWritesLayoutAndBranches)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    node(QStringLiteral("DVD"))->setExpanded(false);
    window->resize(950, 640);
    window->move(37, 141);
    window->ADVSupp->setCollapsed(false);
    window->mnuPret->trigger(); // hides the loan panel
    const QPoint placed = window->frameGeometry().topLeft();
    window->close();
    EXPECT_EQ(settings.readInteger("GENERAL", "POSITIONW", 0), 950);
    // Where the window stood, so that it opens there again.
    EXPECT_EQ(settings.readInteger("GENERAL", "POSITIONL", 0), placed.x());
    EXPECT_EQ(settings.readInteger("GENERAL", "POSITIONT", 0), placed.y());
    EXPECT_EQ(placed, QPoint(37, 141));
    EXPECT_EQ(settings.readInteger("GENERAL", "POSITIONH", 0), window->height());
    EXPECT_EQ(settings.readInteger("GENERAL", "SPLIT", 0), window->Split->sizes().value(0));
    EXPECT_FALSE(settings.readBool("GENERAL", "PANELPRET", true));
    EXPECT_TRUE(settings.readBool("GENERAL", "PANELSUPP", false));
    EXPECT_FALSE(settings.readBool("GENERAL", "PANELSCO", true));
    EXPECT_EQ(settings.readInteger("GENERAL", "HPANEL", 0), 330);
    EXPECT_EQ(settings.readInteger("GENERAL", "MINMAX", -1), 0);
    EXPECT_FALSE(settings.readBool("GENERAL", "DVD", true));
    EXPECT_TRUE(settings.readBool("GENERAL", "DivX", false));
    EXPECT_TRUE(settings.hasKey("GENERAL", "VHS"));
}

// Closed where it was moved to, the window opens there again at the next start.
TEST_F(TfrmBaseTest, TheWindowOpensWhereItWasClosed)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    window->move(140, 175);
    QApplication::processEvents();
    const QPoint where = window->frameGeometry().topLeft();
    window->close();
    EXPECT_EQ(settings.readInteger("GENERAL", "POSITIONL", 0), where.x());
    EXPECT_EQ(settings.readInteger("GENERAL", "POSITIONT", 0), where.y());
    window.reset();
    start();
    EXPECT_EQ(window->pos(), where);
}

TEST_F(TfrmBaseTest, CommandsOfTheMenuBarAndPopup)
{
    start();
    EXPECT_EQ(window->AjoutAuto1->shortcut(), QKeySequence(Qt::Key_Insert));
    EXPECT_EQ(window->Effacer1->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(window->Rafraichir2->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(window->AucunFiltre1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(window->Nouveau1->toolTip(), QStringLiteral("Nouvelle Base de Données"));
    EXPECT_FALSE(window->Index1->isEnabled());
    EXPECT_FALSE(window->Rechercher1->isEnabled());
    EXPECT_FALSE(window->UtiliserAide1->isEnabled());
    QStringList popup;
    for (QAction* a : window->PopupMenu->actions())
        popup << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(popup,
              (QStringList{QStringLiteral("Supprimer Fiche"), QStringLiteral("Editer Fiche"), QStringLiteral("-"),
                           QStringLiteral("Ajouter Fiche (Automatique)"), QStringLiteral("Ajouter Fiche (Manuel)"),
                           QStringLiteral("-"), QStringLiteral("Rafraichir")}));
}

// A right click on a film (the context-menu event the window system sends) opens the popup menu
// on that film.
TEST_F(TfrmBaseTest, ARightClickOnAFilmOpensThePopupOnIt)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    QWidget* viewport = window->TreeFilm->viewport();
    const QPoint at = window->TreeFilm->visualItemRect(node(QStringLiteral("Alien"))).center();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &rightClick);
    EXPECT_TRUE(window->PopupMenu->isVisible());
    EXPECT_TRUE(window->PopupEditerFiche1->isVisible());
    ASSERT_NE(window->TreeFilm->currentItem(), nullptr);
    EXPECT_EQ(window->TreeFilm->currentItem()->text(0), QStringLiteral("Alien"));
    window->PopupMenu->hide();
}

TEST_F(TfrmBaseTest, PopupShowsDeleteAndEditOnlyForFilms)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    const auto popupAt = [this](const QString& caption) {
        const QRect r = window->TreeFilm->visualItemRect(node(caption));
        emit window->TreeFilm->customContextMenuRequested(r.center());
        const bool shown = window->PopupEffacer1->isVisible() && window->PopupEditerFiche1->isVisible();
        // The menu bar and the tool bar keep both commands whatever the popup shows.
        EXPECT_TRUE(window->Effacer1->isVisible());
        EXPECT_TRUE(window->EditerFiche1->isVisible());
        EXPECT_TRUE(window->ToolBar1->widgetForAction(window->Effacer1)->isVisible());
        window->PopupMenu->hide();
        return shown;
    };
    EXPECT_TRUE(popupAt(QStringLiteral("Alien")));
    EXPECT_EQ(window->TreeFilm->currentItem()->text(0), QStringLiteral("Alien"));
    EXPECT_FALSE(popupAt(QStringLiteral("DVD")));
    EXPECT_TRUE(window->PopupEffacer1->isVisible()); // back once the popup closes
}

TEST_F(TfrmBaseTest, SecondaryWindowsCreatedInStepOrderAndVersionText)
{
    start();
    std::vector<int> steps;
    window->createSecondaryWindows([&steps](int step) { steps.push_back(step); });
    EXPECT_EQ(steps, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(ui::formatVersionText(2, 5, 7, 2), QStringLiteral("2.5 (Build: 7.2)"));
    ui::TSplashForm splash;
    splash.show();
    splash.setStep(13, 250);
    EXPECT_EQ(splash.ProgressBar1->value(), 13);
    EXPECT_EQ(splash.ProgressBar1->maximum(), 13);
    EXPECT_EQ(splash.alpha(), 250);
    EXPECT_EQ(splash.lblVersion->text(), ui::GetVersionText());
    EXPECT_FALSE(splash.lblVersion->text().isEmpty());
}

// The splash's bar is navy for the steps done, aqua for the rest, without frame; its version text
// is white over the picture.
TEST(SplashForm, BarShowsTheStepsDoneAndTheVersionIsWhite)
{
    ui::TSplashForm splash;
    splash.show();
    for (int step : {0, 1, 7, 13}) {
        SCOPED_TRACE(step);
        splash.setStep(step, 250);
        const QImage bar = splash.ProgressBar1->grab().toImage();
        const int done = bar.width() * step / 13;
        for (int y : {0, bar.height() / 2, bar.height() - 1}) {
            if (done > 0) {
                EXPECT_EQ(bar.pixelColor(0, y), QColor(0, 0, 128));
                EXPECT_EQ(bar.pixelColor(done - 1, y), QColor(0, 0, 128));
            }
            if (done < bar.width()) {
                EXPECT_EQ(bar.pixelColor(done, y), QColor(0, 255, 255));
                EXPECT_EQ(bar.pixelColor(bar.width() - 1, y), QColor(0, 255, 255));
            }
        }
    }
    const QImage version = splash.lblVersion->grab().toImage();
    int white = 0;
    for (int y = 0; y < version.height(); ++y)
        for (int x = 0; x < version.width(); ++x)
            white += version.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_GT(white, 20);
}

// What the screen shows of the splash, not a fresh rendering: each step reaches it at once, with the
// picture and the version text still there, although the event loop is not running.
TEST(SplashForm, EachStepReachesTheScreenWithoutTheEventLoop)
{
    ui::TSplashForm splash;
    splash.show();
    splash.setStep(1, 130);
    ASSERT_TRUE(splash.windowHandle());
    const QRect bar = splash.ProgressBar1->geometry();
    const QImage picture = splash.findChild<QLabel*>(QStringLiteral("Image1"))->grab().toImage();
    for (int step : {2, 7, 12, 13}) {
        SCOPED_TRACE(step);
        splash.setStep(step, 120 + 10 * step);
        const QImage shown = splash.screen()->grabWindow(splash.winId()).toImage();
        ASSERT_GE(shown.height(), bar.bottom() + 1);
        const int done = bar.width() * step / 13;
        const int y = bar.center().y();
        EXPECT_EQ(shown.pixelColor(bar.left() + done - 1, y), QColor(0, 0, 128));
        if (done < bar.width()) {
            EXPECT_EQ(shown.pixelColor(bar.left() + done, y), QColor(0, 255, 255));
        }
        EXPECT_EQ(shown.pixelColor(5, 5), picture.pixelColor(5, 5));
    }
    // Each step also lets the events waiting meanwhile through.
    bool handled = false;
    QMetaObject::invokeMethod(
        &splash, [&handled] { handled = true; }, Qt::QueuedConnection);
    splash.setStep(13, 250);
    EXPECT_TRUE(handled);
}

TEST_F(TfrmBaseTest, SecondaryWindowsAreMadeAtTheirFirstUse)
{
    writeFilms(smallCatalogue);
    start();
    const auto made = [this] {
        QStringList names;
        for (QObject* child : window->children())
            if (auto* w = qobject_cast<QWidget*>(child);
                w && w->isWindow() && w->objectName().startsWith(QStringLiteral("frm")))
                names << w->objectName();
        names.sort();
        return names;
    };
    // Before the start-up prepares them, the commands have no window to show.
    EXPECT_FALSE(window->frmExportH);
    EXPECT_EQ(window->frmExportH, nullptr);
    window->HTML1->trigger();
    EXPECT_TRUE(made().isEmpty());

    window->createSecondaryWindows();
    EXPECT_EQ(made(), QStringList{QStringLiteral("frmCherchebase")});
    EXPECT_TRUE(window->frmExportH);
    EXPECT_NE(window->frmExportH, nullptr);
    EXPECT_FALSE(window->frmExportH.created());
    // Showing the main window (appearance carried onto the print window) makes none.
    window->show();
    EXPECT_EQ(made(), QStringList{QStringLiteral("frmCherchebase")});

    window->HTML1->trigger();
    ASSERT_TRUE(window->frmExportH.created());
    ui::TfrmExportH* exportWindow = window->frmExportH;
    EXPECT_TRUE(exportWindow->isVisible());
    exportWindow->close();
    window->HTML1->trigger();
    EXPECT_EQ(window->frmExportH.get(), exportWindow); // made once
    EXPECT_TRUE(exportWindow->isVisible());
    exportWindow->close();

    // A window made with another one makes that one too, once.
    ASSERT_NE(window->frmPret.get(), nullptr);
    ASSERT_NE(window->frmAjout.get(), nullptr);
    ASSERT_NE(window->frmRecherche.get(), nullptr);
    EXPECT_EQ(made().join(QLatin1Char(' ')),
              QStringLiteral("frmAjout frmCherchebase frmEtat frmExportH frmGestEmp frmPret frmRecherche frmSupport"));
    for (const char* name : {"frmGestEmp", "frmSupport", "frmEtat"})
        EXPECT_EQ(window->findChildren<QWidget*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly).size(), 1)
            << name;

    // The search window answers typing from the start: the tree shows the films found.
    window->frmCherchebase->editRecherche->setText(QStringLiteral("Alien"));
    EXPECT_TRUE(state.SearchActive);
}

TEST_F(TfrmBaseTest, PrintWindowMadeLateTakesTheMenuStyleOfTheSettings)
{
    for (const bool office : {true, false}) {
        settings.writeBool("INTERFACE", "XPMENU", office);
        start();
        window->createSecondaryWindows();
        window->show();
        EXPECT_EQ(ui::officeStyleActive(window.get()), office);
        EXPECT_EQ(ui::officeStyleActive(window->frmPrint), office);
        window.reset();
    }
}

TEST_F(TfrmBaseTest, ScreenshotShowsTheSelectedFilmWholeInEachPanel)
{
    writeFilms(smallCatalogue);
    dir.write("Films/Alien.jpg", coverJpeg(300, 420));
    start();
    window->ADVSupp->setCollapsed(false);
    window->ADVpret->setCollapsed(false);
    window->resize(900, 720);
    window->show();
    select(QStringLiteral("Alien"));
    QTest::qWait(50);
    const QString file = QStringLiteral(CINEVARO_BUILD_DIR) + QStringLiteral("/mainwindow.png");
    const QImage shot = window->grab().toImage();
    EXPECT_TRUE(shot.save(file));

    // Each panel shows the film.
    EXPECT_EQ(window->recordView()->lblTitre->text(), QStringLiteral("Alien"));
    EXPECT_EQ(window->recordView()->lblReal->text(), QStringLiteral("Ridley Scott"));
    EXPECT_EQ(window->recordView()->lstActeur->count(), 3);
    EXPECT_EQ(window->techPanel()->spnSize->text(), QStringLiteral("700"));
    EXPECT_EQ(window->techPanel()->cmbVideo->currentText(), QStringLiteral("DivX 5"));
    EXPECT_EQ(window->loanPanel()->lblPret->text(), QStringLiteral("Disponible"));

    // The cover is drawn where its box is: the middle of the box has the picture's colours
    // (about 115, 100, 110 there), not the panel's light grey.
    ASSERT_FALSE(window->recordView()->imgCover->isEmpty());
    EXPECT_FALSE(window->recordView()->lblimage->isVisible());
    const QRect cover = window->recordView()->imgCover->pictureRect().translated(
        window->recordView()->imgCover->mapTo(window.get(), QPoint(0, 0)));
    ASSERT_GT(cover.width(), 40);
    const QColor middle = shot.pixelColor(cover.center() * shot.devicePixelRatio());
    EXPECT_NEAR(middle.red(), 115, 25);
    EXPECT_NEAR(middle.green(), 100, 25);
    EXPECT_NEAR(middle.blue(), 110, 25);

    // The record view fills its panel and every control of it lies inside, none cut off.
    ui::RecordView* view = window->recordView();
    EXPECT_EQ(view->geometry(), window->ADVGen->body()->rect());
    for (QWidget* control : view->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control->isVisible()) {
            EXPECT_TRUE(view->rect().contains(control->geometry()))
                << control->objectName().toStdString() << " " << control->metaObject()->className();
        }
    }
    // The three panels are stacked, none over another.
    EXPECT_LT(window->ADVGen->geometry().bottom(), window->ADVSupp->geometry().top());
    EXPECT_LT(window->ADVSupp->geometry().bottom(), window->ADVpret->geometry().top());
    for (QWidget* panel : {window->ADVSupp, window->ADVpret})
        EXPECT_TRUE(panel->isVisible());
}

TEST_F(TfrmBaseTest, HintsLeaveBothStatusPanelsShown)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    auto* count = window->StatusBar->findChild<QLabel*>(QStringLiteral("StatusPanel0"));
    auto* filter = window->StatusBar->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    ASSERT_NE(count, nullptr);
    ASSERT_NE(filter, nullptr);
    const QString countText = count->text();
    const QString filterText = filter->text();
    ASSERT_FALSE(countText.isEmpty());
    // The pointer rests on a tool button, then on a menu item of the menu bar.
    window->Nouveau1->showStatusText(window->ToolBar1->widgetForAction(window->Nouveau1));
    EXPECT_TRUE(count->isVisible());
    EXPECT_TRUE(filter->isVisible());
    EXPECT_EQ(count->text(), countText);
    EXPECT_EQ(filter->text(), filterText);
    auto* hint = window->StatusBar->findChild<QLabel*>(QStringLiteral("HintPanel"));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->text(), QStringLiteral("Nouvelle Base de Données"));
    window->AjoutAuto1->showStatusText(window->menuBar());
    EXPECT_TRUE(count->isVisible());
    EXPECT_TRUE(filter->isVisible());
    EXPECT_EQ(hint->text(), QStringLiteral("Ajouter Fiche via Moviecovers"));
    EXPECT_TRUE(window->StatusBar->currentMessage().isEmpty());
    // The film count and the filter text each stand in a sunken box: an edge line of another
    // colour than the inside around the text.
    for (QLabel* panel : {count, filter}) {
        const QImage shot = panel->grab().toImage();
        const QColor edge = shot.pixelColor(0, shot.height() / 2);
        const QColor inside = shot.pixelColor(shot.width() - 4 * shot.devicePixelRatio(), shot.height() / 2);
        EXPECT_NE(edge, inside) << panel->objectName().toStdString();
        EXPECT_GT(panel->contentsRect().left(), 0);
    }
}

TEST_F(TfrmBaseTest, GeneralPanelGripSurvivesCollapseAndExpand)
{
    writeFilms(smallCatalogue);
    start();
    window->resize(900, 760);
    window->show();
    auto* grip = window->ADVGen->findChild<QWidget*>(QStringLiteral("grip"));
    ASSERT_NE(grip, nullptr);
    EXPECT_TRUE(grip->isVisible());
    window->ADVGen->setCollapsed(true);
    EXPECT_FALSE(grip->isVisible());
    // A collapsed panel shows its caption only: the record view is hidden, not just cut off.
    EXPECT_FALSE(window->ADVGen->body()->isVisible());
    window->ADVGen->setCollapsed(false);
    ASSERT_TRUE(grip->isVisible());
    EXPECT_TRUE(window->ADVGen->body()->isVisible());
    // The grip is the panel's lower edge, under the record view, across the whole panel.
    QCoreApplication::processEvents();
    const QRect body = window->ADVGen->body()->geometry();
    EXPECT_GE(grip->geometry().top(), body.bottom());
    EXPECT_GE(grip->geometry().bottom(), window->ADVGen->contentsRect().bottom() - 2);
    EXPECT_GE(grip->width(), body.width());
    // Dragging the grip 40 pixels down makes the panel 40 pixels higher.
    const int before = window->ADVGen->height();
    const QPoint start = grip->rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, start, grip->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(grip, &press);
    const QPoint end = start + QPoint(0, 40);
    QMouseEvent move(QEvent::MouseMove, end, grip->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grip, &move);
    EXPECT_EQ(window->ADVGen->height(), before + 40);
    EXPECT_EQ(window->ADVGen->expandedHeight(), before + 40);
}

TEST_F(TfrmBaseTest, OpeningAPanelRaisesTheWindowsMinimumHeightByWhatItGrew)
{
    writeFilms(smallCatalogue);
    start();
    window->resize(900, 760);
    window->show();
    QCoreApplication::processEvents();
    // Each panel, opened, needs its height below the others: the window cannot be made
    // smaller than that any more; closed again, the room is given back.
    for (ui::CaptionPanel* panel : {window->ADVGen, window->ADVSupp, window->ADVpret}) {
        SCOPED_TRACE(panel->objectName().toStdString());
        panel->setCollapsed(true);
        QCoreApplication::processEvents();
        const int closedPanel = panel->height();
        const int closedMinimum = window->minimumHeight();
        panel->setCollapsed(false);
        QCoreApplication::processEvents();
        ASSERT_GT(panel->height(), closedPanel);
        EXPECT_EQ(window->minimumHeight() - closedMinimum, panel->height() - closedPanel);
        panel->setCollapsed(true);
        QCoreApplication::processEvents();
        EXPECT_EQ(window->minimumHeight(), closedMinimum);
    }
}

TEST_F(TfrmBaseTest, MinimumWidthDoesNotFollowTheSavedWidth)
{
    writeFilms(smallCatalogue);
    // The last run ended maximised on a wide screen.
    settings.writeInteger("GENERAL", "POSITIONW", 2400);
    settings.writeInteger("GENERAL", "SPLIT", 600);
    start();
    window->show();
    QCoreApplication::processEvents();
    // The minimums come from the window's own width (847), never wider than the screen, or
    // from what the controls need; not from the saved 2400.
    const int clientWidth = std::min(847, window->screen()->availableGeometry().width());
    EXPECT_EQ(window->TreeFilm->minimumWidth(), std::max(260, clientWidth / 4));
    EXPECT_GE(window->Panel->minimumWidth(), clientWidth / 2);
    EXPECT_LT(window->Panel->minimumWidth(), 847 - 260);
    EXPECT_LE(window->minimumSizeHint().width(), 847);
    window->resize(847, 560);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->width(), 847);
}

TEST_F(TfrmBaseTest, PopupRefreshShowsF5AndF5RefreshesOnce)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QAction* refresh = window->PopupMenu->actions().constLast();
    EXPECT_EQ(refresh->text(), QStringLiteral("Rafraichir"));
    EXPECT_EQ(refresh->shortcut(), QKeySequence(Qt::Key_F5));
    int viaPopupItem = 0, viaMenuItem = 0;
    QObject::connect(window->Rafraichir1, &QAction::triggered, [&] { ++viaPopupItem; });
    QObject::connect(window->Rafraichir2, &QAction::triggered, [&] { ++viaMenuItem; });
    window->TreeFilm->setFocus();
    QTest::keyClick(window->TreeFilm, Qt::Key_F5);
    EXPECT_EQ(viaMenuItem + viaPopupItem, 1);
}

// The popup shows the keys of "Supprimer Fiche" and "Editer Fiche" beside its items; pressed in
// the tree, each key runs its command once.
TEST_F(TfrmBaseTest, PopupItemKeysRunTheirCommandOnce)
{
    writeFilms(smallCatalogue);
    start();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(window->PopupEffacer1->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(window->PopupEditerFiche1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    int deletes = 0, edits = 0;
    QObject::connect(window->Effacer1, &QAction::triggered, [&] { ++deletes; });
    QObject::connect(window->EditerFiche1, &QAction::triggered, [&] { ++edits; });
    QObject::disconnect(window->Effacer1, &QAction::triggered, window.get(), nullptr);
    QObject::disconnect(window->EditerFiche1, &QAction::triggered, window.get(), nullptr);
    window->TreeFilm->setFocus();
    QTest::keyClick(window->TreeFilm, Qt::Key_Delete);
    QTest::keyClick(window->TreeFilm, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(deletes, 1);
    EXPECT_EQ(edits, 1);
}

// "A propos" shows the about box each time it is chosen; "Quitter" closes the main window.
TEST_F(TfrmBaseTest, AboutShowsTheAboutBoxAndQuitClosesTheWindow)
{
    start();
    window->show();
    QStringList titles;
    for (int i = 0; i < 2; ++i) {
        prompts.answerModal([&titles](QDialog& dialog) {
            titles << dialog.windowTitle();
            return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
        });
        window->Apropos1->trigger();
    }
    EXPECT_EQ(titles, QStringList(2, QStringLiteral("A propos de Cinevaro")));
    ASSERT_TRUE(window->isVisible());
    window->Quitter1->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(TfrmBaseTest, AutomaticAdditionHintsOfMenuItemAndToolButton)
{
    start();
    EXPECT_EQ(window->AjoutAuto1->statusTip(), QStringLiteral("Ajouter Fiche via Moviecovers"));
    EXPECT_EQ(window->AjoutAuto1->toolTip(), QStringLiteral("Ajouter Film via Moviecovers"));
}
