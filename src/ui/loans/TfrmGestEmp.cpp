#include "ui/loans/TfrmGestEmp.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "catalogue/CatalogueState.h"
#include "loans/Loans.h"
#include "ui/Prompts.h"
#include "ui/kit/Fit.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

// The name of an entry as stored (Windows-1252), kept beside its text.
constexpr int kNameRole = Qt::UserRole;

std::string itemName(const QListWidgetItem* item)
{
    return item->data(kNameRole).toByteArray().toStdString();
}

} // namespace

TfrmGestEmp::TfrmGestEmp(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmGestEmp"));
    setWindowTitle(QStringLiteral("Gestion des Emprunteurs"));
    setWindowFlag(Qt::Tool);

    Label1 = new QLabel(QStringLiteral("Liste des Emprunteurs Disponibles :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    lstBoxEmp = new QListWidget(this);
    lstBoxEmp->setObjectName(QStringLiteral("lstBoxEmp"));
    btnAddEmp = new QPushButton(QStringLiteral("Ajouter"), this);
    btnAddEmp->setObjectName(QStringLiteral("btnAddEmp"));
    btnSuppEmp = new QPushButton(QStringLiteral("Supprimer"), this);
    btnSuppEmp->setObjectName(QStringLiteral("btnSuppEmp"));
    btnOkEmp = new QPushButton(QStringLiteral("Ok"), this);
    btnOkEmp->setObjectName(QStringLiteral("btnOkEmp"));
    btnCancelEmp = new QPushButton(QStringLiteral("Annuler"), this);
    btnCancelEmp->setObjectName(QStringLiteral("btnCancelEmp"));
    for (QPushButton* b : {btnAddEmp, btnSuppEmp, btnOkEmp, btnCancelEmp})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(lstBoxEmp, 1, 0, 2, 1);
    grid->addWidget(btnAddEmp, 1, 1);
    grid->addWidget(btnSuppEmp, 2, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOkEmp);
    buttons->addWidget(btnCancelEmp);
    grid->addLayout(buttons, 3, 0, 1, 2);

    connect(btnAddEmp, &QPushButton::clicked, this, &TfrmGestEmp::btnAddEmpClick);
    connect(btnSuppEmp, &QPushButton::clicked, this, &TfrmGestEmp::btnSuppEmpClick);
    connect(btnOkEmp, &QPushButton::clicked, this, &TfrmGestEmp::btnOkEmpClick);
    connect(btnCancelEmp, &QPushButton::clicked, this, &TfrmGestEmp::btnCancelEmpClick);
    // Its usual size, grown where the texts need more room at this font.
    setFixedSizeToFit(this, QSize(285, 240));
}

int TfrmGestEmp::execute()
{
    FormShow();
    return m_prompts.runModal(*this);
}

void TfrmGestEmp::FormShow()
{
    lstBoxEmp->clear();
    for (const std::string& name : loans::readBorrowers(m_state.table()))
        insertSorted(name);
}

void TfrmGestEmp::insertSorted(const std::string& name)
{
    int row = 0;
    while (row < lstBoxEmp->count() && !loans::borrowerLess(name, itemName(lstBoxEmp->item(row))))
        ++row;
    auto* item = new QListWidgetItem(fromCp(name));
    item->setData(kNameRole, QByteArray::fromStdString(name));
    lstBoxEmp->insertItem(row, item);
}

void TfrmGestEmp::btnAddEmpClick()
{
    const auto answer = m_prompts.input(QStringLiteral("Nouvel Emprunteur"),
                                        QStringLiteral("Entrer le nom de l'emprunteur :"), QString());
    if (!answer || answer->isEmpty())
        return;
    QString message;
    const auto name = toCp(*answer, &message);
    if (!name) {
        m_prompts.error(message);
        return;
    }
    insertSorted(*name);
}

void TfrmGestEmp::btnSuppEmpClick()
{
    QListWidgetItem* item = lstBoxEmp->currentItem();
    if (!item)
        return;
    if (loans::holdsFilms(m_state.table(), itemName(item))) {
        m_prompts.information(QStringLiteral("Attention"), fromCp(loans::borrowerHoldsFilmsMessage()));
        return;
    }
    delete item;
}

void TfrmGestEmp::btnOkEmpClick()
{
    std::vector<std::string> names;
    for (int row = 0; row < lstBoxEmp->count(); ++row)
        names.push_back(itemName(lstBoxEmp->item(row)));
    if (const auto saved = loans::saveBorrowers(m_state, names); !saved) {
        // The window stays open with the edited list; the file on disk is unchanged.
        m_prompts.error(fromCp(saved.message));
        return;
    }
    lstBoxEmp->clear();
    accept();
}

void TfrmGestEmp::btnCancelEmpClick()
{
    lstBoxEmp->clear();
    reject();
}

} // namespace cinevaro::ui
