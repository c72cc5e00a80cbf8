// Main window side of the output windows: "Exporter" > "HTML", "&Imprimer...", "Configuration",
// and ApplyAppearance, which carries the appearance settings onto the main window.
#include "ui/TfrmBase.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "ui/Prompts.h"
#include "ui/catalogue/FilmTreeView.h"
#include "ui/catalogue/RecordView.h"
#include "ui/catalogue/TfrmConf.h"
#include "ui/kit/OfficeStyle.h"
#include "ui/loans/LoanPanel.h"
#include "ui/output/TfrmExportH.h"
#include "ui/output/TfrmPrint.h"
#include "ui/paint/PageRenderer.h"

namespace cinevaro::ui {

namespace {

void setBackground(QWidget* widget, const QColor& colour)
{
    if (!widget)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor colourSetting(catalogue::Settings& settings, const char* key, int def)
{
    return paint::fromWindowsColour(static_cast<std::uint32_t>(settings.readInteger("COULEUR", key, def)));
}

// Hot tracking (the item under the mouse underlined in blue) and the tree's background colour.
void applyTreeLook(FilmTreeView* tree, catalogue::Settings& s)
{
    tree->setHotTracking(s.readBool("INTERFACE", "HOTTRACK", true));
    setBackground(tree, colourSetting(s, "COULEURTREE", 15780518));
    tree->viewport()->setPalette(tree->palette());
}

void applyTitleColours(QWidget* title, catalogue::Settings& s)
{
    setBackground(title, colourSetting(s, "COULEURTITRE", 15793151));
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, colourSetting(s, "COULEURTEXTETITRE", 16711680));
    palette.setColor(QPalette::Text, palette.color(QPalette::WindowText));
    title->setPalette(palette);
}

} // namespace

void TfrmBase::setupOutput()
{
    connect(HTML1, &QAction::triggered, this, &TfrmBase::HTML1Click);
    connect(Imprimer1, &QAction::triggered, this, &TfrmBase::Imprimer1Click);
    connect(Configuration1, &QAction::triggered, this, &TfrmBase::Configuration1Click);
    for (QAction* action : {HTML1, Imprimer1, Configuration1})
        action->setEnabled(true);
}

void TfrmBase::createOutputWindow(int step)
{
    if (step == 2)
        frmConf.arm([this] { return makeConfWindow(); });
    else if (step == 3)
        frmExportH.arm([this] { return new TfrmExportH(m_state, settings(), m_prompts, this); });
    else if (step == 9)
        frmPrint.arm([this] { return makePrintWindow(); });
}

TfrmConf* TfrmBase::makeConfWindow()
{
    auto* window = new TfrmConf(settings(), this);
    window->setOnApplied([this] {
        ApplyAppearance();
        if (m_state.IsOpen)
            RebuildTree();
    });
    return window;
}

TfrmPrint* TfrmBase::makePrintWindow()
{
    auto* window = new TfrmPrint(m_state, m_prompts, this);
    window->setOfficeStyle(settings().readBool("INTERFACE", "XPMENU", true));
    return window;
}

void TfrmBase::HTML1Click()
{
    if (!frmExportH)
        return;
    frmExportH->show();
    frmExportH->raise();
    frmExportH->activateWindow();
}

void TfrmBase::Imprimer1Click()
{
    if (frmPrint)
        m_prompts.runModal(*frmPrint);
}

void TfrmBase::Configuration1Click()
{
    if (frmConf)
        m_prompts.runModal(*frmConf);
}

void TfrmBase::ApplyAppearance()
{
    QCoreApplication::processEvents();
    auto& s = settings();
    const bool office = s.readBool("INTERFACE", "XPMENU", true);
    applyOfficeStyle(this, office, s.readBool("INTERFACE", "XPDEG", true));
    // A print window not made yet takes the style when it is made.
    if (frmPrint.created())
        frmPrint->setOfficeStyle(office);

    applyTreeLook(TreeFilm, s);
    const RecordView& r = *m_recordView;
    applyTitleColours(r.lblTitre, s);
    const QColor zone = colourSetting(s, "COULEURZONE", 16776960);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{r.lblDate, r.lblReal, r.lblDuree, r.lblOri, r.lblGenre, r.MemoResume,
                                         r.lstActeur, r.lblDistrib, r.lblSupport, m_loanPanel->lblPret, r.lblNo})
        setBackground(widget, zone);
}

} // namespace cinevaro::ui
