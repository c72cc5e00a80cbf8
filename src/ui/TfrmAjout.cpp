#include "ui/TfrmAjout.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFont>
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
#include <filesystem>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "catalogue/Jpeg.h"
#include "catalogue/Settings.h"
#include "editing/FilmFile.h"
#include "editing/JpegWriter.h"
#include "ui/Prompts.h"
#include "ui/TfrmSupport.h"
#include "ui/kit/OfficeStyle.h"
#include "ui/kit/PictureBox.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

const QString kFilmFilter =
    QStringLiteral("Fichier Moviecovers (*.film);;Fichier TXT (*.txt);;Tous les fichiers (*.*)");

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString displayPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// A memo holds LF line breaks; records hold CR LF.
QString memoText(const std::string& resume)
{
    QString text = fromCp(resume);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

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

TfrmAjout::TfrmAjout(catalogue::CatalogueState& state, catalogue::Settings& settings, Prompts& prompts,
                     TfrmSupport& supports, QWidget* parent)
    : QDialog(parent), m_state(state), m_settings(settings), m_prompts(prompts), m_supports(supports)
{
    setObjectName(QStringLiteral("frmAjout"));
    setWindowTitle(QStringLiteral("Ajout Manuel de Fiche"));
    setSizeGripEnabled(true);
    buildLayout();
    resize(629, 518);

    connect(btnEnregistre, &QPushButton::clicked, this, &TfrmAjout::btnEnregistreClick);
    connect(btnAnnule, &QPushButton::clicked, this, &TfrmAjout::btnAnnuleClick);
    connect(Fermer1, &QAction::triggered, this, &TfrmAjout::Fermer1Click);
    connect(Importerfilm1, &QAction::triggered, this, &TfrmAjout::Importerfilm1Click);
    connect(Exporterfilm1, &QAction::triggered, this, &TfrmAjout::Exporterfilm1Click);
    connect(lblTitre, &QLineEdit::textChanged, this, &TfrmAjout::lblTitreChange);
    connect(lblTitre, &QLineEdit::textEdited, this, [this](const QString& text) { setUpperText(lblTitre, text); });
    connect(cmbDistrib->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { setUpperText(cmbDistrib->lineEdit(), text); });
    connect(lblDureeH, &QLineEdit::textEdited, this, [this] { m_durationEdited = true; });
    connect(lblDureeM, &QLineEdit::textEdited, this, [this] { m_durationEdited = true; });
    connect(btnAdd, &QPushButton::clicked, this, &TfrmAjout::btnAddClick);
    connect(lblActeur, &QLineEdit::returnPressed, this, &TfrmAjout::lblActeurKeyDown);
    connect(btnDel, &QPushButton::clicked, this, &TfrmAjout::btnDelClick);
    connect(lstActeur, &QListWidget::itemDoubleClicked, this, &TfrmAjout::lstActeurDblClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmAjout::btnEditClick);
    connect(btnImage, &QPushButton::clicked, this, &TfrmAjout::btnImageClick);
    connect(Button1, &QPushButton::clicked, this, &TfrmAjout::Button1Click);

    imgCover->installEventFilter(this);
    lblImage->installEventFilter(this);
    for (QWidget* w : std::initializer_list<QWidget*>{lblTitre, lblReal, cmbDate, cmbOri, lblDureeH, lblDureeM,
                                                      cmbGenre, cmbDistrib, cmbSupport, lblNo, lblActeur, MemoResume})
        w->installEventFilter(this);
    for (QComboBox* combo : {cmbDate, cmbOri, cmbGenre, cmbDistrib})
        combo->lineEdit()->installEventFilter(this);
}

void TfrmAjout::buildLayout()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* fiches = MainMenu1->addMenu(QStringLiteral("Fiches"));
    fiches->setObjectName(QStringLiteral("Fiches1"));
    Importerfilm1 = fiches->addAction(QStringLiteral("Importer .film .txt"));
    Importerfilm1->setObjectName(QStringLiteral("Importerfilm1"));
    Exporterfilm1 = fiches->addAction(QStringLiteral("Exporter .film .txt"));
    Exporterfilm1->setObjectName(QStringLiteral("Exporterfilm1"));
    fiches->addSeparator();
    Fermer1 = fiches->addAction(QStringLiteral("Fermer"));
    Fermer1->setObjectName(QStringLiteral("Fermer1"));

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

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(6);
    form->setVerticalSpacing(5);
    form->setColumnStretch(1, 1);
    int r = 0;
    form->addWidget(fieldLabel(QStringLiteral("Réalisateur : "), this), r, 0);
    form->addWidget(lblReal, r++, 1, 1, 2);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(cmbDate, 1);
    dateRow->addSpacing(12);
    dateRow->addWidget(new QLabel(QStringLiteral("Durée :"), this));
    dateRow->addWidget(lblDureeH);
    dateRow->addWidget(new QLabel(QStringLiteral("H"), this));
    dateRow->addWidget(lblDureeM);
    form->addWidget(fieldLabel(QStringLiteral("Date : "), this), r, 0);
    form->addLayout(dateRow, r++, 1, 1, 2);
    form->addWidget(fieldLabel(QStringLiteral("Origine :"), this), r, 0);
    form->addWidget(cmbOri, r++, 1, 1, 2);
    form->addWidget(fieldLabel(QStringLiteral("Genre : "), this), r, 0);
    form->addWidget(cmbGenre, r++, 1, 1, 2);
    form->addWidget(fieldLabel(QStringLiteral("Distributeur : "), this), r, 0);
    form->addWidget(cmbDistrib, r++, 1, 1, 2);
    form->addWidget(fieldLabel(QStringLiteral("Support :"), this), r, 0);
    form->addWidget(cmbSupport, r, 1);
    form->addWidget(Button1, r++, 2);
    form->addWidget(fieldLabel(QStringLiteral("N° Film"), this), r, 0);
    form->addWidget(lblNo, r++, 1);
    form->addWidget(fieldLabel(QStringLiteral("Acteur :"), this), r, 0);
    form->addWidget(lblActeur, r++, 1, 1, 2);
    auto* actorButtons = new QHBoxLayout;
    actorButtons->addWidget(btnAdd);
    actorButtons->addWidget(btnDel);
    actorButtons->addWidget(btnEdit);
    actorButtons->addStretch();
    form->addLayout(actorButtons, r++, 1, 1, 2);
    form->addWidget(lstActeur, r, 1, 1, 2);
    form->setRowStretch(r++, 2);
    auto* resumeLabel = fieldLabel(QStringLiteral("Résumé : "), this);
    resumeLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    form->addWidget(resumeLabel, r, 0);
    form->addWidget(MemoResume, r, 1, 1, 2);
    form->setRowStretch(r++, 3);

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

    auto* body = new QHBoxLayout;
    body->addLayout(form, 3);
    body->addSpacing(6);
    body->addLayout(pictureColumn, 2);

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

void TfrmAjout::setEditorMode(EditorMode mode)
{
    m_mode = mode;
    if (mode == EditorMode::Edit)
        m_editRow = m_state.CurrentRow;
}

int TfrmAjout::execute(EditorMode mode)
{
    setEditorMode(mode);
    FormShow();
    const int result = m_prompts.runModal(*this);
    FormClose();
    return result;
}

void TfrmAjout::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TfrmAjout::FormClose()
{
    m_pickedCover.clear();
}

void TfrmAjout::FormShow()
{
    applyOfficeStyle(this, m_settings.readBool("INTERFACE", "XPMENU", true), false);
    if (m_settings.readString("GENERAL", "FICHIERBASE", "").empty())
        return;
    btnEnregistre->setEnabled(false);
    lblImage->show();
    catalogue::ParseSupportList(m_state);
    cmbSupport->clear();
    for (const std::string& name : m_state.supportNames())
        cmbSupport->addItem(fromCp(name));
    cmbSupport->setCurrentIndex(0);
    lblActeur->clear();
    if (m_mode == EditorMode::Add) {
        btnEnregistre->setText(QStringLiteral("Ajouter Fiche"));
        btnAnnule->setText(QStringLiteral("Annuler Ajout"));
        setWindowTitle(QStringLiteral("Ajout Manuel de Fiche"));
        clearEntries();
        lblTitreChange();
        return;
    }
    btnEnregistre->setText(QStringLiteral("Enregistrer Fiche"));
    btnAnnule->setText(QStringLiteral("Annuler Edition"));
    setWindowTitle(QStringLiteral("Editeur de fiche"));
    const editing::RecordValues values = editing::loadRecord(m_state, m_editRow);
    showValues(values);
    const int support = cmbSupport->findText(fromCp(values.support), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (support >= 0)
        cmbSupport->setCurrentIndex(support);
    clearPicture();
    m_pickedCover.clear();
    const std::string titre = m_state.table().GetCell(catalogue::posTITRE, m_editRow);
    const std::string cover = catalogue::coverPath(m_state, titre);
    std::error_code ec;
    if (std::filesystem::is_regular_file(cover, ec) && showPicture(cover)) {
        lblImage->hide();
        btnImage->hide();
    } else {
        imgCover->hide();
    }
    // The box may already hold this title (no change signal then): the button follows it anyway.
    lblTitreChange();
}

void TfrmAjout::lblTitreChange()
{
    btnEnregistre->setEnabled(!lblTitre->text().isEmpty());
}

void TfrmAjout::setUpperText(QLineEdit* edit, const QString& text)
{
    auto bytes = toCp(text);
    if (!bytes)
        return; // refused with a message when the record is saved
    const QString upper = fromCp(editing::upperCp1252(*bytes));
    if (upper == edit->text())
        return;
    const int cursor = edit->cursorPosition();
    edit->setText(upper);
    edit->setCursorPosition(cursor);
}

std::optional<editing::RecordValues> TfrmAjout::readBoxes()
{
    editing::RecordValues v;
    QString message;
    const auto take = [&](const QString& text, std::string& into) {
        if (!message.isEmpty())
            return;
        if (auto bytes = toCp(text, &message))
            into = std::move(*bytes);
    };
    take(lblTitre->text(), v.title);
    take(lblReal->text(), v.real);
    take(cmbDate->currentText(), v.date);
    take(cmbOri->currentText(), v.origine);
    take(cmbGenre->currentText(), v.genre);
    take(lblDureeH->text(), v.hours);
    take(lblDureeM->text(), v.minutes);
    QString resume = MemoResume->toPlainText();
    resume.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    take(resume, v.resume);
    take(cmbDistrib->currentText(), v.distrib);
    take(cmbSupport->currentText(), v.support);
    take(lblNo->text(), v.number);
    for (int i = 0; i < lstActeur->count(); ++i)
        take(lstActeur->item(i)->text(), v.actors.emplace_back());
    if (!message.isEmpty()) {
        m_prompts.error(message);
        return std::nullopt;
    }
    v.loadedDuration = m_loadedDuration;
    v.durationEdited = m_durationEdited;
    return v;
}

void TfrmAjout::showValues(const editing::RecordValues& v)
{
    setUpperText(lblTitre, fromCp(v.title));
    lblReal->setText(fromCp(v.real));
    cmbDate->setEditText(fromCp(v.date));
    cmbOri->setEditText(fromCp(v.origine));
    cmbGenre->setEditText(fromCp(v.genre));
    lblDureeH->setText(fromCp(v.hours));
    lblDureeM->setText(fromCp(v.minutes));
    m_loadedDuration = v.loadedDuration;
    m_durationEdited = v.durationEdited;
    lstActeur->clear();
    for (const std::string& actor : v.actors)
        lstActeur->addItem(fromCp(actor));
    MemoResume->setPlainText(memoText(v.resume));
    setUpperText(cmbDistrib->lineEdit(), fromCp(v.distrib));
    lblNo->setText(fromCp(v.number));
}

void TfrmAjout::clearEntries()
{
    for (QLineEdit* edit : {lblTitre, lblReal, lblDureeH, lblDureeM, lblActeur, lblNo})
        edit->clear();
    for (QComboBox* combo : {cmbDate, cmbOri, cmbGenre, cmbDistrib}) {
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
    }
    lstActeur->clear();
    MemoResume->clear();
    m_loadedDuration.clear();
    m_durationEdited = false;
    m_editedActorIndex = -1;
    clearPicture();
    m_pickedCover.clear();
}

void TfrmAjout::clearPicture()
{
    imgCover->clear();
    imgCover->show();
    btnImage->hide();
    lblImage->show();
}

bool TfrmAjout::showPicture(const std::string& path)
{
    catalogue::RgbImage decoded;
    if (auto outcome = catalogue::decodeJpegFile(path, decoded); !outcome) {
        m_prompts.error(QStringLiteral("L'image ") + displayPath(path) + QStringLiteral(" ne peut pas être lue : ") +
                        fromCp(outcome.message));
        return false;
    }
    QImage image(decoded.pixels.data(), decoded.width, decoded.height, decoded.width * 3, QImage::Format_RGB888);
    imgCover->setImage(image.copy());
    imgCover->show();
    imgCover->update();
    return true;
}

void TfrmAjout::btnEnregistreClick()
{
    auto values = readBoxes();
    if (!values)
        return;
    const catalogue::Outcome outcome = m_mode == EditorMode::Add
                                           ? editing::addRecord(m_state, *values, m_pickedCover)
                                           : editing::saveRecord(m_state, m_editRow, *values, m_pickedCover);
    if (!outcome.saved()) {
        m_prompts.error(fromCp(outcome.message));
        return;
    }
    if (m_mode == EditorMode::Edit)
        m_editRow = m_state.CurrentRow;
    m_pickedCover.clear();
    lblDureeH->setText(fromCp(values->hours));
    lblDureeM->setText(fromCp(values->minutes));
    m_loadedDuration = m_state.table().GetCell(catalogue::posDUREE, m_state.CurrentRow);
    m_durationEdited = false;
    setUpperText(cmbDistrib->lineEdit(), fromCp(values->distrib));
    if (m_refreshTree)
        m_refreshTree();
    if (!outcome)
        m_prompts.warning(fromCp(outcome.caption), fromCp(outcome.message));
    if (m_mode == EditorMode::Edit)
        return;
    // Qt shows a lone CR as a space: the LF after it keeps the question on its own line.
    const bool another =
        m_prompts.question(QStringLiteral("Confirmation"),
                           QStringLiteral("La fiche ") + fromCp(values->title) +
                               QStringLiteral(" a été enregistrée\r\nVoulez vous entrer une nouvelle fiche ?"));
    clearEntries();
    if (!another)
        done(QDialog::Accepted);
}

void TfrmAjout::btnAnnuleClick()
{
    reject();
}

void TfrmAjout::Fermer1Click()
{
    reject();
}

void TfrmAjout::btnAddClick()
{
    if (!lblActeur->text().isEmpty())
        lstActeur->addItem(lblActeur->text());
    lblActeur->clear();
}

void TfrmAjout::lblActeurKeyDown()
{
    btnAddClick();
}

void TfrmAjout::btnDelClick()
{
    QListWidgetItem* item = lstActeur->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = lstActeur->row(item);
    delete item;
    // Keep "Modifier" on the entry it was given, or on none once that entry is gone.
    if (row == m_editedActorIndex)
        m_editedActorIndex = -1;
    else if (row < m_editedActorIndex)
        --m_editedActorIndex;
}

void TfrmAjout::lstActeurDblClick(QListWidgetItem* item)
{
    if (!item)
        return;
    lblActeur->setText(item->text());
    m_editedActorIndex = lstActeur->row(item);
}

void TfrmAjout::btnEditClick()
{
    if (!lblActeur->text().isEmpty() && m_editedActorIndex >= 0 && m_editedActorIndex < lstActeur->count())
        lstActeur->item(m_editedActorIndex)->setText(lblActeur->text());
    lblActeur->clear();
}

void TfrmAjout::imgCoverClick()
{
    const QString chosen = m_prompts.pictureFileName(QStringLiteral("Choisir une image"), fromCp(m_state.CatalogueDir));
    if (chosen.isEmpty())
        return;
    const std::string path = nativePath(chosen);
    catalogue::commitNames(m_state, m_state.CatalogueFileName);
    if (!showPicture(path))
        return;
    m_pickedCover = path;
    btnImage->show();
    lblImage->hide();
}

void TfrmAjout::btnImageClick()
{
    m_pickedCover.clear();
    imgCover->clear();
    btnImage->hide();
    lblImage->show();
}

void TfrmAjout::Button1Click()
{
    m_supports.execute();
    FormShow();
}

void TfrmAjout::Importerfilm1Click()
{
    const QString chosen = m_prompts.openFileName(QStringLiteral("Importer une fiche"), kFilmFilter, QString());
    if (chosen.isEmpty())
        return;
    const std::string path = nativePath(chosen);
    auto film = editing::readFilmFile(path);
    if (!film) {
        m_prompts.error(fromCp(film.message()));
        return;
    }
    auto values = readBoxes();
    if (!values)
        return;
    editing::applyFilmRecord(*values, *film);
    showValues(*values);
    const std::string picture = editing::companionPicture(path);
    std::error_code ec;
    if (picture.empty() || !std::filesystem::is_regular_file(picture, ec) || !showPicture(picture))
        return;
    m_pickedCover = picture;
    lblImage->hide();
    btnImage->show();
}

void TfrmAjout::Exporterfilm1Click()
{
    // No default suffix: the extension follows the filter chosen in the dialog (below).
    const Prompts::SaveChoice choice =
        m_prompts.saveFile(QStringLiteral("Exporter une fiche"), kFilmFilter, QString(), QString(), true);
    const QString chosen = choice.fileName;
    if (chosen.isEmpty())
        return;
    auto values = readBoxes();
    if (!values)
        return;
    const editing::FilmRecord film = editing::toFilmRecord(*values);
    lblDureeH->setText(fromCp(values->hours));
    lblDureeM->setText(fromCp(values->minutes));
    const std::string path = nativePath(chosen);
    editing::FilmFileKind kind = editing::filmFileKindOf(path); // when the dialog names no filter
    if (choice.filterIndex == 0)
        kind = editing::FilmFileKind::Film;
    else if (choice.filterIndex == 1)
        kind = editing::FilmFileKind::Txt;
    else if (choice.filterIndex == 2)
        kind = editing::FilmFileKind::Any;
    const editing::FilmFileNames names = editing::filmFileNamesFor(path, kind);
    if (auto written = editing::writeFilmFile(names.film, film); !written) {
        m_prompts.error(fromCp(written.message));
        return;
    }
    std::error_code ec;
    if (names.picture.empty() || imgCover->isEmpty() || std::filesystem::exists(names.picture, ec))
        return;
    const QImage rgb = imgCover->image().convertToFormat(QImage::Format_RGB888);
    if (auto written = editing::writeJpegFile(names.picture, rgb.width(), rgb.height(), rgb.constBits(),
                                              static_cast<int>(rgb.bytesPerLine()));
        !written)
        m_prompts.error(fromCp(written.message));
}

bool TfrmAjout::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == imgCover || watched == lblImage) && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        imgCoverClick();
        return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // The line edit of a combo box colours its combo box.
        if (auto* combo = widget ? qobject_cast<QComboBox*>(widget->parentWidget()) : nullptr)
            widget = combo;
        if (widget) {
            if (event->type() == QEvent::FocusIn)
                controlEnter(widget);
            else
                controlExit(widget);
        }
    }
    return QDialog::eventFilter(watched, event);
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
