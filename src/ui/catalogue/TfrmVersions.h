// "Versions de la base": the kept versions of the open catalogue (date and time, operation, film
// count), newest first. "Restaurer" brings the chosen one back (the current file becomes a
// version first, so the restore can be undone); "Fermer" closes.
#pragma once

#include <QDialog>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace cinevaro::catalogue {
class CatalogueState;
struct VersionEntry;
} // namespace cinevaro::catalogue

namespace cinevaro::ui {

class Prompts;

class TfrmVersions : public QDialog
{
    Q_OBJECT

public:
    TfrmVersions(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent = nullptr);

    // Lists the versions and shows the window modally; Accepted when a version was restored.
    int execute();
    void FormShow();

    QTreeWidget* lstVersions = nullptr;
    QPushButton* btnRestaurer = nullptr;
    QPushButton* btnFermer = nullptr;

private:
    void btnRestaurerClick();
    // Asks whether to bring back the version of that line (the current file is kept as one).
    bool confirmRestore(const QTreeWidgetItem& item);
    void lstVersionsChange();
    // One line of the list: date and time, operation, film count; the version number kept.
    void addVersionItem(const catalogue::VersionEntry& version);

    catalogue::CatalogueState& m_state;
    Prompts& m_prompts;
};

} // namespace cinevaro::ui
