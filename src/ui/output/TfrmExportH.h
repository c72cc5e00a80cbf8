// "Export HTML": the catalogue as one HTML page with the chosen films and columns, previewed at
// once, printed, previewed for printing or saved as a .htm file. Not modal. The options come
// from the settings file when the window is shown and go back to it when it is closed.
#pragma once

#include <QWidget>

#include <functional>
#include <string>

#include "output/HtmlExport.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPrinter;
class QTextBrowser;
class QToolButton;

namespace cinevaro::catalogue {
class CatalogueState;
class Settings;
} // namespace cinevaro::catalogue

namespace cinevaro::ui {

class Prompts;

class TfrmExportH : public QWidget
{
    Q_OBJECT

public:
    TfrmExportH(catalogue::CatalogueState& state, catalogue::Settings& settings, Prompts& prompts,
                QWidget* parent = nullptr);

    // Called on the printer before "Imprimer" prints (the default printer otherwise); tests send
    // the page to a file this way.
    void setPrinterSetup(std::function<void(QPrinter&)> setup) { m_printerSetup = std::move(setup); }
    // The options as the controls hold them.
    output::HtmlOptions options() const;
    // Path of the generated page, empty before the first generation.
    const std::string& pagePath() const { return m_pagePath; }

    // Handlers (public so the main window and tests can drive the window as a user would).
    void FormShow();
    void FormClose();
    void ToolButton5Click();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Print, preview, save and regenerate buttons.
    QWidget* buildToolBar();
    // Table width, justification, separation lines and border size.
    QWidget* buildOptions();
    // The column and heading lists beside the page.
    QWidget* buildPanes();
    void lstExportClickCheck(QListWidgetItem* item);
    void fillLists();
    void generate();
    void display();

    catalogue::CatalogueState& m_state;
    catalogue::Settings& m_settings;
    Prompts& m_prompts;
    std::function<void(QPrinter&)> m_printerSetup;
    std::string m_pagePath;

    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton5 = nullptr;
    QLineEdit* lblTable = nullptr;
    QComboBox* cmbJust = nullptr;
    QCheckBox* chkLigne = nullptr;
    QLineEdit* lblBordure = nullptr;
    QListWidget* lstExport = nullptr;
    QListWidget* lstH = nullptr;
    QTextBrowser* WebBrowser = nullptr;
};

} // namespace cinevaro::ui
