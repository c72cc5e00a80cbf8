// Main window: construction and the window-level events (show, close, resize).
#include "ui/TfrmBase.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTreeWidget>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "ui/Prompts.h"
#include "ui/catalogue/RecordView.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/kit/Icons.h"

namespace cinevaro::ui {

TfrmBase::TfrmBase(catalogue::CatalogueState& state, Prompts& prompts, std::string exeDir, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_prompts(prompts), m_exeDir(std::move(exeDir))
{
    setObjectName(QStringLiteral("frmBase"));
    setWindowTitle(QStringLiteral("Cinevaro"));
    setWindowIcon(icon(IconId::Application));
    m_prompts.setParentWidget(this);
    buildCommands();
    buildLayout();
    // Titles, cover texts and filter values come from the catalogue: never read as markup.
    for (QLabel* label : {m_recordView->lblTitre, m_recordView->lblimage, m_statusPanels[0], m_statusPanels[1]})
        label->setTextFormat(Qt::PlainText);
    connectTree();
    connect(PopupMenu, &QMenu::aboutToHide, this, [this] {
        PopupEffacer1->setVisible(true);
        PopupEditerFiche1->setVisible(true);
    });
    FormCreate();
    setupWeb();
    setupFilters();
    setupTech();
    setupLoans();
    setupOutput();
    setupArchive();
    setupEditing();
}

TfrmBase::~TfrmBase() = default;

void TfrmBase::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TfrmBase::event(QEvent* event)
{
    // A hint goes to its own place in the status bar: a status bar message would hide the film
    // count and the filter text while the pointer rests on a menu item or a tool button.
    if (event->type() == QEvent::StatusTip) {
        if (m_hintPanel)
            m_hintPanel->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmBase::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmBase::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TfrmBase::eventFilter(QObject* watched, QEvent* event)
{
    // A new title may need one line more or less: the label asks its parent for a new layout.
    if (ADVGen && watched == ADVGen->body() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        ADVGenResize();
    return QMainWindow::eventFilter(watched, event);
}

QString TfrmBase::productPage()
{
    return QStringLiteral("https://cinevaro.org/");
}

} // namespace cinevaro::ui
