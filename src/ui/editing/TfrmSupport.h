// "Gestion des Supports": the support list of the catalogue, edited in a list box; "Ok" writes
// it into every row, saves and has the tree rebuilt; "Annuler" drops the edits.
#pragma once

#include <QDialog>

#include <cstddef>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::ui {

class Prompts;

class TfrmSupport : public QDialog
{
    Q_OBJECT

public:
    TfrmSupport(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent = nullptr);

    // Fills the list from SupportGroups and shows the window modally; returns the result code
    // (Accepted when "Ok" stored a list).
    int execute();

    // Rebuilds the tree after "Ok" (the main window's RebuildTree).
    void setRebuildTree(std::function<void()> rebuild) { m_rebuildTree = std::move(rebuild); }
    // Whether the branch of support group `index` currently holds films in the tree. Without it,
    // the catalogue's rows are counted.
    void setBranchHasFilms(std::function<bool(std::size_t)> test) { m_branchHasFilms = std::move(test); }

    void FormShow();

    QListWidget* lstBoxSupport = nullptr;
    QPushButton* btnAddSupp = nullptr;
    QPushButton* btnSuppSupp = nullptr;
    QPushButton* btnSuppOk = nullptr;
    QPushButton* btnSuppCancel = nullptr;

private:
    void btnAddSuppClick();
    void btnSuppSuppClick();
    void btnSuppOkClick();
    void btnSuppCancelClick();

    catalogue::CatalogueState& m_state;
    Prompts& m_prompts;
    std::function<void()> m_rebuildTree;
    std::function<bool(std::size_t)> m_branchHasFilms;
};

} // namespace cinevaro::ui
