// "Rechercher": a tool window that stays on top and narrows the film tree as the user types,
// by title, director or actor. "&Fermer" hides it and refreshes the tree.
#pragma once

#include <QDialog>

#include <functional>

#include "catalogue/Filters.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace cinevaro::ui {

class TfrmCherchebase : public QDialog
{
    Q_OBJECT

public:
    using SearchHandler = std::function<void(const QString& text, catalogue::SearchField field)>;

    explicit TfrmCherchebase(QWidget* parent = nullptr);

    // Runs on every keystroke, on a click in the box and on a click of a category.
    void setSearchHandler(SearchHandler handler) { m_search = std::move(handler); }
    // Runs after "&Fermer" (the main window's refresh).
    void setCloseHandler(std::function<void()> handler) { m_close = std::move(handler); }

    catalogue::SearchField field() const;

    QLineEdit* editRecherche = nullptr;
    QGroupBox* GroupBox1 = nullptr; // "Catégories"
    QRadioButton* RadioTitre = nullptr;
    QRadioButton* RadioReal = nullptr;
    QRadioButton* RadioActeur = nullptr;
    QPushButton* Button1 = nullptr; // "&Fermer"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void editRechercheChange();
    void Button1Click();

    SearchHandler m_search;
    std::function<void()> m_close;
};

} // namespace cinevaro::ui
