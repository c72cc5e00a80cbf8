// The technical panel's handlers: edits of the twelve boxes, "Enregistrer", "Annuler", the offer
// to save when the selection leaves a changed film, and "Extraire du fichier" from a video file
// (AVI headers read as they always were, every other container through MediaInfo).
#include "ui/TfrmBase.h"

#include <QFile>
#include <QTreeWidget>

#include "catalogue/CatalogueState.h"
#include "editing/AviInfo.h"
#include "editing/MediaInfo.h"
#include "editing/TechInfo.h"
#include "ui/Prompts.h"
#include "ui/editing/TechPanel.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

void TfrmBase::setupTech()
{
    connect(m_techPanel, &TechPanel::edited, this, &TfrmBase::cmbVideoChange);
    connect(m_techPanel, &TechPanel::extractRequested, this, &TfrmBase::Button3Click);
    connect(m_techPanel, &TechPanel::saveRequested, this, &TfrmBase::btnEnregistreInfoClick);
    connect(m_techPanel, &TechPanel::cancelRequested, this, &TfrmBase::Button2Click);
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
    QString message;
    const auto values = m_techPanel->currentValues(&message);
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
    const int row = TreeFilm->filmRow(previous);
    if (row == 0 || !techBoxesDiffer(row))
        return;
    m_state.TechModified = false;
    if (m_prompts.question(QStringLiteral("Confirmation"),
                           QStringLiteral("La fiche a été modifié\nVoulez vous l'enregistrer ?")))
        saveTechBoxes(row);
}

bool TfrmBase::techBoxesDiffer(int row) const
{
    // Boxes that cannot be read are taken as changed: the question lets the save report them.
    QString message;
    const auto values = m_techPanel->currentValues(&message);
    return !values || editing::techDiffers(m_state.table(), row, *values);
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
    extractTechInfo(QFile::encodeName(file).toStdString());
}

void TfrmBase::extractTechInfo(const std::string& path)
{
    if (editing::isAviFileName(path)) {
        const editing::AviInfo info = editing::readAviFile(path);
        m_techPanel->showAviInfo(info);
        if (!info.ok)
            m_prompts.error(fromCp(info.error));
        return;
    }
    const editing::MediaInfo info = editing::readMediaFile(path);
    if (info.ok)
        m_techPanel->showMediaInfo(info);
    else
        m_prompts.error(fromCp(info.error));
}

} // namespace cinevaro::ui
