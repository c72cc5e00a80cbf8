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

#include <initializer_list>
#include <utility>

#include "ui/kit/TParamCheckList.h"

namespace cinevaro::ui {

namespace {

// A control of the window with its historical name.
template <typename Widget, typename... Args> Widget* named(const char* name, Args&&... args)
{
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A button that Enter in the search box never reaches: Enter searches.
QPushButton* sideButton(const char* name, const QString& text, QWidget* parent)
{
    auto* button = named<QPushButton>(name, text, parent);
    button->setAutoDefault(false);
    return button;
}

// A row of controls; a null entry is the row's stretch.
QHBoxLayout* row(std::initializer_list<QWidget*> widgets)
{
    auto* layout = new QHBoxLayout;
    for (QWidget* widget : widgets) {
        if (widget)
            layout->addWidget(widget);
        else
            layout->addStretch(1);
    }
    return layout;
}

} // namespace

void TfrmRecherche::buildLayout()
{
    m_body = new QWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_body);
    // Controls are created in tab order: logo, search, results, buttons.
    auto* main = new QVBoxLayout(m_body);
    main->addLayout(buildSearchArea());
    main->addWidget(buildResultList(), 1);
    main->addLayout(buildCountRow());
    main->addLayout(buildButtonRow());
    resize(600, 480);
}

QLayout* TfrmRecherche::buildSearchArea()
{
    Image1 = named<QLabel>("Image1", m_body);
    Image1->setPixmap(logoPixmap());
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    cmbCherche = named<QComboBox>("cmbCherche", m_body);
    cmbCherche->addItems({QStringLiteral("Rechercher par Titre"), QStringLiteral("Rechercher par Acteur (trice)"),
                          QStringLiteral("Rechercher par Réalisateur (trice)")});
    Label2 = named<QLabel>("Label2", QStringLiteral("Nom du Film à Rechercher :"), m_body);
    Edit1 = named<QLineEdit>("Edit1", m_body);
    Label2->setBuddy(Edit1);
    btnCherche = named<QPushButton>("btnCherche", QStringLiteral("Chercher"), m_body);
    btnCherche->setDefault(true);
    rdExact = named<QRadioButton>("rdExact", QStringLiteral("Phrase Exact"), m_body);
    rdExact->setChecked(true);
    rdPart = named<QRadioButton>("rdPart", QStringLiteral("Partiel"), m_body);
    rdPhone = named<QRadioButton>("rdPhone", QStringLiteral("Phonétique "), m_body);

    auto* searchRow = row({Edit1, btnCherche});
    searchRow->setStretchFactor(Edit1, 1);
    auto* searchBox = new QVBoxLayout;
    searchBox->addWidget(cmbCherche);
    searchBox->addWidget(Label2);
    searchBox->addLayout(searchRow);
    searchBox->addLayout(row({rdExact, rdPart, rdPhone, nullptr}));
    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(searchBox, 1);
    return top;
}

QWidget* TfrmRecherche::buildResultList()
{
    PCheckListBox = named<TParamCheckList>("PCheckListBox", m_body);
    PCheckListBox->setItemHeight(18);
    PCheckListBox->setParamColor(Qt::blue);
    return PCheckListBox;
}

QLayout* TfrmRecherche::buildCountRow()
{
    Label1 = named<QLabel>("Label1", QStringLiteral("Nombre de films trouvé: "), m_body);
    nbrFilm = named<QLabel>("nbrFilm", m_body);
    auto* countRow = row({Label1, nbrFilm, nullptr});
    countRow->setSpacing(0);
    return countRow;
}

QLayout* TfrmRecherche::buildButtonRow()
{
    btnClear = sideButton("btnClear", QStringLiteral("Effacer Liste"), m_body);
    btnAdd = sideButton("btnAdd", QStringLiteral("Ajouter Selection"), m_body);
    btnAdd->setEnabled(false);
    chkClose = named<QCheckBox>("chkClose", QStringLiteral("Fermeture Auto après Ajout des Fiches."), m_body);
    brnFerme = sideButton("brnFerme", QStringLiteral("Fermer"), m_body);
    auto* buttons = row({btnClear, btnAdd});
    buttons->addSpacing(12);
    buttons->addWidget(chkClose);
    buttons->addStretch(1);
    buttons->addWidget(brnFerme);
    return buttons;
}

QPixmap TfrmRecherche::logoPixmap()
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
