// The film tree of the main window (TreeFilm): a root, one branch per support, the films below.
// It builds itself from the catalogue (FilmTreeBuilder; film nodes kept between rebuilds by
// FilmLeafItems), remembers which branches the user expanded (SupportGroups' Expanded, while no
// filter or search is active), maps nodes to rows, and says what the user does with it. Acting on
// the selection is left to its owner.
#pragma once

#include <QTreeWidget>

#include <string>
#include <vector>

#include "catalogue/FilmTree.h"
#include "ui/catalogue/FilmLeafItems.h"

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::ui {

class FilmTreeView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit FilmTreeView(catalogue::CatalogueState& state, QWidget* parent = nullptr);
    ~FilmTreeView() override;

    // ---- Building ------------------------------------------------------------------------------
    // No node at all.
    void clearTree();
    // Root and one branch per support of SupportGroups, root expanded, no film.
    void showDefault(const std::string& rootCaption);
    // Empties the films, shows the root and the support branches in caption order and starts a
    // new film count; films follow with addFilm() and appear in endFilms().
    void beginFilms(const std::string& rootCaption);
    // Records the film of `row` for the tree (FilmIndex, count).
    void addFilm(int row);
    // Puts the recorded films in the tree, every level sorted (word sort).
    void endFilms();
    // Trees built since the view was made (each showing of a root and its branches).
    int treeBuilds() const { return m_treeBuilds; }
    // The last tree shown (captions, order).
    const catalogue::FilmTreeModel& filmModel() const { return m_model; }

    // ---- Expansion ------------------------------------------------------------------------------
    // Copies the branches' expansion into SupportGroups while no filter or search is active; the
    // root is expanded in every case.
    void saveExpansion();
    // Root expanded, each branch as SupportGroups remembers it.
    void restoreExpansion();
    // Root and every branch expanded.
    void expandBranches();

    // ---- Nodes ----------------------------------------------------------------------------------
    QTreeWidgetItem* rootNode() const { return m_root; }
    // The support node of SupportGroups entry `index` (0-based), or null.
    QTreeWidgetItem* supportNode(int index) const;
    // Row of a film node, 0 for the root, a support or no node. Each film node holds its own row,
    // so films of the same caption stay apart.
    int filmRow(const QTreeWidgetItem* item) const;
    // Position of a node in a walk of the whole tree (root 0), and the node at such a position.
    int absoluteIndex(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* nodeAt(int absolute) const;
    // Makes `item` current (nothing for null).
    void selectNode(QTreeWidgetItem* item);

    // ---- Look -----------------------------------------------------------------------------------
    // Hot tracking: the node under the mouse is drawn blue and underlined.
    void setHotTracking(bool on);
    bool hotTracking() const { return m_hotTracking; }

signals:
    // The current node changes: first the one to leave it, then the one to show the new node.
    void currentNodeChanging(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void currentFilmChanged();
    void nodeClicked();
    void nodeDoubleClicked();
    // The popup is asked for at `pos` (viewport coordinates).
    void popupRequested(const QPoint& pos);
    // A printable key moved the selection (the tree has already moved to the node).
    void keyTyped();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class HotTrackDelegate;

    // Shows the root and branches of `model`. keepFilms: when the tree already shows exactly
    // these, they stay with their films for endFilms() to put right.
    void showModel(const catalogue::FilmTreeModel& model, bool keepFilms);
    bool showsSkeleton(const catalogue::FilmTreeModel& model) const;
    bool hasRows() const;

    catalogue::CatalogueState& m_state;
    catalogue::FilmTreeBuilder m_builder;
    catalogue::FilmTreeModel m_model;
    QTreeWidgetItem* m_root = nullptr;
    std::vector<QTreeWidgetItem*> m_supportNodes; // by SupportGroups index
    int m_treeBuilds = 0;
    bool m_hotTracking = false;
    FilmLeafItems m_filmLeaves{Qt::UserRole}; // film nodes kept between rebuilds, row in UserRole
};

} // namespace cinevaro::ui
