// The manual record editor: adds a movie record or edits the selected one, attaches a cover
// picture, imports and exports film record files, and opens the supports window. Saving goes
// through editing::addRecord / editing::saveRecord; the main window refreshes its tree after.
#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

#include "editing/RecordEdit.h"
#include "editing/StoreRecord.h"

class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenuBar;
class QAction;
class QPlainTextEdit;
class QPushButton;

namespace cinevaro::catalogue {
class CatalogueState;
class Settings;
} // namespace cinevaro::catalogue

namespace cinevaro::ui {

class PictureBox;
class Prompts;
class TfrmSupport;

enum class EditorMode { Add, Edit };

class TfrmAjout : public QDialog
{
    Q_OBJECT

public:
    TfrmAjout(catalogue::CatalogueState& state, catalogue::Settings& settings, Prompts& prompts, TfrmSupport& supports,
              QWidget* parent = nullptr);

    // Prepares the window for `mode` (edit mode works on CurrentRow) and shows it modally.
    int execute(EditorMode mode);
    // The refresh run after each save (the main window's "Rafraichir").
    void setRefreshTree(std::function<void()> refresh) { m_refreshTree = std::move(refresh); }

    EditorMode mode() const { return m_mode; }
    // Edit mode works on the current row at this moment, across saves and reloads.
    void setEditorMode(EditorMode mode);
    const std::string& pickedCover() const { return m_pickedCover; }

    // Preparation run each time the window is shown.
    void FormShow();

    static QStringList genreList();
    static QStringList originList();
    static QStringList distributorList();
    static QStringList yearList();

    QLineEdit* lblTitre = nullptr;
    QLineEdit* lblReal = nullptr;
    QComboBox* cmbDate = nullptr;
    QComboBox* cmbOri = nullptr;
    QLineEdit* lblDureeH = nullptr;
    QLineEdit* lblDureeM = nullptr;
    QComboBox* cmbGenre = nullptr;
    QComboBox* cmbDistrib = nullptr;
    QComboBox* cmbSupport = nullptr;
    QLineEdit* lblNo = nullptr;
    QLineEdit* lblActeur = nullptr;
    QListWidget* lstActeur = nullptr;
    QPlainTextEdit* MemoResume = nullptr;
    PictureBox* imgCover = nullptr;
    QLabel* lblImage = nullptr;
    QPushButton* btnEnregistre = nullptr;
    QPushButton* btnAnnule = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnDel = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnImage = nullptr;
    QPushButton* Button1 = nullptr; // "Nouveau Support"
    QMenuBar* MainMenu1 = nullptr;
    QAction* Importerfilm1 = nullptr;
    QAction* Exporterfilm1 = nullptr;
    QAction* Fermer1 = nullptr;

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The supports of the catalogue in the support box, the first one chosen.
    void fillSupports();
    // Titles and buttons of each mode; edit mode also shows the record and its cover.
    void showAddMode();
    void showEditMode();
    // The edited film's stored cover, or the place to pick one when it has none.
    void showStoredCover();
    void buildLayout();
    void buildMenu();
    void buildControls();
    // The captioned boxes, the actors and the synopsis; and the cover with its button below.
    QLayout* buildForm();
    QLayout* buildPictureColumn();
    void btnEnregistreClick();
    // The boxes as saved (normalised duration and distributor), and the tree refreshed.
    void showStored(const editing::RecordValues& values, const editing::StoredRecord& stored);
    // After an addition: the boxes emptied for another film, or the editor closed.
    void offerAnotherRecord(const std::string& title);
    void btnAnnuleClick();
    void Fermer1Click();
    void FormClose();
    void lblTitreChange();
    void btnAddClick();
    void lblActeurKeyDown();
    void btnDelClick();
    void lstActeurDblClick(QListWidgetItem* item);
    void btnEditClick();
    void imgCoverClick();
    void btnImageClick();
    void Button1Click();
    // Film files (TfrmAjout_Files.cpp).
    void Importerfilm1Click();
    // The film read from the file `path` over the boxes, with the picture beside that file.
    void showImportedFilm(const editing::FilmRecord& film, const std::string& path);
    // The imported film's picture (none when empty) shown and kept as the cover to store.
    void showImportedPicture(const std::string& picture);
    void Exporterfilm1Click();
    // Writes the film file `path` of that kind from the boxes' values (the duration as written
    // shown again), then the cover beside it.
    void exportRecord(editing::RecordValues& values, const std::string& path, editing::FilmFileKind kind);
    // The cover shown, as a JPEG picture beside an exported film file (none, or one already there,
    // is left alone).
    void writeCoverBeside(const std::string& picture);
    // A control (or a combo box's line edit) gained or lost the focus: its colour follows.
    void showFocus(QWidget* control, bool focused);
    // Focus colour of the editable controls (yellow while focused).
    void controlEnter(QWidget* control);
    void controlExit(QWidget* control);

    // The boxes as Windows-1252 values; nothing (after a message) when a box holds a character
    // the code page cannot hold.
    std::optional<editing::RecordValues> readBoxes();
    // Fills the boxes (support and mode untouched).
    void showValues(const editing::RecordValues& values);
    void clearEntries();
    void clearPicture();
    // Decodes and shows a picture; false (after a message) when it cannot be decoded.
    bool showPicture(const std::string& path);
    // Shows the picture at `path` as the one to save with the record, with its "Enlever l'image"
    // button; false (reported, nothing changed) when it cannot be decoded.
    bool pickCover(const std::string& path);
    void setUpperText(QLineEdit* edit, const QString& text);

    catalogue::CatalogueState& m_state;
    catalogue::Settings& m_settings;
    Prompts& m_prompts;
    TfrmSupport& m_supports;
    std::function<void()> m_refreshTree;
    EditorMode m_mode = EditorMode::Add;
    std::string m_pickedCover;
    int m_editRow = 0; // the row edited, followed across saves
    int m_editedActorIndex = -1;
    // The running time the duration boxes were filled from, and whether the user typed in them.
    std::string m_loadedDuration;
    bool m_durationEdited = false;
};

} // namespace cinevaro::ui
