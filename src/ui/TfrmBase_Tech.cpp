// The technical panel: edits of the twelve boxes, "Enregistrer", "Annuler", the offer to save
// when the selection leaves a changed film, and "Extraire du fichier" from a video file (AVI
// headers read as they always were, every other container through MediaInfo).
#include "ui/TfrmBase.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "catalogue/CatalogueState.h"
#include "catalogue/FilmTree.h"
#include "editing/AviInfo.h"
#include "editing/MediaInfo.h"
#include "editing/TechInfo.h"
#include "ui/Prompts.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

// The boxes' texts in the order of editing::TechValues; nothing (message set) when one holds a
// character the catalogue cannot store.
std::optional<editing::TechValues> boxValues(const std::array<QString, editing::kTechFieldCount>& texts,
                                             QString* message)
{
    editing::TechValues values;
    for (int i = 0; i < editing::kTechFieldCount; ++i) {
        auto bytes = toCp(texts[i], message);
        if (!bytes)
            return std::nullopt;
        values[i] = std::move(*bytes);
    }
    return values;
}

// The twelve boxes' texts, in the order of editing::TechValues.
std::array<QString, editing::kTechFieldCount> boxTexts(const TfrmBase& w)
{
    return {w.cmbVideo->currentText(),
            w.cmbAudio->currentText(),
            w.cmbResol->currentText(),
            w.cmbZone->currentText(),
            w.spnVideo->text(),
            w.spnAudio->text(),
            w.spnSize->text(),
            w.cmbFrame->currentText(),
            w.cmbLanguep->currentText(),
            w.cmbLangues->currentText(),
            w.cmbSoustitre->currentText(),
            w.cmbDisk->currentText()};
}

} // namespace

void TfrmBase::setupTech()
{
    for (QComboBox* combo :
         {cmbVideo, cmbAudio, cmbResol, cmbZone, cmbFrame, cmbLanguep, cmbLangues, cmbSoustitre, cmbDisk})
        connect(combo, &QComboBox::currentTextChanged, this, &TfrmBase::cmbVideoChange);
    for (QLineEdit* edit : {spnVideo, spnAudio, spnSize})
        connect(edit, &QLineEdit::textChanged, this, &TfrmBase::cmbVideoChange);
    connect(Button3, &QPushButton::clicked, this, &TfrmBase::Button3Click);
    connect(btnEnregistreInfo, &QPushButton::clicked, this, &TfrmBase::btnEnregistreInfoClick);
    connect(Button2, &QPushButton::clicked, this, &TfrmBase::Button2Click);
}

void TfrmBase::cmbVideoChange()
{
    m_state.TechModified = true;
}

void TfrmBase::Button2Click()
{
    m_state.TechModified = false;
}

bool TfrmBase::saveTechBoxes(int row)
{
    const auto texts = boxTexts(*this);
    QString message;
    const auto values = boxValues(texts, &message);
    if (!values) {
        m_prompts.error(message);
        return false;
    }
    if (const auto saved = editing::saveTechValues(m_state, row, *values); !saved) {
        m_prompts.error(fromCp(saved.message));
        return false;
    }
    return true;
}

void TfrmBase::btnEnregistreInfoClick()
{
    m_state.TechModified = false;
    if (!requireOpenCatalogue())
        return;
    if (m_state.table().RowCount() == 0 || !TreeFilm->currentItem() || FindFilmRow() == 0)
        return;
    if (saveTechBoxes(m_state.CurrentRow))
        ShowRecord();
    else
        m_state.TechModified = true; // the edits are still unsaved
}

void TfrmBase::TreeFilmChanging(QTreeWidgetItem* /*current*/, QTreeWidgetItem* previous)
{
    if (!m_state.TechModified || !m_state.IsOpen || !previous || previous->childCount() > 0 ||
        m_state.table().RowCount() == 0)
        return;
    // The film being left is the one the boxes were filled from.
    const int row = filmRow(previous);
    if (row == 0)
        return;
    const auto texts = boxTexts(*this);
    QString message;
    const auto values = boxValues(texts, &message);
    if (values && !editing::techDiffers(m_state.table(), row, *values))
        return;
    m_state.TechModified = false;
    if (m_prompts.question(QStringLiteral("Confirmation"),
                           QStringLiteral("La fiche a été modifié\nVoulez vous l'enregistrer ?")))
        saveTechBoxes(row);
}

void TfrmBase::Button3Click()
{
    const QString file = m_prompts.openFileName(
        QStringLiteral("Ouvrir"),
        QStringLiteral("Fichiers vidéo (*.mkv *.mp4 *.m4v *.mov *.avi *.m2ts *.mts *.ts *.webm *.ogm *.ogv *.mpg "
                       "*.mpeg *.vob *.wmv *.asf *.flv *.divx);;Fichier AVI (*.avi);;Tous les fichiers (*)"),
        QString());
    if (file.isEmpty())
        return;
    const std::string path = QFile::encodeName(file).toStdString();
    if (editing::isAviFileName(path)) {
        const editing::AviInfo info = editing::readAviFile(path);
        if (info.size)
            spnSize->setText(fromCp(*info.size));
        if (info.frequence)
            cmbFrame->setCurrentText(fromCp(*info.frequence));
        if (info.resolution)
            cmbResol->setCurrentText(fromCp(*info.resolution));
        if (info.formatVideo)
            cmbVideo->setCurrentText(fromCp(*info.formatVideo));
        if (!info.ok)
            m_prompts.error(fromCp(info.error));
        return;
    }
    const editing::MediaInfo info = editing::readMediaFile(path);
    if (!info.ok) {
        m_prompts.error(fromCp(info.error));
        return;
    }
    // A value the file does not give leaves its box as it is. A filled box shows the start of
    // its text.
    auto fill = [](QComboBox* box, const std::optional<std::string>& value) {
        if (!value)
            return;
        box->setCurrentText(fromCp(*value));
        if (box->lineEdit())
            box->lineEdit()->setCursorPosition(0);
    };
    auto fillEdit = [](QLineEdit* box, const std::optional<std::string>& value) {
        if (value)
            box->setText(fromCp(*value));
    };
    fill(cmbVideo, info.formatVideo);
    fill(cmbAudio, info.formatAudio);
    fill(cmbResol, info.resolution);
    fillEdit(spnVideo, info.bitVideo);
    fillEdit(spnAudio, info.bitAudio);
    fillEdit(spnSize, info.size);
    fill(cmbFrame, info.frequence);
    fill(cmbLanguep, info.langueP);
    fill(cmbLangues, info.langueS);
    fill(cmbSoustitre, info.sousTitre);
}

} // namespace cinevaro::ui
