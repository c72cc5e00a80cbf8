#include "ui/editing/TfrmAjout.h"

#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <utility>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "catalogue/Settings.h"
#include "editing/JpegWriter.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "ui/editing/TfrmSupport.h"
#include "ui/kit/PictureBox.h"

using namespace cinevaro;
using namespace cinevaro::ui;
using cinevaro::testing::readFile;
using cinevaro::testing::ScriptedPrompts;
using cinevaro::testing::TempDir;

namespace {

// A small poster: a dark gradient with a title band, encoded with the project's JPEG writer.
std::string writePoster(const std::string& path, const QString& title)
{
    QImage poster(240, 340, QImage::Format_RGB888);
    QPainter painter(&poster);
    QLinearGradient gradient(0, 0, 0, 340);
    gradient.setColorAt(0, QColor(20, 30, 60));
    gradient.setColorAt(1, QColor(120, 20, 30));
    painter.fillRect(poster.rect(), gradient);
    painter.setPen(QColor(240, 230, 200));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(34);
    painter.setFont(font);
    painter.drawText(QRect(0, 230, 240, 60), Qt::AlignCenter, title);
    painter.end();
    EXPECT_TRUE(editing::writeJpegFile(path, poster.width(), poster.height(), poster.constBits(),
                                       static_cast<int>(poster.bytesPerLine())));
    return path;
}

void clickLabel(QWidget* widget)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

} // namespace

// Types `text` into `box` one key at a time, letters beyond the keyboard's ASCII included.
void typeText(QWidget* box, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

class TfrmAjoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings = std::make_unique<catalogue::Settings>(dir.file("Cinevaro.ini"));
        ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("Films.cvo"), settings.get()).ok);
        catalogue::ParseSupportList(state);
        supports = std::make_unique<TfrmSupport>(state, prompts);
        ajout = std::make_unique<TfrmAjout>(state, *settings, prompts, *supports);
        ajout->setRefreshTree([this] { ++refreshes; });
    }

    void TearDown() override { EXPECT_TRUE(prompts.allAnswered()); }

    void open(EditorMode mode)
    {
        ajout->setEditorMode(mode);
        ajout->FormShow();
    }

    // Adds a record through the window (on the support at `support` when given) and answers the
    // question with `another`.
    void addThroughWindow(const QString& title, bool another, int support = -1)
    {
        open(EditorMode::Add);
        if (support >= 0)
            ajout->cmbSupport->setCurrentIndex(support);
        QTest::keyClicks(ajout->lblTitre, title);
        another ? prompts.answerYes() : prompts.answerNo();
        ajout->btnEnregistre->click();
    }

    int rowOf(const std::string& reserve1)
    {
        for (int row = 1; row <= state.table().RowCount(); ++row)
            if (state.table().GetCell(catalogue::posRESERVE1, row) == reserve1)
                return row;
        return 0;
    }

    std::string cell(int pos, const std::string& reserve1) { return state.table().GetCell(pos, rowOf(reserve1)); }

    void editRow(const std::string& reserve1)
    {
        state.CurrentRow = rowOf(reserve1);
        ASSERT_GT(state.CurrentRow, 0);
        open(EditorMode::Edit);
    }

    TempDir dir;
    std::unique_ptr<catalogue::Settings> settings;
    catalogue::CatalogueState state;
    ScriptedPrompts prompts;
    std::unique_ptr<TfrmSupport> supports;
    std::unique_ptr<TfrmAjout> ajout;
    int refreshes = 0;
};

TEST_F(TfrmAjoutTest, SaveButtonFollowsTheTitleAndTitleIsUpperCase)
{
    open(EditorMode::Add);
    EXPECT_FALSE(ajout->btnEnregistre->isEnabled());
    QTest::sendKeyEvent(QTest::Click, ajout->lblTitre, Qt::Key_unknown, QStringLiteral("é"), Qt::NoModifier);
    EXPECT_TRUE(ajout->btnEnregistre->isEnabled());
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("É"));
    QTest::keyClick(ajout->lblTitre, Qt::Key_Backspace);
    EXPECT_FALSE(ajout->btnEnregistre->isEnabled());
    EXPECT_EQ(ajout->btnEnregistre->text(), QStringLiteral("Ajouter Fiche"));
    EXPECT_EQ(ajout->btnAnnule->text(), QStringLiteral("Annuler Ajout"));
    EXPECT_EQ(ajout->windowTitle(), QStringLiteral("Ajout Manuel de Fiche"));
}

// The menu's "Fermer" and "Annuler" both close the window without adding anything.
TEST_F(TfrmAjoutTest, FermerAndAnnulerCloseWithoutAdding)
{
    const int rows = state.table().RowCount();
    for (const bool fromMenu : {true, false}) {
        SCOPED_TRACE(fromMenu ? "Fermer" : "Annuler");
        open(EditorMode::Add);
        ajout->show();
        ajout->setResult(-1);
        QTest::keyClicks(ajout->lblTitre, QStringLiteral("alien"));
        fromMenu ? ajout->Fermer1->trigger() : ajout->btnAnnule->click();
        EXPECT_FALSE(ajout->isVisible());
        EXPECT_EQ(ajout->result(), QDialog::Rejected);
        EXPECT_EQ(state.table().RowCount(), rows);
    }
}

TEST_F(TfrmAjoutTest, AddStoresActorsDistributorAndEmptyDuration)
{
    open(EditorMode::Add);
    QTest::keyClicks(ajout->lblTitre, QStringLiteral("alien"));
    QTest::keyClicks(ajout->cmbDistrib->lineEdit(), QStringLiteral("gaumont"));
    EXPECT_EQ(ajout->cmbDistrib->currentText(), QStringLiteral("GAUMONT"));
    QTest::keyClicks(ajout->lblActeur, QStringLiteral("A"));
    QTest::keyClick(ajout->lblActeur, Qt::Key_Return);
    QTest::keyClicks(ajout->lblActeur, QStringLiteral("B"));
    ajout->btnAdd->click();
    ajout->btnAdd->click(); // empty actor box adds nothing
    ASSERT_EQ(ajout->lstActeur->count(), 2);
    ajout->cmbSupport->setCurrentIndex(1);
    prompts.answerNo();
    ajout->btnEnregistre->click();

    EXPECT_EQ(
        prompts.texts(QStringLiteral("question")),
        QStringList{QStringLiteral("La fiche ALIEN a été enregistrée\r\nVoulez vous entrer une nouvelle fiche ?")});
    EXPECT_EQ(prompts.transcript().back().caption, QStringLiteral("Confirmation"));
    EXPECT_EQ(cell(catalogue::posTITRE, "ALIEN"), "ALIEN");
    EXPECT_EQ(cell(catalogue::posACTEUR, "ALIEN"), "A;B");
    EXPECT_EQ(cell(catalogue::posDISTRIB, "ALIEN"), "GAUMONT");
    EXPECT_EQ(cell(catalogue::posDUREE, "ALIEN"), "0H00");
    EXPECT_EQ(cell(catalogue::posRESERVE0, "ALIEN"), "DVD");
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(ajout->result(), QDialog::Accepted); // "No" closes the window
    EXPECT_TRUE(ajout->lblTitre->text().isEmpty());

    editRow("ALIEN");
    ASSERT_EQ(ajout->lstActeur->count(), 2);
    EXPECT_EQ(ajout->lstActeur->item(0)->text(), QStringLiteral("A"));
    EXPECT_EQ(ajout->lstActeur->item(1)->text(), QStringLiteral("B"));
    EXPECT_EQ(ajout->cmbSupport->currentText(), QStringLiteral("DVD"));
}

// A letter the catalogue cannot hold, in any box, refuses the record with one message: nothing is
// saved and every box keeps what was typed, to be corrected.
TEST_F(TfrmAjoutTest, ALetterTheCatalogueCannotHoldRefusesTheRecordAndKeepsTheBoxes)
{
    const std::string before = cinevaro::testing::readFile(state.CatalogueFileName);
    open(EditorMode::Add);
    typeText(ajout->lblTitre, QStringLiteral("tōkyō"));
    // Upper-cased while it could be; from the first letter it cannot hold on, left as typed.
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("Tōkyō"));
    QTest::keyClicks(ajout->lblReal, QStringLiteral("Ozu"));
    QTest::keyClicks(ajout->lblActeur, QStringLiteral("Setsuko Hara"));
    ajout->btnAdd->click();
    typeText(ajout->lblActeur, QStringLiteral("笠智衆"));
    ajout->btnAdd->click();
    ajout->btnEnregistre->click();
    EXPECT_EQ(
        prompts.texts(QStringLiteral("error")),
        QStringList{QStringLiteral("Le texte contient un caractère qui ne peut pas être enregistré dans la base.")});
    EXPECT_TRUE(prompts.texts(QStringLiteral("question")).isEmpty());
    EXPECT_EQ(cinevaro::testing::readFile(state.CatalogueFileName), before);
    EXPECT_EQ(state.table().RowCount(), 1);
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("Tōkyō"));
    EXPECT_EQ(ajout->lblReal->text(), QStringLiteral("Ozu"));
    EXPECT_EQ(ajout->lstActeur->count(), 2);
}

TEST_F(TfrmAjoutTest, YesKeepsAddModeAndSupport)
{
    open(EditorMode::Add);
    ajout->cmbSupport->setCurrentIndex(2);
    QTest::keyClicks(ajout->lblTitre, QStringLiteral("un"));
    prompts.answerYes();
    ajout->btnEnregistre->click();
    EXPECT_TRUE(ajout->lblTitre->text().isEmpty());
    EXPECT_EQ(ajout->cmbSupport->currentText(), QStringLiteral("VHS"));
    EXPECT_EQ(ajout->btnEnregistre->text(), QStringLiteral("Ajouter Fiche"));
    EXPECT_NE(ajout->result(), QDialog::Accepted);
    QTest::keyClicks(ajout->lblTitre, QStringLiteral("deux"));
    prompts.answerNo();
    ajout->btnEnregistre->click();
    EXPECT_GT(rowOf("UN"), 0);
    EXPECT_GT(rowOf("DEUX"), 0);
}

// The one editor window serves both commands: opened to add after it edited a film, it is the
// addition window again, title and buttons.
TEST_F(TfrmAjoutTest, OpenedToAddAfterAnEditItIsTheAdditionWindowAgain)
{
    addThroughWindow(QStringLiteral("alien"), false);
    editRow("ALIEN");
    ASSERT_EQ(ajout->windowTitle(), QStringLiteral("Editeur de fiche"));
    open(EditorMode::Add);
    EXPECT_EQ(ajout->windowTitle(), QStringLiteral("Ajout Manuel de Fiche"));
    EXPECT_EQ(ajout->btnEnregistre->text(), QStringLiteral("Ajouter Fiche"));
    EXPECT_EQ(ajout->btnAnnule->text(), QStringLiteral("Annuler Ajout"));
    EXPECT_TRUE(ajout->lblTitre->text().isEmpty());
}

// Each film edited shows its own support, the first of the list included.
TEST_F(TfrmAjoutTest, EditShowsEachFilmsSupportTheFirstIncluded)
{
    addThroughWindow(QStringLiteral("alien"), false, 0);
    addThroughWindow(QStringLiteral("brazil"), false, 2);
    ASSERT_EQ(cell(catalogue::posRESERVE0, "ALIEN"), cinevaro::table::cp(ajout->cmbSupport->itemText(0).toStdString()));

    editRow("BRAZIL");
    EXPECT_EQ(ajout->cmbSupport->currentIndex(), 2);
    editRow("ALIEN");
    EXPECT_EQ(ajout->cmbSupport->currentIndex(), 0);
}

TEST_F(TfrmAjoutTest, EditKeepsTitreAndShowsSavedValues)
{
    addThroughWindow(QStringLiteral("alien"), false);
    editRow("ALIEN");
    EXPECT_EQ(ajout->windowTitle(), QStringLiteral("Editeur de fiche"));
    EXPECT_EQ(ajout->btnEnregistre->text(), QStringLiteral("Enregistrer Fiche"));
    EXPECT_EQ(ajout->btnAnnule->text(), QStringLiteral("Annuler Edition"));
    EXPECT_TRUE(ajout->btnEnregistre->isEnabled());
    ajout->lblTitre->clear();
    QTest::keyClicks(ajout->lblTitre, QStringLiteral("le huiti"));
    QTest::sendKeyEvent(QTest::Click, ajout->lblTitre, Qt::Key_unknown, QStringLiteral("è"), Qt::NoModifier);
    QTest::keyClicks(ajout->lblTitre, QStringLiteral("me passager"));
    ajout->lblDureeH->clear();
    ajout->lblDureeM->clear();
    ajout->btnEnregistre->click();
    EXPECT_EQ(cell(catalogue::posTITRE, table::cp("LE HUITIÈME PASSAGER")), "ALIEN");
    EXPECT_EQ(ajout->lblDureeH->text(), QStringLiteral("0"));
    EXPECT_EQ(ajout->lblDureeM->text(), QStringLiteral("00"));
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("LE HUITIÈME PASSAGER"));
    // Saving again writes the same record, even after the tree refresh.
    state.CurrentRow = 1;
    QTest::keyClicks(ajout->lblReal, QStringLiteral("Quelqu'un"));
    ajout->btnEnregistre->click();
    EXPECT_EQ(cell(catalogue::posREAL, table::cp("LE HUITIÈME PASSAGER")), "Quelqu'un");
    EXPECT_EQ(state.table().GetCell(catalogue::posREAL, 1), "");
    EXPECT_TRUE(prompts.texts(QStringLiteral("question")).size() == 1); // only the add asked
}

// A settings file that cannot be written (a file stands where its folder should be) never names
// the catalogue opened. The editor still shows each film chosen, and saving keeps that film's
// values instead of writing over it what the window held before.
TEST_F(TfrmAjoutTest, EditingWorksWhenTheSettingsCannotBeWritten)
{
    addThroughWindow(QStringLiteral("alien"), false);
    addThroughWindow(QStringLiteral("brazil"), false, 2);
    dir.write("Reglages", "a file, not a folder");
    catalogue::Settings unwritable(dir.file("Reglages/Cinevaro.ini"));
    ASSERT_TRUE(catalogue::openCatalogueFile(state, dir.file("Films.cvo"), &unwritable).ok);
    ASSERT_TRUE(unwritable.readString("GENERAL", "FICHIERBASE", "").empty());
    TfrmAjout editor(state, unwritable, prompts, *supports);

    state.CurrentRow = rowOf("ALIEN");
    editor.setEditorMode(EditorMode::Edit);
    editor.FormShow();
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Editeur de fiche"));
    EXPECT_EQ(editor.lblTitre->text(), QStringLiteral("ALIEN"));
    EXPECT_EQ(editor.cmbSupport->currentIndex(), 0);
    editor.btnAnnule->click();

    state.CurrentRow = rowOf("BRAZIL");
    editor.setEditorMode(EditorMode::Edit);
    editor.FormShow();
    EXPECT_EQ(editor.lblTitre->text(), QStringLiteral("BRAZIL"));
    EXPECT_EQ(editor.cmbSupport->currentIndex(), 2);
    QTest::keyClicks(editor.lblReal, QStringLiteral("Terry Gilliam"));
    editor.btnEnregistre->click();
    EXPECT_TRUE(prompts.texts(QStringLiteral("error")).empty());
    EXPECT_EQ(cell(catalogue::posREAL, "BRAZIL"), "Terry Gilliam");
    EXPECT_EQ(cell(catalogue::posRESERVE0, "BRAZIL"), "VHS");
    EXPECT_EQ(cell(catalogue::posREAL, "ALIEN"), "");

    // Adding starts from empty boxes too.
    editor.setEditorMode(EditorMode::Add);
    editor.FormShow();
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Ajout Manuel de Fiche"));
    EXPECT_TRUE(editor.lblTitre->text().isEmpty());
    EXPECT_TRUE(editor.lblReal->text().isEmpty());
}

// With no catalogue open (the last one could not be read), the editor prepares nothing: it lists
// none of the supports the catalogue open before had.
TEST_F(TfrmAjoutTest, WithoutAnOpenCatalogueTheEditorOffersNoSupport)
{
    dir.write("Abime.cvo", "not a catalogue");
    ASSERT_FALSE(catalogue::openCatalogueFile(state, dir.file("Abime.cvo"), settings.get()).ok);
    ASSERT_FALSE(state.IsOpen);
    ASSERT_FALSE(state.supportNames().empty());
    open(EditorMode::Add);
    EXPECT_EQ(ajout->cmbSupport->count(), 0);
}

TEST_F(TfrmAjoutTest, SaveButtonIsEnabledWhenTheBoxAlreadyHoldsTheTitle)
{
    addThroughWindow(QStringLiteral("alien"), false);
    editRow("ALIEN");
    ASSERT_TRUE(ajout->btnEnregistre->isEnabled());
    // "Annuler Edition", then the same film again: the title box holds its title already.
    ajout->btnAnnule->click();
    editRow("ALIEN");
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("ALIEN"));
    EXPECT_TRUE(ajout->btnEnregistre->isEnabled());
    // "Nouveau Support" in edit mode prepares the window again with the same title.
    prompts.answerModal([](QDialog& dialog) { return ScriptedPrompts::closeWindow(dialog, QDialog::Rejected); });
    ajout->Button1->click();
    EXPECT_TRUE(ajout->btnEnregistre->isEnabled());
    // An add after an edit starts with an empty box and a disabled button.
    open(EditorMode::Add);
    EXPECT_FALSE(ajout->btnEnregistre->isEnabled());
}

TEST_F(TfrmAjoutTest, UnholdableDurationShowsSplitAndIsKept)
{
    addThroughWindow(QStringLiteral("x"), false);
    state.table().SetCell(catalogue::posDUREE, rowOf("X"), "95 min");
    editRow("X");
    EXPECT_EQ(ajout->lblDureeH->text(), QStringLiteral("9"));
    EXPECT_EQ(ajout->lblDureeM->text(), QStringLiteral(" min"));
    ajout->btnEnregistre->click();
    EXPECT_EQ(cell(catalogue::posDUREE, "X"), "95 min");
    ajout->lblDureeH->selectAll();
    QTest::keyClicks(ajout->lblDureeH, QStringLiteral("1"));
    ajout->lblDureeM->selectAll();
    QTest::keyClicks(ajout->lblDureeM, QStringLiteral("35"));
    ajout->btnEnregistre->click();
    EXPECT_EQ(cell(catalogue::posDUREE, "X"), "1H35");
}

TEST_F(TfrmAjoutTest, ActorEditingByDoubleClickAndModifier)
{
    open(EditorMode::Add);
    for (const char* name : {"A", "B", "C"}) {
        QTest::keyClicks(ajout->lblActeur, QString::fromLatin1(name));
        ajout->btnAdd->click();
    }
    emit ajout->lstActeur->itemDoubleClicked(ajout->lstActeur->item(2));
    EXPECT_EQ(ajout->lblActeur->text(), QStringLiteral("C"));
    ajout->lstActeur->setCurrentRow(0);
    ajout->btnDel->click();
    ajout->lblActeur->setText(QStringLiteral("Z"));
    ajout->btnEdit->click();
    ASSERT_EQ(ajout->lstActeur->count(), 2);
    EXPECT_EQ(ajout->lstActeur->item(1)->text(), QStringLiteral("Z"));
    // Once the edited entry is removed, "Modifier" leaves the list alone.
    ajout->lstActeur->setCurrentRow(1);
    ajout->btnDel->click();
    ajout->lblActeur->setText(QStringLiteral("Y"));
    ajout->btnEdit->click();
    ASSERT_EQ(ajout->lstActeur->count(), 1);
    EXPECT_EQ(ajout->lstActeur->item(0)->text(), QStringLiteral("B"));
    EXPECT_TRUE(ajout->lblActeur->text().isEmpty());
}

// Once a picture is chosen, "Enlever l'image" stands under the picture, centred on it.
TEST_F(TfrmAjoutTest, TheRemovePictureButtonStandsCentredUnderThePicture)
{
    addThroughWindow(QStringLiteral("alien"), false);
    editRow("ALIEN");
    ajout->show();
    prompts.answerFile(QString::fromStdString(writePoster(dir.file("new.jpg"), QStringLiteral("NEW"))));
    clickLabel(ajout->imgCover);
    QApplication::processEvents();
    ASSERT_TRUE(ajout->btnImage->isVisible());
    const QWidget* area = ajout->imgCover->parentWidget();
    const QRect picture(area->mapTo(ajout.get(), QPoint(0, 0)), area->size());
    const QRect button(ajout->btnImage->mapTo(ajout.get(), QPoint(0, 0)), ajout->btnImage->size());
    EXPECT_GT(button.top(), picture.bottom());
    EXPECT_LE(std::abs(button.center().x() - picture.center().x()), 1);
    ajout->hide();
}

// An addition opened again after one left half-typed starts with every box empty.
TEST_F(TfrmAjoutTest, AnAdditionOpenedAgainStartsWithEveryBoxEmpty)
{
    open(EditorMode::Add);
    ajout->lblTitre->setText(QStringLiteral("ALIEN"));
    ajout->lblReal->setText(QStringLiteral("Director A"));
    ajout->cmbGenre->setEditText(QStringLiteral("Science Fiction"));
    ajout->lstActeur->addItem(QStringLiteral("Actor A"));
    ajout->MemoResume->setPlainText(QStringLiteral("Un cargo spatial reçoit un signal."));
    open(EditorMode::Add);
    EXPECT_TRUE(ajout->lblTitre->text().isEmpty());
    EXPECT_TRUE(ajout->lblReal->text().isEmpty());
    EXPECT_TRUE(ajout->cmbGenre->currentText().isEmpty());
    EXPECT_EQ(ajout->lstActeur->count(), 0);
    EXPECT_TRUE(ajout->MemoResume->toPlainText().isEmpty());
}

TEST_F(TfrmAjoutTest, PictureChosenThenRemovedCopiesNothing)
{
    addThroughWindow(QStringLiteral("alien"), false);
    const std::string cover = catalogue::coverPath(state, "ALIEN");
    writePoster(cover, QStringLiteral("OLD"));
    const std::string before = readFile(cover);
    editRow("ALIEN");
    EXPECT_FALSE(ajout->imgCover->isEmpty());
    EXPECT_TRUE(ajout->lblImage->isHidden());
    prompts.answerFile(QString::fromStdString(writePoster(dir.file("new.jpg"), QStringLiteral("NEW"))));
    clickLabel(ajout->imgCover);
    EXPECT_FALSE(ajout->pickedCover().empty());
    EXPECT_FALSE(ajout->btnImage->isHidden());
    ajout->btnImage->click();
    EXPECT_TRUE(ajout->pickedCover().empty());
    EXPECT_TRUE(ajout->imgCover->isEmpty());
    ajout->btnEnregistre->click();
    EXPECT_EQ(readFile(cover), before);
}

TEST_F(TfrmAjoutTest, PictureIsCopiedUnderTitreOnSave)
{
    addThroughWindow(QStringLiteral("alien"), false);
    editRow("ALIEN");
    ajout->lblTitre->setText(QStringLiteral("AUTRE"));
    const std::string picked = writePoster(dir.file("new.jpg"), QStringLiteral("NEW"));
    prompts.answerFile(QString::fromStdString(picked));
    clickLabel(ajout->lblImage);
    ajout->btnEnregistre->click();
    EXPECT_EQ(readFile(catalogue::coverPath(state, "ALIEN")), readFile(picked));
    EXPECT_FALSE(std::filesystem::exists(catalogue::coverPath(state, "AUTRE")));
    EXPECT_TRUE(ajout->pickedCover().empty());
}

// A record saved whose picture cannot be copied is kept, and the user is warned that the picture
// is missing before being offered another record.
TEST_F(TfrmAjoutTest, ARecordWhosePictureCannotBeCopiedIsSavedWithAWarning)
{
    open(EditorMode::Add);
    QTest::keyClicks(ajout->lblTitre, QStringLiteral("alien"));
    prompts.answerFile(QString::fromStdString(writePoster(dir.file("new.jpg"), QStringLiteral("NEW"))));
    clickLabel(ajout->lblImage);
    const std::string cover = catalogue::coverPath(state, "ALIEN");
    std::filesystem::create_directories(cover); // a folder stands where the picture should go
    prompts.answerNo();
    ajout->btnEnregistre->click();
    EXPECT_NE(rowOf("ALIEN"), 0);
    ASSERT_EQ(prompts.transcript().size(), 3u);
    EXPECT_EQ(prompts.transcript()[1].kind, QStringLiteral("warning"));
    EXPECT_EQ(prompts.transcript()[1].caption, QStringLiteral("Attention"));
    EXPECT_EQ(prompts.transcript()[1].text,
              QStringLiteral("La fiche a été enregistrée, mais l'image n'a pas pu être copiée vers ") +
                  QString::fromStdString(cover));
    EXPECT_EQ(prompts.transcript()[2].kind, QStringLiteral("question"));
    EXPECT_TRUE(std::filesystem::is_directory(cover));
}

// A picked picture takes the place of the invitation to click, with the button that takes it away;
// that button brings the invitation back.
TEST_F(TfrmAjoutTest, APickedPictureReplacesTheInvitationUntilItIsTakenAway)
{
    open(EditorMode::Add);
    ASSERT_FALSE(ajout->lblImage->isHidden());
    ASSERT_TRUE(ajout->btnImage->isHidden());
    prompts.answerFile(QString::fromStdString(writePoster(dir.file("new.jpg"), QStringLiteral("NEW"))));
    clickLabel(ajout->lblImage);
    EXPECT_TRUE(ajout->lblImage->isHidden());
    EXPECT_FALSE(ajout->btnImage->isHidden());
    EXPECT_FALSE(ajout->imgCover->isHidden());
    EXPECT_FALSE(ajout->imgCover->isEmpty());

    ajout->btnImage->click();
    EXPECT_FALSE(ajout->lblImage->isHidden());
    EXPECT_TRUE(ajout->btnImage->isHidden());
    EXPECT_TRUE(ajout->imgCover->isEmpty());
    EXPECT_TRUE(ajout->pickedCover().empty());
}

TEST_F(TfrmAjoutTest, UndecodablePictureIsReportedAndNotPicked)
{
    open(EditorMode::Add);
    prompts.answerFile(QString::fromStdString(dir.write("bad.jpg", "no picture here")));
    clickLabel(ajout->lblImage);
    ASSERT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(prompts.texts(QStringLiteral("error"))[0].startsWith(QStringLiteral("L'image ")));
    EXPECT_TRUE(ajout->pickedCover().empty());
    EXPECT_TRUE(ajout->btnImage->isHidden());
}

TEST_F(TfrmAjoutTest, NewSupportReloadsTheForm)
{
    open(EditorMode::Add);
    QTest::keyClicks(ajout->lblTitre, QStringLiteral("tape"));
    prompts.answerModal([this](QDialog&) {
        prompts.answerInput(QStringLiteral("Blu"));
        supports->btnAddSupp->click();
        supports->btnSuppOk->click();
        return static_cast<int>(QDialog::Accepted);
    });
    ajout->Button1->click();
    EXPECT_TRUE(ajout->lblTitre->text().isEmpty());
    EXPECT_EQ(ajout->cmbSupport->count(), 4);
    EXPECT_EQ(ajout->cmbSupport->itemText(3), QStringLiteral("Blu"));

    addThroughWindow(QStringLiteral("alien"), false);
    editRow("ALIEN");
    ajout->lblReal->setText(QStringLiteral("non enregistré"));
    prompts.answerModal([](QDialog& dialog) { return ScriptedPrompts::closeWindow(dialog, QDialog::Rejected); });
    ajout->Button1->click();
    EXPECT_TRUE(ajout->lblReal->text().isEmpty());
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("ALIEN"));
}

TEST_F(TfrmAjoutTest, FocusedControlTurnsYellow)
{
    open(EditorMode::Add);
    ajout->show();
    ajout->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ajout.get()));
    ajout->lblReal->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(ajout->lblReal->palette().color(QPalette::Base), QColor(255, 255, 0));
    ajout->cmbGenre->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(ajout->cmbGenre->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_NE(ajout->lblReal->palette().color(QPalette::Base), QColor(255, 255, 0));
    ajout->hide();
}

TEST_F(TfrmAjoutTest, ListsHoldTheEditorValues)
{
    EXPECT_EQ(TfrmAjout::genreList().size(), 36);
    EXPECT_EQ(TfrmAjout::originList().size(), 85);
    EXPECT_EQ(TfrmAjout::yearList().size(), 102);
    EXPECT_EQ(TfrmAjout::yearList().front(), QStringLiteral("2002"));
    EXPECT_EQ(TfrmAjout::yearList().back(), QStringLiteral("1901"));
    const QStringList distributors = TfrmAjout::distributorList();
    EXPECT_EQ(distributors.front(), QStringLiteral("N/A"));
    for (qsizetype i = 2; i < distributors.size(); ++i)
        EXPECT_LT(distributors[i - 1], distributors[i]);
    for (const QString& name : distributors)
        EXPECT_EQ(name, name.toUpper());
}

class TfrmAjoutFilmFileTest : public TfrmAjoutTest
{
};

TEST_F(TfrmAjoutFilmFileTest, ExportThenImportRestoresEveryBox)
{
    open(EditorMode::Add);
    ajout->lblTitre->setText(QStringLiteral("ALIEN"));
    ajout->lblReal->setText(QStringLiteral("Director A"));
    ajout->cmbDate->setEditText(QStringLiteral("1979"));
    ajout->cmbOri->setEditText(QStringLiteral("Américain"));
    ajout->cmbGenre->setEditText(QStringLiteral("Science Fiction"));
    ajout->lblDureeH->setText(QStringLiteral("1"));
    ajout->lblDureeM->setText(QStringLiteral("57"));
    ajout->lstActeur->addItems({QStringLiteral("Actor A"), QStringLiteral("Actor B")});
    ajout->MemoResume->setPlainText(QStringLiteral("Un cargo spatial reçoit un signal."));
    ajout->cmbDistrib->setEditText(QStringLiteral("N/A"));
    const std::string picture = writePoster(dir.file("poster.jpg"), QStringLiteral("ALIEN"));
    prompts.answerFile(QString::fromStdString(picture));
    clickLabel(ajout->lblImage);

    prompts.answerFile(QString::fromStdString(dir.file("alien")));
    ajout->Exporterfilm1->trigger();
    EXPECT_EQ(readFile(dir.file("alien.film")), readFile(cinevaro::testing::dataFile("editing/alien.film")));
    EXPECT_EQ(readFile(dir.file("alien.jpg")).substr(0, 2), "\xFF\xD8");
    EXPECT_TRUE(std::filesystem::exists(dir.file("alien.jpg")));

    // A picture that exists already is never replaced.
    const std::string jpg = readFile(dir.file("alien.jpg"));
    prompts.answerFile(QString::fromStdString(dir.file("alien.film")));
    ajout->Exporterfilm1->trigger();
    EXPECT_EQ(readFile(dir.file("alien.jpg")), jpg);

    open(EditorMode::Add);
    prompts.answerFile(QString::fromStdString(dir.file("alien.film")));
    ajout->Importerfilm1->trigger();
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("ALIEN"));
    EXPECT_EQ(ajout->cmbOri->currentText(), QStringLiteral("Américain"));
    EXPECT_EQ(ajout->lblDureeH->text(), QStringLiteral("1"));
    EXPECT_EQ(ajout->lblDureeM->text(), QStringLiteral("57"));
    EXPECT_EQ(ajout->lstActeur->count(), 2);
    EXPECT_EQ(ajout->MemoResume->toPlainText(), QStringLiteral("Un cargo spatial reçoit un signal."));
    EXPECT_EQ(ajout->pickedCover(), dir.file("alien.jpg"));
    EXPECT_FALSE(ajout->imgCover->isEmpty());
    // The imported picture stands as a picked one: the invitation gone, the button to take it away.
    EXPECT_TRUE(ajout->lblImage->isHidden());
    EXPECT_FALSE(ajout->btnImage->isHidden());
}

TEST_F(TfrmAjoutFilmFileTest, ExportFollowsTheFilterChosenInTheDialog)
{
    open(EditorMode::Add);
    ajout->lblTitre->setText(QStringLiteral("ALIEN"));
    const std::string picture = writePoster(dir.file("poster.jpg"), QStringLiteral("ALIEN"));
    prompts.answerFile(QString::fromStdString(picture));
    clickLabel(ajout->lblImage);
    namespace fs = std::filesystem;

    // "Fichier TXT" with the name "alien": alien.txt and its picture, no alien.film.
    prompts.answerSave(QString::fromStdString(dir.file("alien")), QStringLiteral("Fichier TXT (*.txt)"));
    ajout->Exporterfilm1->trigger();
    EXPECT_EQ(prompts.transcript().back().kind, QStringLiteral("save"));
    EXPECT_TRUE(fs::exists(dir.file("alien.txt")));
    EXPECT_TRUE(fs::exists(dir.file("alien.jpg")));
    EXPECT_FALSE(fs::exists(dir.file("alien.film")));
    EXPECT_FALSE(fs::exists(dir.file("alien")));
    EXPECT_EQ(readFile(dir.file("alien.txt")).substr(0, 7), "ALIEN\r\n");

    // The extension of the other filter is kept and the chosen one added.
    prompts.answerSave(QString::fromStdString(dir.file("autre.film")), QStringLiteral("Fichier TXT (*.txt)"));
    ajout->Exporterfilm1->trigger();
    EXPECT_TRUE(fs::exists(dir.file("autre.film.txt")));
    EXPECT_TRUE(fs::exists(dir.file("autre.film.jpg")));

    // "Fichier Moviecovers": the extension is compared with its letter case.
    prompts.answerSave(QString::fromStdString(dir.file("grand.FILM")), QStringLiteral("Fichier Moviecovers (*.film)"));
    ajout->Exporterfilm1->trigger();
    EXPECT_TRUE(fs::exists(dir.file("grand.FILM.film")));
    EXPECT_TRUE(fs::exists(dir.file("grand.FILM.jpg")));

    // "Tous les fichiers": the name as chosen, no picture.
    prompts.answerSave(QString::fromStdString(dir.file("notes")), QStringLiteral("Tous les fichiers (*.*)"));
    ajout->Exporterfilm1->trigger();
    EXPECT_TRUE(fs::exists(dir.file("notes")));
    EXPECT_FALSE(fs::exists(dir.file("notes.jpg")));
    EXPECT_FALSE(fs::exists(dir.file("notes.film")));
    EXPECT_TRUE(prompts.texts(QStringLiteral("error")).isEmpty());
}

TEST_F(TfrmAjoutFilmFileTest, ImportOfAShortFileAndOfAMissingOne)
{
    open(EditorMode::Add);
    ajout->lstActeur->addItem(QStringLiteral("Gardé"));
    ajout->lblNo->setText(QStringLiteral("7"));
    prompts.answerFile(QString::fromStdString(dir.write("court.txt", "T\r\nR\r\n1999")));
    ajout->Importerfilm1->trigger();
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("T"));
    EXPECT_EQ(ajout->cmbDate->currentText(), QStringLiteral("1999"));
    EXPECT_TRUE(ajout->cmbGenre->currentText().isEmpty());
    EXPECT_EQ(ajout->lstActeur->count(), 1);
    EXPECT_EQ(ajout->lblNo->text(), QStringLiteral("7"));

    prompts.answerFile(QString::fromStdString(dir.file("absent.film")));
    ajout->Importerfilm1->trigger();
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("Fichier introuvable : ") + QString::fromStdString(dir.file("absent.film")) +
                          QStringLiteral(".")});
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("T"));
}

TEST_F(TfrmAjoutFilmFileTest, ImportedDurationIsSavedUnchanged)
{
    open(EditorMode::Add);
    prompts.answerFile(QString::fromStdString(dir.write("x.film", "X\r\n\r\n\r\n\r\n\r\n95 min\r\n\r\n\r\n\r\n")));
    ajout->Importerfilm1->trigger();
    EXPECT_EQ(ajout->lblDureeM->text(), QStringLiteral(" min"));
    prompts.answerNo();
    ajout->btnEnregistre->click();
    EXPECT_EQ(cell(catalogue::posDUREE, "X"), "95 min");
}

TEST_F(TfrmAjoutTest, ScreenshotOfTheEditorInEditMode)
{
    addThroughWindow(QStringLiteral("alien"), false);
    const int row = rowOf("ALIEN");
    auto& t = state.table();
    t.MoveTo(row);
    t.SetValue("REAL", "Ridley Scott");
    t.SetValue("DATE", "1979");
    t.SetValue("ORIGINE", table::cp("Américain"));
    t.SetValue("GENRE", "Science Fiction");
    t.SetValue("DUREE", "1H57");
    t.SetValue("ACTEUR", "Sigourney Weaver;Tom Skerritt;John Hurt;Ian Holm");
    t.SetValue("RESUME", table::cp("Le cargo spatial Nostromo reçoit un signal venu d'une planète inconnue.\r\n"
                                   "L'équipage se déroute pour l'examiner."));
    t.SetValue("DISTRIB", "20TH CENTURY FOX");
    t.SetValue("RESERVE3", "12");
    writePoster(catalogue::coverPath(state, "ALIEN"), QStringLiteral("ALIEN"));
    editRow("ALIEN");
    ajout->show();
    QApplication::processEvents();
    const QString path = QStringLiteral(CINEVARO_BUILD_DIR) + QStringLiteral("/screenshot_TfrmAjout_edit.png");
    EXPECT_TRUE(ajout->grab().save(path));
    // The editor shows the stored record, its cover in place of the invitation to add one, and
    // the edit mode's buttons.
    EXPECT_EQ(ajout->lblTitre->text(), QStringLiteral("ALIEN"));
    EXPECT_EQ(ajout->lblReal->text(), QStringLiteral("Ridley Scott"));
    EXPECT_EQ(ajout->lblDureeH->text(), QStringLiteral("1"));
    EXPECT_EQ(ajout->lblDureeM->text(), QStringLiteral("57"));
    EXPECT_EQ(ajout->lstActeur->count(), 4);
    EXPECT_TRUE(ajout->MemoResume->toPlainText().startsWith(QStringLiteral("Le cargo spatial Nostromo")));
    EXPECT_FALSE(ajout->imgCover->isEmpty());
    EXPECT_FALSE(ajout->lblImage->isVisible());
    EXPECT_EQ(ajout->btnEnregistre->text(), QStringLiteral("Enregistrer Fiche"));
    EXPECT_EQ(ajout->btnAnnule->text(), QStringLiteral("Annuler Edition"));
    // Every box of the form is wholly inside the window.
    for (QWidget* box : std::initializer_list<QWidget*>{ajout->lblReal, ajout->cmbDistrib, ajout->lstActeur,
                                                        ajout->MemoResume, ajout->btnAnnule})
        EXPECT_TRUE(ajout->rect().contains(QRect(box->mapTo(ajout.get(), QPoint(0, 0)), box->size())))
            << box->objectName().toStdString();
    ajout->hide();
}

// Editing a film without a cover right after one with a cover shows the invitation to add one
// and holds nothing of the other film's cover.
TEST_F(TfrmAjoutTest, EditingAFilmWithoutACoverAfterOneWithACoverOffersToAddOne)
{
    addThroughWindow(QStringLiteral("alien"), false);
    addThroughWindow(QStringLiteral("brazil"), false);
    writePoster(catalogue::coverPath(state, "ALIEN"), QStringLiteral("ALIEN"));
    editRow("ALIEN");
    ASSERT_FALSE(ajout->imgCover->isEmpty());
    ASSERT_TRUE(ajout->lblImage->isHidden());
    editRow("BRAZIL");
    EXPECT_FALSE(ajout->lblImage->isHidden());
    EXPECT_TRUE(ajout->btnImage->isHidden());
    // No picture is held: an export of the film would otherwise write the other film's cover.
    EXPECT_TRUE(ajout->imgCover->isEmpty());
    // Back to the film with a cover: its cover again, without the invitation.
    editRow("ALIEN");
    EXPECT_FALSE(ajout->imgCover->isHidden());
    EXPECT_TRUE(ajout->lblImage->isHidden());
}

// Each caption sits level with its box: the text of "Acteur :" stands on the same line, relative
// to its box, as the other captions beside one-line boxes (those chosen have no descending letter,
// so the lowest ink is the line the text stands on).
// Made taller, the editor gives the room to its form (the synopsis grows); the title stays at the
// top and the buttons at the bottom.
TEST_F(TfrmAjoutTest, ATallerEditorGivesTheRoomToTheSynopsis)
{
    open(EditorMode::Add);
    ajout->show();
    QApplication::processEvents();
    const int synopsis = ajout->MemoResume->height();
    const int below = ajout->height() - ajout->btnEnregistre->geometry().bottom();
    const int title = ajout->lblTitre->y();
    ajout->resize(ajout->width(), ajout->height() + 200);
    QApplication::processEvents();
    EXPECT_GE(ajout->MemoResume->height(), synopsis + 100);
    EXPECT_EQ(ajout->height() - ajout->btnEnregistre->geometry().bottom(), below);
    EXPECT_EQ(ajout->lblTitre->y(), title);
    ajout->hide();
}

TEST_F(TfrmAjoutTest, CaptionsAreLevelWithTheirBoxes)
{
    open(EditorMode::Add);
    ajout->show();
    QApplication::processEvents();
    const auto baselineBelowBoxMiddle = [this](const char* caption, QWidget* box) {
        QLabel* label = nullptr;
        for (QLabel* l : ajout->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(caption))
                label = l;
        if (!label)
            return -1000;
        const QImage image = label->grab().toImage();
        int lowest = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    lowest = y;
        const int labelTop = label->mapTo(ajout.get(), QPoint(0, 0)).y();
        const int boxMiddle = box->mapTo(ajout.get(), QPoint(0, 0)).y() + box->height() / 2;
        return labelTop + lowest - boxMiddle;
    };
    const int director = baselineBelowBoxMiddle("Réalisateur : ", ajout->lblReal);
    ASSERT_GT(director, -20);
    for (const auto& [caption, box] : {std::pair<const char*, QWidget*>{"Genre : ", ajout->cmbGenre},
                                       {"Distributeur : ", ajout->cmbDistrib},
                                       {"N° Film", ajout->lblNo},
                                       {"Acteur :", ajout->lblActeur}})
        EXPECT_NEAR(baselineBelowBoxMiddle(caption, box), director, 1) << caption;
    ajout->hide();
}

// The running time reads as it is written, left to right on the date's line: "Durée :", the hours,
// "H", the minutes.
TEST_F(TfrmAjoutTest, TheRunningTimeReadsDureeHoursHMinutes)
{
    open(EditorMode::Add);
    ajout->show();
    QApplication::processEvents();
    const auto shown = [this](const char* text) -> QWidget* {
        for (QLabel* l : ajout->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(text) && l->isVisible())
                return l;
        return nullptr;
    };
    QWidget* const line[] = {ajout->cmbDate, shown("Durée :"), ajout->lblDureeH, shown("H"), ajout->lblDureeM};
    for (QWidget* w : line)
        ASSERT_NE(w, nullptr);
    for (std::size_t i = 1; i < std::size(line); ++i) {
        const QRect left(line[i - 1]->mapTo(ajout.get(), QPoint(0, 0)), line[i - 1]->size());
        const QRect right(line[i]->mapTo(ajout.get(), QPoint(0, 0)), line[i]->size());
        EXPECT_LE(left.right(), right.left()) << i;
        EXPECT_NEAR(left.center().y(), right.center().y(), 2) << i;
    }
    ajout->hide();
}

class TfrmSupportTest : public TfrmAjoutTest
{
};

TEST_F(TfrmSupportTest, ItsControlsAreFoundByTheirNames)
{
    const std::pair<const char*, QWidget*> controls[] = {{"lstBoxSupport", supports->lstBoxSupport},
                                                         {"btnAddSupp", supports->btnAddSupp},
                                                         {"btnSuppSupp", supports->btnSuppSupp},
                                                         {"btnSuppOk", supports->btnSuppOk},
                                                         {"btnSuppCancel", supports->btnSuppCancel}};
    for (const auto& [name, control] : controls)
        EXPECT_EQ(supports->findChild<QWidget*>(QString::fromLatin1(name)), control) << name;
}

TEST_F(TfrmSupportTest, RefusesToRemoveASupportWithFilms)
{
    addThroughWindow(QStringLiteral("alien"), false); // filed under DivX
    supports->FormShow();
    ASSERT_EQ(supports->lstBoxSupport->count(), 3);
    supports->lstBoxSupport->setCurrentRow(0);
    supports->btnSuppSupp->click();
    ASSERT_EQ(prompts.texts(QStringLiteral("warning")).size(), 1);
    EXPECT_EQ(prompts.transcript().back().caption, QStringLiteral("Avertissement"));
    EXPECT_EQ(
        prompts.transcript().back().text,
        QStringLiteral("Vous ne pouvez pas supprimer ce support car il contient des \r\nfilms dans sa catégorie !"));
    EXPECT_EQ(supports->lstBoxSupport->count(), 3);
    supports->lstBoxSupport->setCurrentRow(2);
    supports->btnSuppSupp->click();
    EXPECT_EQ(supports->lstBoxSupport->count(), 2);
    supports->btnSuppOk->click();
    EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE2, 1), "DivX;DVD");
    EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE2, rowOf("ALIEN")), "DivX;DVD");
}

TEST_F(TfrmSupportTest, CancelStoresNothing)
{
    int rebuilds = 0;
    supports->setRebuildTree([&] { ++rebuilds; });
    prompts.answerModal([this](QDialog&) {
        prompts.answerInput(QStringLiteral("Blu"));
        supports->btnAddSupp->click();
        supports->lstBoxSupport->setCurrentRow(3);
        supports->btnSuppSupp->click(); // added here: removed without a word
        supports->lstBoxSupport->setCurrentRow(0);
        supports->btnSuppSupp->click();
        prompts.cancelInput();
        supports->btnAddSupp->click();
        prompts.answerInput(QString());
        supports->btnAddSupp->click();
        EXPECT_EQ(supports->lstBoxSupport->count(), 2);
        supports->btnSuppCancel->click();
        return supports->result();
    });
    EXPECT_EQ(supports->execute(), QDialog::Rejected);
    EXPECT_EQ(state.table().GetCell(catalogue::posRESERVE2, 1), "DivX;DVD;VHS");
    EXPECT_EQ(rebuilds, 0);
    EXPECT_TRUE(prompts.texts(QStringLiteral("warning")).isEmpty());
    supports->FormShow();
    EXPECT_EQ(supports->lstBoxSupport->count(), 3);
}

TEST_F(TfrmSupportTest, NameWithSemicolonBecomesTwoSupports)
{
    int rebuilds = 0;
    supports->setRebuildTree([&] { ++rebuilds; });
    supports->FormShow();
    prompts.answerInput(QStringLiteral("CD;DVD"));
    supports->btnAddSupp->click();
    supports->btnSuppOk->click();
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(supports->result(), QDialog::Accepted);
    EXPECT_EQ(state.supportNames(), (std::vector<std::string>{"DivX", "DVD", "VHS", "CD", "DVD"}));
    catalogue::CatalogueState reread;
    catalogue::commitNames(reread, state.CatalogueFileName);
    ASSERT_TRUE(catalogue::OpenCatalogue(reread).ok);
    EXPECT_EQ(reread.table().GetCell(catalogue::posRESERVE2, 1), "DivX;DVD;VHS;CD;DVD");
}
