// The loan panel's controls (body of ADVpret): "Prêt :", the loan filter filtrePret, the box
// lblPret saying who has the film, btnPret ("Prêter" or "Rendu") and "Gestion".
#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace cinevaro::loans {
struct LoanTexts;
}

namespace cinevaro::ui {

class LoanPanel : public QWidget
{
    Q_OBJECT

public:
    explicit LoanPanel(QWidget* parent = nullptr);

    // Who has the shown film ("Disponible" or "Prêté à …") and the button's text.
    void setLoan(const loans::LoanTexts& texts);
    QString currentLoan() const;
    void clear();

    QRadioButton* filtrePret = nullptr;
    QLineEdit* lblPret = nullptr;
    QPushButton* btnPret = nullptr;
    QPushButton* btnFGestPret = nullptr; // "Gestion"

signals:
    // btnPret: lend the shown film, or take it back.
    void lendClicked();
    // "Gestion": the borrowers window.
    void manageClicked();
};

} // namespace cinevaro::ui
