#include "ui/loans/TfrmPret.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <algorithm>

#include "catalogue/CatalogueState.h"
#include "loans/Loans.h"
#include "ui/Prompts.h"
#include "ui/kit/Fit.h"
#include "ui/kit/Text.h"
#include "ui/loans/TfrmGestEmp.h"

namespace cinevaro::ui {

namespace {

constexpr int kNameRole = Qt::UserRole;

} // namespace

TfrmPret::TfrmPret(catalogue::CatalogueState& state, Prompts& prompts, TfrmGestEmp* gestEmp, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompts(prompts), m_gestEmp(gestEmp)
{
    setObjectName(QStringLiteral("frmPret"));
    setWindowTitle(QStringLiteral("Prêter un film"));
    setWindowFlag(Qt::Tool);

    lblTitre = new QLabel(this);
    lblTitre->setObjectName(QStringLiteral("lblTitre"));
    lblTitre->setTextFormat(Qt::PlainText); // the film's title, never markup
    lblTitre->setAlignment(Qt::AlignCenter);
    lblTitre->setWordWrap(true);
    QFont heading = lblTitre->font();
    heading.setItalic(true);
    heading.setUnderline(true);
    lblTitre->setFont(heading);

    cmbQui = new QComboBox(this);
    cmbQui->setObjectName(QStringLiteral("cmbQui"));
    cmbQui->setEditable(false);
    datepret = new QDateEdit(this);
    datepret->setObjectName(QStringLiteral("datepret"));
    datepret->setCalendarPopup(true);
    datepret->setDisplayFormat(QLocale::system().dateFormat(QLocale::LongFormat));

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Annuler"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3 = new QPushButton(QStringLiteral("Gestion"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    // A small button, as wide as its text needs.
    Button3->setMaximumWidth(std::max(60, Button3->fontMetrics().horizontalAdvance(Button3->text()) + 16));
    for (QPushButton* b : {Button1, Button2, Button3})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblTitre, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("A Qui ?"), this), 1, 0);
    grid->addWidget(cmbQui, 1, 1);
    grid->addWidget(Button3, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Quand ?"), this), 2, 0);
    grid->addWidget(datepret, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 3, 0, 1, 3);

    connect(Button1, &QPushButton::clicked, this, &TfrmPret::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmPret::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmPret::Button3Click);
    // Its usual size, grown where the texts need more room at this font.
    setFixedSizeToFit(this, QSize(330, 170));
}

int TfrmPret::execute(const QString& title)
{
    FormShow(title);
    return m_prompts.runModal(*this);
}

void TfrmPret::FormShow(const QString& title)
{
    datepret->setDate(QDate::currentDate());
    readBorrowers();
    lblTitre->setText(title);
}

void TfrmPret::readBorrowers()
{
    cmbQui->clear();
    for (const std::string& name : loans::borrowersForLending(m_state.table()))
        cmbQui->addItem(fromCp(name), QByteArray::fromStdString(name));
    cmbQui->setCurrentIndex(-1);
}

QString TfrmPret::shortDateText() const
{
    const QLocale locale = QLocale::system();
    return locale.toString(datepret->date(), locale.dateFormat(QLocale::ShortFormat));
}

void TfrmPret::Button1Click()
{
    if (cmbQui->currentIndex() < 0) {
        m_prompts.information(QStringLiteral("Attention"), fromCp(loans::noBorrowerMessage()));
        return;
    }
    const std::string name = cmbQui->currentData(kNameRole).toByteArray().toStdString();
    const std::string date = toCp(shortDateText()).value_or(std::string());
    if (const auto lent = loans::lendFilm(m_state, m_state.CurrentRow, name, date); !lent) {
        m_prompts.error(fromCp(lent.message));
        reject();
        return;
    }
    accept();
}

void TfrmPret::Button2Click()
{
    reject();
}

void TfrmPret::Button3Click()
{
    if (m_gestEmp)
        m_gestEmp->execute();
    readBorrowers();
}

} // namespace cinevaro::ui
