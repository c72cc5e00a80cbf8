// "Archivage": packs the open catalogue and its collection folder into one zip archive chosen
// by the user, with a bar that follows each file.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace cinevaro::catalogue {
class CatalogueState;
}

namespace cinevaro::ui {

class Prompts;

class TfrmArchive : public QDialog
{
    Q_OBJECT

public:
    TfrmArchive(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent = nullptr);

    QLineEdit* editZip;
    QPushButton* Button2;
    QPushButton* btnArch;
    QPushButton* btnClose;
    QProgressBar* ProgressBar1;

    // Progress of the archive writing (see output::ProgressType), then pending events run.
    void ZipMaster1Progress(int progrType, const std::string& fileName, std::int64_t fileSize);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Button2Click();
    void btnArchClick();
    void btnCloseClick();
    void resetBar();
    // A new file: the bar counts its steps.
    void beginFileBar(std::int64_t fileSize);
    void stepBar();

    catalogue::CatalogueState& m_state;
    Prompts& m_prompts;
};

} // namespace cinevaro::ui
