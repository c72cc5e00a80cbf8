// "Edition" > "Annuler" / "Rétablir" and "Base de Données" > "Versions…": the kept versions of
// the catalogue brought back, then the catalogue read again and the tree refreshed with the
// selection kept where the film still exists.
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
    std::optional<catalogue::VersionEntry> undo, redo;
    const bool open = m_state.IsOpen && !m_state.CatalogueFileName.empty();
    if (open) {
        auto& versions = catalogue::versionsOf(m_state);
        if (exact) {
            undo = versions.nextUndo();
            redo = versions.nextRedo();
        } else {
            for (const auto& v : versions.peek()) {
                if (v.Redo && !redo)
                    redo = v;
                if (!v.Redo && !undo)
                    undo = v;
            }
        }
    }
    Annuler1->setEnabled(undo.has_value());
    Annuler1->setText(undo ? QStringLiteral("Annuler ") + fromCp(undo->Operation) : QStringLiteral("Annuler"));
    Retablir1->setEnabled(redo.has_value());
    Retablir1->setText(redo ? QStringLiteral("Rétablir ") + fromCp(redo->Operation) : QStringLiteral("Rétablir"));
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
    if (!frmVersions)
        frmVersions = new TfrmVersions(m_state, m_prompts, this);
    if (frmVersions->execute() == QDialog::Accepted)
        reopenAfterVersionChange();
    updateUndoActions(true);
}

void TfrmBase::reopenAfterVersionChange()
{
    QString caption;
    QString parentCaption;
    if (const QTreeWidgetItem* current = TreeFilm->currentItem()) {
        caption = current->text(0);
        if (current->parent())
            parentCaption = current->parent()->text(0);
    }
    if (const auto opened = catalogue::loadCatalogue(m_state); !opened) {
        m_prompts.error(fromCp(opened.message));
        return;
    }
    catalogue::ParseSupportList(m_state);
    SaveExpansion();
    clearFilterState();
    RebuildTree();
    RestoreExpansion();
    QTreeWidgetItem* chosen = TreeFilm->rootNode();
    for (QTreeWidgetItemIterator it(TreeFilm); *it; ++it)
        if ((*it)->text(0) == caption && (!(*it)->parent() || (*it)->parent()->text(0) == parentCaption)) {
            chosen = *it;
            break;
        }
    clearRecordView();
    selectNode(chosen);
    updateUndoActions(true);
}

} // namespace cinevaro::ui
