#include "ui/output/TfrmExportH.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <fstream>
#include <sstream>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "table/Cp1252.h"
#include "ui/Prompts.h"
#include "ui/kit/Icons.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

// A tool button showing its icon; the text is its hint.
QToolButton* toolButton(QToolBar* bar, const char* name, const QString& hint, IconId picture)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon(picture));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setText(hint);
    button->setToolTip(hint);
    bar->addWidget(button);
    return button;
}

std::string pathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The text of a control as Windows-1252; characters the code page cannot hold are dropped, as
// they cannot appear in the page.
std::string cpText(const QString& text)
{
    if (auto bytes = toCp(text))
        return *bytes;
    return table::cp(text.toStdString());
}

} // namespace

TfrmExportH::TfrmExportH(catalogue::CatalogueState& state, catalogue::Settings& settings, Prompts& prompts,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_settings(settings), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmExportH"));
    setWindowTitle(QStringLiteral("Export HTML"));
    resize(900, 600);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildToolBar());
    layout->addWidget(buildOptions());
    layout->addWidget(buildPanes(), 1);

    connect(ToolButton1, &QToolButton::clicked, this, &TfrmExportH::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TfrmExportH::ToolButton2Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TfrmExportH::ToolButton3Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TfrmExportH::ToolButton5Click);
    connect(lstExport, &QListWidget::itemChanged, this, &TfrmExportH::lstExportClickCheck);
}

QWidget* TfrmExportH::buildToolBar()
{
    struct Tool
    {
        QToolButton* TfrmExportH::*button;
        const char* name;
        QString hint;
        IconId picture;
        bool separatorBefore;
    };
    const Tool tools[] = {
        {&TfrmExportH::ToolButton1, "ToolButton1", QStringLiteral("Imprimer"), IconId::Print, false},
        {&TfrmExportH::ToolButton2, "ToolButton2", QStringLiteral("Aperçu avant impression ..."), IconId::Preview,
         false},
        {&TfrmExportH::ToolButton3, "ToolButton3", QStringLiteral("Enregistrer fichier HTML sous ..."),
         IconId::SaveFile, false},
        {&TfrmExportH::ToolButton5, "ToolButton5", QStringLiteral("Regénérer"), IconId::Refresh, true},
    };
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setIconSize(QSize(24, 24));
    for (const Tool& tool : tools) {
        if (tool.separatorBefore)
            bar->addSeparator();
        this->*tool.button = toolButton(bar, tool.name, tool.hint, tool.picture);
    }
    return bar;
}

QWidget* TfrmExportH::buildOptions()
{
    auto* options = new QWidget(this);
    lblTable = new QLineEdit(options);
    lblTable->setObjectName(QStringLiteral("lblTable"));
    lblTable->setMaximumWidth(50);
    cmbJust = new QComboBox(options);
    cmbJust->setObjectName(QStringLiteral("cmbJust"));
    cmbJust->setEditable(true);
    for (const auto& item : output::justificationItems())
        cmbJust->addItem(fromCp(item));
    chkLigne = new QCheckBox(QStringLiteral("Lignes de Séparation"), options);
    chkLigne->setObjectName(QStringLiteral("chkLigne"));
    lblBordure = new QLineEdit(options);
    lblBordure->setObjectName(QStringLiteral("lblBordure"));
    lblBordure->setMaximumWidth(40);

    // One group per option: its caption, its box, what follows the box; groups 12 pixels apart.
    struct Group
    {
        QString caption;
        QWidget* box;
        QString after;
    };
    const Group groups[] = {{QStringLiteral("Largeur de la Table :"), lblTable, QStringLiteral("%")},
                            {QStringLiteral("Justification :"), cmbJust, {}},
                            {{}, chkLigne, {}},
                            {QStringLiteral("Taille Bordure :"), lblBordure, {}}};
    auto* row = new QHBoxLayout(options);
    row->setContentsMargins(6, 2, 6, 2);
    for (const Group& group : groups) {
        if (&group != groups)
            row->addSpacing(12);
        if (!group.caption.isEmpty())
            row->addWidget(new QLabel(group.caption, options));
        row->addWidget(group.box);
        if (!group.after.isEmpty())
            row->addWidget(new QLabel(group.after, options));
    }
    row->addStretch(1);
    return options;
}

QWidget* TfrmExportH::buildPanes()
{
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* lists = new QSplitter(Qt::Vertical, splitter);
    lstExport = new QListWidget(lists);
    lstExport->setObjectName(QStringLiteral("lstExport"));
    lstH = new QListWidget(lists);
    lstH->setObjectName(QStringLiteral("lstH"));
    WebBrowser = new QTextBrowser(splitter);
    WebBrowser->setObjectName(QStringLiteral("WebBrowser"));
    splitter->addWidget(lists);
    splitter->addWidget(WebBrowser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 680});
    return splitter;
}

void TfrmExportH::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmExportH::closeEvent(QCloseEvent* event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TfrmExportH::FormShow()
{
    lblTable->setText(fromCp(m_settings.readString("HTML", "LARGEURT", "100")));
    const QString justification = fromCp(m_settings.readString("HTML", "JUSTIFICATION", "Centre"));
    // The saved value selects its item; any other text is shown with no item selected.
    const int item = cmbJust->findText(justification);
    cmbJust->setCurrentIndex(item);
    cmbJust->setEditText(justification);
    lblBordure->setText(fromCp(m_settings.readString("HTML", "BORDURE", "1")));
    chkLigne->setChecked(m_settings.readBool("HTML", "LIGNE", true));
    fillLists();
    generate();
}

void TfrmExportH::FormClose()
{
    m_settings.writeString("HTML", "LARGEURT", cpText(lblTable->text()));
    m_settings.writeString("HTML", "JUSTIFICATION", cpText(cmbJust->currentText()));
    m_settings.writeString("HTML", "BORDURE", cpText(lblBordure->text()));
    m_settings.writeBool("HTML", "LIGNE", chkLigne->isChecked());
}

void TfrmExportH::fillLists()
{
    QSignalBlocker block(lstExport);
    lstExport->clear();
    for (const auto& column : output::htmlColumns()) {
        auto* item = new QListWidgetItem(fromCp(column.item), lstExport);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    lstH->clear();
    if (!m_state.CatalogueTable)
        return;
    for (int row : output::exportRows(m_state.table())) {
        auto* item = new QListWidgetItem(fromCp(m_state.table().GetCell(catalogue::posRESERVE1, row)), lstH);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setData(Qt::UserRole, row);
    }
}

void TfrmExportH::lstExportClickCheck(QListWidgetItem* item)
{
    if (item && lstExport->row(item) == 0 && item->checkState() != Qt::Checked)
        item->setCheckState(Qt::Checked);
}

output::HtmlOptions TfrmExportH::options() const
{
    output::HtmlOptions options;
    options.width = cpText(lblTable->text());
    // The alignment comes from the selected item only.
    const int selected = cmbJust->currentIndex();
    options.justification =
        selected >= 0 && cmbJust->itemText(selected) == cmbJust->currentText() ? cpText(cmbJust->currentText()) : "";
    options.border = cpText(lblBordure->text());
    options.lines = chkLigne->isChecked();
    for (int c = 0; c < output::kHtmlColumnCount && c < lstExport->count(); ++c)
        options.columns[c] = lstExport->item(c)->checkState() == Qt::Checked;
    return options;
}

void TfrmExportH::generate()
{
    std::vector<int> rows;
    for (int i = 0; i < lstH->count(); ++i) {
        if (lstH->item(i)->checkState() == Qt::Checked)
            rows.push_back(lstH->item(i)->data(Qt::UserRole).toInt());
    }
    static const table::TMlb2 emptyTable;
    const table::TMlb2& source = m_state.CatalogueTable ? m_state.table() : emptyTable;
    auto written = output::writeHtmlPage(source, rows, options(), m_settings.tempDir(), &m_pagePath);
    if (!written) {
        m_prompts.error(fromCp(written.message));
        return;
    }
    display();
}

void TfrmExportH::display()
{
    std::ifstream in(m_pagePath, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    WebBrowser->setSearchPaths({QFile::decodeName(QByteArray::fromStdString(m_settings.tempDir()))});
    WebBrowser->setHtml(fromCp(bytes.str()));
}

void TfrmExportH::ToolButton5Click()
{
    generate();
}

void TfrmExportH::ToolButton1Click()
{
    QPrinter printer(QPrinter::HighResolution);
    if (m_printerSetup)
        m_printerSetup(printer);
    // With no printer installed Qt falls back to a PDF file with no name.
    const bool noPrinter = printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
    if (!printer.isValid() || noPrinter) {
        m_prompts.warning(QStringLiteral("Attention"), QStringLiteral("Aucune imprimante n'est disponible."));
        return;
    }
    WebBrowser->print(&printer);
}

void TfrmExportH::ToolButton2Click()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, WebBrowser, &QTextBrowser::print);
    m_prompts.runModal(dialog);
}

void TfrmExportH::ToolButton3Click()
{
    const QString chosen = m_prompts.saveFileName(QStringLiteral("Enregistrer fichier HTML sous ..."),
                                                  QStringLiteral("Fichier HTML (*.htm)"), QString(), QString(), false);
    if (chosen.isEmpty())
        return;
    const std::string target = output::htmlSaveName(pathBytes(chosen));
    auto saved = output::saveHtmlCopy(output::htmlTempPath(m_settings.tempDir()), target);
    if (!saved)
        m_prompts.error(fromCp(saved.message));
}

} // namespace cinevaro::ui
