// Filtering by example (the radio buttons beside the record view's boxes, the loan filter, the
// cast list's check boxes) and the search window's narrowing of the tree.
#include "ui/TfrmBase.h"

#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "catalogue/CatalogueState.h"
#include "catalogue/Filters.h"
#include "catalogue/Settings.h"
#include "ui/catalogue/TfrmCherchebase.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

constexpr int kActiveColour = 0xF0CAA6;
constexpr int kIdleColourDefault = 0xFFFF00;
// The check state an actor item had when last seen, to tell a user's tick from a refill.
constexpr int kSeenCheckRole = Qt::UserRole + 1;

// Windows colour value (low byte red) to a colour.
QColor winColour(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// Restores a flag when the scope ends.
class FlagGuard
{
public:
    explicit FlagGuard(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = m_old; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

} // namespace

void TfrmBase::setupFilters()
{
    const struct
    {
        QRadioButton* radio;
        void (TfrmBase::*handler)();
    } radios[] = {{filtreReal, &TfrmBase::filtreRealClick},       {filtreDate, &TfrmBase::filtreDateClick},
                  {filtreOri, &TfrmBase::filtreOriClick},         {filtreGenre, &TfrmBase::filtreGenreClick},
                  {filtreDistrib, &TfrmBase::filtreDistribClick}, {filtreSupport, &TfrmBase::filtreSupportClick},
                  {filtrePret, &TfrmBase::filtrePretClick},       {filtreNul, &TfrmBase::filtreNulClick}};
    // A radio button acts when it becomes checked: clicking the active filter does nothing.
    for (const auto& r : radios) {
        connect(r.radio, &QRadioButton::toggled, this, [this, handler = r.handler](bool on) {
            if (on && !m_filterUpdating)
                (this->*handler)();
        });
    }
    // A menu item applies its filter again with the value now shown.
    const struct
    {
        QAction* item;
        QRadioButton* radio;
    } items[] = {{mnuFiltreReal, filtreReal},   {mnuFiltreDate, filtreDate},       {mnuFiltreOri, filtreOri},
                 {mnuFiltreGenre, filtreGenre}, {mnuFiltreDistrib, filtreDistrib}, {mnuFiltreSupport, filtreSupport}};
    for (const auto& m : items) {
        connect(m.item, &QAction::triggered, this, [this, m] { fieldFilterClick(m.radio, m.item); });
        m.item->setEnabled(true);
    }
    // The loan filter stands alone (not auto-exclusive): a click on it while it is active would
    // untick it and leave the tree filtered. It stays ticked; only another filter clears it.
    connect(filtrePret, &QRadioButton::clicked, this, [this](bool checked) {
        if (checked)
            return;
        FlagGuard guard(m_filterUpdating);
        setFilterRadioChecked(filtrePret, true);
    });
    mnuFiltrePret->setCheckable(true);
    connect(mnuFiltrePret, &QAction::triggered, this, &TfrmBase::filtrePretClick);
    connect(lstActeur, &QListWidget::itemChanged, this, &TfrmBase::lstActeurClick);
    connect(lblReal, &QLineEdit::textChanged, this, &TfrmBase::lblRealChange);
    connect(lblDate, &QLineEdit::textChanged, this, &TfrmBase::lblDateChange);
    connect(lblOri, &QLineEdit::textChanged, this, &TfrmBase::lblOriChange);
    connect(lblGenre, &QLineEdit::textChanged, this, &TfrmBase::lblGenreChange);
    connect(lblDistrib, &QLineEdit::textChanged, this, &TfrmBase::lblDistribChange);
    connect(Chercher1, &QAction::triggered, this, &TfrmBase::Chercher1Click);
    Chercher1->setEnabled(true);
    // "Aucun Filtre" checked by the refresh leaves every box idle and no actor ticked.
    connect(filtreNul, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        for (QLineEdit* box : {lblSupport, lblDistrib, lblDate, lblOri, lblGenre, lblReal, lblPret})
            setFilterBoxActive(box, false);
        uncheckActors();
    });
}

void TfrmBase::filtreRealClick()
{
    fieldFilterClick(filtreReal, mnuFiltreReal);
}

void TfrmBase::filtreDateClick()
{
    fieldFilterClick(filtreDate, mnuFiltreDate);
}

void TfrmBase::filtreOriClick()
{
    fieldFilterClick(filtreOri, mnuFiltreOri);
}

void TfrmBase::filtreGenreClick()
{
    fieldFilterClick(filtreGenre, mnuFiltreGenre);
}

void TfrmBase::filtreDistribClick()
{
    fieldFilterClick(filtreDistrib, mnuFiltreDistrib);
}

void TfrmBase::filtreSupportClick()
{
    fieldFilterClick(filtreSupport, mnuFiltreSupport);
}

void TfrmBase::fieldFilterClick(QRadioButton* radio, QAction* item)
{
    {
        FlagGuard guard(m_filterUpdating);
        AucunFiltre1->setChecked(false);
        setFilterRadioChecked(filtrePret, false);
        mnuFiltrePret->setChecked(false);
        item->setChecked(true);
        setFilterRadioChecked(radio, true);
    }
    ApplyFilters();
}

void TfrmBase::filtreNulClick()
{
    {
        FlagGuard guard(m_filterUpdating);
        for (QAction* item : filterMenuGroup->actions())
            item->setChecked(false);
        mnuFiltrePret->setChecked(false);
        setFilterRadioChecked(filtrePret, false);
        AucunFiltre1->setChecked(true);
    }
    ApplyFilters();
}

void TfrmBase::filtrePretClick()
{
    {
        FlagGuard guard(m_filterUpdating);
        for (QRadioButton* radio :
             {filtreSupport, filtreReal, filtreOri, filtreNul, filtreGenre, filtreDistrib, filtreDate})
            setFilterRadioChecked(radio, false);
        mnuFiltrePret->setChecked(true);
        AucunFiltre1->setChecked(false);
        setFilterRadioChecked(filtrePret, true);
    }
    if (TreeFilm->currentItem())
        FindFilmRow();
    ApplyFilters();
}

void TfrmBase::ApplyFilters()
{
    m_state.FilmCount = 0;
    m_state.ActorFilterActive = false;
    uncheckActors();
    const struct
    {
        QRadioButton* radio;
        QLineEdit* box;
        catalogue::FieldFilter filter;
    } fields[] = {{filtreReal, lblReal, catalogue::FieldFilter::Real},
                  {filtreGenre, lblGenre, catalogue::FieldFilter::Genre},
                  {filtreOri, lblOri, catalogue::FieldFilter::Ori},
                  {filtreDate, lblDate, catalogue::FieldFilter::Date},
                  {filtreDistrib, lblDistrib, catalogue::FieldFilter::Distrib},
                  {filtreSupport, lblSupport, catalogue::FieldFilter::Support}};
    bool anyChecked = filtrePret->isChecked();
    for (const auto& f : fields)
        anyChecked = anyChecked || f.radio->isChecked();
    if (!anyChecked) {
        clearFilters();
        return;
    }
    m_state.FilterActive = true;
    SaveExpansion();
    const table::TMlb2& table = m_state.table();
    for (const auto& f : fields) {
        if (!f.radio->isChecked()) {
            setFilterBoxActive(f.box, false);
            continue;
        }
        setFilterBoxActive(f.box, true);
        const auto shown = toCp(f.box->text()).value_or(std::string());
        const catalogue::FilterResult result = catalogue::applyFieldFilter(table, f.filter, shown);
        if (result.status.empty()) {
            // Nothing to match: the filter switches itself off and the full tree comes back.
            clearFilters();
            return;
        }
        showFilteredRows(result.rows);
        setStatusText(1, fromCp(result.status));
    }
    if (filtrePret->isChecked()) {
        setFilterBoxActive(lblPret, true);
        const auto result = catalogue::applyLoanFilter(table, catalogue::loanFilterValue(table, m_state.CurrentRow));
        showFilteredRows(result.rows);
        setStatusText(1, fromCp(result.status));
    } else {
        setFilterBoxActive(lblPret, false);
    }
    expandAll();
}

void TfrmBase::clearFilters()
{
    {
        FlagGuard guard(m_filterUpdating);
        for (QRadioButton* radio :
             {filtreReal, filtreGenre, filtreOri, filtreDate, filtreDistrib, filtreSupport, filtrePret})
            setFilterRadioChecked(radio, false);
        setFilterRadioChecked(filtreNul, true);
        for (QAction* item : filterMenuGroup->actions())
            item->setChecked(false);
        mnuFiltrePret->setChecked(false);
        AucunFiltre1->setChecked(true);
    }
    m_state.FilterActive = false;
    RebuildTree();
    setStatusText(1, fromCp(catalogue::noFilterStatus()));
    for (QLineEdit* box : {lblSupport, lblDistrib, lblDate, lblOri, lblGenre, lblReal, lblPret})
        setFilterBoxActive(box, false);
    RestoreExpansion();
}

void TfrmBase::showFilteredRows(const std::vector<int>& rows)
{
    BuildTreeSkeleton();
    for (int row : rows)
        AddFilmNode(row);
    endTree();
}

void TfrmBase::setFilterBoxActive(QLineEdit* box, bool active)
{
    const int colour = active ? kActiveColour : m_settings->readInteger("COULEUR", "COULEURZONE", kIdleColourDefault);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, winColour(colour));
    box->setPalette(palette);
    QFont font = box->font();
    font.setBold(active);
    box->setFont(font);
}

void TfrmBase::uncheckActors()
{
    const QSignalBlocker block(lstActeur);
    for (int i = 0; i < lstActeur->count(); ++i) {
        QListWidgetItem* item = lstActeur->item(i);
        item->setCheckState(Qt::Unchecked);
        item->setData(kSeenCheckRole, static_cast<int>(Qt::Unchecked));
    }
}

void TfrmBase::lstActeurClick(QListWidgetItem* item)
{
    // Items of a new cast list first change without a check state, then get the state the record
    // view gives them; only a change from the state last seen is the user's tick.
    if (!item->data(Qt::CheckStateRole).isValid())
        return;
    const QVariant seen = item->data(kSeenCheckRole);
    const Qt::CheckState state = item->checkState();
    const bool filled =
        m_state.ActorFilterActive && toCp(item->text()).value_or(std::string()) == m_state.ActorFilterName;
    const int previous = seen.isValid() ? seen.toInt() : static_cast<int>(filled ? Qt::Checked : Qt::Unchecked);
    if (previous == static_cast<int>(state)) {
        const QSignalBlocker block(lstActeur);
        item->setData(kSeenCheckRole, static_cast<int>(state));
        return;
    }
    {
        FlagGuard guard(m_filterUpdating);
        for (QRadioButton* radio :
             {filtreReal, filtreGenre, filtreDate, filtreOri, filtreDistrib, filtreSupport, filtrePret})
            setFilterRadioChecked(radio, false);
    }
    m_state.FilmCount = 0;
    {
        const QSignalBlocker block(lstActeur);
        for (int i = 0; i < lstActeur->count(); ++i) {
            QListWidgetItem* other = lstActeur->item(i);
            if (other != item)
                other->setCheckState(Qt::Unchecked);
            other->setData(kSeenCheckRole, static_cast<int>(other->checkState()));
        }
    }
    if (state == Qt::Checked) {
        {
            FlagGuard guard(m_filterUpdating);
            setFilterRadioChecked(filtreNul, false);
        }
        const auto name = toCp(item->text()).value_or(std::string());
        m_state.ActorFilterName = name;
        m_state.ActorFilterActive = true;
        const auto result = catalogue::applyActorFilter(m_state.table(), name);
        showFilteredRows(result.rows);
        setStatusText(1, fromCp(result.status));
    } else {
        setStatusText(1, fromCp(catalogue::noFilterStatus()));
        m_state.ActorFilterActive = false;
        m_state.ActorFilterName = catalogue::kNoActorFilter;
        RebuildTree();
    }
    for (QLineEdit* box : {lblReal, lblSupport, lblDistrib, lblDate, lblGenre, lblOri})
        setFilterBoxActive(box, false);
    if (m_state.ActorFilterActive)
        expandAll();
    else
        RestoreExpansion();
}

void TfrmBase::lblRealChange()
{
    filtreReal->setEnabled(!lblReal->text().isEmpty());
}

void TfrmBase::lblDateChange()
{
    filtreDate->setEnabled(!lblDate->text().isEmpty());
}

void TfrmBase::lblOriChange()
{
    filtreOri->setEnabled(!lblOri->text().isEmpty());
}

void TfrmBase::lblGenreChange()
{
    filtreGenre->setEnabled(!lblGenre->text().isEmpty());
}

void TfrmBase::lblDistribChange()
{
    filtreDistrib->setEnabled(!lblDistrib->text().isEmpty());
}

void TfrmBase::Chercher1Click()
{
    if (!frmCherchebase)
        return;
    frmCherchebase->show();
    frmCherchebase->raise();
    frmCherchebase->activateWindow();
}

void TfrmBase::searchChanged(const QString& text, int field)
{
    if (!m_state.CatalogueTable || m_state.table().RowCount() == 0)
        return;
    SaveExpansion();
    m_state.FilmCount = 0;
    if (text.isEmpty()) {
        m_state.SearchActive = false;
        RebuildTree();
        return;
    }
    // A character the catalogue cannot hold matches no film.
    const auto value = toCp(text);
    const auto rows = value ? catalogue::searchRows(m_state.table(), static_cast<catalogue::SearchField>(field), *value)
                            : std::vector<int>();
    showFilteredRows(rows);
    m_state.SearchActive = !rows.empty();
    if (m_state.SearchActive)
        expandAll();
    else
        RestoreExpansion();
}

} // namespace cinevaro::ui
