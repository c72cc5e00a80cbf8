// The record editor's layout: menu, boxes, the captioned form, the cover column; and the
// colouring of the box that has the focus.
#include "ui/editing/TfrmAjout.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/kit/PictureBox.h"

namespace cinevaro::ui {

namespace {

QLabel* fieldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QComboBox* freeCombo(const QString& name, const QStringList& items, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setMaxVisibleItems(20);
    combo->setCurrentIndex(-1);
    return combo;
}

QLineEdit* lineEdit(const QString& name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent, const QString& hint = {})
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false); // Enter in the actor box adds the actor; it never saves
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

} // namespace

void TfrmAjout::buildLayout()
{
    buildMenu();
    buildControls();
    auto* body = new QHBoxLayout;
    body->addLayout(buildForm(), 3);
    body->addSpacing(6);
    body->addLayout(buildPictureColumn(), 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnEnregistre);
    buttons->addWidget(btnAnnule);

    auto* main = new QVBoxLayout(this);
    main->setMenuBar(MainMenu1);
    main->addWidget(lblTitre);
    main->addLayout(body, 1);
    main->addLayout(buttons);
    btnImage->hide();
}

void TfrmAjout::buildMenu()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* fiches = MainMenu1->addMenu(QStringLiteral("Fiches"));
    fiches->setObjectName(QStringLiteral("Fiches1"));
    const auto item = [fiches](const QString& name, const QString& text) {
        QAction* action = fiches->addAction(text);
        action->setObjectName(name);
        return action;
    };
    Importerfilm1 = item(QStringLiteral("Importerfilm1"), QStringLiteral("Importer .film .txt"));
    Exporterfilm1 = item(QStringLiteral("Exporterfilm1"), QStringLiteral("Exporter .film .txt"));
    fiches->addSeparator();
    Fermer1 = item(QStringLiteral("Fermer1"), QStringLiteral("Fermer"));
}

void TfrmAjout::buildControls()
{
    lblTitre = lineEdit(QStringLiteral("lblTitre"), this);
    QFont titleFont = lblTitre->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    lblTitre->setFont(titleFont);
    QPalette titlePalette = lblTitre->palette();
    titlePalette.setColor(QPalette::Text, QColor(0, 0, 255));
    lblTitre->setPalette(titlePalette);
    lblTitre->setToolTip(QStringLiteral("Titre"));

    lblReal = lineEdit(QStringLiteral("lblReal"), this);
    cmbDate = freeCombo(QStringLiteral("cmbDate"), yearList(), this);
    cmbOri = freeCombo(QStringLiteral("cmbOri"), originList(), this);
    cmbGenre = freeCombo(QStringLiteral("cmbGenre"), genreList(), this);
    cmbDistrib = freeCombo(QStringLiteral("cmbDistrib"), distributorList(), this);
    cmbSupport = new QComboBox(this);
    cmbSupport->setObjectName(QStringLiteral("cmbSupport"));
    lblDureeH = lineEdit(QStringLiteral("lblDureeH"), this);
    lblDureeM = lineEdit(QStringLiteral("lblDureeM"), this);
    // The limits apply to typing only: a loaded running time such as "95 min" still shows whole.
    lblDureeH->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral(".?")), lblDureeH));
    lblDureeM->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral(".{0,2}")), lblDureeM));
    // Hours (one digit) and minutes (two), as wide as the font needs.
    lblDureeH->setFixedWidth(std::max(28, lblDureeH->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 12));
    lblDureeM->setFixedWidth(std::max(44, lblDureeM->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12));
    lblDureeH->setAlignment(Qt::AlignCenter);
    lblNo = lineEdit(QStringLiteral("lblNo"), this);
    lblActeur = lineEdit(QStringLiteral("lblActeur"), this);
    lstActeur = new QListWidget(this);
    lstActeur->setObjectName(QStringLiteral("lstActeur"));
    MemoResume = new QPlainTextEdit(this);
    MemoResume->setObjectName(QStringLiteral("MemoResume"));
    MemoResume->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    btnAdd = button(QStringLiteral("btnAdd"), QStringLiteral("Ajouter"), this, QStringLiteral("Ajouter Acteur"));
    btnDel = button(QStringLiteral("btnDel"), QStringLiteral("Supprimer"), this, QStringLiteral("Supprimer Acteur"));
    btnEdit = button(QStringLiteral("btnEdit"), QStringLiteral("Modifier"), this);
    btnImage = button(QStringLiteral("btnImage"), QStringLiteral("Enlever l'image"), this);
    Button1 = button(QStringLiteral("Button1"), QStringLiteral("Nouveau Support"), this);
    btnEnregistre = button(QStringLiteral("btnEnregistre"), QStringLiteral("Ajouter Fiche"), this);
    btnAnnule = button(QStringLiteral("btnAnnule"), QStringLiteral("Annuler Ajout"), this);
}

QLayout* TfrmAjout::buildForm()
{
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(cmbDate, 1);
    dateRow->addSpacing(12);
    dateRow->addWidget(new QLabel(QStringLiteral("Durée :"), this));
    dateRow->addWidget(lblDureeH);
    dateRow->addWidget(new QLabel(QStringLiteral("H"), this));
    dateRow->addWidget(lblDureeM);
    auto* actorButtons = new QHBoxLayout;
    actorButtons->addWidget(btnAdd);
    actorButtons->addWidget(btnDel);
    actorButtons->addWidget(btnEdit);
    actorButtons->addStretch();

    // One row each: caption (none: no caption), the box or the row of boxes, a widget beside it
    // in the last column (none: the box takes both columns), the row's share of spare height.
    struct Row
    {
        const char* caption;
        QWidget* box;
        QLayout* boxes;
        QWidget* beside;
        int stretch;
    };
    const Row rows[] = {
        {"Réalisateur : ", lblReal, nullptr, nullptr, 0},
        {"Date : ", nullptr, dateRow, nullptr, 0},
        {"Origine :", cmbOri, nullptr, nullptr, 0},
        {"Genre : ", cmbGenre, nullptr, nullptr, 0},
        {"Distributeur : ", cmbDistrib, nullptr, nullptr, 0},
        {"Support :", cmbSupport, nullptr, Button1, 0},
        {"N° Film", lblNo, nullptr, nullptr, 0},
        {"Acteur :", lblActeur, nullptr, nullptr, 0},
        {nullptr, nullptr, actorButtons, nullptr, 0},
        {nullptr, lstActeur, nullptr, nullptr, 2},
        {"Résumé : ", MemoResume, nullptr, nullptr, 3},
    };
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(6);
    form->setVerticalSpacing(5);
    form->setColumnStretch(1, 1);
    int r = 0;
    for (const Row& row : rows) {
        if (row.caption) {
            QLabel* caption = fieldLabel(QString::fromUtf8(row.caption), this);
            if (row.stretch > 0)
                caption->setAlignment(Qt::AlignRight | Qt::AlignTop);
            form->addWidget(caption, r, 0);
        }
        const int span = row.beside ? 1 : 2;
        if (row.box)
            form->addWidget(row.box, r, 1, 1, span);
        else
            form->addLayout(row.boxes, r, 1, 1, span);
        if (row.beside)
            form->addWidget(row.beside, r, 2);
        if (row.stretch > 0)
            form->setRowStretch(r, row.stretch);
        ++r;
    }
    return form;
}

QLayout* TfrmAjout::buildPictureColumn()
{
    auto* pictureArea = new QWidget(this);
    pictureArea->setObjectName(QStringLiteral("pnlImage"));
    pictureArea->setMinimumSize(260, 360);
    pictureArea->setAutoFillBackground(true);
    QPalette areaPalette = pictureArea->palette();
    areaPalette.setColor(QPalette::Window, areaPalette.color(QPalette::Base));
    pictureArea->setPalette(areaPalette);
    imgCover = new PictureBox(pictureArea);
    imgCover->setObjectName(QStringLiteral("imgCover"));
    imgCover->setToolTip(QStringLiteral("Cliquez ici pour selectionner une image"));
    imgCover->setCursor(Qt::PointingHandCursor);
    lblImage = new QLabel(QStringLiteral("Cliquez ici pour ajouter une image"), pictureArea);
    lblImage->setObjectName(QStringLiteral("lblImage"));
    lblImage->setAlignment(Qt::AlignCenter);
    lblImage->setWordWrap(true);
    lblImage->setCursor(Qt::PointingHandCursor);
    auto* areaLayout = new QGridLayout(pictureArea);
    areaLayout->setContentsMargins(4, 4, 4, 4);
    areaLayout->addWidget(imgCover, 0, 0);
    areaLayout->addWidget(lblImage, 0, 0);
    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(pictureArea, 1);
    pictureColumn->addWidget(btnImage, 0, Qt::AlignHCenter);
    return pictureColumn;
}

bool TfrmAjout::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == imgCover || watched == lblImage) && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        imgCoverClick();
        return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        showFocus(qobject_cast<QWidget*>(watched), event->type() == QEvent::FocusIn);
    return QDialog::eventFilter(watched, event);
}

void TfrmAjout::showFocus(QWidget* control, bool focused)
{
    // The line edit of a combo box colours its combo box.
    if (auto* combo = control ? qobject_cast<QComboBox*>(control->parentWidget()) : nullptr)
        control = combo;
    if (!control)
        return;
    if (focused)
        controlEnter(control);
    else
        controlExit(control);
}

void TfrmAjout::controlEnter(QWidget* control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 0));
    control->setPalette(palette);
}

void TfrmAjout::controlExit(QWidget* control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, QApplication::palette(control).color(QPalette::Base));
    control->setPalette(palette);
}

} // namespace cinevaro::ui
