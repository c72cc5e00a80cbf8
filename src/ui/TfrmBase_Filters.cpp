// Filtering by example (the radio buttons beside the record view's boxes, the loan filter, the
// cast list's check boxes) and the search window's narrowing of the tree. The filter controls
// belong to FilterPanel; the filter state and the rows shown come from catalogue/Filters.h.
#include "ui/TfrmBase.h"

#include <QAction>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>

#include "catalogue/CatalogueState.h"
#include "catalogue/Filters.h"
#include "catalogue/Settings.h"
#include "ui/catalogue/FilterPanel.h"
#include "ui/catalogue/RecordView.h"
#include "ui/catalogue/TfrmCherchebase.h"
#include "ui/kit/Text.h"
#include "ui/loans/LoanPanel.h"

namespace cinevaro::ui {

namespace {

using catalogue::ChosenFilter;
using catalogue::FieldFilter;

constexpr int kIdleColourDefault = 0xFFFF00;

} // namespace

void TfrmBase::buildFilterPanel()
{
    FilterPanel::MenuItems menu;
    menu.fields = filterMenuGroup;
    menu.field[static_cast<int>(FieldFilter::Real)] = mnuFiltreReal;
    menu.field[static_cast<int>(FieldFilter::Genre)] = mnuFiltreGenre;
    menu.field[static_cast<int>(FieldFilter::Ori)] = mnuFiltreOri;
    menu.field[static_cast<int>(FieldFilter::Date)] = mnuFiltreDate;
    menu.field[static_cast<int>(FieldFilter::Distrib)] = mnuFiltreDistrib;
    menu.field[static_cast<int>(FieldFilter::Support)] = mnuFiltreSupport;
    menu.loan = mnuFiltrePret;
    menu.none = AucunFiltre1;
    // The idle colour is read again each time it is applied.
    const auto idleColour = [this] { return m_settings->readInteger("COULEUR", "COULEURZONE", kIdleColourDefault); };
    m_filters = new FilterPanel(*m_recordView, *m_loanPanel, menu, idleColour, m_state, this);
}

void TfrmBase::setupFilters()
{
    using Handler = void (TfrmBase::*)();
    static constexpr Handler kFieldHandlers[] = {&TfrmBase::filtreRealClick,    &TfrmBase::filtreGenreClick,
                                                 &TfrmBase::filtreOriClick,     &TfrmBase::filtreDateClick,
                                                 &TfrmBase::filtreDistribClick, &TfrmBase::filtreSupportClick};
    connect(m_filters, &FilterPanel::fieldChosen, this,
            [this](FieldFilter filter) { (this->*kFieldHandlers[static_cast<int>(filter)])(); });
    connect(m_filters, &FilterPanel::loanChosen, this, &TfrmBase::filtrePretClick);
    connect(m_filters, &FilterPanel::noneChosen, this, &TfrmBase::filtreNulClick);
    connect(m_filters, &FilterPanel::actorTicked, this, &TfrmBase::lstActeurClick);
    connectFieldBoxes();
    connect(Chercher1, &QAction::triggered, this, &TfrmBase::Chercher1Click);
    Chercher1->setEnabled(true);
}

void TfrmBase::connectFieldBoxes()
{
    const RecordView& r = *m_recordView;
    connect(r.lblReal, &QLineEdit::textChanged, this, &TfrmBase::lblRealChange);
    connect(r.lblDate, &QLineEdit::textChanged, this, &TfrmBase::lblDateChange);
    connect(r.lblOri, &QLineEdit::textChanged, this, &TfrmBase::lblOriChange);
    connect(r.lblGenre, &QLineEdit::textChanged, this, &TfrmBase::lblGenreChange);
    connect(r.lblDistrib, &QLineEdit::textChanged, this, &TfrmBase::lblDistribChange);
}

void TfrmBase::filtreRealClick()
{
    fieldFilterClick(FieldFilter::Real);
}

void TfrmBase::filtreDateClick()
{
    fieldFilterClick(FieldFilter::Date);
}

void TfrmBase::filtreOriClick()
{
    fieldFilterClick(FieldFilter::Ori);
}

void TfrmBase::filtreGenreClick()
{
    fieldFilterClick(FieldFilter::Genre);
}

void TfrmBase::filtreDistribClick()
{
    fieldFilterClick(FieldFilter::Distrib);
}

void TfrmBase::filtreSupportClick()
{
    fieldFilterClick(FieldFilter::Support);
}

void TfrmBase::fieldFilterClick(FieldFilter filter)
{
    m_filters->setChosen({ChosenFilter::Kind::Field, filter});
    ApplyFilters();
}

void TfrmBase::filtreNulClick()
{
    m_filters->setChosen({});
    ApplyFilters();
}

void TfrmBase::filtrePretClick()
{
    m_filters->setChosen({ChosenFilter::Kind::Loan});
    if (TreeFilm->currentItem())
        FindFilmRow();
    ApplyFilters();
}

void TfrmBase::ApplyFilters()
{
    SaveExpansion(); // before the flag is set: a branch closed by its arrow comes back closed
    m_filters->untickActors();
    const ChosenFilter chosen = m_filters->chosen();
    const catalogue::TreeShown shown = catalogue::applyChosenFilter(m_state, chosen, m_filters->shownValue(chosen));
    const ChosenFilter inEffect = catalogue::filterInEffect(chosen, shown);
    if (shown.fullTree)
        m_filters->setChosen(inEffect);
    else
        SaveExpansion();
    showTree(shown);
    m_filters->showActiveBox(inEffect);
}

void TfrmBase::showTree(const catalogue::TreeShown& shown)
{
    if (shown.fullTree)
        RebuildTree();
    else
        showFilteredRows(shown.rows);
    if (shown.status)
        setStatusText(1, fromCp(*shown.status));
    if (shown.expandAll)
        expandAll();
    else
        RestoreExpansion();
}

void TfrmBase::showFilteredRows(const std::vector<int>& rows)
{
    BuildTreeSkeleton();
    for (int row : rows)
        AddFilmNode(row);
    endTree();
}

void TfrmBase::lstActeurClick(const QString& name, bool ticked)
{
    SaveExpansion(); // before the actor flag is set, as for the other filters
    // Any field or loan filter ends; "Aucun Filtre" is unticked while an actor is.
    m_filters->untickRadios(ticked);
    showTree(catalogue::switchActorFilter(m_state, toCp(name).value_or(std::string()), ticked));
    m_filters->showActiveBox({});
}

void TfrmBase::lblRealChange()
{
    m_recordView->filtreReal->setEnabled(!m_recordView->lblReal->text().isEmpty());
}

void TfrmBase::lblDateChange()
{
    m_recordView->filtreDate->setEnabled(!m_recordView->lblDate->text().isEmpty());
}

void TfrmBase::lblOriChange()
{
    m_recordView->filtreOri->setEnabled(!m_recordView->lblOri->text().isEmpty());
}

void TfrmBase::lblGenreChange()
{
    m_recordView->filtreGenre->setEnabled(!m_recordView->lblGenre->text().isEmpty());
}

void TfrmBase::lblDistribChange()
{
    m_recordView->filtreDistrib->setEnabled(!m_recordView->lblDistrib->text().isEmpty());
}

void TfrmBase::Chercher1Click()
{
    if (!frmCherchebase)
        return;
    frmCherchebase->show();
    frmCherchebase->raise();
    frmCherchebase->activateWindow();
}

void TfrmBase::searchChanged(const QString& text, int field)
{
    if (!m_state.CatalogueTable || m_state.table().RowCount() == 0)
        return;
    // Remembered while no search is active yet, before the search flag changes.
    SaveExpansion();
    // A character the catalogue cannot hold matches no film.
    showTree(catalogue::applySearch(m_state, static_cast<catalogue::SearchField>(field), toCp(text)));
}

} // namespace cinevaro::ui
