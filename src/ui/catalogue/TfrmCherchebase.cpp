#include "ui/catalogue/TfrmCherchebase.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/kit/Fit.h"

namespace cinevaro::ui {

TfrmCherchebase::TfrmCherchebase(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCherchebase"));
    setWindowTitle(QStringLiteral("Rechercher"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);

    editRecherche = new QLineEdit(this);
    editRecherche->setObjectName(QStringLiteral("editRecherche"));
    editRecherche->installEventFilter(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Catégories"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    RadioTitre = new QRadioButton(QStringLiteral("Par &Titre"), GroupBox1);
    RadioTitre->setObjectName(QStringLiteral("RadioTitre"));
    RadioTitre->setChecked(true);
    RadioReal = new QRadioButton(QStringLiteral("Par &Réalisateur"), GroupBox1);
    RadioReal->setObjectName(QStringLiteral("RadioReal"));
    RadioActeur = new QRadioButton(QStringLiteral("Par &Acteurs"), GroupBox1);
    RadioActeur->setObjectName(QStringLiteral("RadioActeur"));
    auto* radios = new QVBoxLayout(GroupBox1);
    radios->setContentsMargins(8, 4, 8, 4);
    for (QRadioButton* r : {RadioTitre, RadioReal, RadioActeur})
        radios->addWidget(r);
    Button1 = new QPushButton(QStringLiteral("&Fermer"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);

    auto* column = new QVBoxLayout(this);
    column->addWidget(editRecherche);
    auto* row = new QHBoxLayout;
    row->addWidget(GroupBox1, 1);
    row->addWidget(Button1, 0, Qt::AlignBottom);
    column->addLayout(row);

    connect(editRecherche, &QLineEdit::textChanged, this, &TfrmCherchebase::editRechercheChange);
    for (QRadioButton* r : {RadioTitre, RadioReal, RadioActeur})
        connect(r, &QRadioButton::clicked, this, &TfrmCherchebase::editRechercheChange);
    connect(Button1, &QPushButton::clicked, this, &TfrmCherchebase::Button1Click);
    // Its usual size, grown where the texts need more room at this font.
    setFixedSizeToFit(this, QSize(260, 150));
}

catalogue::SearchField TfrmCherchebase::field() const
{
    if (RadioActeur->isChecked())
        return catalogue::SearchField::Acteur;
    if (RadioReal->isChecked())
        return catalogue::SearchField::Real;
    return catalogue::SearchField::Titre;
}

bool TfrmCherchebase::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editRecherche && event->type() == QEvent::MouseButtonRelease)
        editRechercheChange();
    return QDialog::eventFilter(watched, event);
}

void TfrmCherchebase::editRechercheChange()
{
    if (m_search)
        m_search(editRecherche->text(), field());
}

void TfrmCherchebase::Button1Click()
{
    hide();
    if (m_close)
        m_close();
}

} // namespace cinevaro::ui
