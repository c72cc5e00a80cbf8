#include "ui/loans/LoanPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "loans/Loans.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

LoanPanel::LoanPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LoanPanel"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 6, 4);
    row->setSpacing(4);

    auto* caption = new QLabel(QStringLiteral("Prêt :"), this);
    caption->setObjectName(QStringLiteral("lblPretCaption"));
    row->addWidget(caption);

    filtrePret = new QRadioButton(this);
    filtrePret->setObjectName(QStringLiteral("filtrePret"));
    filtrePret->setToolTip(QStringLiteral("Filtrer par Emprunteur"));
    // Alone in its panel, it is unchecked by the filters' code, never by the other radios.
    filtrePret->setAutoExclusive(false);
    filtrePret->setEnabled(false);
    row->addWidget(filtrePret);

    lblPret = new QLineEdit(this);
    lblPret->setObjectName(QStringLiteral("lblPret"));
    lblPret->setToolTip(QStringLiteral("Prêt"));
    lblPret->setReadOnly(true);
    row->addWidget(lblPret, 1);

    btnPret = new QPushButton(QStringLiteral("Prêter"), this);
    btnPret->setObjectName(QStringLiteral("btnPret"));
    row->addWidget(btnPret);

    btnFGestPret = new QPushButton(QStringLiteral("Gestion"), this);
    btnFGestPret->setObjectName(QStringLiteral("btnFGestPret"));
    row->addWidget(btnFGestPret);

    connect(btnPret, &QPushButton::clicked, this, &LoanPanel::lendClicked);
    connect(btnFGestPret, &QPushButton::clicked, this, &LoanPanel::manageClicked);
}

void LoanPanel::setLoan(const loans::LoanTexts& texts)
{
    lblPret->setText(fromCp(texts.lblPret));
    btnPret->setText(fromCp(texts.btnPret));
}

QString LoanPanel::currentLoan() const
{
    return lblPret->text();
}

void LoanPanel::clear()
{
    lblPret->clear();
}

} // namespace cinevaro::ui
