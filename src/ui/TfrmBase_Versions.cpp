// "Edition" > "Annuler" / "Rétablir" and "Base de Données" > "Versions…": the kept versions of
// the catalogue brought back, then the catalogue read again and the tree refreshed with the
// selection kept where the film still exists.
#include <QAction>
#include <QMenu>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "catalogue/CatalogueState.h"
#include "catalogue/Versions.h"
#include "ui/Prompts.h"
#include "ui/TfrmBase.h"
#include "ui/catalogue/TfrmVersions.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

// "Annuler" / "Rétablir" followed by the operation it would bring back; disabled when none.
void showUndoAction(QAction* action, const QString& command, const std::optional<catalogue::VersionEntry>& version)
{
    action->setEnabled(version.has_value());
    action->setText(version ? command + QLatin1Char(' ') + fromCp(version->Operation) : command);
}

// The captions of a tree node and of its parent: what finds the node again in a rebuilt tree.
struct NodeCaptions
{
    QString caption;
    QString parentCaption;
};

NodeCaptions captionsOf(const QTreeWidgetItem* node)
{
    NodeCaptions captions;
    if (node) {
        captions.caption = node->text(0);
        if (node->parent())
            captions.parentCaption = node->parent()->text(0);
    }
    return captions;
}

// The first node with these captions (a top node matches on its own caption), or null.
QTreeWidgetItem* nodeWithCaptions(QTreeWidget* tree, const NodeCaptions& wanted)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == wanted.caption && (!(*it)->parent() || (*it)->parent()->text(0) == wanted.parentCaption))
            return *it;
    return nullptr;
}

} // namespace

void TfrmBase::addVersionCommands(QMenu* base, QMenu* edit)
{
    Annuler1 = makeAction(QStringLiteral("Annuler1"), QStringLiteral("Annuler"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                          QStringLiteral("Annuler la dernière modification"));
    Retablir1 = makeAction(QStringLiteral("Retablir1"), QStringLiteral("Rétablir"), QKeySequence(Qt::CTRL | Qt::Key_Y),
                           QStringLiteral("Rétablir la modification annulée"));
    Versions1 = makeAction(QStringLiteral("Versions1"), QStringLiteral("Versions…"), {},
                           QStringLiteral("Versions conservées de la base"));
    QAction* first = edit->actions().value(0);
    edit->insertAction(first, Annuler1);
    edit->insertAction(first, Retablir1);
    edit->insertSeparator(first);
    base->insertAction(base->actions().value(3), Versions1); // after "Archiver"
    connect(Annuler1, &QAction::triggered, this, &TfrmBase::Annuler1Click);
    connect(Retablir1, &QAction::triggered, this, &TfrmBase::Retablir1Click);
    connect(Versions1, &QAction::triggered, this, &TfrmBase::Versions1Click);
    frmVersions.arm([this] { return new TfrmVersions(m_state, m_prompts, this); });
    // The texts name the operations; the list is read when the menu opens.
    connect(edit, &QMenu::aboutToShow, this, [this] { updateUndoActions(true); });
    updateUndoActions(false);
}

void TfrmBase::updateUndoActions(bool exact)
{
    if (!Annuler1)
        return;
    // A save that could not keep its version is done; the user is told once.
    if (!m_state.VersionWarning.empty()) {
        const QString warning = fromCp(m_state.VersionWarning);
        m_state.VersionWarning.clear();
        m_prompts.warning(QStringLiteral("Attention"), warning);
    }
    const bool open = m_state.IsOpen && !m_state.CatalogueFileName.empty();
    const auto next = open ? catalogue::versionsOf(m_state).nextUndoRedo(exact) : catalogue::UndoRedo{};
    showUndoAction(Annuler1, QStringLiteral("Annuler"), next.undo);
    showUndoAction(Retablir1, QStringLiteral("Rétablir"), next.redo);
    Versions1->setEnabled(open);
}

void TfrmBase::Annuler1Click()
{
    bringBackVersion(false);
}

void TfrmBase::Retablir1Click()
{
    bringBackVersion(true);
}

void TfrmBase::bringBackVersion(bool redo)
{
    if (!m_state.IsOpen)
        return;
    auto& versions = catalogue::versionsOf(m_state);
    const auto done = redo ? versions.redo() : versions.undo();
    if (!done) {
        m_prompts.error(fromCp(done.message));
        updateUndoActions(true);
        return;
    }
    reopenAfterVersionChange();
}

void TfrmBase::Versions1Click()
{
    if (!m_state.IsOpen)
        return;
    if (frmVersions->execute() == QDialog::Accepted)
        reopenAfterVersionChange();
    updateUndoActions(true);
}

void TfrmBase::reopenAfterVersionChange()
{
    const NodeCaptions selected = captionsOf(TreeFilm->currentItem());
    if (const auto opened = catalogue::loadCatalogue(m_state); opened) {
        showBroughtBackTree();
        QTreeWidgetItem* found = nodeWithCaptions(TreeFilm, selected);
        clearRecordView();
        selectNode(found ? found : TreeFilm->rootNode());
    } else {
        // The file brought back cannot be read: it is closed, and none of its films stays on
        // show, as after an open that failed; nothing else changes.
        showOpenedCatalogue(false, fromCp(opened.message));
    }
    updateUndoActions(true);
}

void TfrmBase::showBroughtBackTree()
{
    catalogue::ParseSupportList(m_state);
    SaveExpansion();
    clearFilterState();
    RebuildTree();
    RestoreExpansion();
}

} // namespace cinevaro::ui
