// TfrmBase: "Archiver" opens the archive window.
#include "ui/TfrmBase.h"

#include <QAction>

#include "ui/Prompts.h"
#include "ui/output/TfrmArchive.h"

namespace cinevaro::ui {

void TfrmBase::setupArchive()
{
    connect(Archiver1, &QAction::triggered, this, &TfrmBase::Archiver1Click);
    Archiver1->setEnabled(true);
}

void TfrmBase::Archiver1Click()
{
    if (frmArchive)
        m_prompts.runModal(*frmArchive);
}

} // namespace cinevaro::ui
