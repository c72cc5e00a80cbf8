// Main window commands: menu bar, tool bar, tree popup, and the catalogue and shell commands.
#include "ui/TfrmBase.h"

#include <QActionGroup>
#include <QDesktopServices>
#include <QFile>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include <initializer_list>
#include <optional>

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

// Adds the items to a menu or a tool bar in order; a null item adds a separator.
template <typename Bar> void fillMenu(Bar* bar, std::initializer_list<QAction*> items)
{
    for (QAction* item : items) {
        if (item)
            bar->addAction(item);
        else
            bar->addSeparator();
    }
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
    makeActions();
    QMenu* base = nullptr;
    QMenu* edit = nullptr;
    buildMenuBar(&base, &edit);
    buildToolBar();
    buildPopup();
    connectCommands();
    addVersionCommands(base, edit);
}

void TfrmBase::makeActions()
{
    // Every command of the menus, the tool bar and the popup: field, object name, text, key,
    // hint, icon.
    struct Command
    {
        QAction** action;
        const char* name;
        const char* text;
        QKeySequence key;
        const char* hint;
        std::optional<IconId> icon;
    };
    constexpr std::optional<IconId> none;
    const Command commands[] = {
        {&Nouveau1, "Nouveau1", "&Nouvelle Base", {}, "Nouvelle Base de Données", IconId::NewCatalogue},
        {&Ouvrir1, "Ouvrir1", "&Ouvrir Base", {}, "Ouvrir Base de Données", IconId::OpenCatalogue},
        {&Archiver1, "Archiver1", "Archiver", {}, "", none},
        {&HTML1, "HTML1", "HTML", {}, "", none},
        {&Imprimer1, "Imprimer1", "&Imprimer...", {}, "Imprimer", IconId::Print},
        {&ConfigImpression1, "ConfigImpression1", "&Configuration de l'impression...", {}, "", none},
        {&Quitter1, "Quitter1", "&Quitter", {}, "", none},
        {&AjoutAuto1, "AjoutAuto1", "Ajouter Fiche (Automatique)", QKeySequence(Qt::Key_Insert),
         "Ajouter Film via Moviecovers", IconId::AddAuto},
        {&AjoutManuel1, "AjoutManuel1", "Ajouter Fiche (Manuel)", QKeySequence(Qt::CTRL | Qt::Key_Insert),
         "Ajouter Film Manuel", IconId::AddManual},
        {&GestionSupports1, "GestionSupports1", "Gestion des Supports", QKeySequence(Qt::CTRL | Qt::Key_G), "", none},
        {&EditerFiche1, "EditerFiche1", "Editer Fiche", QKeySequence(Qt::CTRL | Qt::Key_E), "Editer fiche",
         IconId::Edit},
        {&Effacer1, "Effacer1", "Supprimer Fiche", QKeySequence(Qt::Key_Delete), "Effacer Fiche", IconId::Delete},
        {&Couper1, "Couper1", "&Couper", {}, "", none},
        {&Copier1, "Copier1", "Co&pier", {}, "", none},
        {&Coller1, "Coller1", "C&oller", {}, "", none},
        {&Chercher1, "Chercher1", "Rec&hercher Fiche", QKeySequence(Qt::Key_F3), "Chercher Fiche", IconId::Search},
        {&MenuPret, "MenuPret", "Prêter ce Film", {}, "", none},
        {&GestionEmprunteurs1, "GestionEmprunteurs1", "Gestion des Emprunteurs", {}, "", none},
        {&mnuPret, "mnuPret", "Prêt", {}, "", none},
        {&mnuSupp, "mnuSupp", "Informations Supplémentaires", {}, "", none},
        {&Rafraichir2, "Rafraichir2", "Rafraichir", QKeySequence(Qt::Key_F5), "", IconId::Refresh},
        {&Rafraichir1, "Rafraichir1", "Rafraichir", {}, "Rafraichir Base", IconId::Refresh},
        {&mnuFiltreReal, "mnuFiltreReal", "Réalisateur", {}, "", none},
        {&mnuFiltreDate, "mnuFiltreDate", "Date", {}, "", none},
        {&mnuFiltreOri, "mnuFiltreOri", "Origine", {}, "", none},
        {&mnuFiltreGenre, "mnuFiltreGenre", "Genre", {}, "", none},
        {&mnuFiltreDistrib, "mnuFiltreDistrib", "Distributeur", {}, "", none},
        {&mnuFiltreSupport, "mnuFiltreSupport", "Support", {}, "", none},
        {&mnuFiltrePret, "mnuFiltrePret", "Prêt", {}, "", none},
        {&AucunFiltre1, "AucunFiltre1", "Aucun Filtre", QKeySequence(Qt::CTRL | Qt::Key_F), "", none},
        {&Configuration1, "Configuration1", "Configuration", {}, "Configuration", IconId::Configuration},
        {&Index1, "Index1", "&Index", {}, "", none},
        {&Rechercher1, "Rechercher1", "&Rechercher...", {}, "", none},
        {&UtiliserAide1, "UtiliserAide1", "&Utiliser l'aide", {}, "", none},
        {&VisiterleSite1, "VisiterleSite1", "Visiter le Site Web", {}, "", none},
        {&Apropos1, "Apropos1", "&A propos...", {}, "", none},
    };
    for (const Command& c : commands) {
        *c.action = makeAction(QLatin1String(c.name), QString::fromUtf8(c.text), c.key, QString::fromUtf8(c.hint));
        if (c.icon)
            (*c.action)->setIcon(icon(*c.icon));
    }
    // The menu item's hint (status tip) differs from the tool button's (tool tip).
    AjoutAuto1->setStatusTip(QStringLiteral("Ajouter Fiche via Moviecovers"));
    for (QAction* inert : {ConfigImpression1, Couper1, Copier1, Coller1})
        inert->setEnabled(true); // no action
    for (QAction* check : {mnuPret, mnuSupp}) {
        check->setCheckable(true);
        check->setEnabled(true);
    }
    // The popup shows F5 beside "Rafraichir"; the key itself is handled by "Affichage" >
    // "Rafraichir", so this one only answers when its own widget has the focus (no ambiguity).
    Rafraichir1->setShortcut(QKeySequence(Qt::Key_F5));
    Rafraichir1->setShortcutContext(Qt::WidgetShortcut);
    filterMenuGroup = new QActionGroup(this);
    filterMenuGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction* filter :
         {mnuFiltreReal, mnuFiltreDate, mnuFiltreOri, mnuFiltreGenre, mnuFiltreDistrib, mnuFiltreSupport}) {
        filter->setCheckable(true);
        filterMenuGroup->addAction(filter);
    }
    AucunFiltre1->setCheckable(true);
    AucunFiltre1->setChecked(true);
}

void TfrmBase::buildMenuBar(QMenu** base, QMenu** edit)
{
    QMenuBar* bar = menuBar();
    *base = bar->addMenu(QStringLiteral("&Base de Données"));
    fillMenu(*base, {Nouveau1, Ouvrir1, nullptr, Archiver1});
    (*base)->addMenu(QStringLiteral("Exporter"))->addAction(HTML1);
    fillMenu(*base, {nullptr, Imprimer1, ConfigImpression1, nullptr, Quitter1});
    *edit = bar->addMenu(QStringLiteral("&Edition"));
    fillMenu(*edit, {AjoutAuto1, AjoutManuel1, GestionSupports1, nullptr, EditerFiche1, Effacer1, nullptr, Couper1,
                     Copier1, Coller1, nullptr, Chercher1});
    fillMenu(bar->addMenu(QStringLiteral("Prêt")), {MenuPret, GestionEmprunteurs1});
    QMenu* view = bar->addMenu(QStringLiteral("Affichage"));
    fillMenu(view->addMenu(QStringLiteral("Panneaux")), {mnuPret, mnuSupp});
    view->addAction(Rafraichir2);
    QMenu* filtres = bar->addMenu(QStringLiteral("Filtres"));
    QMenu* filterBy = filtres->addMenu(QStringLiteral("Filtrer par ..."));
    filterBy->addActions(filterMenuGroup->actions());
    filterBy->addAction(mnuFiltrePret);
    filtres->addAction(AucunFiltre1);
    bar->addMenu(QStringLiteral("&Options"))->addAction(Configuration1);
    fillMenu(bar->addMenu(QStringLiteral("&Aide")),
             {Index1, Rechercher1, UtiliserAide1, nullptr, VisiterleSite1, Apropos1});
}

void TfrmBase::buildToolBar()
{
    ToolBar1 = addToolBar(QStringLiteral("Barre d'outils"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    fillMenu(ToolBar1, {Nouveau1, Ouvrir1, Imprimer1, nullptr, AjoutAuto1, AjoutManuel1, EditerFiche1, Effacer1,
                        nullptr, Chercher1, Rafraichir1, nullptr, Configuration1});
}

void TfrmBase::buildPopup()
{
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    // The popup hides "Supprimer Fiche" and "Editer Fiche" on the root and the supports: it has
    // its own items for them, so the menu bar and the tool bar keep theirs.
    PopupEffacer1 = popupItem(Effacer1, QStringLiteral("PopupEffacer1"));
    PopupEditerFiche1 = popupItem(EditerFiche1, QStringLiteral("PopupEditerFiche1"));
    fillMenu(PopupMenu, {PopupEffacer1, PopupEditerFiche1, nullptr, AjoutAuto1, AjoutManuel1, nullptr, Rafraichir1});
}

void TfrmBase::connectCommands()
{
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
        showCatalogueNotOpened(message);
        return;
    }
    clearRecordView();
    clearFilterState();
    enableCatalogueViews(true);
    if (catalogueHasRows())
        RebuildTree(); // which updates the undo commands
    else
        updateUndoActions(false);
    if (TreeFilm->rootNode())
        selectNode(TreeFilm->rootNode());
}

void TfrmBase::showCatalogueNotOpened(const QString& message)
{
    // A catalogue that could not be created or read is not shown; the open one, if the command
    // left it untouched, stays as it was.
    m_prompts.error(message);
    if (m_state.IsOpen)
        return;
    ClearTree();
    clearRecordView();
    setCatalogueEnabled(false);
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
