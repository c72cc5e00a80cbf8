// Main window commands: menu bar, tool bar, tree popup, and the catalogue and shell commands.
#include "ui/TfrmBase.h"

#include <QActionGroup>
#include <QDesktopServices>
#include <QFile>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "ui/Prompts.h"
#include "ui/TfrmAbout.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/kit/Icons.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

QString folderOf(const std::string& fileName)
{
    const auto slash = fileName.find_last_of('/');
    return slash == std::string::npos ? QString()
                                      : QFile::decodeName(QByteArray::fromStdString(fileName.substr(0, slash)));
}

} // namespace

QAction* TfrmBase::makeAction(const QString& name, const QString& text, const QKeySequence& shortcut,
                              const QString& hint)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    // Disabled until its handler is connected.
    action->setEnabled(false);
    return action;
}

QAction* TfrmBase::popupItem(QAction* shared, const QString& name)
{
    auto* item = new QAction(shared->icon(), shared->text(), this);
    item->setObjectName(name);
    // Shown beside the item; the key itself belongs to the shared command.
    item->setShortcut(shared->shortcut());
    item->setShortcutContext(Qt::WidgetShortcut);
    item->setToolTip(shared->toolTip());
    item->setStatusTip(shared->statusTip());
    item->setEnabled(shared->isEnabled());
    connect(shared, &QAction::changed, item, [item, shared] { item->setEnabled(shared->isEnabled()); });
    connect(item, &QAction::triggered, shared, &QAction::trigger);
    return item;
}

void TfrmBase::buildCommands()
{
    const auto S = [](const char* text) { return QString::fromUtf8(text); };
    Nouveau1 = makeAction(S("Nouveau1"), S("&Nouvelle Base"), {}, S("Nouvelle Base de Données"));
    Ouvrir1 = makeAction(S("Ouvrir1"), S("&Ouvrir Base"), {}, S("Ouvrir Base de Données"));
    Archiver1 = makeAction(S("Archiver1"), S("Archiver"));
    HTML1 = makeAction(S("HTML1"), S("HTML"));
    Imprimer1 = makeAction(S("Imprimer1"), S("&Imprimer..."), {}, S("Imprimer"));
    ConfigImpression1 = makeAction(S("ConfigImpression1"), S("&Configuration de l'impression..."));
    ConfigImpression1->setEnabled(true); // no action
    Quitter1 = makeAction(S("Quitter1"), S("&Quitter"));
    AjoutAuto1 = makeAction(S("AjoutAuto1"), S("Ajouter Fiche (Automatique)"), QKeySequence(Qt::Key_Insert),
                            S("Ajouter Film via Moviecovers"));
    // The menu item's hint (status tip) differs from the tool button's (tool tip).
    AjoutAuto1->setStatusTip(S("Ajouter Fiche via Moviecovers"));
    AjoutManuel1 = makeAction(S("AjoutManuel1"), S("Ajouter Fiche (Manuel)"), QKeySequence(Qt::CTRL | Qt::Key_Insert),
                              S("Ajouter Film Manuel"));
    GestionSupports1 = makeAction(S("GestionSupports1"), S("Gestion des Supports"), QKeySequence(Qt::CTRL | Qt::Key_G));
    EditerFiche1 =
        makeAction(S("EditerFiche1"), S("Editer Fiche"), QKeySequence(Qt::CTRL | Qt::Key_E), S("Editer fiche"));
    Effacer1 = makeAction(S("Effacer1"), S("Supprimer Fiche"), QKeySequence(Qt::Key_Delete), S("Effacer Fiche"));
    Couper1 = makeAction(S("Couper1"), S("&Couper"));
    Copier1 = makeAction(S("Copier1"), S("Co&pier"));
    Coller1 = makeAction(S("Coller1"), S("C&oller"));
    for (QAction* inert : {Couper1, Copier1, Coller1})
        inert->setEnabled(true); // no action
    Chercher1 = makeAction(S("Chercher1"), S("Rec&hercher Fiche"), QKeySequence(Qt::Key_F3), S("Chercher Fiche"));
    MenuPret = makeAction(S("MenuPret"), S("Prêter ce Film"));
    GestionEmprunteurs1 = makeAction(S("GestionEmprunteurs1"), S("Gestion des Emprunteurs"));
    mnuPret = makeAction(S("mnuPret"), S("Prêt"));
    mnuSupp = makeAction(S("mnuSupp"), S("Informations Supplémentaires"));
    for (QAction* check : {mnuPret, mnuSupp}) {
        check->setCheckable(true);
        check->setEnabled(true);
    }
    Rafraichir2 = makeAction(S("Rafraichir2"), S("Rafraichir"), QKeySequence(Qt::Key_F5));
    Rafraichir1 = makeAction(S("Rafraichir1"), S("Rafraichir"), {}, S("Rafraichir Base"));
    Rafraichir1->setIcon(icon(IconId::Refresh));
    // The popup shows F5 beside "Rafraichir"; the key itself is handled by "Affichage" >
    // "Rafraichir", so this one only answers when its own widget has the focus (no ambiguity).
    Rafraichir1->setShortcut(QKeySequence(Qt::Key_F5));
    Rafraichir1->setShortcutContext(Qt::WidgetShortcut);
    filterMenuGroup = new QActionGroup(this);
    filterMenuGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const struct
    {
        QAction** action;
        const char* name;
        const char* text;
    } filters[] = {{&mnuFiltreReal, "mnuFiltreReal", "Réalisateur"},
                   {&mnuFiltreDate, "mnuFiltreDate", "Date"},
                   {&mnuFiltreOri, "mnuFiltreOri", "Origine"},
                   {&mnuFiltreGenre, "mnuFiltreGenre", "Genre"},
                   {&mnuFiltreDistrib, "mnuFiltreDistrib", "Distributeur"},
                   {&mnuFiltreSupport, "mnuFiltreSupport", "Support"}};
    for (const auto& f : filters) {
        *f.action = makeAction(S(f.name), S(f.text));
        (*f.action)->setCheckable(true);
        filterMenuGroup->addAction(*f.action);
    }
    mnuFiltrePret = makeAction(S("mnuFiltrePret"), S("Prêt"));
    AucunFiltre1 = makeAction(S("AucunFiltre1"), S("Aucun Filtre"), QKeySequence(Qt::CTRL | Qt::Key_F));
    AucunFiltre1->setCheckable(true);
    AucunFiltre1->setChecked(true);
    Configuration1 = makeAction(S("Configuration1"), S("Configuration"), {}, S("Configuration"));
    Index1 = makeAction(S("Index1"), S("&Index"));
    Rechercher1 = makeAction(S("Rechercher1"), S("&Rechercher..."));
    UtiliserAide1 = makeAction(S("UtiliserAide1"), S("&Utiliser l'aide"));
    VisiterleSite1 = makeAction(S("VisiterleSite1"), S("Visiter le Site Web"));
    Apropos1 = makeAction(S("Apropos1"), S("&A propos..."));

    Nouveau1->setIcon(icon(IconId::NewCatalogue));
    Ouvrir1->setIcon(icon(IconId::OpenCatalogue));
    Imprimer1->setIcon(icon(IconId::Print));
    AjoutAuto1->setIcon(icon(IconId::AddAuto));
    AjoutManuel1->setIcon(icon(IconId::AddManual));
    EditerFiche1->setIcon(icon(IconId::Edit));
    Effacer1->setIcon(icon(IconId::Delete));
    Chercher1->setIcon(icon(IconId::Search));
    Rafraichir2->setIcon(icon(IconId::Refresh));
    Configuration1->setIcon(icon(IconId::Configuration));

    QMenuBar* bar = menuBar();
    QMenu* base = bar->addMenu(S("&Base de Données"));
    base->addAction(Nouveau1);
    base->addAction(Ouvrir1);
    base->addSeparator();
    base->addAction(Archiver1);
    base->addMenu(S("Exporter"))->addAction(HTML1);
    base->addSeparator();
    base->addAction(Imprimer1);
    base->addAction(ConfigImpression1);
    base->addSeparator();
    base->addAction(Quitter1);
    QMenu* edit = bar->addMenu(S("&Edition"));
    edit->addAction(AjoutAuto1);
    edit->addAction(AjoutManuel1);
    edit->addAction(GestionSupports1);
    edit->addSeparator();
    edit->addAction(EditerFiche1);
    edit->addAction(Effacer1);
    edit->addSeparator();
    edit->addAction(Couper1);
    edit->addAction(Copier1);
    edit->addAction(Coller1);
    edit->addSeparator();
    edit->addAction(Chercher1);
    QMenu* pret = bar->addMenu(S("Prêt"));
    pret->addAction(MenuPret);
    pret->addAction(GestionEmprunteurs1);
    QMenu* view = bar->addMenu(S("Affichage"));
    QMenu* panels = view->addMenu(S("Panneaux"));
    panels->addAction(mnuPret);
    panels->addAction(mnuSupp);
    view->addAction(Rafraichir2);
    QMenu* filtres = bar->addMenu(S("Filtres"));
    QMenu* filterBy = filtres->addMenu(S("Filtrer par ..."));
    filterBy->addActions(filterMenuGroup->actions());
    filterBy->addAction(mnuFiltrePret);
    filtres->addAction(AucunFiltre1);
    bar->addMenu(S("&Options"))->addAction(Configuration1);
    QMenu* help = bar->addMenu(S("&Aide"));
    help->addAction(Index1);
    help->addAction(Rechercher1);
    help->addAction(UtiliserAide1);
    help->addSeparator();
    help->addAction(VisiterleSite1);
    help->addAction(Apropos1);

    ToolBar1 = addToolBar(S("Barre d'outils"));
    ToolBar1->setObjectName(S("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->addAction(Nouveau1);
    ToolBar1->addAction(Ouvrir1);
    ToolBar1->addAction(Imprimer1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(AjoutAuto1);
    ToolBar1->addAction(AjoutManuel1);
    ToolBar1->addAction(EditerFiche1);
    ToolBar1->addAction(Effacer1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(Chercher1);
    ToolBar1->addAction(Rafraichir1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(Configuration1);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(S("PopupMenu"));
    // The popup hides "Supprimer Fiche" and "Editer Fiche" on the root and the supports: it has
    // its own items for them, so the menu bar and the tool bar keep theirs.
    PopupEffacer1 = popupItem(Effacer1, S("PopupEffacer1"));
    PopupEditerFiche1 = popupItem(EditerFiche1, S("PopupEditerFiche1"));
    PopupMenu->addAction(PopupEffacer1);
    PopupMenu->addAction(PopupEditerFiche1);
    PopupMenu->addSeparator();
    PopupMenu->addAction(AjoutAuto1);
    PopupMenu->addAction(AjoutManuel1);
    PopupMenu->addSeparator();
    PopupMenu->addAction(Rafraichir1);

    const auto enable = [this](QAction* action, void (TfrmBase::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
        action->setEnabled(true);
    };
    connect(Nouveau1, &QAction::triggered, this, [this] { Nouveau1Click(); });
    Nouveau1->setEnabled(true);
    enable(Ouvrir1, &TfrmBase::Ouvrir1Click);
    enable(Quitter1, &TfrmBase::Quitter1Click);
    enable(Effacer1, &TfrmBase::Effacer1Click);
    enable(Rafraichir1, &TfrmBase::Rafraichir1Click);
    enable(Rafraichir2, &TfrmBase::Rafraichir2Click);
    enable(AucunFiltre1, &TfrmBase::Rafraichir1Click);
    enable(VisiterleSite1, &TfrmBase::VisiterleSite1Click);
    enable(Apropos1, &TfrmBase::Apropos1Click);
    connect(mnuPret, &QAction::triggered, this, &TfrmBase::mnuPretClick);
    connect(mnuSupp, &QAction::triggered, this, &TfrmBase::mnuSuppClick);
    addVersionCommands(base, edit);
}

bool TfrmBase::Nouveau1Click()
{
    const QString path =
        m_prompts.saveFileName(QStringLiteral("Nom de la Nouvelle Base"), QStringLiteral("Fichier Cinevar (*.cvo)"),
                               QStringLiteral("cvo"), folderOf(m_state.CatalogueFileName), true);
    if (path.isEmpty())
        return false;
    const auto outcome = catalogue::newCatalogue(m_state, QFile::encodeName(path).toStdString(), m_settings.get());
    showOpenedCatalogue(outcome.ok, fromCp(outcome.message));
    return outcome.ok;
}

void TfrmBase::Ouvrir1Click()
{
    const QString path =
        m_prompts.openFileName(QStringLiteral("Ouvrir Base de Données"), QStringLiteral("Fichier Cinevaro (*.cvo)"),
                               folderOf(m_state.CatalogueFileName));
    if (path.isEmpty())
        return;
    const auto outcome = catalogue::openCatalogueFile(m_state, QFile::encodeName(path).toStdString(), m_settings.get());
    showOpenedCatalogue(outcome.ok, fromCp(outcome.message));
}

void TfrmBase::showOpenedCatalogue(bool ok, const QString& message)
{
    if (!ok) {
        // A catalogue that could not be created or read is not shown; the open one, if the
        // command left it untouched, stays as it was.
        m_prompts.error(message);
        if (!m_state.IsOpen) {
            ClearTree();
            clearRecordView();
            setCatalogueEnabled(false);
        }
        return;
    }
    clearRecordView();
    clearFilterState();
    RebuildTree();
    setCatalogueEnabled(true);
    if (RootNode)
        selectNode(RootNode);
}

bool TfrmBase::requireOpenCatalogue()
{
    if (m_state.IsOpen)
        return true;
    m_prompts.error(fromCp(catalogue::noOpenCatalogueMessage()));
    return false;
}

void TfrmBase::Quitter1Click()
{
    close();
}

void TfrmBase::VisiterleSite1Click()
{
    QDesktopServices::openUrl(QUrl(productPage()));
}

void TfrmBase::Apropos1Click()
{
    if (!frmAbout)
        frmAbout = new TfrmAbout(m_prompts, this);
    m_prompts.runModal(*frmAbout);
}

void TfrmBase::mnuPretClick()
{
    ADVpret->setVisible(mnuPret->isChecked());
    FormResize();
}

void TfrmBase::mnuSuppClick()
{
    ADVSupp->setVisible(mnuSupp->isChecked());
    FormResize();
}

void TfrmBase::ADVpretClose()
{
    mnuPret->setChecked(false);
    FormResize();
}

void TfrmBase::ADVSuppClose()
{
    mnuSupp->setChecked(false);
    FormResize();
}

} // namespace cinevaro::ui
