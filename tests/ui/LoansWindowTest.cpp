// Lending and returning from the main window, the lend window and the borrowers window.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>

#include "loans/Loans.h"
#include "table/Platform.h"
#include "ui/MainWindowFilmsSupport.h"
#include "ui/catalogue/RecordView.h"
#include "ui/editing/TechPanel.h"
#include "ui/loans/LoanPanel.h"
#include "ui/loans/TfrmGestEmp.h"
#include "ui/loans/TfrmPret.h"
#include "ui/weblookup/TfrmEtat.h"

using namespace cinevaro;
using Loans = cinevaro::testing::MainWindowFilms;

namespace {

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList listTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

TEST_F(Loans, LendingThenReturningChangesTheLoanTexts)
{
    select(text("Alien"));
    EXPECT_EQ(window->loanPanel()->lblPret->text(), text("Disponible"));
    EXPECT_EQ(window->loanPanel()->btnPret->text(), text("Prêter"));
    const QString today =
        QLocale::system().toString(QDate::currentDate(), QLocale::system().dateFormat(QLocale::ShortFormat));
    prompts.answerModal([this](QDialog& dialog) {
        auto& pret = static_cast<ui::TfrmPret&>(dialog);
        EXPECT_EQ(pret.windowTitle(), text("Prêter un film"));
        EXPECT_EQ(pret.lblTitre->text(), text("Alien"));
        // The heading is italic and underlined, not bold.
        EXPECT_TRUE(pret.lblTitre->font().italic());
        EXPECT_TRUE(pret.lblTitre->font().underline());
        EXPECT_FALSE(pret.lblTitre->font().bold());
        EXPECT_EQ(pret.datepret->date(), QDate::currentDate());
        EXPECT_EQ(pret.cmbQui->currentIndex(), -1);
        EXPECT_EQ(pret.cmbQui->count(), 2);
        pret.Button1->click();
        EXPECT_EQ(prompts.texts(text("information")), QStringList{text("Vous devez sélectionner une Personne")});
        pret.cmbQui->setCurrentIndex(0);
        pret.show();
        grab(pret, text("lend_window.png"));
        pret.Button1->click();
        // The film lent, the window closes by itself.
        EXPECT_FALSE(pret.isVisible());
        EXPECT_EQ(pret.result(), QDialog::Accepted);
        return pret.result();
    });
    window->loanPanel()->btnPret->click();
    EXPECT_EQ(window->loanPanel()->lblPret->text(), text("Prêté à Anne le ") + today);
    EXPECT_EQ(window->loanPanel()->btnPret->text(), text("Rendu"));
    EXPECT_EQ(window->MenuPret->text(), text("Film Rendu"));
    EXPECT_EQ(window->statusText(1), text("Aucun Filtre"));
    table::TMlb2 saved = reread();
    EXPECT_EQ(saved.GetCell(catalogue::posIFEMP, row(text("Alien"))), "1");
    EXPECT_EQ(saved.GetCell(catalogue::posNOMEMP, row(text("Alien"))), "Anne");

    window->MenuPret->trigger();
    EXPECT_EQ(window->loanPanel()->lblPret->text(), text("Disponible"));
    EXPECT_EQ(window->loanPanel()->btnPret->text(), text("Prêter"));
    EXPECT_EQ(window->MenuPret->text(), text("Prêter ce Film"));
    saved = reread();
    EXPECT_EQ(saved.GetCell(catalogue::posIFEMP, row(text("Alien"))), "0");
    EXPECT_EQ(saved.GetCell(catalogue::posDATEMP, row(text("Alien"))), "");
}

// A title too long for one line takes two in the lend window, whole: the window is tall enough.
TEST_F(Loans, ALongTitleIsShownWholeInTheLendWindow)
{
    const QString title = text("Le Retour de l'Inspecteur et de ses Amis dans la Vallée Perdue");
    state.table().SetCell(state.table().FieldIndex("RESERVE1"), row(text("Alien")),
                          ui::toCp(title).value_or(std::string()));
    window->RebuildTree();
    select(title);
    prompts.answerModal([&](QDialog& dialog) {
        auto& pret = static_cast<ui::TfrmPret&>(dialog);
        QApplication::processEvents();
        QLabel* label = pret.lblTitre;
        EXPECT_EQ(label->text(), title);
        EXPECT_GT(label->heightForWidth(label->width()), label->fontMetrics().lineSpacing() * 3 / 2);
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Rejected);
    });
    window->loanPanel()->btnPret->click();
}

TEST_F(Loans, CatalogueTextsAreShownAsPlainText)
{
    // A title holding markup is shown as written, in the title zone, the cover text, the lend
    // window and the progress window alike.
    const QString marked = text("<i>Alien</i> <b>8</b>");
    state.table().SetCell(state.table().FieldIndex("RESERVE1"), row(text("Alien")),
                          ui::toCp(marked).value_or(std::string()));
    window->RebuildTree();
    select(marked);
    EXPECT_EQ(window->recordView()->lblTitre->text(), marked);
    EXPECT_EQ(window->recordView()->lblTitre->textFormat(), Qt::PlainText);
    EXPECT_TRUE(window->recordView()->lblimage->text().contains(marked));
    EXPECT_EQ(window->recordView()->lblimage->textFormat(), Qt::PlainText);
    for (const char* name : {"StatusPanel0", "StatusPanel1"}) {
        auto* panel = window->StatusBar->findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(panel, nullptr) << name;
        EXPECT_EQ(panel->textFormat(), Qt::PlainText) << name;
    }
    prompts.answerModal([&](QDialog& dialog) {
        auto& pret = static_cast<ui::TfrmPret&>(dialog);
        EXPECT_EQ(pret.lblTitre->text(), marked);
        EXPECT_EQ(pret.lblTitre->textFormat(), Qt::PlainText);
        return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Rejected);
    });
    window->loanPanel()->btnPret->click();
    ASSERT_NE(window->frmEtat, nullptr);
    EXPECT_EQ(window->frmEtat->lblEtat()->textFormat(), Qt::PlainText);
}

TEST_F(Loans, CancelledLendWindowWritesNothing)
{
    select(text("Casino"));
    const std::string before = cinevaro::testing::readFile(state.CatalogueFileName);
    prompts.answerModal([](QDialog& dialog) {
        auto& pret = static_cast<ui::TfrmPret&>(dialog);
        pret.cmbQui->setCurrentIndex(1);
        pret.Button2->click();
        return pret.result();
    });
    window->loanPanel()->btnPret->click();
    EXPECT_EQ(window->loanPanel()->lblPret->text(), text("Disponible"));
    EXPECT_EQ(cinevaro::testing::readFile(state.CatalogueFileName), before);
}

// The lend window's controls are found by their names, as the main window's are.
// The lend window is made once and shown for each loan: every showing lists each borrower once.
TEST_F(Loans, TheLendWindowOpenedAgainListsEachBorrowerOnce)
{
    QStringList shown[2];
    for (QStringList& names : shown) {
        select(text("Casino"));
        prompts.answerModal([&names](QDialog& dialog) {
            auto& pret = static_cast<ui::TfrmPret&>(dialog);
            for (int i = 0; i < pret.cmbQui->count(); ++i)
                names << pret.cmbQui->itemText(i);
            pret.Button2->click();
            return pret.result();
        });
        window->loanPanel()->btnPret->click();
    }
    EXPECT_EQ(shown[0], (QStringList{text("Anne"), text("Paul")}));
    EXPECT_EQ(shown[1], shown[0]);
}

TEST_F(Loans, TheLendWindowsControlsAreFoundByTheirNames)
{
    select(text("Casino"));
    QStringList missing;
    prompts.answerModal([&missing](QDialog& dialog) {
        for (const char* name : {"lblTitre", "cmbQui", "datepret", "Button1", "Button2", "Button3"})
            if (!dialog.findChild<QWidget*>(QString::fromLatin1(name)))
                missing << QString::fromLatin1(name);
        static_cast<ui::TfrmPret&>(dialog).Button2->click();
        return int(QDialog::Rejected);
    });
    window->loanPanel()->btnPret->click();
    EXPECT_TRUE(missing.isEmpty()) << missing.join(QLatin1Char(' ')).toStdString();
}

// Both loan windows are tool windows: a small title bar, no entry of their own in the task bar.
TEST_F(Loans, TheLendAndBorrowersWindowsAreToolWindows)
{
    select(text("Casino"));
    QStringList kinds;
    const auto answer = [&kinds](QDialog& dialog) {
        kinds << dialog.objectName() + (dialog.windowType() == Qt::Tool ? QStringLiteral(" tool") : QString());
        dialog.reject();
        return int(QDialog::Rejected);
    };
    prompts.answerModal(answer);
    window->loanPanel()->btnPret->click();
    prompts.answerModal(answer);
    window->GestionEmprunteurs1->trigger();
    EXPECT_EQ(kinds.join(QStringLiteral(", ")).toStdString(), "frmPret tool, frmGestEmp tool");
}

TEST_F(Loans, BranchSelectedLendsNothing)
{
    window->TreeFilm->setCurrentItem(node(text("DVD")));
    window->loanPanel()->btnPret->click();
    EXPECT_TRUE(prompts.transcript().empty());
}

TEST_F(Loans, BorrowerHoldingAFilmCannotBeRemoved)
{
    select(text("Alien"));
    prompts.answerModal([this](QDialog& dialog) {
        auto& gest = static_cast<ui::TfrmGestEmp&>(dialog);
        EXPECT_EQ(gest.windowTitle(), text("Gestion des Emprunteurs"));
        EXPECT_EQ(listTexts(gest.lstBoxEmp), (QStringList{text("Anne"), text("Paul")}));
        gest.lstBoxEmp->setCurrentRow(1);
        gest.btnSuppEmp->click();
        EXPECT_EQ(prompts.texts(text("information")),
                  QStringList{text("Vous ne Pouvez pas supprimer cette personne car elle a des films à vous ...")});
        EXPECT_EQ(gest.lstBoxEmp->count(), 2);
        gest.lstBoxEmp->setCurrentRow(0);
        gest.btnSuppEmp->click();
        gest.btnAddEmp->click(); // answered "Zoe;Yves"
        gest.btnAddEmp->click(); // answered "Bernard"
        EXPECT_EQ(listTexts(gest.lstBoxEmp), (QStringList{text("Bernard"), text("Paul"), text("Zoe;Yves")}));
        gest.btnOkEmp->click();
        return gest.result();
    });
    prompts.answerInput(text("Zoe;Yves"));
    prompts.answerInput(text("Bernard"));
    window->loanPanel()->btnFGestPret->click();

    const table::TMlb2 saved = reread();
    for (int n = 1; n <= saved.RowCount(); ++n)
        EXPECT_EQ(saved.GetCell(catalogue::posLISTEMP, n), "Bernard;Paul;Zoe;Yves") << n;
    // The name typed with ";" comes back as two names.
    EXPECT_EQ(loans::readBorrowers(saved), (std::vector<std::string>{"Bernard", "Paul", "Zoe", "Yves"}));
}

// "Gestion" in the lend window opens the borrowers window; a borrower added there can be chosen
// at once.
TEST_F(Loans, ABorrowerAddedFromTheLendWindowCanBeChosenAtOnce)
{
    select(text("Alien"));
    QStringList offered;
    prompts.answerModal([&offered](QDialog& dialog) {
        auto& pret = static_cast<ui::TfrmPret&>(dialog);
        EXPECT_EQ(pret.cmbQui->count(), 2);
        pret.Button3->click();
        for (int i = 0; i < pret.cmbQui->count(); ++i)
            offered << pret.cmbQui->itemText(i);
        return cinevaro::testing::ScriptedPrompts::closeWindow(dialog, QDialog::Rejected);
    });
    prompts.answerModal([](QDialog& dialog) {
        auto& gest = static_cast<ui::TfrmGestEmp&>(dialog);
        gest.btnAddEmp->click();
        gest.btnOkEmp->click();
        return gest.result();
    });
    prompts.answerInput(text("Claire"));
    window->loanPanel()->btnPret->click();
    EXPECT_EQ(offered, (QStringList{text("Anne"), text("Claire"), text("Paul")}));
}

TEST_F(Loans, AnnulerDropsTheEdits)
{
    prompts.answerModal([](QDialog& dialog) {
        auto& gest = static_cast<ui::TfrmGestEmp&>(dialog);
        gest.btnAddEmp->click();
        gest.btnCancelEmp->click();
        return gest.result();
    });
    prompts.answerInput(text("Claire"));
    window->GestionEmprunteurs1->trigger();
    EXPECT_EQ(reread().GetCell(catalogue::posLISTEMP, 1), "Anne;Paul");
}

// A borrower's name the catalogue cannot hold is refused with its reason, and a cancelled or empty
// name adds nobody: the list saved is the one before.
TEST_F(Loans, ABorrowerNameThatCannotBeHeldOrIsEmptyAddsNobody)
{
    prompts.answerModal([](QDialog& dialog) {
        auto& gest = static_cast<ui::TfrmGestEmp&>(dialog);
        for (int attempt = 0; attempt < 3; ++attempt)
            gest.btnAddEmp->click();
        EXPECT_EQ(gest.lstBoxEmp->count(), 2);
        gest.btnOkEmp->click();
        return gest.result();
    });
    prompts.answerInput(text("Łukasz"));
    prompts.answerInput(QString());
    prompts.cancelInput();
    window->GestionEmprunteurs1->trigger();
    EXPECT_EQ(prompts.texts(text("error")),
              QStringList{text("Le texte contient un caractère qui ne peut pas être enregistré dans la base.")});
    EXPECT_EQ(reread().GetCell(catalogue::posLISTEMP, 1), "Anne;Paul");
}

// The panels the main window is made of are found by their names, like its controls.
TEST_F(Loans, MainWindowPanelsAreFoundByName)
{
    for (const char* name : {"LoanPanel", "TechPanel", "RecordView", "HintPanel"})
        EXPECT_NE(window->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
}

// Saves of the main window that fail (a full disk): each tells the user once, in French, the file
// on disk stays byte for byte, and the window shows the catalogue as it still is.
class FailedSaves : public cinevaro::testing::MainWindowFilms
{
protected:
    void SetUp() override
    {
        MainWindowFilms::SetUp();
        before = cinevaro::testing::readFile(state.CatalogueFileName);
    }
    void diskFull() { table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC, 1000); }
    void TearDown() override
    {
        table::clearFileFaultsForTesting();
        EXPECT_EQ(cinevaro::testing::readFile(state.CatalogueFileName), before);
        const QStringList errors = prompts.texts(text("error"));
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].contains(text("disque plein"))) << errors[0].toStdString();
        MainWindowFilms::TearDown();
    }
    std::string before;
};

TEST_F(FailedSaves, ALendThatCannotBeSavedLeavesTheFilmAvailable)
{
    select(text("Alien"));
    diskFull();
    prompts.answerModal([](QDialog& dialog) {
        auto& pret = static_cast<ui::TfrmPret&>(dialog);
        pret.cmbQui->setCurrentIndex(0);
        pret.Button1->click();
        EXPECT_FALSE(pret.isVisible());
        return pret.result();
    });
    window->loanPanel()->btnPret->click();
    EXPECT_EQ(window->loanPanel()->lblPret->text(), text("Disponible"));
    EXPECT_EQ(window->loanPanel()->btnPret->text(), text("Prêter"));
    EXPECT_EQ(state.table().GetCell(catalogue::posIFEMP, row(text("Alien"))), "0");
}

TEST_F(FailedSaves, AReturnThatCannotBeSavedLeavesTheFilmLent)
{
    select(text("Brazil"));
    diskFull();
    window->MenuPret->trigger();
    EXPECT_EQ(window->loanPanel()->btnPret->text(), text("Rendu"));
    EXPECT_TRUE(window->loanPanel()->lblPret->text().contains(text("Paul")));
    EXPECT_EQ(state.table().GetCell(catalogue::posNOMEMP, row(text("Brazil"))), "Paul");
}

// The borrowers window stays open with the edited list, to try again or give up.
TEST_F(FailedSaves, ABorrowerListThatCannotBeSavedKeepsThePreviousOne)
{
    diskFull();
    prompts.answerModal([](QDialog& dialog) {
        auto& gest = static_cast<ui::TfrmGestEmp&>(dialog);
        gest.btnAddEmp->click();
        gest.btnOkEmp->click();
        EXPECT_TRUE(gest.isVisible());
        EXPECT_EQ(listTexts(gest.lstBoxEmp), (QStringList{text("Anne"), text("Claire"), text("Paul")}));
        gest.btnCancelEmp->click();
        return gest.result();
    });
    prompts.answerInput(text("Claire"));
    window->GestionEmprunteurs1->trigger();
    EXPECT_EQ(loans::readBorrowers(state.table()), (std::vector<std::string>{"Anne", "Paul"}));
}

TEST_F(FailedSaves, ADeletionThatCannotBeSavedKeepsTheFilm)
{
    select(text("Alien"));
    diskFull();
    prompts.answerYes();
    window->Effacer1->trigger();
    EXPECT_NE(node(text("Alien")), nullptr);
    EXPECT_NE(row(text("Alien")), 0);
}

// When the file a failed deletion would read back is gone too, no catalogue stays open: both
// reasons are told at once, and the tree and the record view are emptied and disabled.
using CatalogueGone = cinevaro::testing::MainWindowFilms;

TEST_F(CatalogueGone, ADeletionThatCannotBeSavedNorReadBackLeavesNoCatalogueOpen)
{
    select(text("Alien"));
    std::filesystem::remove(state.CatalogueFileName);
    table::setFileFaultForTesting(table::FileOp::Open, 1, ENOSPC, 1000);
    prompts.answerYes();
    window->Effacer1->trigger();
    table::clearFileFaultsForTesting();
    const QStringList errors = prompts.texts(text("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(text("disque plein"))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QLatin1Char('\n'))) << errors[0].toStdString();
    EXPECT_FALSE(state.IsOpen);
    EXPECT_EQ(window->TreeFilm->topLevelItemCount(), 0);
    EXPECT_FALSE(window->TreeFilm->isEnabled());
    EXPECT_FALSE(window->Panel->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(state.CatalogueFileName));
}

TEST_F(FailedSaves, ATechnicalSaveThatCannotBeSavedKeepsTheEditPending)
{
    select(text("Brazil"));
    window->techPanel()->spnSize->setText(text("700"));
    diskFull();
    window->techPanel()->btnEnregistreInfo->click();
    EXPECT_TRUE(state.TechModified);
    EXPECT_EQ(window->techPanel()->spnSize->text(), text("700"));
    EXPECT_EQ(state.table().GetCell(state.table().FieldIndex("SIZE"), row(text("Brazil"))), "");
}
