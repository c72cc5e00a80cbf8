// TfrmBase: the manual record editor ("Ajouter Fiche (Manuel)", "Editer Fiche", double click in
// the tree) and the supports window ("Gestion des Supports").
#include "ui/TfrmBase.h"

#include <QAction>
#include <QTreeWidget>

#include "catalogue/CatalogueState.h"
#include "ui/editing/TfrmAjout.h"
#include "ui/editing/TfrmSupport.h"

namespace cinevaro::ui {

void TfrmBase::createEditingWindow(int step)
{
    if (step == 4)
        frmSupport.arm([this] { return makeSupportWindow(); });
    else if (step == 10 && frmSupport)
        frmAjout.arm([this] { return makeEditorWindow(); });
}

TfrmSupport* TfrmBase::makeSupportWindow()
{
    auto* window = new TfrmSupport(m_state, m_prompts, this);
    window->setRebuildTree([this] { RebuildTree(); });
    // A branch holds films when the tree shows some under it (a filter may hide them).
    window->setBranchHasFilms([this](std::size_t index) {
        const QTreeWidgetItem* node = supportNode(static_cast<int>(index));
        return node && node->childCount() > 0;
    });
    return window;
}

TfrmAjout* TfrmBase::makeEditorWindow()
{
    auto* window = new TfrmAjout(m_state, *m_settings, m_prompts, *frmSupport, this);
    window->setRefreshTree([this] { Rafraichir1Click(); });
    return window;
}

void TfrmBase::setupEditing()
{
    connect(AjoutManuel1, &QAction::triggered, this, &TfrmBase::AjouterFicheManuel1Click);
    connect(EditerFiche1, &QAction::triggered, this, &TfrmBase::EditerFiche1Click);
    connect(GestionSupports1, &QAction::triggered, this, &TfrmBase::AjouterunSupport1Click);
    for (QAction* action : {AjoutManuel1, EditerFiche1, GestionSupports1})
        action->setEnabled(true);
}

void TfrmBase::AjouterFicheManuel1Click()
{
    if (!requireOpenCatalogue())
        return;
    if (frmAjout)
        frmAjout->execute(EditorMode::Add);
}

// Only a film node opens the editor; the root and the supports do nothing.
void TfrmBase::EditerFiche1Click()
{
    if (!requireOpenCatalogue())
        return;
    if (!frmAjout || m_state.table().RowCount() < 1 || TreeFilm->selectedItems().size() != 1)
        return;
    if (FindFilmRow() != 0)
        frmAjout->execute(EditorMode::Edit);
}

void TfrmBase::AjouterunSupport1Click()
{
    if (!requireOpenCatalogue())
        return;
    if (frmSupport)
        frmSupport->execute();
}

} // namespace cinevaro::ui
