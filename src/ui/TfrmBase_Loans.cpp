// The loan panel's and the "Prêt" menu's handlers: lending and returning the shown film, and the
// borrowers window.
#include "ui/TfrmBase.h"

#include <QAction>
#include <QTreeWidget>

#include "catalogue/CatalogueState.h"
#include "loans/Loans.h"
#include "ui/Prompts.h"
#include "ui/kit/Text.h"
#include "ui/loans/LoanPanel.h"
#include "ui/loans/TfrmGestEmp.h"
#include "ui/loans/TfrmPret.h"

namespace cinevaro::ui {

void TfrmBase::setupLoans()
{
    connect(m_loanPanel, &LoanPanel::lendClicked, this, &TfrmBase::btnPretClick);
    connect(m_loanPanel, &LoanPanel::manageClicked, this, &TfrmBase::btnFGestPretClick);
    connect(MenuPret, &QAction::triggered, this, &TfrmBase::MenuPretClick);
    MenuPret->setEnabled(true);
    connect(GestionEmprunteurs1, &QAction::triggered, this, &TfrmBase::GestiondesPrt1Click);
    GestionEmprunteurs1->setEnabled(true);
}

void TfrmBase::btnPretClick()
{
    if (!requireOpenCatalogue())
        return;
    if (m_state.table().RowCount() == 0 || !TreeFilm->currentItem() || FindFilmRow() == 0)
        return;
    if (loans::isLent(m_state.table(), m_state.CurrentRow))
        returnShownFilm();
    else
        lendShownFilm();
    Rafraichir1Click();
}

void TfrmBase::lendShownFilm()
{
    if (!frmPret)
        return;
    const int row = m_state.CurrentRow;
    frmPret->execute(TreeFilm->currentItem()->text(0));
    m_state.CurrentRow = row;
    ShowRecord();
}

void TfrmBase::returnShownFilm()
{
    if (const auto returned = loans::returnFilm(m_state, m_state.CurrentRow); !returned)
        m_prompts.error(fromCp(returned.message));
    ShowRecord();
}

void TfrmBase::MenuPretClick()
{
    btnPretClick();
}

void TfrmBase::GestiondesPrt1Click()
{
    if (!requireOpenCatalogue())
        return;
    if (m_state.table().RowCount() == 0)
        return;
    btnFGestPretClick();
}

void TfrmBase::btnFGestPretClick()
{
    if (!requireOpenCatalogue())
        return;
    if (frmGestEmp)
        frmGestEmp->execute();
}

} // namespace cinevaro::ui
