// The splash shown while the windows are created: a picture, the version text and a gauge of
// thirteen steps; it grows more opaque with each step.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace cinevaro::ui {

class TSplashForm : public QWidget
{
    Q_OBJECT

public:
    explicit TSplashForm(QWidget* parent = nullptr);
    // With its picture already drawn.
    explicit TSplashForm(const QImage& banner, QWidget* parent = nullptr);

    // The splash's picture, for any thread. It first measures the application's font, regular
    // and bold: on another thread while the main window is made, the font database is then read
    // once, there, instead of on the main thread at the window's first text. Then it draws the
    // main window's first icons ahead (drawFirstIconsAhead).
    static QImage drawPicture();
    // The banner alone, at the size the window shows it.
    static QImage drawBanner();

    // Gauge position and opacity (alpha 0..255); the gauge is repainted at once (the event loop is
    // not running yet).
    void setStep(int position, int alpha);
    int alpha() const { return m_alpha; }

    QLabel* lblVersion = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    int m_alpha = 255;
};

} // namespace cinevaro::ui
