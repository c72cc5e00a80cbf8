#include "ui/editing/TfrmAjout.h"

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
#include "editing/StoreRecord.h"
#include "ui/Prompts.h"
#include "ui/editing/TfrmSupport.h"
#include "ui/kit/OfficeStyle.h"
#include "ui/kit/PictureBox.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

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
    // Nothing to prepare without an open catalogue. The open catalogue is asked, not the last one
    // of the settings: a settings file that cannot be written never names it, and the film
    // chosen must be shown all the same.
    if (!m_state.IsOpen)
        return;
    btnEnregistre->setEnabled(false);
    lblImage->show();
    fillSupports();
    lblActeur->clear();
    if (m_mode == EditorMode::Add)
        showAddMode();
    else
        showEditMode();
    // The box may already hold this title (no change signal then): the button follows it anyway.
    lblTitreChange();
}

void TfrmAjout::fillSupports()
{
    catalogue::ParseSupportList(m_state);
    cmbSupport->clear();
    for (const std::string& name : m_state.supportNames())
        cmbSupport->addItem(fromCp(name));
    cmbSupport->setCurrentIndex(0);
}

void TfrmAjout::showAddMode()
{
    btnEnregistre->setText(QStringLiteral("Ajouter Fiche"));
    btnAnnule->setText(QStringLiteral("Annuler Ajout"));
    setWindowTitle(QStringLiteral("Ajout Manuel de Fiche"));
    clearEntries();
}

void TfrmAjout::showEditMode()
{
    btnEnregistre->setText(QStringLiteral("Enregistrer Fiche"));
    btnAnnule->setText(QStringLiteral("Annuler Edition"));
    setWindowTitle(QStringLiteral("Editeur de fiche"));
    const editing::RecordValues values = editing::loadRecord(m_state, m_editRow);
    showValues(values);
    const int support = cmbSupport->findText(fromCp(values.support), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (support >= 0)
        cmbSupport->setCurrentIndex(support);
    showStoredCover();
}

void TfrmAjout::showStoredCover()
{
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
    return true;
}

void TfrmAjout::btnEnregistreClick()
{
    auto values = readBoxes();
    if (!values)
        return;
    const auto editRow = m_mode == EditorMode::Edit ? std::optional<int>(m_editRow) : std::nullopt;
    const editing::StoredRecord stored = editing::storeRecord(m_state, editRow, *values, m_pickedCover);
    if (!stored.saved) {
        m_prompts.error(fromCp(stored.outcome.message));
        return;
    }
    showStored(*values, stored);
    if (!stored.outcome)
        m_prompts.warning(fromCp(stored.outcome.caption), fromCp(stored.outcome.message));
    if (m_mode == EditorMode::Add)
        offerAnotherRecord(values->title);
}

void TfrmAjout::offerAnotherRecord(const std::string& title)
{
    const bool another =
        m_prompts.question(QStringLiteral("Confirmation"), fromCp(editing::anotherRecordQuestion(title)));
    clearEntries();
    if (!another)
        done(QDialog::Accepted);
}

void TfrmAjout::showStored(const editing::RecordValues& values, const editing::StoredRecord& stored)
{
    if (m_mode == EditorMode::Edit)
        m_editRow = stored.row;
    m_pickedCover.clear();
    lblDureeH->setText(fromCp(values.hours));
    lblDureeM->setText(fromCp(values.minutes));
    m_loadedDuration = stored.duration;
    m_durationEdited = false;
    setUpperText(cmbDistrib->lineEdit(), fromCp(values.distrib));
    if (m_refreshTree)
        m_refreshTree();
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
    pickCover(path);
}

bool TfrmAjout::pickCover(const std::string& path)
{
    if (!showPicture(path))
        return false;
    m_pickedCover = path;
    btnImage->show();
    lblImage->hide();
    return true;
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

} // namespace cinevaro::ui
