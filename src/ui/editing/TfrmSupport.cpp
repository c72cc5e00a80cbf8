#include "ui/editing/TfrmSupport.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "catalogue/CatalogueState.h"
#include "editing/Supports.h"
#include "ui/Prompts.h"
#include "ui/kit/Fit.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

// Item data of an entry: the SupportGroups index it stands for, -1 for a name added here.
constexpr int kGroupRole = Qt::UserRole;

} // namespace

TfrmSupport::TfrmSupport(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmSupport"));
    setWindowTitle(QStringLiteral("Gestion des Supports"));

    auto* label = new QLabel(QStringLiteral("Liste des Supports Disponibles :"), this);
    lstBoxSupport = new QListWidget(this);
    lstBoxSupport->setObjectName(QStringLiteral("lstBoxSupport"));
    lstBoxSupport->setSortingEnabled(false);
    btnAddSupp = new QPushButton(QStringLiteral("Ajouter"), this);
    btnAddSupp->setObjectName(QStringLiteral("btnAddSupp"));
    btnSuppSupp = new QPushButton(QStringLiteral("Supprimer"), this);
    btnSuppSupp->setObjectName(QStringLiteral("btnSuppSupp"));
    btnSuppOk = new QPushButton(QStringLiteral("Ok"), this);
    btnSuppOk->setObjectName(QStringLiteral("btnSuppOk"));
    btnSuppCancel = new QPushButton(QStringLiteral("Annuler"), this);
    btnSuppCancel->setObjectName(QStringLiteral("btnSuppCancel"));
    for (QPushButton* b : {btnAddSupp, btnSuppSupp, btnSuppOk, btnSuppCancel})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(lstBoxSupport, 1, 0, 3, 1);
    grid->addWidget(btnAddSupp, 1, 1);
    grid->addWidget(btnSuppSupp, 2, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSuppOk);
    buttons->addWidget(btnSuppCancel);
    grid->addLayout(buttons, 4, 0, 1, 2);

    connect(btnAddSupp, &QPushButton::clicked, this, &TfrmSupport::btnAddSuppClick);
    connect(btnSuppSupp, &QPushButton::clicked, this, &TfrmSupport::btnSuppSuppClick);
    connect(btnSuppOk, &QPushButton::clicked, this, &TfrmSupport::btnSuppOkClick);
    connect(btnSuppCancel, &QPushButton::clicked, this, &TfrmSupport::btnSuppCancelClick);
    // Its usual size, grown where the texts need more room at this font.
    setFixedSizeToFit(this, QSize(265, 230));
}

int TfrmSupport::execute()
{
    FormShow();
    return m_prompts.runModal(*this);
}

void TfrmSupport::FormShow()
{
    lstBoxSupport->clear();
    const std::vector<std::string> names = m_state.supportNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto* item = new QListWidgetItem(fromCp(names[i]), lstBoxSupport);
        item->setData(kGroupRole, static_cast<int>(i));
    }
}

void TfrmSupport::btnAddSuppClick()
{
    auto name = m_prompts.input(QStringLiteral("Nouveau Support"), QStringLiteral("Entrer le nom du nouveau support :"),
                                QString());
    if (!name || name->isEmpty())
        return;
    QString message;
    if (!toCp(*name, &message)) {
        m_prompts.error(message);
        return;
    }
    auto* item = new QListWidgetItem(*name, lstBoxSupport);
    item->setData(kGroupRole, -1);
}

void TfrmSupport::btnSuppSuppClick()
{
    QListWidgetItem* item = lstBoxSupport->currentItem();
    if (!item || !item->isSelected())
        return;
    const int group = item->data(kGroupRole).toInt();
    if (group >= 0) {
        const auto index = static_cast<std::size_t>(group);
        const bool holdsFilms =
            m_branchHasFilms ? m_branchHasFilms(index) : editing::supportBranchHasFilms(m_state, index);
        if (holdsFilms) {
            m_prompts.warning(QStringLiteral("Avertissement"), fromCp(editing::supportRefusalMessage()));
            return;
        }
    }
    delete item;
}

void TfrmSupport::btnSuppOkClick()
{
    std::vector<std::string> names;
    for (int i = 0; i < lstBoxSupport->count(); ++i)
        names.push_back(toCp(lstBoxSupport->item(i)->text()).value_or(std::string()));
    if (auto stored = editing::storeSupportList(m_state, editing::joinSupports(names)); !stored) {
        m_prompts.error(fromCp(stored.message));
        return;
    }
    accept();
    if (m_rebuildTree)
        m_rebuildTree();
}

void TfrmSupport::btnSuppCancelClick()
{
    lstBoxSupport->clear();
    reject();
}

} // namespace cinevaro::ui
