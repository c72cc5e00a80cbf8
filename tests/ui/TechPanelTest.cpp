// The technical panel: the offer to save when leaving a changed film, "Enregistrer", and the
// extraction from an AVI header.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "ui/MainWindowFilmsSupport.h"
#include "ui/catalogue/RecordView.h"
#include "ui/editing/TechPanel.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/kit/ElidedLineEdit.h"

using namespace cinevaro;
using TechPanel = cinevaro::testing::MainWindowFilms;

namespace {

// Cell positions of the technical fields the tests read.
constexpr int kFormatVideo = 26;
constexpr int kSize = 32;
constexpr int kFrequence = 33;
constexpr int kNbDisk = 37;

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// An AVI header: scale 1001, rate 24000, 640x480, codec "divx"; then a sparse file of `length`.
std::string writeAvi(const cinevaro::testing::TempDir& dir, const std::string& name, off_t length,
                     std::size_t headerSize = 512)
{
    std::string header(headerSize, '\0');
    auto put = [&header](std::size_t offset, std::int32_t v) {
        if (offset + 4 <= header.size())
            std::memcpy(header.data() + offset, &v, 4);
    };
    put(128, 1001);
    put(132, 24000);
    put(176, 640);
    put(180, 480);
    if (header.size() >= 192)
        std::memcpy(header.data() + 188, "divx", 4);
    const std::string path = dir.write(name, header);
    if (length > static_cast<off_t>(headerSize)) {
        const int fd = ::open(path.c_str(), O_WRONLY);
        EXPECT_EQ(::ftruncate(fd, length), 0);
        ::close(fd);
    }
    return path;
}

} // namespace

TEST_F(TechPanel, TypingBackTheStoredTextAsksNothing)
{
    select(text("Alien"));
    window->techPanel()->spnSize->setText(text("12"));
    window->techPanel()->spnSize->setText(QString());
    EXPECT_TRUE(state.TechModified);
    select(text("Casino"));
    EXPECT_TRUE(prompts.texts(text("question")).isEmpty());
    EXPECT_FALSE(state.TechModified);
}

TEST_F(TechPanel, LeavingAChangedFilmOffersToSave)
{
    select(text("Casino"));
    window->techPanel()->spnSize->setText(text("700"));
    prompts.answerNo();
    select(text("Alien"));
    ASSERT_EQ(prompts.texts(text("question")),
              QStringList{text("La fiche a été modifié\nVoulez vous l'enregistrer ?")});
    EXPECT_EQ(state.table().GetCell(kSize, row(text("Casino"))), "");
    EXPECT_EQ(reread().GetCell(kSize, row(text("Casino"))), "");

    select(text("Casino"));
    window->techPanel()->cmbFrame->setCurrentText(text("25"));
    prompts.answerYes();
    select(text("Alien"));
    EXPECT_EQ(reread().GetCell(kFrequence, row(text("Casino"))), "25");
    EXPECT_EQ(window->recordView()->lblTitre->text(), text("Alien"));
}

// A key that types nothing (Escape, Backspace) leaves the tree on its film: the pending edit stays, and
// leaving the film still offers to save it.
TEST_F(TechPanel, AKeyThatTypesNothingInTheTreeKeepsThePendingEdit)
{
    select(text("Casino"));
    window->techPanel()->spnSize->setText(text("700"));
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Backspace}) {
        QTest::keyClick(window->TreeFilm, key);
        EXPECT_TRUE(state.TechModified) << key;
        EXPECT_EQ(window->techPanel()->spnSize->text(), text("700")) << key;
    }
    prompts.answerYes();
    select(text("Alien"));
    EXPECT_EQ(prompts.texts(text("question")).size(), 1);
    EXPECT_EQ(reread().GetCell(kSize, row(text("Casino"))), "700");
}

// A value wider than its box ends with "…" while the box does not have the focus, and its tool
// tip gives it whole; with the focus, the box shows it whole for editing. Values that fit show
// whole, without a tool tip.
TEST_F(TechPanel, AValueWiderThanItsBoxEndsWithAnEllipsisAndShowsWholeInItsToolTip)
{
    select(text("Alien"));
    QComboBox* zone = window->techPanel()->cmbZone;
    zone->setCurrentText(text("2: Europe, Japon et Afrique du Sud"));
    window->techPanel()->cmbFrame->setCurrentText(text("25"));
    QTest::qWait(20);
    auto* edit = dynamic_cast<ui::ElidedLineEdit*>(zone->lineEdit());
    ASSERT_NE(edit, nullptr);
    const QString shown = edit->shownText();
    ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(text("2: Eur"))) << shown.toStdString();
    EXPECT_LE(edit->fontMetrics().horizontalAdvance(shown), edit->width());

    QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), edit->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(edit, &help);
    EXPECT_EQ(QToolTip::text(), text("2: Europe, Japon et Afrique du Sud"));
    QToolTip::hideText();

    auto* frame = dynamic_cast<ui::ElidedLineEdit*>(window->techPanel()->cmbFrame->lineEdit());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->shownText(), text("25"));

    edit->setFocus();
    QTest::qWait(20);
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->shownText(), text("2: Europe, Japon et Afrique du Sud"));
    EXPECT_EQ(zone->currentText(), text("2: Europe, Japon et Afrique du Sud"));
}

TEST_F(TechPanel, EnregistrerWritesTheTwelveBoxes)
{
    select(text("Brazil"));
    window->techPanel()->cmbVideo->setCurrentText(text("Real Vidéo"));
    window->techPanel()->cmbDisk->setCurrentText(text("2 Disques"));
    window->techPanel()->btnEnregistreInfo->click();
    EXPECT_FALSE(state.TechModified);
    const table::TMlb2 saved = reread();
    EXPECT_EQ(table::cp1252ToUtf8(saved.GetCell(kFormatVideo, row(text("Brazil")))), "Real Vidéo");
    EXPECT_EQ(saved.GetCell(kNbDisk, row(text("Brazil"))), "2 Disques");
    select(text("Alien"));
    EXPECT_TRUE(prompts.texts(text("question")).isEmpty());
}

// A new catalogue empties the technical boxes of the film shown before, and that counts as no edit.
TEST_F(TechPanel, ANewCatalogueEmptiesTheBoxesAndAsksNothing)
{
    select(text("Brazil"));
    window->techPanel()->cmbVideo->setCurrentText(text("Real Vidéo"));
    window->techPanel()->spnSize->setText(text("700"));
    window->techPanel()->btnEnregistreInfo->click();
    select(text("Alien"));
    select(text("Brazil"));
    ASSERT_EQ(window->techPanel()->spnSize->text(), text("700"));
    prompts.answerFile(QString::fromStdString(dir.file("Nouvelle.cvo")));
    window->Nouveau1->trigger();
    EXPECT_TRUE(window->techPanel()->cmbVideo->currentText().isEmpty());
    EXPECT_TRUE(window->techPanel()->spnSize->text().isEmpty());
    EXPECT_FALSE(state.TechModified);
    EXPECT_TRUE(prompts.texts(text("question")).isEmpty());
}

// The panel starts folded: its boxes are made when it is unfolded, showing the film shown then,
// and their filling counts as no edit.
TEST_F(TechPanel, AFoldedPanelMakesItsBoxesWhenUnfoldedWithTheShownFilm)
{
    ASSERT_TRUE(window->ADVSupp->isCollapsed());
    state.table().SetCell(kFormatVideo, row(text("Alien")), "DivX");
    state.table().SetCell(kNbDisk, row(text("Casino")), "2 Disques");
    select(text("Casino"));
    select(text("Alien"));
    EXPECT_EQ(window->findChild<QComboBox*>(QStringLiteral("cmbVideo")), nullptr);

    window->ADVSupp->setCollapsed(false);
    QApplication::processEvents();
    auto* video = window->findChild<QComboBox*>(QStringLiteral("cmbVideo"));
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(video->isVisible());
    EXPECT_EQ(video->currentText(), text("DivX"));
    EXPECT_EQ(window->findChild<QComboBox*>(QStringLiteral("cmbDisk"))->currentText(), QString());
    EXPECT_FALSE(state.TechModified);
    // The panels are at least as wide as the boxes need.
    EXPECT_GE(window->Panel->minimumWidth(), window->techPanel()->minimumSizeHint().width());
    select(text("Brazil"));
    EXPECT_TRUE(prompts.texts(text("question")).isEmpty());
}

// Values given to a panel whose boxes are not made yet: the last ones, or none after a clear,
// show when the boxes are made, without counting as an edit.
TEST(TechPanelDeferred, ShowsTheLastValuesGivenBeforeItsBoxesWereMade)
{
    editing::TechValues values;
    for (int i = 0; i < editing::kTechFieldCount; ++i)
        values[i] = "v" + std::to_string(i);
    std::unique_ptr<ui::TechPanel> cleared(ui::TechPanel::deferred());
    cleared->setValues(values);
    cleared->clear();
    ASSERT_FALSE(cleared->isBuilt());
    EXPECT_EQ(cleared->currentTexts(), ui::TechPanel::Texts{});
    EXPECT_TRUE(cleared->isBuilt());

    std::unique_ptr<ui::TechPanel> shown(ui::TechPanel::deferred());
    int edits = 0;
    QObject::connect(shown.get(), &ui::TechPanel::edited, [&edits] { ++edits; });
    shown->clear();
    shown->setValues(values);
    ASSERT_FALSE(shown->isBuilt());
    shown->ensureBuilt();
    ASSERT_NE(shown->cmbDisk, nullptr);
    EXPECT_EQ(shown->cmbVideo->currentText(), QStringLiteral("v0"));
    EXPECT_EQ(shown->spnSize->text(), QStringLiteral("v6"));
    EXPECT_EQ(shown->cmbDisk->currentText(), QStringLiteral("v11"));
    EXPECT_EQ(edits, 0);
    shown->cmbDisk->setCurrentText(QStringLiteral("2 Disques"));
    EXPECT_EQ(edits, 1);
}

// A text the catalogue's character set cannot hold is refused with its reason; the file keeps its
// bytes, and the edit stays pending: leaving the film offers to save it again.
TEST_F(TechPanel, EnregistrerRefusesATextTheCatalogueCannotHoldAndKeepsTheEditPending)
{
    select(text("Brazil"));
    const std::string before = cinevaro::testing::readFile(state.CatalogueFileName);
    window->techPanel()->cmbLanguep->setCurrentText(text("日本語"));
    window->techPanel()->spnSize->setText(text("700"));
    window->techPanel()->btnEnregistreInfo->click();
    EXPECT_EQ(prompts.texts(text("error")),
              QStringList{text("Le texte contient un caractère qui ne peut pas être enregistré dans la base.")});
    EXPECT_EQ(cinevaro::testing::readFile(state.CatalogueFileName), before);
    EXPECT_EQ(state.table().GetCell(kSize, row(text("Brazil"))), "");
    EXPECT_TRUE(state.TechModified);

    prompts.answerNo();
    select(text("Alien"));
    EXPECT_EQ(prompts.texts(text("question")).size(), 1);
    EXPECT_EQ(cinevaro::testing::readFile(state.CatalogueFileName), before);
}

TEST_F(TechPanel, AnnulerKeepsTheTextsButAsksNothing)
{
    select(text("Alien"));
    window->techPanel()->spnAudio->setText(text("128"));
    window->techPanel()->Button2->click();
    EXPECT_EQ(window->techPanel()->spnAudio->text(), text("128"));
    select(text("Casino"));
    EXPECT_TRUE(prompts.texts(text("question")).isEmpty());
    select(text("Alien"));
    EXPECT_TRUE(window->techPanel()->spnAudio->text().isEmpty());
}

TEST_F(TechPanel, ExtractionFillsFourBoxesAndCountsAsAnEdit)
{
    select(text("Alien"));
    prompts.answerFile(QString::fromStdString(writeAvi(dir, "film.avi", 700LL * 1048576)));
    window->techPanel()->Button3->click();
    EXPECT_EQ(window->techPanel()->spnSize->text(), text("700"));
    EXPECT_EQ(window->techPanel()->cmbFrame->currentText(), text("23.976"));
    EXPECT_EQ(window->techPanel()->cmbResol->currentText(), text("640x480"));
    EXPECT_EQ(window->techPanel()->cmbVideo->currentText(), text("OpenDIVX"));
    EXPECT_TRUE(state.TechModified);
    EXPECT_EQ(reread().GetCell(kSize, row(text("Alien"))), "");

    prompts.answerNo();
    select(text("Casino"));
    EXPECT_EQ(prompts.texts(text("question")).size(), 1);
    select(text("Alien"));
    EXPECT_TRUE(window->techPanel()->spnSize->text().isEmpty());
}

TEST_F(TechPanel, ExtractionCancelledChangesNothing)
{
    select(text("Alien"));
    prompts.answerFile(QString());
    window->techPanel()->Button3->click();
    EXPECT_FALSE(state.TechModified);
}

TEST_F(TechPanel, TruncatedFileIsReportedAndKeepsTheSize)
{
    select(text("Alien"));
    window->techPanel()->cmbFrame->setCurrentText(text("30"));
    prompts.answerFile(QString::fromStdString(writeAvi(dir, "short.avi", 0, 100)));
    window->techPanel()->Button3->click();
    EXPECT_EQ(window->techPanel()->spnSize->text(), text("0"));
    EXPECT_EQ(window->techPanel()->cmbFrame->currentText(), text("30"));
    ASSERT_EQ(prompts.texts(text("error")).size(), 1);
    EXPECT_TRUE(prompts.texts(text("error")).front().contains(text("trop court")));
    window->techPanel()->Button2->click();
}

TEST_F(TechPanel, ScaleOfZeroIsReportedAfterTheSize)
{
    select(text("Alien"));
    const std::string path = writeAvi(dir, "zero.avi", 3 * 1048576);
    {
        std::string bytes = cinevaro::testing::readFile(path).substr(0, 512);
        std::memset(bytes.data() + 128, 0, 4);
        dir.write("zero.avi", bytes);
    }
    prompts.answerFile(QString::fromStdString(path));
    window->techPanel()->Button3->click();
    EXPECT_EQ(window->techPanel()->spnSize->text(), text("0"));
    EXPECT_TRUE(window->techPanel()->cmbFrame->currentText().isEmpty());
    ASSERT_EQ(prompts.texts(text("error")).size(), 1);
    window->techPanel()->Button2->click();
}

// The boxes sit evenly inside the panel's frame: the same margin on every side, the same gap
// between rows as between columns.
TEST_F(TechPanel, BoxesSitEvenlyInsideTheFrame)
{
    auto* grid = qobject_cast<QGridLayout*>(window->techPanel()->layout());
    ASSERT_NE(grid, nullptr);
    const QMargins margins = grid->contentsMargins();
    EXPECT_EQ(margins, QMargins(margins.left(), margins.left(), margins.left(), margins.left()));
    EXPECT_EQ(grid->horizontalSpacing(), grid->verticalSpacing());
}

// The panel's boxes are made editable, and sized for two characters and an icon, without building
// their lists' windows at once. Sized, opened, typed in and drawn, each behaves as a box made so the
// usual way (setEditable and the size policy) with the same items.
// The number of discs is offered from one to nine.
TEST(TechPanelBoxes, DiscCountsGoFromOneToNine)
{
    ui::TechPanel panel;
    QStringList offered;
    for (int i = 0; i < panel.cmbDisk->count(); ++i)
        offered << panel.cmbDisk->itemText(i);
    QStringList expected{QStringLiteral("1 Disque")};
    for (int i = 2; i <= 9; ++i)
        expected << QStringLiteral("%1 Disques").arg(i);
    EXPECT_EQ(offered, expected);
}

TEST(TechPanelBoxes, OpenTypeAndDrawAsEditableComboBoxes)
{
    ui::TechPanel panel;
    panel.resize(760, 170);
    panel.show();
    const auto boxes = panel.findChildren<QComboBox*>();
    ASSERT_EQ(boxes.size(), 9);
    // No list window (a frame inside the box) is built before a list is opened.
    for (QComboBox* box : boxes)
        EXPECT_TRUE(box->findChildren<QFrame*>().isEmpty()) << box->objectName().toStdString();
    for (QComboBox* box : boxes) {
        SCOPED_TRACE(box->objectName().toStdString());
        QComboBox reference(&panel);
        reference.setEditable(true);
        reference.setInsertPolicy(box->insertPolicy());
        for (int i = 0; i < box->count(); ++i)
            reference.addItem(box->itemText(i));
        reference.setCurrentIndex(-1);
        reference.setMinimumContentsLength(box->minimumContentsLength());
        reference.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        reference.setMaximumWidth(box->maximumWidth());
        reference.setGeometry(box->geometry());
        reference.show();

        ASSERT_NE(box->lineEdit(), nullptr);
        EXPECT_EQ(box->sizeHint(), reference.sizeHint());
        EXPECT_EQ(box->minimumSizeHint(), reference.minimumSizeHint());
        EXPECT_EQ(box->focusPolicy(), reference.focusPolicy());
        EXPECT_EQ(box->lineEdit()->hasFrame(), reference.lineEdit()->hasFrame());
        EXPECT_EQ(box->lineEdit()->palette(), reference.lineEdit()->palette());
        EXPECT_EQ(box->lineEdit()->geometry(), reference.lineEdit()->geometry());
        EXPECT_EQ(box->grab().toImage(), reference.grab().toImage());
        ASSERT_NE(box->completer(), nullptr);
        EXPECT_EQ(box->completer()->completionMode(), reference.completer()->completionMode());
        EXPECT_EQ(box->completer()->caseSensitivity(), reference.completer()->caseSensitivity());
        EXPECT_EQ(box->completer()->model(), box->model());

        // Each list is opened alone, as a user opens one at a time.
        struct Opened
        {
            QRect geometry;
            Qt::ScrollBarPolicy scrollBar;
            QString delegate;
            QImage picture;
        };
        const auto open = [](QComboBox& combo) {
            combo.showPopup();
            QWidget* list = combo.view()->window();
            EXPECT_TRUE(list->isVisible());
            Opened opened{list->geometry(), combo.view()->verticalScrollBarPolicy(),
                          QString::fromLatin1(combo.itemDelegate()->metaObject()->className()), list->grab().toImage()};
            combo.hidePopup();
            return opened;
        };
        const Opened list = open(*box);
        const Opened referenceList = open(reference);
        EXPECT_EQ(list.geometry, referenceList.geometry);
        EXPECT_EQ(list.scrollBar, referenceList.scrollBar);
        EXPECT_EQ(list.delegate, referenceList.delegate);
        EXPECT_EQ(list.picture, referenceList.picture);

        // Typing the start of the second item completes it in both.
        const QString start = box->itemText(box->count() > 1 ? 1 : 0).left(2);
        QTest::keyClicks(box->lineEdit(), start);
        QTest::keyClicks(reference.lineEdit(), start);
        EXPECT_EQ(box->currentText(), reference.currentText());
        EXPECT_EQ(box->lineEdit()->selectedText(), reference.lineEdit()->selectedText());
        box->lineEdit()->clear();
    }
}

// "Langue" heads the two language boxes: it spans the rows of "Principale" and "Secondaire" and no
// other, just before their captions.
TEST_F(TechPanel, TheLanguageCaptionSpansThePrincipalAndSecondaryRows)
{
    auto* panel = window->techPanel();
    auto* grid = qobject_cast<QGridLayout*>(panel->layout());
    ASSERT_NE(grid, nullptr);
    const QLabel* langue = nullptr;
    for (const QLabel* label : panel->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("Langue"))
            langue = label;
    ASSERT_NE(langue, nullptr);
    struct Place
    {
        int row = -1, column = -1, rows = 0, columns = 0;
    };
    const auto place = [grid](const QWidget* w) {
        Place p;
        grid->getItemPosition(grid->indexOf(w), &p.row, &p.column, &p.rows, &p.columns);
        return p;
    };
    const Place caption = place(langue);
    const Place principal = place(panel->cmbLanguep);
    const Place secondary = place(panel->cmbLangues);
    EXPECT_EQ(caption.row, principal.row);
    EXPECT_EQ(caption.row + caption.rows - 1, secondary.row);
    EXPECT_EQ(caption.column, principal.column - 2); // then the "Principale :" caption, then the box
}
