// The film nodes of the main window's tree, kept between rebuilds by row: a rebuild (refresh,
// filter, each keystroke of the search) takes back the node of a row whose caption and loan
// state are unchanged instead of making and converting a new one, and a branch whose films are
// the same nodes in the same order is left as it is. A node holds its caption as the
// catalogue's bytes and gives its text, picture and row when the view asks for them.
#pragma once

#include <QIcon>
#include <QList>
#include <QTreeWidgetItem>

#include <string>
#include <vector>

namespace cinevaro::catalogue {
struct FilmLeaf;
}

namespace cinevaro::ui {

class FilmLeafItems
{
public:
    explicit FilmLeafItems(int rowRole) : m_role(rowRole) {}
    ~FilmLeafItems();
    FilmLeafItems(const FilmLeafItems&) = delete;
    FilmLeafItems& operator=(const FilmLeafItems&) = delete;

    // Starts a new set of nodes: each row's node is handed out once per build.
    void beginBuild() { ++m_build; }
    // The node for a film: its caption, the film or lent image, and its row under the row role.
    QTreeWidgetItem* node(const catalogue::FilmLeaf& film, const QIcon& filmImage, const QIcon& lentImage);
    // Gives each support node its films (the nodes of this build, in order). Branches already
    // holding exactly those nodes are not touched.
    void place(const std::vector<std::pair<QTreeWidgetItem*, QList<QTreeWidgetItem*>>>& branches);
    // Takes every film node out of the support nodes `parents`, so that clearing the tree keeps
    // them. Each parent must hold film nodes only.
    void detach(const std::vector<QTreeWidgetItem*>& parents);
    // Deletes every node kept.
    void clear();

private:
    // Takes the children out of `parent`; a child that is not the kept node of its row is deleted.
    void release(QTreeWidgetItem* parent);

    struct Kept
    {
        class FilmNode* item = nullptr;
        unsigned build = 0; // the build that last handed it out
    };
    std::vector<Kept> m_byRow;
    int m_role;
    unsigned m_build = 0;
};

} // namespace cinevaro::ui
