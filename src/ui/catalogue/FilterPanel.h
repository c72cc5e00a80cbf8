// The filter controls of the main window: the six field radio buttons and "Aucun Filtre" of the
// record view, the loan filter of the loan panel, the "Filtres" menu's check items, the colours
// of the filtered boxes and the ticks of the cast list. It shows which filter is chosen and says
// what the user chose; applying a filter (catalogue/Filters.h) is left to its owner.
#pragma once

#include <QObject>

#include <functional>
#include <string>

#include "catalogue/Filters.h"

class QAction;
class QActionGroup;
class QLineEdit;
class QListWidgetItem;
class QRadioButton;

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::ui {

class LoanPanel;
class RecordView;

class FilterPanel : public QObject
{
    Q_OBJECT

public:
    // The "Filtres" menu's items: the six exclusive field items (in FieldFilter order), "Prêt"
    // and "Aucun Filtre".
    struct MenuItems
    {
        QActionGroup* fields = nullptr;
        QAction* field[6] = {};
        QAction* loan = nullptr;
        QAction* none = nullptr;
    };

    // `idleColour` gives the Windows colour value of an idle box, read when it is applied.
    FilterPanel(RecordView& record, LoanPanel& loan, const MenuItems& menu, std::function<int()> idleColour,
                const catalogue::CatalogueState& state, QObject* parent = nullptr);

    // The filter the radio buttons choose.
    catalogue::ChosenFilter chosen() const;
    // Ticks the radio button and the menu item of `filter` and unticks those of the others,
    // without acting on it. Choosing a field leaves the menu item "Prêt" alone; choosing the loan
    // leaves the field menu items alone.
    void setChosen(catalogue::ChosenFilter filter);
    // Unticks the field and loan radio buttons, and "Aucun Filtre" too when `withNone`; the menu
    // items stay as they are.
    void untickRadios(bool withNone);
    // The box of `filter` shown active (colour, bold), every other box idle.
    void showActiveBox(catalogue::ChosenFilter filter);
    // The text of the chosen field's box (Windows-1252; empty for another filter, or when the
    // text holds a character the catalogue cannot hold).
    std::string shownValue(catalogue::ChosenFilter filter) const;
    // No actor of the cast list ticked.
    void untickActors();
    // Checks or unchecks a filter radio button even when it is the checked one of its group.
    void setRadioChecked(QRadioButton* button, bool checked);

    QRadioButton* radio(catalogue::FieldFilter filter) const;
    QLineEdit* box(catalogue::FieldFilter filter) const;

signals:
    // A field filter chosen by its radio button or its menu item.
    void fieldChosen(catalogue::FieldFilter filter);
    // The loan filter chosen by its radio button or "Prêt".
    void loanChosen();
    // "Aucun Filtre" ticked by the user.
    void noneChosen();
    // The user ticked or unticked an actor of the cast list; every other actor is unticked.
    void actorTicked(const QString& name, bool ticked);

private:
    void connectControls();
    // Runs `act` when `radio` becomes checked by the user (not while the panel sets it).
    void actWhenChecked(QRadioButton* radio, const std::function<void()>& act);
    void keepLoanTicked(bool checked);
    void noneTicked(bool on);
    void chooseNone();
    void chooseField(catalogue::FieldFilter field);
    void chooseLoan();
    void setBoxActive(QLineEdit* box, bool active);
    // A change of an actor item: a user's tick or a refill of the list.
    void actorChanged(QListWidgetItem* item);
    bool isUsersTick(QListWidgetItem* item) const;
    // After a user's tick every other actor is unticked and each item's state is remembered as
    // seen; after a refill only the changed item's is.
    void rememberTicks(QListWidgetItem* changed, bool users);

    RecordView& m_record;
    LoanPanel& m_loan;
    MenuItems m_menu;
    std::function<int()> m_idleColour;
    const catalogue::CatalogueState& m_state;
    // Each field filter's radio button and box, in FieldFilter order.
    struct FieldControls
    {
        QRadioButton* radio;
        QLineEdit* box;
    };
    FieldControls m_fields[6];
    // Set while the panel changes its own radio buttons: they must not act then.
    bool m_updating = false;
};

} // namespace cinevaro::ui
