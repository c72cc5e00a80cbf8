// "Configuration": the user-level settings (root caption, closing of the web search window,
// office-style menus, hot tracking, four colours of the main window, proxy). The settings file
// is the only store: showing the window reloads it, "OK" and "Appliquer" write it and apply it.
#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace cinevaro::catalogue {
class Settings;
}

namespace cinevaro::ui {

class ColourBox;

class TfrmConf : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmConf(catalogue::Settings& settings, QWidget* parent = nullptr);

    // Run after "OK" and "Appliquer" have written the settings: the main window applies its
    // appearance and rebuilds the tree when a catalogue is open.
    void setOnApplied(std::function<void()> applied) { m_onApplied = std::move(applied); }

    void LoadConfiguration();
    void SaveConfiguration();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The four tabs and the button row; each sets the control pointers it creates.
    QWidget* buildGeneralTab();
    QWidget* buildInterfaceTab();
    QWidget* buildColoursTab();
    QWidget* buildConnectionTab();
    QLayout* buildButtons();
    void FormShow();
    void btnOkClick();
    void btnAppClick();
    void btnCancelClick();
    void chkXPClick();
    void chkProxyClick();
    void tabConfChange(int index);
    void applyOwnSkin(bool active);
    // The four colour boxes with their key under COULEUR and its default, in the order saved.
    struct ColourSetting
    {
        ColourBox* box;
        const char* key;
        int fallback;
    };
    std::array<ColourSetting, 4> colourSettings() const;

    catalogue::Settings& m_settings;
    std::function<void()> m_onApplied;

    QTabWidget* tabConf = nullptr;
    QLineEdit* editNom = nullptr;
    QCheckBox* chkClose = nullptr;
    QCheckBox* chkXP = nullptr;
    QCheckBox* chkXPdeg = nullptr;
    QCheckBox* chkHot = nullptr;
    ColourBox* colorTree = nullptr;
    ColourBox* colorTitre = nullptr;
    ColourBox* colorTextTitre = nullptr;
    ColourBox* colorZone = nullptr;
    QCheckBox* chkProxy = nullptr;
    QLineEdit* editPort = nullptr;
    QLineEdit* editAdresse = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnApp = nullptr;
    QPushButton* btnCancel = nullptr;
};

} // namespace cinevaro::ui
