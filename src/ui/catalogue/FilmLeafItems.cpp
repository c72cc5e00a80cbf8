#include "ui/catalogue/FilmLeafItems.h"

#include <QSignalBlocker>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "catalogue/FilmTree.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

class FilmNode : public QTreeWidgetItem
{
public:
    FilmNode(int row, int rowRole) : m_row(row), m_rowRole(rowRole) {}

    void set(const catalogue::FilmLeaf& film, const QIcon& image)
    {
        m_caption = film.caption;
        m_lent = film.lent;
        m_image = image;
        if (treeWidget())
            emitDataChanged(); // shown in a branch that stays: drawn again
    }
    bool shows(const catalogue::FilmLeaf& film) const { return m_lent == film.lent && m_caption == film.caption; }

    QVariant data(int column, int role) const override
    {
        if (column == 0) {
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return fromCp(m_caption);
            if (role == Qt::DecorationRole)
                return m_image;
            if (role == m_rowRole)
                return m_row;
        }
        return QTreeWidgetItem::data(column, role);
    }

private:
    std::string m_caption;
    QIcon m_image;
    int m_row;
    int m_rowRole;
    bool m_lent = false;
};

FilmLeafItems::~FilmLeafItems()
{
    clear();
}

QTreeWidgetItem* FilmLeafItems::node(const catalogue::FilmLeaf& film, const QIcon& filmImage, const QIcon& lentImage)
{
    if (film.row <= 0)
        return nullptr;
    if (m_byRow.size() <= static_cast<std::size_t>(film.row))
        m_byRow.resize(static_cast<std::size_t>(film.row) + 1);
    Kept& kept = m_byRow[static_cast<std::size_t>(film.row)];
    const QIcon& image = film.lent ? lentImage : filmImage;
    if (kept.item && kept.build == m_build) {
        // The same row twice in one build: a node of its own, left to the tree that gets it.
        auto* extra = new FilmNode(film.row, m_role);
        extra->set(film, image);
        return extra;
    }
    kept.build = m_build;
    if (!kept.item)
        kept.item = new FilmNode(film.row, m_role);
    else if (kept.item->shows(film))
        return kept.item;
    kept.item->set(film, image);
    return kept.item;
}

void FilmLeafItems::place(const std::vector<std::pair<QTreeWidgetItem*, QList<QTreeWidgetItem*>>>& branches)
{
    const auto holds = [](const QTreeWidgetItem* parent, const QList<QTreeWidgetItem*>& films) {
        if (parent->childCount() != films.size())
            return false;
        for (qsizetype i = 0; i < films.size(); ++i)
            if (parent->child(static_cast<int>(i)) != films[i])
                return false;
        return true;
    };
    std::vector<const std::pair<QTreeWidgetItem*, QList<QTreeWidgetItem*>>*> changed;
    for (const auto& branch : branches)
        if (branch.first && !holds(branch.first, branch.second))
            changed.push_back(&branch);
    // Every changed branch is emptied before any is filled: a film may move between supports.
    for (const auto* branch : changed)
        release(branch->first);
    for (const auto* branch : changed)
        if (!branch->second.isEmpty())
            branch->first->addChildren(branch->second);
}

void FilmLeafItems::detach(const std::vector<QTreeWidgetItem*>& parents)
{
    for (QTreeWidgetItem* parent : parents)
        release(parent);
}

void FilmLeafItems::release(QTreeWidgetItem* parent)
{
    if (!parent || parent->childCount() == 0)
        return;
    // The tree's signals stay quiet: this runs while its owner is being rebuilt or destroyed.
    const QSignalBlocker block(parent->treeWidget());
    for (QTreeWidgetItem* child : parent->takeChildren()) {
        const QVariant row = child->data(0, m_role);
        const auto index = row.isValid() ? row.toLongLong() : -1;
        if (index <= 0 || static_cast<std::size_t>(index) >= m_byRow.size() ||
            static_cast<QTreeWidgetItem*>(m_byRow[static_cast<std::size_t>(index)].item) != child)
            delete child;
    }
}

void FilmLeafItems::clear()
{
    // Out of their tree all at once (one removal per branch, not one per node), then deleted.
    for (Kept& kept : m_byRow)
        if (kept.item && kept.item->parent())
            release(kept.item->parent());
    for (Kept& kept : m_byRow)
        delete kept.item;
    m_byRow.clear();
}

} // namespace cinevaro::ui
