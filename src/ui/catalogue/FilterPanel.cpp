#include "ui/catalogue/FilterPanel.h"

#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <iterator>

#include "catalogue/CatalogueState.h"
#include "ui/catalogue/RecordView.h"
#include "ui/kit/Text.h"
#include "ui/loans/LoanPanel.h"

namespace cinevaro::ui {

namespace {

using catalogue::ChosenFilter;
using catalogue::FieldFilter;

constexpr int kActiveColour = 0xF0CAA6;
// The check state an actor item had when last seen, to tell a user's tick from a refill.
constexpr int kSeenCheckRole = Qt::UserRole + 1;

// Windows colour value (low byte red) to a colour.
QColor winColour(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

static_assert(std::size(catalogue::kFieldFilters) == 6, "one radio button and one box per field filter");

int index(FieldFilter filter)
{
    return static_cast<int>(filter);
}

} // namespace

FilterPanel::FilterPanel(RecordView& record, LoanPanel& loan, const MenuItems& menu, std::function<int()> idleColour,
                         const catalogue::CatalogueState& state, QObject* parent)
    : QObject(parent), m_record(record), m_loan(loan), m_menu(menu), m_idleColour(std::move(idleColour)),
      m_state(state), m_fields{{record.filtreReal, record.lblReal},       {record.filtreGenre, record.lblGenre},
                               {record.filtreOri, record.lblOri},         {record.filtreDate, record.lblDate},
                               {record.filtreDistrib, record.lblDistrib}, {record.filtreSupport, record.lblSupport}}
{
    connectControls();
}

void FilterPanel::connectControls()
{
    for (FieldFilter filter : catalogue::kFieldFilters) {
        actWhenChecked(radio(filter), [this, filter] { emit fieldChosen(filter); });
        // A menu item applies its filter again with the value now shown.
        QAction* item = m_menu.field[index(filter)];
        connect(item, &QAction::triggered, this, [this, filter] { emit fieldChosen(filter); });
        item->setEnabled(true);
    }
    actWhenChecked(m_loan.filtrePret, [this] { emit loanChosen(); });
    actWhenChecked(m_record.filtreNul, [this] { emit noneChosen(); });
    m_menu.loan->setCheckable(true);
    connect(m_menu.loan, &QAction::triggered, this, &FilterPanel::loanChosen);
    connect(m_loan.filtrePret, &QRadioButton::clicked, this, &FilterPanel::keepLoanTicked);
    connect(m_record.lstActeur, &QListWidget::itemChanged, this, &FilterPanel::actorChanged);
    connect(m_record.filtreNul, &QRadioButton::toggled, this, &FilterPanel::noneTicked);
}

void FilterPanel::actWhenChecked(QRadioButton* radio, const std::function<void()>& act)
{
    // A radio button acts when it becomes checked: clicking the active filter does nothing.
    connect(radio, &QRadioButton::toggled, this, [this, act](bool on) {
        if (on && !m_updating)
            act();
    });
}

void FilterPanel::keepLoanTicked(bool checked)
{
    // The loan filter stands alone (not auto-exclusive): a click on it while it is active would
    // untick it and leave the tree filtered. It stays ticked; only another filter clears it.
    if (checked)
        return;
    const QScopedValueRollback updating(m_updating, true);
    setRadioChecked(m_loan.filtrePret, true);
}

void FilterPanel::noneTicked(bool on)
{
    // "Aucun Filtre" checked, by the user or by a refresh, leaves every box idle and no actor ticked.
    if (!on)
        return;
    showActiveBox({});
    untickActors();
}

QRadioButton* FilterPanel::radio(FieldFilter filter) const
{
    return m_fields[index(filter)].radio;
}

QLineEdit* FilterPanel::box(FieldFilter filter) const
{
    return m_fields[index(filter)].box;
}

ChosenFilter FilterPanel::chosen() const
{
    if (m_loan.filtrePret->isChecked())
        return {ChosenFilter::Kind::Loan};
    for (FieldFilter filter : catalogue::kFieldFilters)
        if (radio(filter)->isChecked())
            return {ChosenFilter::Kind::Field, filter};
    return {};
}

void FilterPanel::setChosen(ChosenFilter filter)
{
    const QScopedValueRollback updating(m_updating, true);
    if (filter.kind == ChosenFilter::Kind::Field)
        chooseField(filter.field);
    else if (filter.kind == ChosenFilter::Kind::Loan)
        chooseLoan();
    else
        chooseNone();
}

void FilterPanel::chooseField(FieldFilter field)
{
    m_menu.none->setChecked(false);
    setRadioChecked(m_loan.filtrePret, false);
    m_menu.loan->setChecked(false);
    m_menu.field[index(field)]->setChecked(true);
    setRadioChecked(radio(field), true);
}

void FilterPanel::chooseNone()
{
    untickRadios(false);
    setRadioChecked(m_record.filtreNul, true);
    for (QAction* item : m_menu.fields->actions())
        item->setChecked(false);
    m_menu.loan->setChecked(false);
    m_menu.none->setChecked(true);
}

void FilterPanel::chooseLoan()
{
    for (FieldFilter field : catalogue::kFieldFilters)
        setRadioChecked(radio(field), false);
    setRadioChecked(m_record.filtreNul, false);
    m_menu.loan->setChecked(true);
    m_menu.none->setChecked(false);
    setRadioChecked(m_loan.filtrePret, true);
}

void FilterPanel::untickRadios(bool withNone)
{
    const QScopedValueRollback updating(m_updating, true);
    for (FieldFilter filter : catalogue::kFieldFilters)
        setRadioChecked(radio(filter), false);
    setRadioChecked(m_loan.filtrePret, false);
    if (withNone)
        setRadioChecked(m_record.filtreNul, false);
}

void FilterPanel::showActiveBox(ChosenFilter filter)
{
    for (FieldFilter field : catalogue::kFieldFilters)
        setBoxActive(box(field), filter == ChosenFilter{ChosenFilter::Kind::Field, field});
    setBoxActive(m_loan.lblPret, filter.kind == ChosenFilter::Kind::Loan);
}

std::string FilterPanel::shownValue(ChosenFilter filter) const
{
    if (filter.kind != ChosenFilter::Kind::Field)
        return {};
    return toCp(box(filter.field)->text()).value_or(std::string());
}

void FilterPanel::setBoxActive(QLineEdit* box, bool active)
{
    const int colour = active ? kActiveColour : m_idleColour();
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, winColour(colour));
    box->setPalette(palette);
    QFont font = box->font();
    font.setBold(active);
    box->setFont(font);
}

void FilterPanel::untickActors()
{
    QListWidget* list = m_record.lstActeur;
    const QSignalBlocker block(list);
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setCheckState(Qt::Unchecked);
        item->setData(kSeenCheckRole, static_cast<int>(Qt::Unchecked));
    }
}

void FilterPanel::setRadioChecked(QRadioButton* button, bool checked)
{
    if (button)
        m_record.setFilterChecked(button, checked);
}

bool FilterPanel::isUsersTick(QListWidgetItem* item) const
{
    // Items of a new cast list first change without a check state, then get the state the record
    // view gives them (ticked for the filtered actor); only a change from the state last seen is
    // the user's tick.
    if (!item->data(Qt::CheckStateRole).isValid())
        return false;
    const QVariant seen = item->data(kSeenCheckRole);
    const bool filled =
        m_state.ActorFilterActive && toCp(item->text()).value_or(std::string()) == m_state.ActorFilterName;
    const int previous = seen.isValid() ? seen.toInt() : static_cast<int>(filled ? Qt::Checked : Qt::Unchecked);
    return previous != static_cast<int>(item->checkState());
}

void FilterPanel::actorChanged(QListWidgetItem* item)
{
    if (!item->data(Qt::CheckStateRole).isValid())
        return;
    const bool users = isUsersTick(item);
    rememberTicks(item, users);
    if (users)
        emit actorTicked(item->text(), item->checkState() == Qt::Checked);
}

void FilterPanel::rememberTicks(QListWidgetItem* changed, bool users)
{
    QListWidget* list = m_record.lstActeur;
    const QSignalBlocker block(list);
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* other = list->item(i);
        if (users && other != changed)
            other->setCheckState(Qt::Unchecked);
        if (users || other == changed)
            other->setData(kSeenCheckRole, static_cast<int>(other->checkState()));
    }
}

} // namespace cinevaro::ui
