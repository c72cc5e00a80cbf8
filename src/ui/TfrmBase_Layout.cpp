// Main window layout: tree and splitter, the panel group with its three captioned panels and
// the view each one holds, the filter controls over them, and the status bar.
#include "ui/TfrmBase.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/catalogue/FilmTreeView.h"
#include "ui/catalogue/RecordView.h"
#include "ui/editing/TechPanel.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/loans/LoanPanel.h"

namespace cinevaro::ui {

namespace {

// Puts `view` alone in the panel's body, filling it.
void fillBody(CaptionPanel* panel, QWidget* view)
{
    auto* layout = new QVBoxLayout(panel->body());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

} // namespace

void TfrmBase::buildLayout()
{
    Split = new QSplitter(Qt::Horizontal, this);
    Split->setObjectName(QStringLiteral("Split"));
    Split->setChildrenCollapsible(false);
    Split->setHandleWidth(5);

    TreeFilm = new FilmTreeView(m_state, Split);

    buildPanels();
    Split->addWidget(TreeFilm);
    Split->addWidget(Panel);
    Split->setStretchFactor(0, 0);
    Split->setStretchFactor(1, 1);
    setCentralWidget(Split);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(StatusBar);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setMinimumWidth(i == 0 ? 200 : 50);
        m_statusPanels[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        StatusBar->addWidget(m_statusPanels[i], i);
    }
    // The hint takes the width of its text only; the filter text, often long, has the rest.
    m_hintPanel = new QLabel(StatusBar);
    m_hintPanel->setObjectName(QStringLiteral("HintPanel"));
    StatusBar->addWidget(m_hintPanel, 0);
    setStatusBar(StatusBar);

    connect(ADVGen, &CaptionPanel::heightChanged, this, [this] {
        ADVGenResize();
        FormResize();
    });
    connect(ADVSupp, &CaptionPanel::heightChanged, this, &TfrmBase::FormResize);
    connect(ADVpret, &CaptionPanel::heightChanged, this, &TfrmBase::FormResize);
    connect(ADVpret, &CaptionPanel::closed, this, &TfrmBase::ADVpretClose);
    connect(ADVSupp, &CaptionPanel::closed, this, &TfrmBase::ADVSuppClose);
    ADVGen->body()->installEventFilter(this);
}

void TfrmBase::buildPanels()
{
    Panel = new QWidget(Split);
    Panel->setObjectName(QStringLiteral("Panel"));
    auto* column = new QVBoxLayout(Panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);

    ADVGen = new CaptionPanel(QStringLiteral("Informations Générales"), Panel);
    ADVGen->setObjectName(QStringLiteral("ADVGen"));
    ADVGen->setResizable(true);
    ADVGen->setExpandedHeight(330);
    // The record view places its controls itself; it always fills the body (ADVGenResize).
    m_recordView = new RecordView(ADVGen->body());
    ADVGen->body()->setMinimumSize(m_recordView->minimumBodySize());
    ADVGen->setExpandedHeight(ADVGen->expandedHeight());
    column->addWidget(ADVGen);

    ADVSupp = new CaptionPanel(QStringLiteral("Informations Supplémentaires"), Panel);
    ADVSupp->setObjectName(QStringLiteral("ADVSupp"));
    ADVSupp->setClosable(true);
    // Its boxes are made when the panel is first unfolded or its values are first needed; until
    // then the values of the shown film wait in the panel.
    m_techPanel = TechPanel::deferred();
    fillBody(ADVSupp, m_techPanel);
    ADVSupp->setExpandedHeight(170);
    ADVSupp->setCollapsed(true);
    ADVSupp->setBodyMaker([this] { m_techPanel->ensureBuilt(); });
    // The panels never get narrower than the boxes need once they show.
    connect(ADVSupp, &CaptionPanel::collapsedChanged, this, [this](bool collapsed) {
        if (collapsed)
            return;
        Panel->setMinimumWidth(std::max(Panel->minimumWidth(), Panel->minimumSizeHint().width()));
    });
    column->addWidget(ADVSupp);

    ADVpret = new CaptionPanel(QStringLiteral("Prêt"), Panel);
    ADVpret->setObjectName(QStringLiteral("ADVpret"));
    ADVpret->setClosable(true);
    m_loanPanel = new LoanPanel;
    fillBody(ADVpret, m_loanPanel);
    ADVpret->setExpandedHeight(58);
    column->addWidget(ADVpret);
    column->addStretch(1);
    buildFilterPanel();
}

void TfrmBase::ADVGenResize()
{
    m_recordView->setCollapsed(ADVGen->isCollapsed());
    m_recordView->setGeometry(ADVGen->body()->rect());
    m_recordView->arrange();
}

} // namespace cinevaro::ui
