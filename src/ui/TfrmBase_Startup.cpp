// Start-up of the main window (settings, layout, reopening the last catalogue), creation of the
// secondary windows, the show and close handlers and the layout rules while running.
#include "ui/TfrmBase.h"

#include <QFile>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>

#include <filesystem>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "ui/Prompts.h"
#include "ui/catalogue/RecordView.h"
#include "ui/catalogue/TfrmCherchebase.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/kit/Text.h"
#include "ui/loans/LoanPanel.h"
#include "ui/loans/TfrmGestEmp.h"
#include "ui/loans/TfrmPret.h"
#include "ui/output/TfrmArchive.h"

namespace cinevaro::ui {

namespace {
const std::string kGeneral = "GENERAL";
// The main window's width as built, before any saved size is applied.
constexpr int kBuiltWidth = 847;
} // namespace

void TfrmBase::createSecondaryWindows(const std::function<void(int)>& stepDone)
{
    const auto done = [&stepDone](int step) {
        if (stepDone)
            stepDone(step);
    };
    createOutputWindow(2);
    done(2);
    createOutputWindow(3);
    done(3);
    createEditingWindow(4);
    done(4);
    frmGestEmp.arm([this] { return new TfrmGestEmp(m_state, m_prompts, this); });
    done(5);
    frmPret.arm([this] { return new TfrmPret(m_state, m_prompts, frmGestEmp.get(), this); });
    done(6);
    frmArchive.arm([this] { return new TfrmArchive(m_state, m_prompts, this); });
    done(7);
    frmCherchebase = new TfrmCherchebase(this);
    frmCherchebase->setSearchHandler(
        [this](const QString& text, catalogue::SearchField field) { searchChanged(text, static_cast<int>(field)); });
    frmCherchebase->setCloseHandler([this] { Rafraichir1Click(); });
    done(8);
    createOutputWindow(9);
    done(9);
    createEditingWindow(10);
    done(10);
    createWebWindows(11);
    done(11);
    createWebWindows(12);
    done(12);
}

void TfrmBase::FormCreate()
{
    m_settings = std::make_unique<catalogue::Settings>(catalogue::Settings::defaultPath(m_exeDir));
    m_tempDir = m_settings->tempDir();
    restoreLayout();
    // No filter at start. The seven filter buttons are made disabled (they wait for a film);
    // "Aucun Filtre" is available.
    m_state.ActorFilterActive = false;
    m_state.ActorFilterName = catalogue::kNoActorFilter;
    m_state.FilterActive = false;
    m_recordView->filtreNul->setEnabled(true);
    reopenLastCatalogue();
}

void TfrmBase::restoreLayout()
{
    const auto& s = *m_settings;
    const int split = s.readInteger(kGeneral, "SPLIT", 289);
    const int width = s.readInteger(kGeneral, "POSITIONW", 847);
    const int height = s.readInteger(kGeneral, "POSITIONH", 561);
    // The splitter keeps a quarter of the client width for the tree and half of it for the
    // panels, taken before the saved size is restored (the window's own width, never wider than
    // the screen): a width saved from a maximised window must not become a minimum.
    int clientWidth = kBuiltWidth;
    if (const QScreen* screen = this->screen())
        clientWidth = std::min(clientWidth, screen->availableGeometry().width());
    TreeFilm->setMinimumWidth(std::max(260, clientWidth / 4));
    // The panels never get narrower than their controls need at this font.
    Panel->setMinimumWidth(std::max(clientWidth / 2, Panel->minimumSizeHint().width()));
    resize(width, height);
    move(s.readInteger(kGeneral, "POSITIONL", 8), s.readInteger(kGeneral, "POSITIONT", 103));
    Split->setSizes({split, std::max(width - split - Split->handleWidth(), 1)});
    ADVpret->setHidden(!s.readBool(kGeneral, "PANELPRET", true));
    ADVSupp->setHidden(!s.readBool(kGeneral, "PANELSUPP", true));
    ADVpret->setCollapsed(s.readBool(kGeneral, "PANELPCO", true));
    ADVSupp->setCollapsed(s.readBool(kGeneral, "PANELSCO", true));
    ADVGen->setExpandedHeight(s.readInteger(kGeneral, "HPANEL", 330));
    mnuPret->setChecked(!ADVpret->isHidden());
    mnuSupp->setChecked(!ADVSupp->isHidden());
}

void TfrmBase::reopenLastCatalogue()
{
    const std::string fileName = m_settings->readString(kGeneral, "FICHIERBASE", "");
    std::error_code ec;
    if (!fileName.empty() && !std::filesystem::exists(fileName, ec)) {
        m_state.CatalogueFileName = fileName;
        if (!offerNewCatalogue(fileName))
            setCatalogueEnabled(false);
        return;
    }
    if (!fileName.empty() && prepareLastCatalogue(fileName))
        openStartCatalogue();
    else
        setCatalogueEnabled(false);
}

bool TfrmBase::prepareLastCatalogue(const std::string& fileName)
{
    catalogue::commitNames(m_state, fileName);
    catalogue::moveLegacyImages(m_state);
    const auto folder = catalogue::ensureCollectionFolder(m_state.CollectionFolder);
    if (!folder) {
        m_state.IsOpen = false;
        m_prompts.error(fromCp(folder.message));
    }
    return folder.ok;
}

bool TfrmBase::offerNewCatalogue(const std::string& fileName)
{
    const QString text = QStringLiteral("Le nom de la Base ") + QFile::decodeName(QByteArray::fromStdString(fileName)) +
                         QStringLiteral(" n'existe plus\nVoulez vous créer une nouvelle base maintenant ?");
    return m_prompts.question(QStringLiteral("Attention"), text) && Nouveau1Click();
}

void TfrmBase::openStartCatalogue()
{
    ClearTree();
    const auto opened = catalogue::OpenCatalogue(m_state);
    if (!opened) {
        // The file is left as it is; nothing is shown until another catalogue is opened.
        m_prompts.error(fromCp(opened.message));
        setCatalogueEnabled(false);
        return;
    }
    // The undo commands read the versions folder once: the tree's rebuild does it when there
    // are films.
    enableCatalogueViews(true);
    if (catalogueHasRows()) {
        showStartFilms();
    } else {
        updateUndoActions(false);
        showStartWithoutRows();
    }
}

void TfrmBase::showStartFilms()
{
    clearFilterState();
    RebuildTree();
    selectNode(TreeFilm->rootNode());
    applyStartExpansion();
}

void TfrmBase::showStartWithoutRows()
{
    if (const auto first = catalogue::InitFirstRow(m_state); !first)
        m_prompts.error(fromCp(first.message));
    ShowDefaultTree();
}

void TfrmBase::applyStartExpansion()
{
    for (std::size_t i = 0; i < m_state.SupportGroups.size() && !m_state.SupportGroups[i].Name.empty(); ++i)
        if (QTreeWidgetItem* node = supportNode(static_cast<int>(i)))
            node->setExpanded(
                m_settings->readBool(kGeneral, catalogue::supportStateKey(m_state.SupportGroups[i].Name), true));
}

void TfrmBase::FormShow()
{
    ApplyAppearance();
    mnuPret->setChecked(!ADVpret->isHidden());
    mnuSupp->setChecked(!ADVSupp->isHidden());
    ADVGenResize();
}

void TfrmBase::FormClose()
{
    saveSupportExpansion();
    saveWindowPlacement();
}

void TfrmBase::saveSupportExpansion()
{
    // A support's key is never a fixed key nor a line the file cannot hold (supportStateKey).
    for (std::size_t i = 0; i < m_state.SupportGroups.size() && !m_state.SupportGroups[i].Name.empty(); ++i) {
        const QTreeWidgetItem* node = supportNode(static_cast<int>(i));
        m_settings->writeBool(kGeneral, catalogue::supportStateKey(m_state.SupportGroups[i].Name),
                              node && node->isExpanded());
    }
}

void TfrmBase::saveWindowPlacement()
{
    auto& s = *m_settings;
    const QRect frame = frameGeometry();
    s.writeInteger(kGeneral, "POSITIONW", width());
    s.writeInteger(kGeneral, "POSITIONH", height());
    s.writeInteger(kGeneral, "POSITIONT", frame.top());
    s.writeInteger(kGeneral, "POSITIONL", frame.left());
    s.writeInteger(kGeneral, "SPLIT", Split->sizes().value(0, 289));
    s.writeBool(kGeneral, "PANELPRET", !ADVpret->isHidden());
    s.writeBool(kGeneral, "PANELSUPP", !ADVSupp->isHidden());
    s.writeBool(kGeneral, "PANELPCO", ADVpret->isCollapsed());
    s.writeBool(kGeneral, "PANELSCO", ADVSupp->isCollapsed());
    s.writeInteger(kGeneral, "HPANEL", ADVGen->expandedHeight());
    s.writeInteger(kGeneral, "MINMAX", isMinimized() ? 1 : isMaximized() ? 2 : 0);
}

void TfrmBase::FormResize()
{
    if (!ADVGen || !ToolBar1)
        return;
    int minimum = ADVGen->height() + ToolBar1->sizeHint().height() + 70;
    if (!ADVpret->isHidden())
        minimum += ADVpret->height();
    if (!ADVSupp->isHidden())
        minimum += ADVSupp->height();
    if (minimumHeight() != minimum)
        setMinimumHeight(minimum);
}

} // namespace cinevaro::ui
