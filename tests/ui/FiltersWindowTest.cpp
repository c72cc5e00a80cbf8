// Filters of the main window and the search window, driven through their controls.
#include <QAbstractItemModel>
#include <QAction>
#include <QActionGroup>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <functional>
#include <tuple>
#include <utility>

#include "ui/MainWindowFilmsSupport.h"
#include "ui/catalogue/RecordView.h"
#include "ui/catalogue/TfrmCherchebase.h"
#include "ui/kit/Icons.h"
#include "ui/loans/LoanPanel.h"

using namespace cinevaro;
using Filters = cinevaro::testing::MainWindowFilms;

namespace {

const QColor kActive(0xA6, 0xCA, 0xF0);

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList names(std::initializer_list<const char*> captions)
{
    QStringList list;
    for (const char* c : captions)
        list << QString::fromUtf8(c);
    return list;
}

bool isActiveBox(const QLineEdit* box)
{
    return box->font().bold() && box->palette().color(QPalette::Base) == kActive;
}

} // namespace

TEST_F(Filters, StartsWithTheFullTreeAndNoFilter)
{
    EXPECT_EQ(films(), names({"Blade Runner", "Alien", "Casino", "Sans Réalisateur", "Brazil"}));
    EXPECT_EQ(window->statusText(1), text("Aucun Filtre"));
    EXPECT_FALSE(window->recordView()->filtreReal->isEnabled());
    EXPECT_TRUE(window->recordView()->filtreNul->isChecked());
    // Every filter button waits for a film; "Aucun Filtre" is available.
    const auto* view = window->recordView();
    for (const QRadioButton* radio : {view->filtreReal, view->filtreGenre, view->filtreOri, view->filtreDate,
                                      view->filtreDistrib, view->filtreSupport, window->loanPanel()->filtrePret})
        EXPECT_FALSE(radio->isEnabled()) << radio->objectName().toStdString();
    EXPECT_TRUE(view->filtreNul->isEnabled());
}

TEST_F(Filters, EachFieldFilterIsOfferedOnlyWhileItsBoxHoldsAValue)
{
    ui::RecordView& r = *window->recordView();
    const std::pair<QLineEdit*, QRadioButton*> fields[] = {{r.lblReal, r.filtreReal},
                                                           {r.lblDate, r.filtreDate},
                                                           {r.lblOri, r.filtreOri},
                                                           {r.lblGenre, r.filtreGenre},
                                                           {r.lblDistrib, r.filtreDistrib}};
    for (const auto& [box, radio] : fields) {
        box->setText(text("Américain"));
        EXPECT_TRUE(radio->isEnabled()) << radio->objectName().toStdString();
        box->clear();
        EXPECT_FALSE(radio->isEnabled()) << radio->objectName().toStdString();
    }
}

// The filter radio buttons stand in one straight column under "Aucun Filtre", each level with
// its field's box.
TEST_F(Filters, FieldRadiosStandInOneColumnUnderNoFilter)
{
    ui::RecordView& r = *window->recordView();
    const std::pair<QRadioButton*, QLineEdit*> rows[] = {
        {r.filtreReal, r.lblReal},   {r.filtreOri, r.lblOri},         {r.filtreDate, r.lblDate},
        {r.filtreGenre, r.lblGenre}, {r.filtreDistrib, r.lblDistrib}, {r.filtreSupport, r.lblSupport}};
    for (const auto& [radio, box] : rows) {
        EXPECT_EQ(radio->x(), r.filtreNul->x()) << radio->objectName().toStdString();
        EXPECT_EQ(radio->geometry().center().y(), box->geometry().center().y()) << radio->objectName().toStdString();
    }
}

// Radio, caption, box from left to right on each row: no box covers its caption or its radio.
TEST_F(Filters, EachRowReadsRadioThenCaptionThenBox)
{
    ui::RecordView& r = *window->recordView();
    auto caption = [&](const char* utf8) {
        for (QLabel* label : r.findChildren<QLabel*>())
            if (label->text() == text(utf8))
                return label;
        ADD_FAILURE() << "no caption " << utf8;
        return static_cast<QLabel*>(nullptr);
    };
    const std::tuple<QRadioButton*, const char*, QWidget*> rows[] = {{r.filtreReal, "Réalisateur :", r.lblReal},
                                                                     {r.filtreOri, "Origine :", r.lblOri},
                                                                     {r.filtreDate, "Date :", r.lblDate},
                                                                     {r.filtreGenre, "Genre :", r.lblGenre},
                                                                     {r.filtreDistrib, "Distribution :", r.lblDistrib},
                                                                     {r.filtreSupport, "Support :", r.lblSupport},
                                                                     {nullptr, "Acteurs :", r.lstActeur},
                                                                     {nullptr, "Synopsis", r.MemoResume}};
    for (const auto& [radio, name, box] : rows) {
        const QLabel* label = caption(name);
        ASSERT_NE(label, nullptr);
        EXPECT_LT(label->geometry().right(), box->x()) << name;
        if (radio) {
            EXPECT_LT(radio->geometry().right(), box->x()) << name;
        }
    }
}

// The date row holds the year, the running time and the film number side by side, each box wide
// enough for its text.
TEST_F(Filters, TheDateRowShowsItsThreeBoxesWholeSideBySide)
{
    select(text("Alien"));
    ui::RecordView& r = *window->recordView();
    ASSERT_EQ(r.lblDate->text(), text("1980"));
    QLineEdit* boxes[] = {r.lblDate, r.lblDuree, r.lblNo};
    const QString widest[] = {text("1980"), text("00H00"), text("0000")};
    for (std::size_t i = 0; i < std::size(boxes); ++i) {
        QLineEdit* box = boxes[i];
        EXPECT_GT(box->width(), box->fontMetrics().horizontalAdvance(widest[i])) << box->objectName().toStdString();
        EXPECT_EQ(box->geometry().center().y(), r.lblDate->geometry().center().y()) << box->objectName().toStdString();
        if (i > 0) {
            EXPECT_LT(boxes[i - 1]->geometry().right(), box->x()) << box->objectName().toStdString();
        }
    }
}

TEST_F(Filters, DirectorFilterKeepsEveryCaseOfAToZAndMarksItsBox)
{
    // No filter at start: the menu ticks "Aucun Filtre".
    EXPECT_TRUE(window->AucunFiltre1->isChecked());
    EXPECT_EQ(window->filterMenuGroup->checkedAction(), nullptr);
    select(text("Alien"));
    ASSERT_TRUE(window->recordView()->filtreReal->isEnabled());
    window->recordView()->filtreReal->click();
    EXPECT_FALSE(window->AucunFiltre1->isChecked());
    EXPECT_EQ(films(), names({"Blade Runner", "Alien"}));
    EXPECT_EQ(supportBranches(), 3); // VHS stays, empty
    EXPECT_EQ(window->statusText(1), text("Filtrer par Réalisateur avec Ridley Scott : 2 Films Trouvés"));
    EXPECT_TRUE(isActiveBox(window->recordView()->lblReal));
    EXPECT_FALSE(isActiveBox(window->recordView()->lblGenre));
    EXPECT_TRUE(state.FilterActive);
    EXPECT_TRUE(window->mnuFiltreReal->isChecked());
    grab(*window, text("main_window_director_filter.png"));

    // Refresh clears everything.
    window->AucunFiltre1->trigger();
    EXPECT_TRUE(window->AucunFiltre1->isChecked());
    EXPECT_FALSE(window->mnuFiltreReal->isChecked());
    EXPECT_EQ(films().size(), 5);
    EXPECT_EQ(window->statusText(1), text("Aucun Filtre"));
    EXPECT_FALSE(isActiveBox(window->recordView()->lblReal));
    EXPECT_FALSE(state.FilterActive);
    EXPECT_TRUE(window->recordView()->filtreNul->isChecked());
}

// Each of the other filter buttons filters by its own box, and "Aucun" shows every film again.
TEST_F(Filters, DateOriginDistributorAndSupportButtonsFilterByTheirBox)
{
    auto& t = state.table();
    t.SetCell(t.FieldIndex("ORIGINE"), row(text("Alien")), table::cp("Américain"));
    t.SetCell(t.FieldIndex("ORIGINE"), row(text("Brazil")), table::cp("Américain"));
    t.SetCell(t.FieldIndex("DISTRIB"), row(text("Alien")), "Fox");
    t.SetCell(t.FieldIndex("DISTRIB"), row(text("Casino")), "Fox");
    t.SetCell(t.FieldIndex("DATE"), row(text("Casino")), "1995");
    ui::RecordView& record = *window->recordView();
    const auto filterBy = [&](QRadioButton* button) {
        select(text("Alien"));
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        button->click();
        EXPECT_TRUE(button->isChecked());
        return std::make_pair(window->statusText(1), films());
    };
    EXPECT_EQ(filterBy(record.filtreDate),
              std::make_pair(text("Filtrer par Date avec 1980 : 5 Films Trouvés"),
                             names({"Blade Runner", "Alien", "Sans Réalisateur", "Brazil"})));
    EXPECT_EQ(filterBy(record.filtreOri),
              std::make_pair(text("Filtrer par Origine avec Américain : 2 Films Trouvés"), names({"Alien", "Brazil"})));
    EXPECT_EQ(filterBy(record.filtreDistrib),
              std::make_pair(text("Filtrer par Distributeur avec Fox : 2 Films Trouvés"), names({"Alien", "Casino"})));
    EXPECT_EQ(filterBy(record.filtreSupport), std::make_pair(text("Filtrer par Support avec DVD : 3 Films Trouvés"),
                                                             names({"Alien", "Casino", "Sans Réalisateur"})));
    record.filtreNul->click();
    EXPECT_EQ(window->statusText(1), text("Aucun Filtre"));
    EXPECT_EQ(films().size(), 5);
    EXPECT_FALSE(state.FilterActive);
}

TEST_F(Filters, TheFilterStatusIsShownWholeBesideTheFilmCount)
{
    select(text("Alien"));
    window->recordView()->filtreReal->click();
    auto* filter = window->StatusBar->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    ASSERT_NE(filter, nullptr);
    window->StatusBar->layout()->activate();
    EXPECT_GE(filter->contentsRect().width(), filter->fontMetrics().horizontalAdvance(filter->text()))
        << filter->text().toStdString();
    // A hint shown meanwhile has its own place.
    window->Nouveau1->showStatusText(window->ToolBar1->widgetForAction(window->Nouveau1));
    window->StatusBar->layout()->activate();
    auto* hint = window->StatusBar->findChild<QLabel*>(QStringLiteral("HintPanel"));
    ASSERT_NE(hint, nullptr);
    EXPECT_GE(hint->contentsRect().width(), hint->fontMetrics().horizontalAdvance(hint->text()));
}

TEST_F(Filters, StatusCountsOneFilmAndAFilmUnderNoSupport)
{
    // Zorro (support Laserdisc) matches and is counted, without a branch to show it.
    select(text("Casino"));
    window->mnuFiltreGenre->trigger();
    EXPECT_EQ(window->statusText(1), text("Filtrer par Genre avec Drame : 3 Films Trouvés"));
    EXPECT_EQ(films(), names({"Casino", "Sans Réalisateur"}));

    window->AucunFiltre1->trigger();
    select(text("Brazil"));
    window->recordView()->filtreGenre->click();
    EXPECT_EQ(window->statusText(1), text("Filtrer par Genre avec Comédie : 1 Film Trouvé"));
    EXPECT_EQ(films(), names({"Brazil"}));
}

TEST_F(Filters, MenuItemOnAnEmptyBoxSwitchesTheFilterOff)
{
    select(text("Casino"));
    window->recordView()->filtreGenre->click();
    select(text("Sans Réalisateur"));
    EXPECT_FALSE(window->recordView()->filtreReal->isEnabled());
    window->mnuFiltreReal->trigger();
    EXPECT_EQ(films().size(), 5);
    EXPECT_FALSE(window->recordView()->filtreReal->isChecked());
    EXPECT_FALSE(window->recordView()->filtreGenre->isChecked());
    EXPECT_TRUE(window->recordView()->filtreNul->isChecked());
    EXPECT_EQ(window->statusText(1), text("Aucun Filtre"));
    EXPECT_FALSE(isActiveBox(window->recordView()->lblReal));
    EXPECT_FALSE(isActiveBox(window->recordView()->lblGenre));
    EXPECT_FALSE(state.FilterActive);
}

TEST_F(Filters, ActorFilterFollowsTheTickedActor)
{
    select(text("Casino"));
    ASSERT_EQ(window->recordView()->lstActeur->count(), 2);
    window->recordView()->lstActeur->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(window->statusText(1), text("Filtrer par Acteur avec Robert De Niro : 2 Films Trouvés"));
    EXPECT_EQ(films(), names({"Casino", "Brazil"}));
    EXPECT_FALSE(window->recordView()->filtreNul->isChecked());

    window->recordView()->lstActeur->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(window->recordView()->lstActeur->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(window->statusText(1), text("Filtrer par Acteur avec Sharon Stone : 1 Film Trouvé"));
    EXPECT_EQ(films(), names({"Casino"}));

    // The record view shown again keeps the ticked actor checked.
    select(text("Casino"));
    window->TreeFilm->setCurrentItem(window->TreeFilm->rootNode());
    select(text("Casino"));
    EXPECT_EQ(window->recordView()->lstActeur->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(window->statusText(1), text("Filtrer par Acteur avec Sharon Stone : 1 Film Trouvé"));

    window->recordView()->lstActeur->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(window->statusText(1), text("Aucun Filtre"));
    EXPECT_EQ(films().size(), 5);
    EXPECT_FALSE(state.ActorFilterActive);
    EXPECT_EQ(state.ActorFilterName, ";");
}

// An actor unticked by another filter (the film staying shown) can be ticked again: the tick filters
// by that actor anew.
TEST_F(Filters, AnActorUntickedByAnotherFilterCanBeTickedAgain)
{
    select(text("Casino"));
    QListWidget* actors = window->recordView()->lstActeur;
    actors->item(0)->setCheckState(Qt::Checked);
    ASSERT_EQ(window->statusText(1), text("Filtrer par Acteur avec Robert De Niro : 2 Films Trouvés"));
    window->recordView()->filtreGenre->click();
    ASSERT_EQ(window->statusText(1), text("Filtrer par Genre avec Drame : 3 Films Trouvés"));
    ASSERT_EQ(actors->item(0)->checkState(), Qt::Unchecked);

    actors->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(window->statusText(1), text("Filtrer par Acteur avec Robert De Niro : 2 Films Trouvés"));
    EXPECT_EQ(films(), names({"Casino", "Brazil"}));
}

TEST_F(Filters, TickingAnActorEndsTheLoanFilterSoTheBranchesAreRememberedAgain)
{
    select(text("Brazil"));
    window->loanPanel()->filtrePret->click();
    ASSERT_EQ(films(), names({"Brazil"}));
    ASSERT_TRUE(state.FilterActive);
    ASSERT_EQ(window->recordView()->lstActeur->count(), 2);
    window->recordView()->lstActeur->item(1)->setCheckState(Qt::Checked);
    ASSERT_EQ(films(), names({"Casino", "Brazil"}));
    // The loan filter is over: its radio button, its box and its flag.
    EXPECT_FALSE(window->loanPanel()->filtrePret->isChecked());
    EXPECT_FALSE(isActiveBox(window->loanPanel()->lblPret));
    EXPECT_FALSE(state.FilterActive);

    window->recordView()->lstActeur->item(1)->setCheckState(Qt::Unchecked);
    ASSERT_EQ(films().size(), 5);
    // No filter is left: a branch the user opens or closes stays so when the tree is rebuilt.
    const bool wasExpanded = node(text("DVD"))->isExpanded();
    node(text("DVD"))->setExpanded(!wasExpanded);
    select(text("Brazil"));
    window->RebuildTree();
    EXPECT_EQ(node(text("DVD"))->isExpanded(), !wasExpanded);
}

TEST_F(Filters, NoFilterBringsBackEveryBranchAsTheUserLeftIt)
{
    // Every branch closed but the one of the film the user filters on; the filter opens them all.
    for (int i = 0; QTreeWidgetItem* branch = window->supportNode(i); ++i)
        branch->setExpanded(branch->text(0) == text("DVD"));
    select(text("Alien"));
    window->recordView()->filtreReal->click();
    ASSERT_EQ(films(), names({"Blade Runner", "Alien"}));
    ASSERT_TRUE(node(text("Blade Runner"))->parent()->isExpanded());

    window->AucunFiltre1->trigger();
    ASSERT_EQ(films().size(), 5);
    int branches = 0;
    for (int i = 0; QTreeWidgetItem* branch = window->supportNode(i); ++i, ++branches)
        EXPECT_EQ(branch->isExpanded(), branch->text(0) == text("DVD")) << branch->text(0).toStdString();
    EXPECT_GE(branches, 3);
}

TEST_F(Filters, ABranchClosedByItsArrowComesBackClosedAfterAFilter)
{
    // The user shows a film, then closes the first branch by its arrow (no node is clicked, so
    // nothing is remembered yet); a filter opens every branch and its end brings the tree back.
    const std::pair<const char*, std::function<void()>> filters[] = {
        {"director filter, then Aucun Filtre",
         [this] {
             window->recordView()->filtreReal->click();
             ASSERT_EQ(films(), names({"Blade Runner", "Alien"}));
             window->AucunFiltre1->trigger();
         }},
        {"actor ticked, then unticked",
         [this] {
             window->recordView()->lstActeur->item(0)->setCheckState(Qt::Checked);
             ASSERT_EQ(films(), names({"Alien"}));
             window->recordView()->lstActeur->item(0)->setCheckState(Qt::Unchecked);
         }},
    };
    for (const auto& [how, filter] : filters) {
        SCOPED_TRACE(how);
        for (int i = 0; QTreeWidgetItem* branch = window->supportNode(i); ++i)
            branch->setExpanded(true);
        select(text("Alien"));
        QTreeWidgetItem* first = window->supportNode(0);
        ASSERT_EQ(first->text(0), text("DivX"));
        const QRect row = window->TreeFilm->visualItemRect(first);
        const QPoint arrow(row.left() - window->TreeFilm->indentation() / 2, row.center().y());
        QTest::mouseClick(window->TreeFilm->viewport(), Qt::LeftButton, {}, arrow);
        ASSERT_FALSE(first->isExpanded());
        ASSERT_EQ(window->TreeFilm->currentItem(), node(text("Alien")));
        filter();
        ASSERT_EQ(films().size(), 5);
        EXPECT_FALSE(window->supportNode(0)->isExpanded());
        EXPECT_TRUE(node(text("DVD"))->isExpanded());
    }
}

TEST_F(Filters, LoanFilterShowsAvailableFilmsOrTheBorrowersFilms)
{
    select(text("Alien"));
    window->loanPanel()->filtrePret->click();
    // Four available films have a branch; Zorro is counted too.
    EXPECT_EQ(window->statusText(1), text("Filtrer par Films Disponbiles : 5 Films Trouvés"));
    EXPECT_EQ(films().size(), 4);
    EXPECT_TRUE(isActiveBox(window->loanPanel()->lblPret));

    window->AucunFiltre1->trigger();
    EXPECT_FALSE(isActiveBox(window->loanPanel()->lblPret));
    select(text("Brazil"));
    window->loanPanel()->filtrePret->click();
    EXPECT_EQ(window->statusText(1), text("Filtrer par Emprunteur avec paul : 1 Film Trouvé"));
    EXPECT_EQ(films(), names({"Brazil"}));
}

// The menu item "Prêt" filters on the borrower as its radio button does.
TEST_F(Filters, TheLoanMenuItemFiltersOnTheBorrower)
{
    select(text("Brazil"));
    window->mnuFiltrePret->trigger();
    EXPECT_EQ(window->statusText(1), text("Filtrer par Emprunteur avec paul : 1 Film Trouvé"));
    EXPECT_EQ(films(), names({"Brazil"}));
    EXPECT_TRUE(window->loanPanel()->filtrePret->isChecked());
}

TEST_F(Filters, ClickingTheActiveFilterRadioDoesNothing)
{
    // Trees built since the last reset of the count.
    int built = window->treeBuilds();
    const auto rebuilds = [&] { return window->treeBuilds() - built; };
    select(text("Brazil"));
    window->loanPanel()->filtrePret->click();
    ASSERT_EQ(films(), names({"Brazil"}));
    const QString status = window->statusText(1);
    built = window->treeBuilds();
    window->loanPanel()->filtrePret->click();
    EXPECT_TRUE(window->loanPanel()->filtrePret->isChecked());
    EXPECT_TRUE(window->mnuFiltrePret->isChecked());
    EXPECT_EQ(films(), names({"Brazil"}));
    EXPECT_EQ(window->statusText(1), status);
    EXPECT_TRUE(isActiveBox(window->loanPanel()->lblPret));
    EXPECT_EQ(rebuilds(), 0);
    // The same for a field filter of the exclusive group.
    window->AucunFiltre1->trigger();
    select(text("Alien"));
    window->recordView()->filtreReal->click();
    ASSERT_EQ(films(), names({"Blade Runner", "Alien"}));
    EXPECT_FALSE(window->loanPanel()->filtrePret->isChecked());
    built = window->treeBuilds();
    window->recordView()->filtreReal->click();
    EXPECT_TRUE(window->recordView()->filtreReal->isChecked());
    EXPECT_EQ(films(), names({"Blade Runner", "Alien"}));
    EXPECT_EQ(rebuilds(), 0);
}

// A filter puts other films under the same root and support branches: those items are kept, not
// made again (what keeps a keystroke of the search fast with thousands of films).
TEST_F(Filters, AFilterKeepsTheRootAndTheSupportBranches)
{
    QTreeWidgetItem* root = window->TreeFilm->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    ASSERT_GT(root->childCount(), 1);
    const int marked = Qt::UserRole + 77;
    root->setData(0, marked, true);
    for (int i = 0; i < root->childCount(); ++i)
        root->child(i)->setData(0, marked, i);
    const int branches = root->childCount();

    select(text("Alien"));
    window->recordView()->filtreReal->click();
    ASSERT_EQ(films(), names({"Blade Runner", "Alien"}));
    root = window->TreeFilm->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->data(0, marked).toBool());
    ASSERT_EQ(root->childCount(), branches);
    for (int i = 0; i < branches; ++i)
        EXPECT_EQ(root->child(i)->data(0, marked), QVariant(i)) << i;
}

TEST_F(Filters, RefreshWithAnActiveFilterRebuildsTheTreeOnce)
{
    select(text("Alien"));
    window->recordView()->filtreReal->click();
    ASSERT_EQ(films().size(), 2);
    int built = window->treeBuilds();
    const auto rebuilds = [&] { return window->treeBuilds() - built; };
    window->Rafraichir1->trigger();
    EXPECT_EQ(rebuilds(), 1);
    EXPECT_EQ(films().size(), 5);
    EXPECT_TRUE(window->recordView()->filtreNul->isChecked());
    EXPECT_FALSE(window->recordView()->filtreReal->isChecked());
    EXPECT_FALSE(window->mnuFiltreReal->isChecked());
    EXPECT_TRUE(window->AucunFiltre1->isChecked());
    EXPECT_FALSE(isActiveBox(window->recordView()->lblReal));
    EXPECT_FALSE(state.FilterActive);
    EXPECT_EQ(window->statusText(1), text("Aucun Filtre"));

    // The loan filter too.
    select(text("Brazil"));
    window->loanPanel()->filtrePret->click();
    ASSERT_EQ(films(), names({"Brazil"}));
    built = window->treeBuilds();
    window->Rafraichir1->trigger();
    EXPECT_EQ(rebuilds(), 1);
    EXPECT_EQ(films().size(), 5);
    EXPECT_FALSE(window->loanPanel()->filtrePret->isChecked());
    EXPECT_FALSE(window->mnuFiltrePret->isChecked());
    EXPECT_FALSE(isActiveBox(window->loanPanel()->lblPret));
}

TEST_F(Filters, LoanFilterOnABranchShowsTheAvailableFilms)
{
    window->TreeFilm->setCurrentItem(node(text("DVD")));
    window->mnuFiltrePret->setEnabled(true);
    window->mnuFiltrePret->trigger();
    EXPECT_EQ(window->statusText(1), text("Filtrer par Films Disponbiles : 5 Films Trouvés"));
}

TEST_F(Filters, SearchNarrowsAndWidensAsYouType)
{
    window->Chercher1->trigger();
    auto* search = window->frmCherchebase;
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->isVisible());
    EXPECT_FALSE(search->isModal());
    EXPECT_TRUE(search->windowFlags() & Qt::WindowStaysOnTopHint);
    QTest::keyClicks(search->editRecherche, QStringLiteral("b"));
    EXPECT_EQ(films(), names({"Blade Runner", "Brazil"}));
    EXPECT_TRUE(state.SearchActive);
    QTest::keyClicks(search->editRecherche, QStringLiteral("L"));
    EXPECT_EQ(films(), names({"Blade Runner"}));
    QTest::keyClicks(search->editRecherche, QStringLiteral("x"));
    EXPECT_TRUE(films().isEmpty());
    EXPECT_EQ(supportBranches(), 3);
    QTest::keyClick(search->editRecherche, Qt::Key_Backspace);
    QTest::keyClick(search->editRecherche, Qt::Key_Backspace);
    EXPECT_EQ(films(), names({"Blade Runner", "Brazil"}));
    search->editRecherche->clear();
    EXPECT_EQ(films().size(), 5);
    EXPECT_FALSE(state.SearchActive);
    EXPECT_EQ(window->statusText(1), text("Aucun Filtre")); // the search writes no status

    search->editRecherche->setText(QStringLiteral("NIRO"));
    EXPECT_TRUE(films().isEmpty());
    search->RadioActeur->click();
    EXPECT_EQ(films(), names({"Casino", "Brazil"}));
    search->RadioReal->click();
    search->editRecherche->setText(QStringLiteral("scott"));
    EXPECT_EQ(films(), names({"Blade Runner", "Alien"}));

    search->Button1->click();
    EXPECT_FALSE(search->isVisible());
    EXPECT_EQ(films().size(), 5);
    EXPECT_FALSE(state.SearchActive);
}

// Film nodes are kept between rebuilds: after a search and its clearing, a changed caption, a
// film lent or given back and rows shifted by a deletion each show as the catalogue now says,
// every node on its own row.
// After a refresh has shown every film again, a click in the search box searches again for what
// it holds.
TEST_F(Filters, AClickInTheSearchBoxSearchesAgainAfterARefresh)
{
    window->Chercher1->trigger();
    auto* search = window->frmCherchebase;
    ASSERT_NE(search, nullptr);
    QTest::keyClicks(search->editRecherche, QStringLiteral("b"));
    ASSERT_EQ(films(), names({"Blade Runner", "Brazil"}));
    window->Rafraichir1Click();
    ASSERT_EQ(films().size(), 5);
    QTest::mouseClick(search->editRecherche, Qt::LeftButton);
    EXPECT_EQ(films(), names({"Blade Runner", "Brazil"}));
    EXPECT_TRUE(state.SearchActive);
}

TEST_F(Filters, RebuiltTreeShowsTheCatalogueAsItIsNow)
{
    const auto eachNodeOnItsRow = [this] {
        int checked = 0;
        for (QTreeWidgetItemIterator it(window->TreeFilm); *it; ++it) {
            if (!(*it)->parent() || (*it)->parent() == window->TreeFilm->rootNode())
                continue;
            const int row = (*it)->data(0, Qt::UserRole).toInt();
            EXPECT_EQ((*it)->text(0), ui::fromCp(state.table().GetCell(catalogue::posRESERVE1, row)));
            ++checked;
        }
        return checked;
    };
    window->Chercher1->trigger();
    window->frmCherchebase->editRecherche->setText(QStringLiteral("b"));
    EXPECT_EQ(films(), names({"Blade Runner", "Brazil"}));
    window->frmCherchebase->editRecherche->clear();

    auto& t = state.table();
    const int ifemp = t.FieldIndex("IFEMP");
    t.SetCell(catalogue::posRESERVE1, row(QStringLiteral("Alien")), table::cp("Alien, le huitième passager"));
    t.SetCell(ifemp, row(QStringLiteral("Casino")), "1");
    t.SetCell(ifemp, row(QStringLiteral("Brazil")), "0");
    window->RebuildTree();
    EXPECT_EQ(node(QStringLiteral("Alien")), nullptr);
    ASSERT_NE(node(text("Alien, le huitième passager")), nullptr);
    const qint64 lent = ui::icon(ui::IconId::FilmLent).cacheKey();
    EXPECT_EQ(node(QStringLiteral("Casino"))->icon(0).cacheKey(), lent);
    EXPECT_NE(node(QStringLiteral("Brazil"))->icon(0).cacheKey(), lent);
    EXPECT_EQ(eachNodeOnItsRow(), 5);

    // The rows after a deleted one move up: the nodes follow their films, not their old rows.
    ASSERT_TRUE(t.DeleteRow(row(QStringLiteral("Blade Runner"))));
    window->frmCherchebase->editRecherche->setText(QStringLiteral("a"));
    window->frmCherchebase->editRecherche->clear();
    EXPECT_EQ(node(QStringLiteral("Blade Runner")), nullptr);
    EXPECT_EQ(eachNodeOnItsRow(), 4);
    EXPECT_EQ(films(), names({"Alien, le huitième passager", "Casino", "Sans Réalisateur", "Brazil"}));
}
