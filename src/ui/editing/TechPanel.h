// The technical panel's controls (body of ADVSupp): four format boxes, the rates, size and frame
// rate, the three languages, the number of discs, and "Extraire du fichier", "Enregistrer",
// "Annuler". It shows and reads the twelve values; saving them is left to its owner.
#pragma once

#include <QWidget>

#include <array>
#include <optional>
#include <string>

#include "editing/TechInfo.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace cinevaro::editing {
struct AviInfo;
struct MediaInfo;
} // namespace cinevaro::editing

namespace cinevaro::ui {

class TechPanel : public QWidget
{
    Q_OBJECT

public:
    using Texts = std::array<QString, editing::kTechFieldCount>;

    explicit TechPanel(QWidget* parent = nullptr);
    // A panel whose boxes are made at their first use: ensureBuilt(), or any reading or showing of
    // values. Values set or cleared before are shown then. Its boxes are null until then.
    static TechPanel* deferred(QWidget* parent = nullptr);
    // Makes the boxes when they are not made yet.
    void ensureBuilt() const;
    bool isBuilt() const { return cmbVideo != nullptr; }

    // The twelve boxes' texts, in the order of editing::TechValues.
    Texts currentTexts() const;
    // The same as catalogue bytes; nothing (message set) when a box holds a character the
    // catalogue cannot store.
    std::optional<editing::TechValues> currentValues(QString* message) const;
    // Fills the boxes (long values show their beginning); emits no edited().
    void setValues(const editing::TechValues& values);
    void clear();
    // The values a video file gave; a value it does not give leaves its box as it is.
    void showAviInfo(const editing::AviInfo& info);
    void showMediaInfo(const editing::MediaInfo& info);

    QComboBox* cmbVideo = nullptr;
    QComboBox* cmbAudio = nullptr;
    QComboBox* cmbResol = nullptr;
    QComboBox* cmbZone = nullptr;
    QLineEdit* spnVideo = nullptr;
    QLineEdit* spnAudio = nullptr;
    QLineEdit* spnSize = nullptr;
    QComboBox* cmbFrame = nullptr;
    QComboBox* cmbLanguep = nullptr;
    QComboBox* cmbLangues = nullptr;
    QComboBox* cmbSoustitre = nullptr;
    QComboBox* cmbDisk = nullptr;
    QPushButton* Button3 = nullptr;           // "Extraire du fichier"
    QPushButton* btnEnregistreInfo = nullptr; // "Enregistrer"
    QPushButton* Button2 = nullptr;           // "Annuler"

signals:
    // The user changed a box.
    void edited();
    void extractRequested();
    void saveRequested();
    void cancelRequested();

private:
    struct Deferred
    {
    };
    TechPanel(Deferred, QWidget* parent);
    void build();
    void buildBoxes();
    void buildGrid();
    // The twelve boxes in the order of editing::TechValues, and each one's text.
    std::array<QWidget*, editing::kTechFieldCount> boxes() const;
    static QString textOf(const QWidget* box);
    static void setTextOf(QWidget* box, const QString& text);

    bool m_filling = false;
    // What setValues() or clear() (nothing) last asked of boxes not made yet.
    std::optional<editing::TechValues> m_pending;
};

} // namespace cinevaro::ui
