// The about window: application name, version text, picture, and a button showing information
// about the system and the libraries the program runs on.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace cinevaro::ui {

class Prompts;

class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmAbout(Prompts& prompts, QWidget* parent = nullptr);

    // The text of the system information window.
    static QString systemInformation();

    QLabel* lblVersion = nullptr;
    QPushButton* btnSysInfo = nullptr;
    QPushButton* btnOk = nullptr;

private:
    void btnSysInfoClick();

    Prompts& m_prompts;
};

} // namespace cinevaro::ui
