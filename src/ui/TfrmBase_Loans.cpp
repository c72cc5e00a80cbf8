// The loan panel and the "Prêt" menu: lending and returning the shown film, and the borrowers
// window.
#include "ui/TfrmBase.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "catalogue/CatalogueState.h"
#include "loans/Loans.h"
#include "ui/Prompts.h"
#include "ui/TfrmGestEmp.h"
#include "ui/TfrmPret.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

void TfrmBase::setupLoans()
{
    // The panel reads "Prêt :", the box, the loan filter, btnPret and "Gestion".
    if (auto* row = qobject_cast<QBoxLayout*>(ADVpret->body()->layout())) {
        if (!ADVpret->body()->findChild<QLabel*>(QStringLiteral("lblPretCaption"))) {
            auto* caption = new QLabel(QStringLiteral("Prêt :"), ADVpret->body());
            caption->setObjectName(QStringLiteral("lblPretCaption"));
            row->insertWidget(0, caption);
        }
        if (!btnFGestPret) {
            btnFGestPret = new QPushButton(QStringLiteral("Gestion"), ADVpret->body());
            btnFGestPret->setObjectName(QStringLiteral("btnFGestPret"));
            row->addWidget(btnFGestPret);
        }
    }
    connect(btnPret, &QPushButton::clicked, this, &TfrmBase::btnPretClick);
    if (btnFGestPret)
        connect(btnFGestPret, &QPushButton::clicked, this, &TfrmBase::btnFGestPretClick);
    connect(MenuPret, &QAction::triggered, this, &TfrmBase::MenuPretClick);
    MenuPret->setEnabled(true);
    connect(GestionEmprunteurs1, &QAction::triggered, this, &TfrmBase::GestiondesPrt1Click);
    GestionEmprunteurs1->setEnabled(true);
}

void TfrmBase::btnPretClick()
{
    if (!requireOpenCatalogue())
        return;
    if (m_state.table().RowCount() == 0 || !TreeFilm->currentItem() || FindFilmRow() == 0)
        return;
    const int row = m_state.CurrentRow;
    if (!loans::isLent(m_state.table(), row)) {
        if (frmPret) {
            frmPret->execute(TreeFilm->currentItem()->text(0));
            m_state.CurrentRow = row;
            ShowRecord();
        }
        Rafraichir1Click();
        return;
    }
    if (const auto returned = loans::returnFilm(m_state, row); !returned)
        m_prompts.error(fromCp(returned.message));
    ShowRecord();
    Rafraichir1Click();
}

void TfrmBase::MenuPretClick()
{
    btnPretClick();
}

void TfrmBase::GestiondesPrt1Click()
{
    if (!requireOpenCatalogue())
        return;
    if (m_state.table().RowCount() == 0)
        return;
    btnFGestPretClick();
}

void TfrmBase::btnFGestPretClick()
{
    if (!requireOpenCatalogue())
        return;
    if (frmGestEmp)
        frmGestEmp->execute();
}

} // namespace cinevaro::ui
