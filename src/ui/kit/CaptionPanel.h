// A panel with a 20-pixel caption bar that can collapse the panel to its caption and, when
// closable, hide it. Its body holds the panel's controls. A resizable panel has a grip along its
// bottom edge for changing its height.
#pragma once

#include <QFrame>

#include <functional>

class QLabel;
class QToolButton;

namespace cinevaro::ui {

class CaptionPanel : public QFrame
{
    Q_OBJECT

public:
    // Height of the caption bar at a small font; larger fonts get a higher bar.
    static constexpr int kCaptionHeight = 20;
    int captionHeight() const { return m_captionHeight; }

    explicit CaptionPanel(const QString& caption, QWidget* parent = nullptr);

    QWidget* body() const { return m_body; }
    QString caption() const;

    bool isCollapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed);
    // Height of the panel when it is not collapsed, caption included (the panel is never made
    // lower than its body's layout needs).
    int expandedHeight() const { return m_expandedHeight; }
    void setExpandedHeight(int height);

    // `make` fills the body the first time the panel is expanded (at once when it is expanded
    // now), before the body shows: a collapsed panel's controls cost nothing at start.
    void setBodyMaker(std::function<void()> make);

    void setClosable(bool closable);
    void setResizable(bool resizable);

signals:
    void collapsedChanged(bool collapsed);
    // The close button of the caption was clicked (the panel is already hidden).
    void closed();
    // The panel's height changed (collapse, expand or drag of the grip).
    void heightChanged(int height);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyHeight();
    // Height the body's layout needs, caption included.
    int bodyNeeds() const;
    // The grip is pressed (`starts`) or dragged to the screen height `globalY`.
    void dragGrip(int globalY, bool starts);

    QWidget* m_captionBar = nullptr;
    QLabel* m_captionLabel = nullptr;
    QToolButton* m_collapseButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    QWidget* m_body = nullptr;
    QWidget* m_grip = nullptr;
    bool m_collapsed = false;
    bool m_resizable = false;
    int m_captionHeight = kCaptionHeight;
    int m_expandedHeight = 100;
    int m_dragStartY = 0;
    int m_dragStartHeight = 0;
    std::function<void()> m_makeBody;
};

} // namespace cinevaro::ui
