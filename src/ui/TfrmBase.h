// The main window: menu bar, tool bar, the film tree on the left, and on the right the panel
// group Panel with three captioned panels, each holding a view of its own: ADVGen the record view
// (RecordView), ADVSupp the technical panel (TechPanel), ADVpret the loan panel (LoanPanel). The
// tree TreeFilm is a view too (FilmTreeView), and the filter controls spread over the record view,
// the loan panel and the "Filtres" menu are one FilterPanel. TfrmBase owns the views, wires their
// signals to its handlers, opens the settings, reopens the last catalogue and creates the
// secondary windows. A view's controls are reached through it: recordView()->lblReal.
//
// Where things are (src/ui/):
// - TfrmBase.cpp            construction, window events (show, close, resize, status hints)
// - TfrmBase_Layout.cpp     splitter, tree, panel group and its three views, filter panel, status
//                           bar; ADVGenResize
// - TfrmBase_Menus.cpp      commands, menu bar, tool bar, tree popup; "Nouvelle Base", "Ouvrir",
//                           "Quitter", the site, "A propos", the panel menu items (mnuPretClick,
//                           mnuSuppClick) and the panels' close buttons
// - TfrmBase_Startup.cpp    start-up and close (settings, layout, last catalogue), window
//                           resizing, secondary windows
// - TfrmBase_Tree.cpp       the tree's handlers (TreeFilmClick, TreeFilmChange, TreeFilmDblClick,
//                           TreeFilmContextPopup), deleting a film (Effacer1Click), the refresh
//                           (Rafraichir1Click, Rafraichir2Click), the catalogue enabled, the status
//                           bar, and the tree procedures (ClearTree, BuildTreeSkeleton, AddFilmNode,
//                           endTree, RebuildTree, SaveExpansion, RestoreExpansion, FindFilmRow) as
//                           forwards to TreeFilm
// - TfrmBase_Record.cpp     filling the three views from CurrentRow (ShowRecord), emptying them,
//                           deleting the current film (DeleteCurrentFilm)
// - TfrmBase_Filters.cpp    filter and search handlers (filtre*Click, lstActeurClick, ApplyFilters,
//                           searchChanged); the filter state comes from catalogue/Filters.h
// - TfrmBase_Tech.cpp       technical panel handlers (save, cancel, extraction, leaving a film)
// - TfrmBase_Loans.cpp      loan panel and "Prêt" menu handlers
// - TfrmBase_Editing.cpp, _Web.cpp, _Output.cpp, _Archive.cpp, _Versions.cpp: the commands that
//   open the editor, the web search, the output, archive and versions windows
// - catalogue/FilmTreeView, catalogue/RecordView, catalogue/FilterPanel, editing/TechPanel,
//   loans/LoanPanel: the views
//
// How to add to it:
// - A secondary window: declare its Lazy holder below (section "Secondary windows") and arm it
//   with its factory at its step in TfrmBase::createSecondaryWindows (TfrmBase_Startup.cpp); the
//   window is made at its first use. Give it m_prompts and, when it needs them, state(),
//   settings() and *this.
// - A command: its QAction exists (section "Commands") and is disabled until you connect it. In
//   your constructor hook (section "Integration hooks") call
//   `connect(Action, &QAction::triggered, this, &TfrmBase::YourHandler); Action->setEnabled(true);`
//   Declare the handler in the private section of your concern and define it in your own
//   src/ui/TfrmBase_<Concern>.cpp.
// - A control of a panel belongs to its view class; the view shows values and emits signals, and
//   TfrmBase connects those signals to the handlers of the concern that owns the behaviour.
// - Tree: after changing records call RebuildTree() (full tree) or Rafraichir1Click() (refresh,
//   which also clears any filter). A partial tree (filters, search) is built with
//   BuildTreeSkeleton(); AddFilmNode(row) for each row to show; endTree(); the nodes appear
//   sorted in endTree(). Then RestoreExpansion() or expandAll() as the case requires.
// - Current film: FindFilmRow() resolves the selected node to state().CurrentRow (0 when it is
//   not a film) from the row the node carries; ShowRecord() fills the three panels from CurrentRow.
#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/FilmTree.h"
#include "catalogue/Filters.h"
#include "ui/catalogue/FilmTreeView.h"
#include "ui/kit/Lazy.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QToolBar;
class QTreeWidgetItem;
class QWidget;

namespace cinevaro::catalogue {
class CatalogueState;
class Settings;
} // namespace cinevaro::catalogue

namespace cinevaro::loans {
struct LoanTexts;
}

namespace cinevaro::ui {

class Prompts;
class CaptionPanel;
class PictureBox;
class RecordView;
class TechPanel;
class LoanPanel;
class FilterPanel;
class TfrmAbout;

class TfrmConf;
class TfrmExportH;
class TfrmSupport;
class TfrmGestEmp;
class TfrmVersions;
class TfrmPret;
class TfrmArchive;
class TfrmCherchebase;
class TfrmPrint;
class TfrmAjout;
class TfrmRecherche;
class TfrmEtat;

class TfrmBase : public QMainWindow
{
    Q_OBJECT

public:
    // Builds the window and runs the start-up of the main window (settings, layout, reopening the
    // last catalogue). `exeDir` is the folder of the executable (with a trailing separator): the
    // settings file is catalogue::Settings::defaultPath(exeDir).
    TfrmBase(catalogue::CatalogueState& state, Prompts& prompts, std::string exeDir, QWidget* parent = nullptr);
    ~TfrmBase() override;

    catalogue::CatalogueState& state() { return m_state; }
    catalogue::Settings& settings() { return *m_settings; }
    Prompts& prompts() { return m_prompts; }
    const std::string& exeDir() const { return m_exeDir; }
    // GENERAL/REPERTOIRETEMP, default the settings folder + "temp/".
    const std::string& tempDir() const { return m_tempDir; }

    // Prepares the secondary windows in start-up order (steps 2 to 12); each is made at its first
    // use. `stepDone(step)` runs after each step (the splash moves its gauge).
    void createSecondaryWindows(const std::function<void(int)>& stepDone = {});

    // ---- Tree (TfrmBase_Tree.cpp): forwards to the view TreeFilm (FilmTreeView) --------------
    void ClearTree();
    // Root and one branch per support of SupportGroups, root expanded.
    void ShowDefaultTree();
    // Empties the tree, adds the root and the support branches, starts a new film count.
    void BuildTreeSkeleton();
    // Records the film of `row` for the tree (FilmIndex, count); its node appears in endTree().
    void AddFilmNode(int row);
    // Puts the recorded films in the tree, every level sorted (word sort), and the film count in
    // the status bar.
    void endTree();
    // The full tree of the catalogue, branches expanded as remembered.
    void RebuildTree();
    void SaveExpansion();
    void RestoreExpansion();
    // Root and every branch expanded (filters and search with results).
    void expandAll();
    // Sets CurrentRow from the selected node (0 when it is not a film); returns it. Each film node
    // holds its own row, so films of the same caption stay apart.
    int FindFilmRow();
    // The support node of SupportGroups entry `index` (0-based), or null.
    QTreeWidgetItem* supportNode(int index) const;
    void selectNode(QTreeWidgetItem* item);
    // Tree and panel group enabled (a catalogue is open) or not; the undo commands follow.
    void setCatalogueEnabled(bool enabled);
    // Text of status panel 0 (film count) or 1 (filter).
    QString statusText(int panel) const;
    void setStatusText(int panel, const QString& text);
    // Trees built since the window was made (each showing of a root and its branches).
    int treeBuilds() const;
    // The last tree model shown (captions, order).
    const catalogue::FilmTreeModel& treeModel() const;

    // ---- The three views (TfrmBase_Record.cpp) ------------------------------------------------
    RecordView* recordView() const { return m_recordView; }
    // The technical panel, its boxes made.
    TechPanel* techPanel() const;
    LoanPanel* loanPanel() const { return m_loanPanel; }
    void ShowRecord();
    void ShowActors();
    // Empties every box of the three panels and the cover.
    void clearRecordView();
    // Deletes CurrentRow (cover rule, save, reopen) and rebuilds; a failure is shown.
    void DeleteCurrentFilm();
    // The filter controls of the record view, the loan panel and the "Filtres" menu.
    FilterPanel* filterPanel() const { return m_filters; }

    // ---- Catalogue commands (Nouveau1Click, Ouvrir1Click: TfrmBase_Menus.cpp; the rest:
    // TfrmBase_Tree.cpp) ------------------------------------------------------------------------
    // "&Nouvelle Base"; true when a new catalogue is open.
    bool Nouveau1Click();
    void Ouvrir1Click();
    // Refresh: rebuild the tree, clear the filters, keep selection and expansion.
    void Rafraichir1Click();
    void Rafraichir2Click();
    void Effacer1Click();

    // ---- Controls (object names are the historical control names) -----------------------------
    // Those of the three panels belong to their views: recordView()->lblReal, loanPanel()->lblPret.
    QSplitter* Split = nullptr;
    FilmTreeView* TreeFilm = nullptr;
    QWidget* Panel = nullptr;
    CaptionPanel* ADVGen = nullptr;
    CaptionPanel* ADVSupp = nullptr;
    CaptionPanel* ADVpret = nullptr;
    QStatusBar* StatusBar = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QMenu* PopupMenu = nullptr;

    // ---- Commands ---------------------------------------------------------------------------
    // "&Base de Données"
    QAction* Nouveau1 = nullptr;
    QAction* Ouvrir1 = nullptr;
    QAction* Archiver1 = nullptr;
    QAction* HTML1 = nullptr;
    QAction* Imprimer1 = nullptr;
    QAction* ConfigImpression1 = nullptr; // no action
    QAction* Quitter1 = nullptr;
    // "&Edition"
    QAction* AjoutAuto1 = nullptr;   // Insert, tool button "Ajouter Film via Moviecovers"
    QAction* AjoutManuel1 = nullptr; // Ctrl+Insert
    QAction* GestionSupports1 = nullptr;
    QAction* EditerFiche1 = nullptr;
    QAction* Effacer1 = nullptr;
    QAction* Couper1 = nullptr; // no action
    QAction* Copier1 = nullptr; // no action
    QAction* Coller1 = nullptr; // no action
    QAction* Chercher1 = nullptr;
    // "Prêt"
    QAction* MenuPret = nullptr; // "Prêter ce Film" / "Film Rendu"
    QAction* GestionEmprunteurs1 = nullptr;
    // "Affichage"
    QAction* mnuPret = nullptr; // check item "Prêt"
    QAction* mnuSupp = nullptr; // check item "Informations Supplémentaires"
    QAction* Rafraichir2 = nullptr;
    // "Filtres" > "Filtrer par ..." (six exclusive check items, then "Prêt"), "Aucun Filtre"
    QActionGroup* filterMenuGroup = nullptr;
    QAction* mnuFiltreReal = nullptr;
    QAction* mnuFiltreDate = nullptr;
    QAction* mnuFiltreOri = nullptr;
    QAction* mnuFiltreGenre = nullptr;
    QAction* mnuFiltreDistrib = nullptr;
    QAction* mnuFiltreSupport = nullptr;
    QAction* mnuFiltrePret = nullptr;
    QAction* AucunFiltre1 = nullptr; // Ctrl+F, runs the refresh
    // "&Options", "&Aide"
    QAction* Configuration1 = nullptr;
    QAction* Index1 = nullptr;        // always disabled
    QAction* Rechercher1 = nullptr;   // always disabled
    QAction* UtiliserAide1 = nullptr; // always disabled
    QAction* VisiterleSite1 = nullptr;
    QAction* Apropos1 = nullptr;
    // Tree popup: "Supprimer Fiche", "Editer Fiche", -, the two additions, -, "Rafraichir".
    QAction* Rafraichir1 = nullptr; // popup and tool button "Rafraichir Base"
    // The popup's own "Supprimer Fiche" and "Editer Fiche": they run Effacer1 and EditerFiche1
    // and follow their enabled state; only these are hidden on the root and the supports.
    QAction* PopupEffacer1 = nullptr;
    QAction* PopupEditerFiche1 = nullptr;

    // ---- Kept versions (TfrmBase_Versions.cpp) ------------------------------------------------
    QAction* Annuler1 = nullptr;  // Ctrl+Z, "Annuler <operation>"
    QAction* Retablir1 = nullptr; // Ctrl+Y, "Rétablir <operation>"
    QAction* Versions1 = nullptr; // "Versions…"
    // Enables and names Annuler/Rétablir; `exact` waits for the versions being packed.
    void updateUndoActions(bool exact);
    void Annuler1Click();
    void Retablir1Click();
    void Versions1Click();

    // ---- Secondary windows (prepared by createSecondaryWindows, each made at its first use) -----
    Lazy<TfrmConf> frmConf;
    Lazy<TfrmExportH> frmExportH;
    Lazy<TfrmSupport> frmSupport;
    Lazy<TfrmGestEmp> frmGestEmp;
    Lazy<TfrmPret> frmPret;
    Lazy<TfrmArchive> frmArchive;
    TfrmCherchebase* frmCherchebase = nullptr; // made at once (small, its box is used from the start)
    Lazy<TfrmPrint> frmPrint;
    Lazy<TfrmAjout> frmAjout;
    Lazy<TfrmRecherche> frmRecherche;
    Lazy<TfrmEtat> frmEtat;
    TfrmAbout* frmAbout = nullptr;
    Lazy<TfrmVersions> frmVersions; // armed with the version commands

    // Web page opened by "Visiter le Site Web".
    static QString productPage();

    // Carries the appearance settings onto the main window and the print window
    // (TfrmBase_Output.cpp).
    void ApplyAppearance();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // setCatalogueEnabled without the undo commands, for an open whose tree rebuild updates them.
    void enableCatalogueViews(bool enabled);
    // A catalogue with at least one row is open (the tree has films to build).
    bool catalogueHasRows() const;
    // Layout (TfrmBase_Layout.cpp).
    void buildLayout();
    void buildPanels();
    // Menus, tool bar, popup (TfrmBase_Menus.cpp).
    void buildCommands();
    void makeActions();
    void buildMenuBar(QMenu** base, QMenu** edit);
    void buildToolBar();
    void buildPopup();
    void connectCommands();
    QAction* makeAction(const QString& name, const QString& text, const QKeySequence& shortcut = {},
                        const QString& hint = {});
    // Kept versions (TfrmBase_Versions.cpp).
    void addVersionCommands(QMenu* base, QMenu* edit);
    void bringBackVersion(bool redo);
    void reopenAfterVersionChange();
    // The catalogue read again after an undo, redo or restore: supports, no filter, the full tree.
    void showBroughtBackTree();
    // A popup item running `shared`.
    QAction* popupItem(QAction* shared, const QString& name);

    // Start-up and close (TfrmBase_Startup.cpp; ADVGenResize: TfrmBase_Layout.cpp).
    void FormCreate();
    void restoreLayout();
    void reopenLastCatalogue();
    // Takes `fileName` as the catalogue, moves its old images and makes its collection folder;
    // false, with the reason shown, when the folder cannot be made.
    bool prepareLastCatalogue(const std::string& fileName);
    // The last catalogue is gone: offers to create a new one; true when one is open then.
    bool offerNewCatalogue(const std::string& fileName);
    void openStartCatalogue();
    // The opened catalogue's films, no filter, each branch as the settings remember it.
    void showStartFilms();
    // A catalogue without any row gets its header row and shows the default supports.
    void showStartWithoutRows();
    void applyStartExpansion();
    void FormShow();
    void FormClose();
    // Settings written on close: each support's node open or closed, the window's place, size and
    // panels.
    void saveSupportExpansion();
    void saveWindowPlacement();
    void FormResize();
    void ADVGenResize();
    // Panel and shell commands (TfrmBase_Menus.cpp).
    void mnuPretClick();
    void mnuSuppClick();
    void ADVpretClose();
    void ADVSuppClose();
    void Quitter1Click();
    void VisiterleSite1Click();
    void Apropos1Click();
    // A catalogue opened or created by a command: show it, or report why it could not be.
    void showOpenedCatalogue(bool ok, const QString& message);
    void showCatalogueNotOpened(const QString& message);
    // Commands that save call this first: false, with the reason shown, while no catalogue is
    // open (none yet, or the last one could not be read and must stay as it is).
    bool requireOpenCatalogue();
    // Filter state back to none (TfrmBase_Tree.cpp).
    void clearFilterState();

    // Tree handlers (TfrmBase_Tree.cpp).
    void TreeFilmClick();
    void TreeFilmChange();
    void TreeFilmKeyPress();
    void TreeFilmDblClick();
    void TreeFilmContextPopup(const QPoint& pos);
    void connectTree();
    // Asks whether to delete the film `caption`; a node that is not a film cannot be deleted.
    bool confirmDelete(const QString& caption, bool isFilm);
    // The root's caption (GENERAL/NOMBASE) as the catalogue's bytes.
    std::string rootCaption() const;
    void showCover(const std::string& titre, const std::string& caption);
    // The loan panel, "Prêter ce Film" / "Film Rendu" and the loan filter for the shown film.
    void showLoan(const loans::LoanTexts& loan);

    // ---- Integration hooks: concerns of other files connect their handlers here -------------------
    // (declare `void setupFilters();` etc. and call it at the end of the constructor)

    // Automatic addition through the web search window (TfrmBase_Web.cpp).
    void setupWeb();
    void createWebWindows(int step);
    void btnAddClick();

    // Manual record editor and supports window (TfrmBase_Editing.cpp).
    void setupEditing();
    void createEditingWindow(int step);
    // The supports window and the record editor, made at their first use.
    TfrmSupport* makeSupportWindow();
    TfrmAjout* makeEditorWindow();
    void AjouterFicheManuel1Click();
    void EditerFiche1Click();
    void AjouterunSupport1Click();

    // Archive window (TfrmBase_Archive.cpp).
    void setupArchive();
    void Archiver1Click();

    // Filters and search (TfrmBase_Filters.cpp).
    void buildFilterPanel();
    void setupFilters();
    // The record view's field boxes enable their filter buttons.
    void connectFieldBoxes();
    void filtreRealClick();
    void filtreDateClick();
    void filtreOriClick();
    void filtreGenreClick();
    void filtreDistribClick();
    void filtreSupportClick();
    void filtrePretClick();
    void filtreNulClick();
    // The user ticked (or unticked) the actor `name` of the cast list.
    void lstActeurClick(const QString& name, bool ticked);
    void lblRealChange();
    void lblDateChange();
    void lblOriChange();
    void lblGenreChange();
    void lblDistribChange();
    void Chercher1Click();
    // A field filter chosen by its radio button or its menu item.
    void fieldFilterClick(catalogue::FieldFilter filter);
    void ApplyFilters();
    // The full tree or the given rows, the filter status text and the expansion of a filter step.
    void showTree(const catalogue::TreeShown& shown);
    // Puts the given rows back in the emptied tree.
    void showFilteredRows(const std::vector<int>& rows);
    void searchChanged(const QString& text, int field);

    // Technical panel (TfrmBase_Tech.cpp).
    void setupTech();
    void cmbVideoChange();
    void Button3Click();
    // The values a video file gives, into the boxes: AVI headers read directly, any other
    // container through MediaInfo; a file that cannot be read is reported.
    void extractTechInfo(const std::string& path);
    void btnEnregistreInfoClick();
    void Button2Click();
    void TreeFilmChanging(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    // The twelve boxes hold other values than `row` (or values that cannot be read).
    bool techBoxesDiffer(int row) const;
    // Saves the twelve boxes into `row`; false (message shown) when it could not.
    bool saveTechBoxes(int row);

    // Output windows (TfrmBase_Output.cpp).
    void setupOutput();
    void createOutputWindow(int step);
    // The configuration and print windows, made at their first use.
    TfrmConf* makeConfWindow();
    TfrmPrint* makePrintWindow();
    void HTML1Click();
    void Imprimer1Click();
    void Configuration1Click();

    // Loans (TfrmBase_Loans.cpp).
    void setupLoans();
    void btnPretClick();
    // The loan window for the shown film, then the film shown again.
    void lendShownFilm();
    // The shown film returned (a failure reported), then shown again.
    void returnShownFilm();
    void MenuPretClick();
    void GestiondesPrt1Click();
    void btnFGestPretClick();

    catalogue::CatalogueState& m_state;
    Prompts& m_prompts;
    std::string m_exeDir;
    std::string m_tempDir;
    std::unique_ptr<catalogue::Settings> m_settings;
    QLabel* m_statusPanels[2] = {nullptr, nullptr};
    RecordView* m_recordView = nullptr;
    TechPanel* m_techPanel = nullptr;
    LoanPanel* m_loanPanel = nullptr;
    FilterPanel* m_filters = nullptr;
    // Hints of menu items and tool buttons, after the two panels (never in place of them).
    QLabel* m_hintPanel = nullptr;
};

} // namespace cinevaro::ui
