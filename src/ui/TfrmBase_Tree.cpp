// The film tree's handlers (selection, double click, popup, delete, refresh) and the forwards to
// the tree view TreeFilm, which builds the tree, keeps its expansion and maps nodes to rows.
#include "ui/TfrmBase.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

#include "catalogue/CatalogueState.h"
#include "catalogue/Filters.h"
#include "catalogue/Settings.h"
#include "ui/Prompts.h"
#include "ui/catalogue/FilmTreeView.h"
#include "ui/catalogue/FilterPanel.h"
#include "ui/catalogue/RecordView.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

bool hasRows(const catalogue::CatalogueState& state)
{
    return state.CatalogueTable && state.table().RowCount() > 0;
}

} // namespace

void TfrmBase::connectTree()
{
    // The offer to save technical edits runs before the selection shows the next film.
    connect(TreeFilm, &FilmTreeView::currentNodeChanging, this, &TfrmBase::TreeFilmChanging);
    connect(TreeFilm, &FilmTreeView::currentFilmChanged, this, &TfrmBase::TreeFilmChange);
    connect(TreeFilm, &FilmTreeView::nodeClicked, this, &TfrmBase::TreeFilmClick);
    connect(TreeFilm, &FilmTreeView::nodeDoubleClicked, this, &TfrmBase::TreeFilmDblClick);
    connect(TreeFilm, &FilmTreeView::popupRequested, this, &TfrmBase::TreeFilmContextPopup);
    connect(TreeFilm, &FilmTreeView::keyTyped, this, &TfrmBase::TreeFilmKeyPress);
}

std::string TfrmBase::rootCaption() const
{
    const std::string fallback = catalogue::defaultRootCaption();
    // The setting is read as text and kept only when the catalogue's bytes can hold it.
    return toCp(fromCp(m_settings->readString("GENERAL", "NOMBASE", fallback))).value_or(fallback);
}

void TfrmBase::ClearTree()
{
    TreeFilm->clearTree();
}

void TfrmBase::ShowDefaultTree()
{
    TreeFilm->showDefault(rootCaption());
}

void TfrmBase::BuildTreeSkeleton()
{
    TreeFilm->beginFilms(rootCaption());
}

void TfrmBase::AddFilmNode(int row)
{
    TreeFilm->addFilm(row);
}

void TfrmBase::endTree()
{
    TreeFilm->endFilms();
    if (m_state.FilmCount > 0)
        setStatusText(0, fromCp(catalogue::filmCountText(TreeFilm->filmModel().filmTotal)));
}

void TfrmBase::RebuildTree()
{
    if (!hasRows(m_state))
        return;
    BuildTreeSkeleton();
    const int rows = m_state.table().RowCount();
    for (int row = 1; row <= rows; ++row)
        AddFilmNode(row);
    endTree();
    RestoreExpansion();
    updateUndoActions(false);
}

int TfrmBase::treeBuilds() const
{
    return TreeFilm->treeBuilds();
}

const catalogue::FilmTreeModel& TfrmBase::treeModel() const
{
    return TreeFilm->filmModel();
}

QTreeWidgetItem* TfrmBase::supportNode(int index) const
{
    return TreeFilm->supportNode(index);
}

void TfrmBase::SaveExpansion()
{
    TreeFilm->saveExpansion();
}

void TfrmBase::RestoreExpansion()
{
    TreeFilm->restoreExpansion();
}

void TfrmBase::expandAll()
{
    TreeFilm->expandBranches();
}

int TfrmBase::FindFilmRow()
{
    if (hasRows(m_state) && TreeFilm->currentItem())
        m_state.CurrentRow = TreeFilm->filmRow(TreeFilm->currentItem());
    return m_state.CurrentRow;
}

void TfrmBase::selectNode(QTreeWidgetItem* item)
{
    TreeFilm->selectNode(item);
}

void TfrmBase::setCatalogueEnabled(bool enabled)
{
    enableCatalogueViews(enabled);
    updateUndoActions(false);
}

bool TfrmBase::catalogueHasRows() const
{
    return hasRows(m_state);
}

void TfrmBase::enableCatalogueViews(bool enabled)
{
    TreeFilm->setEnabled(enabled);
    Panel->setEnabled(enabled);
}

QString TfrmBase::statusText(int panel) const
{
    return (panel == 0 || panel == 1) ? m_statusPanels[panel]->text() : QString();
}

void TfrmBase::setStatusText(int panel, const QString& text)
{
    if (panel == 0 || panel == 1)
        m_statusPanels[panel]->setText(text);
}

void TfrmBase::TreeFilmClick()
{
    if (!hasRows(m_state))
        return;
    SaveExpansion();
    const QTreeWidgetItem* item = TreeFilm->currentItem();
    if (item && item->childCount() > 0) {
        m_state.CurrentRow = 1;
        return;
    }
    if ((item ? FindFilmRow() : m_state.CurrentRow) != 0) {
        ShowRecord();
        m_state.TechModified = false;
    }
    m_recordView->filtreSupport->setEnabled(!m_recordView->lblSupport->text().isEmpty());
}

void TfrmBase::TreeFilmChange()
{
    TreeFilmClick();
}

void TfrmBase::TreeFilmKeyPress()
{
    TreeFilmClick();
}

void TfrmBase::TreeFilmDblClick()
{
    m_state.TechModified = false;
    QTreeWidgetItem* item = TreeFilm->currentItem();
    if (!hasRows(m_state) || !item)
        return;
    const int position = TreeFilm->absoluteIndex(item);
    if (FindFilmRow() != 0 && EditerFiche1->isEnabled())
        EditerFiche1->trigger();
    selectNode(TreeFilm->nodeAt(position));
}

void TfrmBase::TreeFilmContextPopup(const QPoint& pos)
{
    if (QTreeWidgetItem* under = TreeFilm->itemAt(pos))
        selectNode(under);
    TreeFilm->setFocus();
    bool film = false;
    if (hasRows(m_state) && TreeFilm->currentItem()) {
        SaveExpansion();
        film = FindFilmRow() != 0;
    }
    PopupEffacer1->setVisible(film);
    PopupEditerFiche1->setVisible(film);
    PopupMenu->popup(TreeFilm->viewport()->mapToGlobal(pos));
}

void TfrmBase::Effacer1Click()
{
    if (!requireOpenCatalogue() || !hasRows(m_state) || !TreeFilm->currentItem())
        return;
    SaveExpansion();
    if (!confirmDelete(TreeFilm->currentItem()->text(0), FindFilmRow() != 0))
        return;
    FindFilmRow();
    DeleteCurrentFilm();
    RestoreExpansion();
}

bool TfrmBase::confirmDelete(const QString& caption, bool isFilm)
{
    if (!isFilm) {
        m_prompts.information(QStringLiteral("Attention"), QStringLiteral("Vous ne pouvez pas supprimer ") + caption);
        return false;
    }
    return m_prompts.question(QStringLiteral("Confirmation"),
                              QStringLiteral("Etes vous sur de Vouloir Supprimer ") + caption + QStringLiteral(" ?"));
}

void TfrmBase::clearFilterState()
{
    catalogue::clearFilterFlags(m_state);
    // The callers rebuild the tree once: the panel ticks "Aucun Filtre" without applying it.
    m_filters->setChosen({});
    setStatusText(1, fromCp(catalogue::noFilterStatus()));
}

void TfrmBase::Rafraichir1Click()
{
    if (!hasRows(m_state) || TreeFilm->topLevelItemCount() == 0)
        return;
    if (!TreeFilm->currentItem())
        selectNode(TreeFilm->nodeAt(1));
    const int position = TreeFilm->absoluteIndex(TreeFilm->currentItem());
    SaveExpansion();
    clearFilterState();
    RebuildTree();
    selectNode(TreeFilm->nodeAt(position));
    TreeFilm->setFocus();
    RestoreExpansion();
}

void TfrmBase::Rafraichir2Click()
{
    Rafraichir1Click();
}

} // namespace cinevaro::ui
