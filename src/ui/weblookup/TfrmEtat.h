// The progress window shown while the web lookup fetches a page or an archive: borderless, on
// top, centred on the desktop, with a text, a bar that follows the transfer and a button that
// cancels it. Closing the window (Escape, the window manager) cancels too.
#pragma once

#include <QDialog>

#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace cinevaro::ui {

class TfrmEtat : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmEtat(QWidget* parent = nullptr);

    QLabel* lblEtat() const { return m_lblEtat; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QPushButton* btnAnnuler() const { return m_btnAnnuler; }

    // Closing by the user (the button, Escape, the window manager) asks to cancel the transfer;
    // the window stays until the fetch has stopped and its owner hides it.
    void reject() override;

    void setText(const QString& text);
    // Shows the window (not modal) over the others, the bar at 0.
    void showProgress(const QString& text);

    // Transfer events: announced length L (0 when unknown), bytes received, end (bar at L).
    void workBegin(std::int64_t length);
    void work(std::int64_t received);
    void workEnd();

signals:
    void cancelRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void centreOnDesktop();

    QLabel* m_lblEtat;
    QProgressBar* m_progressBar;
    QPushButton* m_btnAnnuler;
    std::int64_t m_length = 0;
};

} // namespace cinevaro::ui
