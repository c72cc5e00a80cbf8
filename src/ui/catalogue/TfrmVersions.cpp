#include "ui/catalogue/TfrmVersions.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalogue/CatalogueState.h"
#include "catalogue/Versions.h"
#include "ui/Prompts.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

constexpr int kNumberRole = Qt::UserRole;

// A version whose header names no time (a damaged file) shows an empty date, not 1970.
QString dateText(std::int64_t time)
{
    if (time == 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

} // namespace

TfrmVersions::TfrmVersions(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmVersions"));
    setWindowTitle(QStringLiteral("Versions de la base"));
    resize(560, 360);

    lstVersions = new QTreeWidget(this);
    lstVersions->setObjectName(QStringLiteral("lstVersions"));
    lstVersions->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Opération"), QStringLiteral("Films")});
    lstVersions->setRootIsDecorated(false);
    lstVersions->setUniformRowHeights(true);
    lstVersions->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    lstVersions->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    lstVersions->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    // The operations take the room left, not the film counts of the last column.
    lstVersions->header()->setStretchLastSection(false);
    btnRestaurer = new QPushButton(QStringLiteral("Restaurer"), this);
    btnRestaurer->setObjectName(QStringLiteral("btnRestaurer"));
    btnFermer = new QPushButton(QStringLiteral("Fermer"), this);
    btnFermer->setObjectName(QStringLiteral("btnFermer"));
    btnRestaurer->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstVersions);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnRestaurer);
    buttons->addWidget(btnFermer);
    layout->addLayout(buttons);

    connect(btnRestaurer, &QPushButton::clicked, this, &TfrmVersions::btnRestaurerClick);
    connect(btnFermer, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstVersions, &QTreeWidget::currentItemChanged, this, &TfrmVersions::lstVersionsChange);
    connect(lstVersions, &QTreeWidget::itemDoubleClicked, this, &TfrmVersions::btnRestaurerClick);
}

int TfrmVersions::execute()
{
    FormShow();
    return m_prompts.runModal(*this);
}

void TfrmVersions::FormShow()
{
    lstVersions->clear();
    if (m_state.IsOpen && !m_state.CatalogueFileName.empty())
        for (const auto& v : catalogue::versionsOf(m_state).restorable())
            addVersionItem(v);
    if (lstVersions->topLevelItemCount() > 0)
        lstVersions->setCurrentItem(lstVersions->topLevelItem(0));
    lstVersionsChange();
}

void TfrmVersions::addVersionItem(const catalogue::VersionEntry& version)
{
    auto* item = new QTreeWidgetItem(lstVersions);
    item->setText(0, dateText(version.Time));
    item->setText(1, fromCp(version.Operation));
    item->setText(2, version.FilmCount >= 0 ? QString::number(version.FilmCount) : QString());
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, kNumberRole, version.Number);
}

void TfrmVersions::lstVersionsChange()
{
    btnRestaurer->setEnabled(lstVersions->currentItem() != nullptr);
}

void TfrmVersions::btnRestaurerClick()
{
    const QTreeWidgetItem* item = lstVersions->currentItem();
    if (!item || !confirmRestore(*item))
        return;
    const auto restored = catalogue::versionsOf(m_state).restore(item->data(0, kNumberRole).toInt());
    if (restored)
        accept();
    else
        m_prompts.error(fromCp(restored.message));
}

bool TfrmVersions::confirmRestore(const QTreeWidgetItem& item)
{
    return m_prompts.question(QStringLiteral("Confirmation"),
                              QStringLiteral("Restaurer la base telle qu'elle était le ") + item.text(0) +
                                  QStringLiteral(", avant « ") + item.text(1) +
                                  QStringLiteral(" » ?\nL'état actuel est conservé comme une version."));
}

} // namespace cinevaro::ui
