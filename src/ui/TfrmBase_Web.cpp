// TfrmBase: the automatic addition of films through the web search window.
#include "ui/TfrmBase.h"

#include <QAction>

#include "ui/Prompts.h"
#include "ui/weblookup/TfrmEtat.h"
#include "ui/weblookup/TfrmRecherche.h"

namespace cinevaro::ui {

void TfrmBase::createWebWindows(int step)
{
    if (step == 11) {
        frmRecherche.arm([this] {
            auto* window = new TfrmRecherche(m_state, *m_settings, m_prompts, this);
            window->setRefreshTree([this] { Rafraichir1Click(); });
            if (frmEtat)
                window->setProgressWindow(frmEtat.get());
            return window;
        });
    } else if (step == 12) {
        frmEtat.arm([this] { return new TfrmEtat(this); });
    }
}

void TfrmBase::setupWeb()
{
    connect(AjoutAuto1, &QAction::triggered, this, &TfrmBase::btnAddClick);
    AjoutAuto1->setEnabled(true);
}

// "Ajouter Fiche (Automatique)": the search window, modally, with the proxy of the settings; the
// branches keep their expansion across the additions.
void TfrmBase::btnAddClick()
{
    if (!requireOpenCatalogue() || !frmRecherche)
        return;
    SaveExpansion();
    if (auto badPort = frmRecherche->applyProxySettings()) {
        m_prompts.error(*badPort);
        return;
    }
    m_prompts.runModal(*frmRecherche);
    RestoreExpansion();
}

} // namespace cinevaro::ui
