// Filling the three views from CurrentRow, emptying them, and deleting the shown film.
#include "ui/TfrmBase.h"

#include <QAction>
#include <QRadioButton>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "editing/DeleteRecord.h"
#include "editing/TechInfo.h"
#include "loans/Loans.h"
#include "ui/Prompts.h"
#include "ui/catalogue/RecordView.h"
#include "ui/editing/TechPanel.h"
#include "ui/kit/Text.h"
#include "ui/loans/LoanPanel.h"

namespace cinevaro::ui {

namespace {

// The actor the tree is filtered on, or empty.
std::string checkedActor(const catalogue::CatalogueState& state)
{
    return state.ActorFilterActive ? state.ActorFilterName : std::string();
}

} // namespace

TechPanel* TfrmBase::techPanel() const
{
    m_techPanel->ensureBuilt();
    return m_techPanel;
}

void TfrmBase::ShowRecord()
{
    auto& t = m_state.table();
    const int row = m_state.CurrentRow;
    if (row < 1 || row > t.RowCount())
        return;
    t.MoveTo(row);
    m_recordView->setRecord(t, row, checkedActor(m_state));
    m_techPanel->setValues(editing::readTechValues(t, row));
    showLoan(loans::loanTexts(t, row));
    showCover(t.GetValue("TITRE"), t.GetValue("RESERVE1"));
    // Filling the technical boxes counts as no change of the user.
    m_state.TechModified = false;
}

void TfrmBase::ShowActors()
{
    const auto& t = m_state.table();
    if (m_state.CurrentRow < 1 || m_state.CurrentRow > t.RowCount()) {
        m_recordView->setActors({}, {});
        return;
    }
    m_recordView->setActors(t.GetCell(catalogue::posACTEUR, m_state.CurrentRow), checkedActor(m_state));
}

void TfrmBase::showCover(const std::string& titre, const std::string& caption)
{
    m_recordView->setCover(catalogue::coverPath(m_state, titre),
                           QStringLiteral("Il n'y a pas d'Affiche pour : \"") + fromCp(caption) + QStringLiteral("\""));
}

void TfrmBase::showLoan(const loans::LoanTexts& loan)
{
    m_loanPanel->setLoan(loan);
    MenuPret->setText(fromCp(loan.menuPret));
    m_loanPanel->filtrePret->setEnabled(true);
    mnuFiltrePret->setEnabled(true);
}

void TfrmBase::clearRecordView()
{
    m_recordView->clear();
    m_techPanel->clear();
    m_loanPanel->clear();
    m_state.TechModified = false;
}

void TfrmBase::DeleteCurrentFilm()
{
    clearRecordView();
    const auto outcome = editing::deleteRecord(m_state, m_state.CurrentRow);
    if (!outcome)
        m_prompts.error(fromCp(outcome.message));
    ClearTree();
    m_state.FilmCount = 0;
    if (!m_state.IsOpen) {
        setCatalogueEnabled(false);
        return;
    }
    RebuildTree();
}

} // namespace cinevaro::ui
