// The film tree: building it from the catalogue, expansion, mapping the selected node back to
// its row, and the tree's handlers (selection, double click, popup, delete, refresh).
#include "ui/TfrmBase.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "catalogue/WordCompare.h"
#include "table/Cp1252.h"
#include "ui/Prompts.h"
#include "ui/kit/Icons.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

bool hasRows(const catalogue::CatalogueState& state)
{
    return state.CatalogueTable && state.table().RowCount() > 0;
}

QTreeWidgetItem* makeNode(const std::string& caption, const QIcon& image)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, fromCp(caption));
    item->setIcon(0, image);
    return item;
}

// A film node carries the row it stands for (FilmLeafItems puts it there): films may share a
// caption, so the caption never identifies the row.
constexpr int kFilmRowRole = Qt::UserRole;

int filmRowOf(const QTreeWidgetItem* item)
{
    if (!item)
        return 0;
    const QVariant row = item->data(0, kFilmRowRole);
    return row.isValid() ? row.toInt() : 0;
}

} // namespace

QString TfrmBase::rootCaption() const
{
    return fromCp(m_settings->readString("GENERAL", "NOMBASE", catalogue::defaultRootCaption()));
}

void TfrmBase::ClearTree()
{
    const QSignalBlocker block(TreeFilm);
    m_filmLeaves.detach(m_supportNodes);
    TreeFilm->clear();
    RootNode = nullptr;
    m_supportNodes.clear();
}

void TfrmBase::showTreeModel(const catalogue::FilmTreeModel& model, bool keepFilms)
{
    const QSignalBlocker block(TreeFilm);
    ++m_treeBuilds;
    if (keepFilms && showsSkeleton(model)) {
        // Root and branches stay; endTree() puts the films right. As after a clear, no node is
        // current; every caller sets the branches' expansion once the films are in.
        TreeFilm->selectionModel()->clear();
        RootNode->setExpanded(true);
        return;
    }
    ClearTree();
    RootNode = makeNode(model.rootCaption, icon(IconId::Root));
    TreeFilm->addTopLevelItem(RootNode);
    std::size_t count = 0;
    for (const auto& branch : model.supports)
        count = std::max<std::size_t>(count, branch.number);
    m_supportNodes.assign(count, nullptr);
    QList<QTreeWidgetItem*> supports;
    for (const auto& branch : model.supports) {
        auto* node = makeNode(branch.name, icon(IconId::Support));
        m_supportNodes[branch.number - 1] = node;
        supports.append(node);
    }
    RootNode->addChildren(supports);
    RootNode->setExpanded(true);
}

bool TfrmBase::showsSkeleton(const catalogue::FilmTreeModel& model) const
{
    if (!RootNode || TreeFilm->topLevelItemCount() != 1 || RootNode->text(0) != fromCp(model.rootCaption) ||
        RootNode->childCount() != static_cast<int>(model.supports.size()))
        return false;
    std::size_t count = 0;
    for (const auto& branch : model.supports)
        count = std::max<std::size_t>(count, branch.number);
    if (count != m_supportNodes.size())
        return false;
    for (std::size_t i = 0; i < model.supports.size(); ++i) {
        const auto& branch = model.supports[i];
        const QTreeWidgetItem* node = RootNode->child(static_cast<int>(i));
        if (branch.number < 1 || node != m_supportNodes[branch.number - 1] || node->text(0) != fromCp(branch.name))
            return false;
    }
    return true;
}

void TfrmBase::ShowDefaultTree()
{
    m_treeModel = catalogue::defaultFilmTree(m_state, toCp(rootCaption()).value_or(catalogue::defaultRootCaption()));
    showTreeModel(m_treeModel);
}

void TfrmBase::BuildTreeSkeleton()
{
    m_treeBuilder.begin(m_state, toCp(rootCaption()).value_or(catalogue::defaultRootCaption()));
    // The support branches appear now, in caption order; films follow in endTree().
    catalogue::FilmTreeModel skeleton = m_treeBuilder.model();
    std::stable_sort(skeleton.supports.begin(), skeleton.supports.end(),
                     [](const auto& a, const auto& b) { return catalogue::wordCompare(a.name, b.name) < 0; });
    showTreeModel(skeleton, true);
    m_state.table().MoveFirst();
}

void TfrmBase::AddFilmNode(int row)
{
    m_treeBuilder.add(row);
}

void TfrmBase::endTree()
{
    const QSignalBlocker block(TreeFilm);
    m_treeModel = m_treeBuilder.finish();
    const QIcon filmImage = icon(IconId::Film);
    const QIcon lentImage = icon(IconId::FilmLent);
    m_filmLeaves.beginBuild();
    std::vector<std::pair<QTreeWidgetItem*, QList<QTreeWidgetItem*>>> branches;
    for (const auto& branch : m_treeModel.supports) {
        QTreeWidgetItem* node = supportNode(branch.number - 1);
        if (!node)
            continue;
        QList<QTreeWidgetItem*> films;
        films.reserve(static_cast<qsizetype>(branch.films.size()));
        for (const auto& film : branch.films)
            if (QTreeWidgetItem* leaf = m_filmLeaves.node(film, filmImage, lentImage))
                films.append(leaf);
        branches.emplace_back(node, std::move(films));
    }
    m_filmLeaves.place(branches);
    if (m_state.FilmCount > 0)
        setStatusText(0, fromCp(catalogue::filmCountText(m_treeModel.filmTotal)));
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

QTreeWidgetItem* TfrmBase::supportNode(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_supportNodes.size()))
        return nullptr;
    return m_supportNodes[index];
}

void TfrmBase::SaveExpansion()
{
    if (!m_state.FilterActive && !m_state.ActorFilterActive && !m_state.SearchActive) {
        for (std::size_t i = 0; i < m_state.SupportGroups.size() && !m_state.SupportGroups[i].Name.empty(); ++i)
            if (auto* node = supportNode(static_cast<int>(i)))
                m_state.SupportGroups[i].Expanded = node->isExpanded();
    }
    if (RootNode)
        RootNode->setExpanded(true);
}

void TfrmBase::RestoreExpansion()
{
    if (RootNode)
        RootNode->setExpanded(true);
    for (std::size_t i = 0; i < m_state.SupportGroups.size() && !m_state.SupportGroups[i].Name.empty(); ++i)
        if (auto* node = supportNode(static_cast<int>(i)))
            node->setExpanded(m_state.SupportGroups[i].Expanded);
    TreeFilm->viewport()->update();
}

void TfrmBase::expandAll()
{
    // Only the root and the branches have children. Expanding them one by one leaves an expanded
    // branch as it is, where QTreeView::expandAll lays out every node again.
    if (RootNode)
        RootNode->setExpanded(true);
    for (QTreeWidgetItem* node : m_supportNodes)
        if (node)
            node->setExpanded(true);
}

int TfrmBase::FindFilmRow()
{
    if (!hasRows(m_state))
        return m_state.CurrentRow;
    QTreeWidgetItem* item = TreeFilm->currentItem();
    if (!item)
        return m_state.CurrentRow;
    m_state.CurrentRow = filmRow(item);
    return m_state.CurrentRow;
}

int TfrmBase::filmRow(const QTreeWidgetItem* item) const
{
    const int row = item && item->childCount() == 0 ? filmRowOf(item) : 0;
    return hasRows(m_state) && row >= 1 && row <= m_state.table().RowCount() ? row : 0;
}

int TfrmBase::absoluteIndex(const QTreeWidgetItem* item) const
{
    int index = 0;
    for (QTreeWidgetItemIterator it(TreeFilm); *it; ++it, ++index)
        if (*it == item)
            return index;
    return -1;
}

QTreeWidgetItem* TfrmBase::nodeAt(int absolute) const
{
    if (absolute < 0)
        return nullptr;
    QTreeWidgetItemIterator it(TreeFilm);
    for (int i = 0; *it && i < absolute; ++i)
        ++it;
    return *it;
}

void TfrmBase::selectNode(QTreeWidgetItem* item)
{
    if (item)
        TreeFilm->setCurrentItem(item);
}

void TfrmBase::setCatalogueEnabled(bool enabled)
{
    TreeFilm->setEnabled(enabled);
    Panel->setEnabled(enabled);
    updateUndoActions(false);
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
    if (QTreeWidgetItem* item = TreeFilm->currentItem()) {
        if (item->childCount() > 0) {
            m_state.CurrentRow = 1;
            return;
        }
        FindFilmRow();
    }
    if (m_state.CurrentRow != 0) {
        ShowRecord();
        m_state.TechModified = false;
    }
    filtreSupport->setEnabled(!lblSupport->text().isEmpty());
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
    const int position = absoluteIndex(item);
    if (FindFilmRow() != 0 && EditerFiche1->isEnabled())
        EditerFiche1->trigger();
    selectNode(nodeAt(position));
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
    if (!requireOpenCatalogue())
        return;
    QTreeWidgetItem* item = TreeFilm->currentItem();
    if (!hasRows(m_state) || !item)
        return;
    SaveExpansion();
    const QString caption = item->text(0);
    if (FindFilmRow() == 0) {
        m_prompts.information(QStringLiteral("Attention"), QStringLiteral("Vous ne pouvez pas supprimer ") + caption);
        return;
    }
    if (!m_prompts.question(QStringLiteral("Confirmation"),
                            QStringLiteral("Etes vous sur de Vouloir Supprimer ") + caption + QStringLiteral(" ?")))
        return;
    FindFilmRow();
    DeleteCurrentFilm();
    RestoreExpansion();
}

void TfrmBase::clearFilterState()
{
    m_state.FilterActive = false;
    m_state.ActorFilterActive = false;
    m_state.ActorFilterName = catalogue::kNoActorFilter;
    m_state.SearchActive = false;
    {
        // The callers rebuild the tree once: ticking "Aucun Filtre" here must not apply the
        // filters (and rebuild) on its own.
        const QScopedValueRollback updating(m_filterUpdating, true);
        for (QRadioButton* radio : {filtreReal, filtreGenre, filtreDate, filtreOri, filtreDistrib, filtreSupport})
            setFilterRadioChecked(radio, false);
        setFilterRadioChecked(filtrePret, false);
        setFilterRadioChecked(filtreNul, true);
    }
    for (QAction* item : filterMenuGroup->actions())
        item->setChecked(false);
    mnuFiltrePret->setChecked(false);
    AucunFiltre1->setChecked(true);
    setStatusText(1, QStringLiteral("Aucun Filtre"));
}

void TfrmBase::Rafraichir1Click()
{
    if (!hasRows(m_state) || TreeFilm->topLevelItemCount() == 0)
        return;
    if (!TreeFilm->currentItem())
        selectNode(nodeAt(1));
    const int position = absoluteIndex(TreeFilm->currentItem());
    SaveExpansion();
    clearFilterState();
    RebuildTree();
    selectNode(nodeAt(position));
    TreeFilm->setFocus();
    RestoreExpansion();
}

void TfrmBase::Rafraichir2Click()
{
    Rafraichir1Click();
}

} // namespace cinevaro::ui
