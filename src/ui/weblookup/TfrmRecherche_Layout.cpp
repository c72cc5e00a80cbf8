// The web search window's layout and its service logo.
#include "ui/weblookup/TfrmRecherche.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/kit/TParamCheckList.h"

namespace cinevaro::ui {

void TfrmRecherche::buildLayout()
{
    m_body = new QWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_body);
    auto* main = new QVBoxLayout(m_body);

    Image1 = new QLabel(m_body);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(logoPixmap());
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    cmbCherche = new QComboBox(m_body);
    cmbCherche->setObjectName(QStringLiteral("cmbCherche"));
    cmbCherche->addItems({QStringLiteral("Rechercher par Titre"), QStringLiteral("Rechercher par Acteur (trice)"),
                          QStringLiteral("Rechercher par Réalisateur (trice)")});
    Label2 = new QLabel(QStringLiteral("Nom du Film à Rechercher :"), m_body);
    Label2->setObjectName(QStringLiteral("Label2"));
    Edit1 = new QLineEdit(m_body);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label2->setBuddy(Edit1);
    btnCherche = new QPushButton(QStringLiteral("Chercher"), m_body);
    btnCherche->setObjectName(QStringLiteral("btnCherche"));
    btnCherche->setDefault(true);
    rdExact = new QRadioButton(QStringLiteral("Phrase Exact"), m_body);
    rdExact->setObjectName(QStringLiteral("rdExact"));
    rdExact->setChecked(true);
    rdPart = new QRadioButton(QStringLiteral("Partiel"), m_body);
    rdPart->setObjectName(QStringLiteral("rdPart"));
    rdPhone = new QRadioButton(QStringLiteral("Phonétique "), m_body);
    rdPhone->setObjectName(QStringLiteral("rdPhone"));

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Edit1, 1);
    searchRow->addWidget(btnCherche);
    auto* matchRow = new QHBoxLayout;
    matchRow->addWidget(rdExact);
    matchRow->addWidget(rdPart);
    matchRow->addWidget(rdPhone);
    matchRow->addStretch(1);
    auto* searchBox = new QVBoxLayout;
    searchBox->addWidget(cmbCherche);
    searchBox->addWidget(Label2);
    searchBox->addLayout(searchRow);
    searchBox->addLayout(matchRow);
    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(searchBox, 1);
    main->addLayout(top);

    PCheckListBox = new TParamCheckList(m_body);
    PCheckListBox->setObjectName(QStringLiteral("PCheckListBox"));
    PCheckListBox->setItemHeight(18);
    PCheckListBox->setParamColor(Qt::blue);
    main->addWidget(PCheckListBox, 1);

    Label1 = new QLabel(QStringLiteral("Nombre de films trouvé: "), m_body);
    Label1->setObjectName(QStringLiteral("Label1"));
    nbrFilm = new QLabel(m_body);
    nbrFilm->setObjectName(QStringLiteral("nbrFilm"));
    auto* countRow = new QHBoxLayout;
    countRow->setSpacing(0);
    countRow->addWidget(Label1);
    countRow->addWidget(nbrFilm);
    countRow->addStretch(1);
    main->addLayout(countRow);

    btnClear = new QPushButton(QStringLiteral("Effacer Liste"), m_body);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setAutoDefault(false);
    btnAdd = new QPushButton(QStringLiteral("Ajouter Selection"), m_body);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnAdd->setAutoDefault(false);
    btnAdd->setEnabled(false);
    chkClose = new QCheckBox(QStringLiteral("Fermeture Auto après Ajout des Fiches."), m_body);
    chkClose->setObjectName(QStringLiteral("chkClose"));
    brnFerme = new QPushButton(QStringLiteral("Fermer"), m_body);
    brnFerme->setObjectName(QStringLiteral("brnFerme"));
    brnFerme->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnClear);
    buttons->addWidget(btnAdd);
    buttons->addSpacing(12);
    buttons->addWidget(chkClose);
    buttons->addStretch(1);
    buttons->addWidget(brnFerme);
    main->addLayout(buttons);

    resize(600, 480);
}

QPixmap TfrmRecherche::logoPixmap() const
{
    QPixmap pixmap(150, 90);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x20, 0x30, 0x60));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 148, 88), 10, 10);
    painter.setBrush(QColor(0xFF, 0xCC, 0x33));
    for (int i = 0; i < 5; ++i)
        painter.drawRect(12 + i * 26, 8, 14, 8);
    QFont font = painter.font();
    font.setBold(true);
    font.setPointSize(13);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 20, 150, 40), Qt::AlignCenter, QStringLiteral("Moviecovers"));
    font.setBold(false);
    font.setPointSize(8);
    painter.setFont(font);
    painter.setPen(QColor(0xFF, 0xCC, 0x33));
    painter.drawText(QRect(0, 56, 150, 24), Qt::AlignCenter, QStringLiteral("fiches et jaquettes"));
    return pixmap;
}

} // namespace cinevaro::ui
