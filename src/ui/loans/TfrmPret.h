// "Prêter un film": to whom (a name of the borrower list) and when; "Ok" records the loan of
// the current film and saves.
#pragma once

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::ui {

class Prompts;
class TfrmGestEmp;

class TfrmPret : public QDialog
{
    Q_OBJECT

public:
    TfrmPret(catalogue::CatalogueState& state, Prompts& prompts, TfrmGestEmp* gestEmp, QWidget* parent = nullptr);

    // Shows the window modally for the film of CurrentRow under the heading `title`; Accepted
    // when the loan was recorded.
    int execute(const QString& title);
    void FormShow(const QString& title);

    // The picked date as the system's short date text.
    QString shortDateText() const;

    QLabel* lblTitre = nullptr;
    QComboBox* cmbQui = nullptr;
    QDateEdit* datepret = nullptr;
    QPushButton* Button1 = nullptr; // "Ok"
    QPushButton* Button2 = nullptr; // "Annuler"
    QPushButton* Button3 = nullptr; // "Gestion"

private:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void readBorrowers();

    catalogue::CatalogueState& m_state;
    Prompts& m_prompts;
    TfrmGestEmp* m_gestEmp;
};

} // namespace cinevaro::ui
