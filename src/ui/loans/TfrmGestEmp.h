// "Gestion des Emprunteurs": the borrower list of the catalogue, shown sorted; "Ok" writes it
// into every row and saves, "Annuler" drops the edits.
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::ui {

class Prompts;

class TfrmGestEmp : public QDialog
{
    Q_OBJECT

public:
    TfrmGestEmp(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent = nullptr);

    // Fills the list and shows the window modally; Accepted when "Ok" stored the list.
    int execute();
    void FormShow();

    QLabel* Label1 = nullptr;
    QListWidget* lstBoxEmp = nullptr;
    QPushButton* btnAddEmp = nullptr;
    QPushButton* btnSuppEmp = nullptr;
    QPushButton* btnOkEmp = nullptr;
    QPushButton* btnCancelEmp = nullptr;

private:
    void btnAddEmpClick();
    void btnSuppEmpClick();
    void btnOkEmpClick();
    void btnCancelEmpClick();
    // Inserts a name (Windows-1252) where the sorted order puts it.
    void insertSorted(const std::string& name);

    catalogue::CatalogueState& m_state;
    Prompts& m_prompts;
};

} // namespace cinevaro::ui
