#pragma once

#include <QLineEdit>

namespace cinevaro::ui {

// A line edit that, when it does not have the focus and its text is wider than the box, shows the
// beginning of the text ended by "…" and gives the whole text as its tool tip. With the focus, it
// shows and edits the text as any line edit does.
class ElidedLineEdit final : public QLineEdit
{
public:
    explicit ElidedLineEdit(QWidget* parent = nullptr);

    // The text as the box shows it now: whole, or cut and ended by "…".
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect textRect() const;
};

} // namespace cinevaro::ui
