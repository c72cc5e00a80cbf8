#include "ui/output/TfrmArchive.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "catalogue/CatalogueState.h"
#include "output/Archive.h"
#include "output/TZipMaster.h"
#include "ui/Prompts.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

TfrmArchive::TfrmArchive(catalogue::CatalogueState& state, Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_state(state), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmArchive"));
    setWindowTitle(QStringLiteral("Archivage"));
    auto* label = new QLabel(QStringLiteral("Nom de l'archive :"), this);
    label->setObjectName(QStringLiteral("Label1"));
    editZip = new QLineEdit(this);
    editZip->setObjectName(QStringLiteral("editZip"));
    label->setBuddy(editZip);
    Button2 = new QPushButton(QStringLiteral("..."), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFixedWidth(32);
    btnArch = new QPushButton(QStringLiteral("Archiver"), this);
    btnArch->setObjectName(QStringLiteral("btnArch"));
    btnClose = new QPushButton(QStringLiteral("Fermer"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 3);
    grid->addWidget(editZip, 1, 0, 1, 2);
    grid->addWidget(Button2, 1, 2);
    grid->addWidget(btnArch, 2, 0);
    grid->addWidget(btnClose, 2, 1, 1, 2);
    grid->addWidget(ProgressBar1, 3, 0, 1, 3);
    resize(360, 140);

    connect(Button2, &QPushButton::clicked, this, &TfrmArchive::Button2Click);
    connect(btnArch, &QPushButton::clicked, this, &TfrmArchive::btnArchClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmArchive::btnCloseClick);
}

void TfrmArchive::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmArchive::FormShow()
{
    btnArch->setEnabled(false);
}

void TfrmArchive::Button2Click()
{
    QString dir = QFileInfo(editZip->text()).absolutePath();
    if (editZip->text().isEmpty())
        dir = QFile::decodeName(QByteArray::fromStdString(m_state.CatalogueDir));
    QString chosen = m_prompts.saveFileName(QStringLiteral("Archivage"), QStringLiteral("Fichier Zip (*.zip)"),
                                            QString(), dir, false);
    if (!chosen.isEmpty()) {
        if (!chosen.endsWith(QStringLiteral(".zip"))) // ".ZIP" gets ".zip" too
            chosen += QStringLiteral(".zip");
        editZip->setText(chosen);
    }
    btnArch->setEnabled(!editZip->text().isEmpty());
}

void TfrmArchive::btnArchClick()
{
    btnArch->setEnabled(false);
    btnClose->setEnabled(false);
    const std::string zipPath = QFile::encodeName(editZip->text()).toStdString();
    const auto outcome = output::archiveCatalogue(
        m_state.CatalogueFileName, zipPath,
        [this](int type, const std::string& name, std::int64_t size) { ZipMaster1Progress(type, name, size); });
    if (outcome)
        m_prompts.information(QStringLiteral("Archivage"), QStringLiteral("Archivage Terminé"));
    else
        m_prompts.error(fromCp(outcome.message));
    btnArch->setEnabled(true);
    btnClose->setEnabled(true);
}

void TfrmArchive::btnCloseClick()
{
    close();
}

void TfrmArchive::resetBar()
{
    ProgressBar1->setRange(1, 10);
    ProgressBar1->setValue(1);
}

void TfrmArchive::beginFileBar(std::int64_t fileSize)
{
    resetBar();
    ProgressBar1->setMaximum(output::progressBarSteps(fileSize));
    // A file under one step shows as one step done.
    if (fileSize < static_cast<std::int64_t>(output::TZipMaster::kProgressStepBytes))
        stepBar();
}

void TfrmArchive::stepBar()
{
    if (ProgressBar1->value() < ProgressBar1->maximum())
        ProgressBar1->setValue(ProgressBar1->value() + 1);
}

// One file begins: the bar counts its 32768-byte steps; a smaller file fills it at once.
void TfrmArchive::ZipMaster1Progress(int progrType, const std::string&, std::int64_t fileSize)
{
    if (progrType == output::ProgressFileBegins)
        beginFileBar(fileSize);
    else if (progrType == output::ProgressStep)
        stepBar();
    else if (progrType == output::ProgressBatchEnds)
        resetBar();
    QCoreApplication::processEvents();
}

} // namespace cinevaro::ui
