#include "ui/catalogue/FilmTreeView.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>

#include "catalogue/CatalogueState.h"
#include "catalogue/WordCompare.h"
#include "ui/kit/Icons.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

// A film node carries the row it stands for (FilmLeafItems puts it there): films may share a
// caption, so the caption never identifies the row.
constexpr int kFilmRowRole = Qt::UserRole;

QTreeWidgetItem* makeNode(const std::string& caption, const QIcon& image)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, fromCp(caption));
    item->setIcon(0, image);
    return item;
}

int filmRowOf(const QTreeWidgetItem* item)
{
    if (!item)
        return 0;
    const QVariant row = item->data(0, kFilmRowRole);
    return row.isValid() ? row.toInt() : 0;
}

// Number of support nodes a model needs: its highest support number.
std::size_t supportCount(const catalogue::FilmTreeModel& model)
{
    std::size_t count = 0;
    for (const auto& branch : model.supports)
        count = std::max<std::size_t>(count, branch.number);
    return count;
}

// The branches of `model`, each also put in `byNumber` at its SupportGroups index.
QList<QTreeWidgetItem*> makeSupportNodes(const catalogue::FilmTreeModel& model, std::vector<QTreeWidgetItem*>& byNumber)
{
    byNumber.assign(supportCount(model), nullptr);
    QList<QTreeWidgetItem*> supports;
    for (const auto& branch : model.supports) {
        auto* node = makeNode(branch.name, icon(IconId::Support));
        byNumber[branch.number - 1] = node;
        supports.append(node);
    }
    return supports;
}

} // namespace

// Draws the node under the mouse blue and underlined while hot tracking is on. A delegate rather
// than a style sheet: a sheet on the tree puts its whole drawing, and its children's, through the
// sheet's style, and item views leave its underline out.
class FilmTreeView::HotTrackDelegate final : public QStyledItemDelegate
{
public:
    explicit HotTrackDelegate(FilmTreeView* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!m_tree->hotTracking() || !(option->state & QStyle::State_MouseOver))
            return;
        const QColor hot(0, 0, 255);
        for (const auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            option->palette.setColor(role, hot);
        option->font.setUnderline(true);
    }

private:
    FilmTreeView* m_tree;
};

FilmTreeView::FilmTreeView(catalogue::CatalogueState& state, QWidget* parent) : QTreeWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("TreeFilm"));
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(19);
    setMinimumWidth(260);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setIconSize(QSize(16, 16));
    setItemDelegate(new HotTrackDelegate(this));
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
        emit currentNodeChanging(current, previous);
        emit currentFilmChanged();
    });
    connect(this, &QTreeWidget::itemClicked, this, &FilmTreeView::nodeClicked);
    connect(this, &QTreeWidget::itemDoubleClicked, this, &FilmTreeView::nodeDoubleClicked);
    connect(this, &QTreeWidget::customContextMenuRequested, this, &FilmTreeView::popupRequested);
}

FilmTreeView::~FilmTreeView() = default;

void FilmTreeView::setHotTracking(bool on)
{
    m_hotTracking = on;
    setMouseTracking(on);
    // The view follows the node under the mouse through the hover events of its viewport.
    setAttribute(Qt::WA_Hover, on);
    viewport()->setAttribute(Qt::WA_Hover, on);
    viewport()->update();
}

bool FilmTreeView::hasRows() const
{
    return m_state.CatalogueTable && m_state.table().RowCount() > 0;
}

void FilmTreeView::clearTree()
{
    const QSignalBlocker block(this);
    m_filmLeaves.detach(m_supportNodes);
    clear();
    m_root = nullptr;
    m_supportNodes.clear();
}

void FilmTreeView::showModel(const catalogue::FilmTreeModel& model, bool keepFilms)
{
    const QSignalBlocker block(this);
    ++m_treeBuilds;
    // Kept root and branches wait for endFilms() to put their films right; as after a clear, no
    // node is current. Every caller sets the branches' expansion once the films are in.
    if (keepFilms && showsSkeleton(model)) {
        selectionModel()->clear();
    } else {
        clearTree();
        m_root = makeNode(model.rootCaption, icon(IconId::Root));
        addTopLevelItem(m_root);
        m_root->addChildren(makeSupportNodes(model, m_supportNodes));
    }
    m_root->setExpanded(true);
}

bool FilmTreeView::showsSkeleton(const catalogue::FilmTreeModel& model) const
{
    if (!m_root || topLevelItemCount() != 1 || m_root->text(0) != fromCp(model.rootCaption) ||
        m_root->childCount() != static_cast<int>(model.supports.size()) || supportCount(model) != m_supportNodes.size())
        return false;
    for (std::size_t i = 0; i < model.supports.size(); ++i) {
        const auto& branch = model.supports[i];
        const QTreeWidgetItem* node = m_root->child(static_cast<int>(i));
        if (branch.number < 1 || node != m_supportNodes[branch.number - 1] || node->text(0) != fromCp(branch.name))
            return false;
    }
    return true;
}

void FilmTreeView::showDefault(const std::string& rootCaption)
{
    m_model = catalogue::defaultFilmTree(m_state, rootCaption);
    showModel(m_model, false);
}

void FilmTreeView::beginFilms(const std::string& rootCaption)
{
    m_builder.begin(m_state, rootCaption);
    // The support branches appear now, in caption order; films follow in endFilms().
    catalogue::FilmTreeModel skeleton = m_builder.model();
    std::stable_sort(skeleton.supports.begin(), skeleton.supports.end(),
                     [](const auto& a, const auto& b) { return catalogue::wordCompare(a.name, b.name) < 0; });
    showModel(skeleton, true);
    m_state.table().MoveFirst();
}

void FilmTreeView::addFilm(int row)
{
    m_builder.add(row);
}

void FilmTreeView::endFilms()
{
    const QSignalBlocker block(this);
    m_model = m_builder.finish();
    const QIcon filmImage = icon(IconId::Film);
    const QIcon lentImage = icon(IconId::FilmLent);
    m_filmLeaves.beginBuild();
    std::vector<std::pair<QTreeWidgetItem*, QList<QTreeWidgetItem*>>> branches;
    for (const auto& branch : m_model.supports) {
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
}

QTreeWidgetItem* FilmTreeView::supportNode(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_supportNodes.size()))
        return nullptr;
    return m_supportNodes[index];
}

void FilmTreeView::saveExpansion()
{
    auto& groups = m_state.SupportGroups;
    if (!m_state.FilterActive && !m_state.ActorFilterActive && !m_state.SearchActive) {
        for (std::size_t i = 0; i < groups.size() && !groups[i].Name.empty(); ++i)
            if (auto* node = supportNode(static_cast<int>(i)))
                groups[i].Expanded = node->isExpanded();
    }
    if (m_root)
        m_root->setExpanded(true);
}

void FilmTreeView::restoreExpansion()
{
    const auto& groups = m_state.SupportGroups;
    if (m_root)
        m_root->setExpanded(true);
    for (std::size_t i = 0; i < groups.size() && !groups[i].Name.empty(); ++i)
        if (auto* node = supportNode(static_cast<int>(i)))
            node->setExpanded(groups[i].Expanded);
}

void FilmTreeView::expandBranches()
{
    // Only the root and the branches have children. Expanding them one by one leaves an expanded
    // branch as it is, where QTreeView::expandAll lays out every node again.
    if (m_root)
        m_root->setExpanded(true);
    for (QTreeWidgetItem* node : m_supportNodes)
        if (node)
            node->setExpanded(true);
}

int FilmTreeView::filmRow(const QTreeWidgetItem* item) const
{
    const int row = item && item->childCount() == 0 ? filmRowOf(item) : 0;
    return hasRows() && row >= 1 && row <= m_state.table().RowCount() ? row : 0;
}

int FilmTreeView::absoluteIndex(const QTreeWidgetItem* item) const
{
    int index = 0;
    for (QTreeWidgetItemIterator it(const_cast<FilmTreeView*>(this)); *it; ++it, ++index)
        if (*it == item)
            return index;
    return -1;
}

QTreeWidgetItem* FilmTreeView::nodeAt(int absolute) const
{
    if (absolute < 0)
        return nullptr;
    QTreeWidgetItemIterator it(const_cast<FilmTreeView*>(this));
    for (int i = 0; *it && i < absolute; ++i)
        ++it;
    return *it;
}

void FilmTreeView::selectNode(QTreeWidgetItem* item)
{
    if (item)
        setCurrentItem(item);
}

void FilmTreeView::keyPressEvent(QKeyEvent* event)
{
    QTreeWidget::keyPressEvent(event);
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        // The tree has moved to the node the key names; the owner shows it.
        event->accept();
        emit keyTyped();
    }
}

} // namespace cinevaro::ui
