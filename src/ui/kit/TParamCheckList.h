// A check list whose items are lines of simple markup: an anchor <A href="...">text</A> is a
// parameter, drawn in the parameter colour and clickable; <FONT bgcolor="#RRGGBB">, <b> and <i>
// style the text; everything else is plain text. A click on a parameter asks the owner for values
// (paramPopup) and offers them as a popup menu; choosing one reports it (paramSelect) and then
// writes it into the anchor. Toggling a check box reports checkClick; hovering a parameter asks
// paramHint for its hint.
#pragma once

#include <QColor>
#include <QListWidget>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QHelpEvent;

namespace cinevaro::ui {

class TParamCheckList : public QListWidget
{
    Q_OBJECT

public:
    explicit TParamCheckList(QWidget* parent = nullptr);

    // One run of an item's text once the markup is read.
    struct Run
    {
        QString text;
        QString href; // parameter runs only
        bool anchor = false;
        bool bold = false;
        bool italic = false;
        QColor background; // invalid when none
    };
    static std::vector<Run> parseMarkup(const QString& markup);

    int itemCount() const { return count(); }
    void addMarkupItem(const QString& markup, bool checked = false);
    QString itemMarkup(int index) const;
    void setItemMarkup(int index, const QString& markup);
    bool isChecked(int index) const;
    void setChecked(int index, bool checked);
    // Text of the first anchor with this href in item `index`; nothing when there is none.
    std::optional<QString> paramText(int index, const QString& href) const;
    // Replaces the text of every anchor with this href in item `index`.
    void setParamText(int index, const QString& href, const QString& value);

    QColor paramColor() const { return m_paramColor; }
    void setParamColor(const QColor& color);
    int itemHeight() const { return m_itemHeight; }
    void setItemHeight(int height);

    // What a click on a parameter does: makes the item current, asks paramPopup and, when allowed,
    // shows the values as a menu under the parameter. Returns the value chosen, if any.
    std::optional<QString> clickParam(int index, const QString& href);
    // What choosing a menu value does: paramSelect with the current item, then the anchor's text.
    void chooseParamValue(int index, const QString& href, const QString& value);
    // What a click on a check box does: toggles it and reports checkClick.
    void toggleCheck(int index);

    // Where things are drawn, in viewport coordinates (for hit tests and tests).
    QRect checkBoxRect(int index) const;
    QRect paramRect(int index, const QString& href) const;
    // The href of the parameter under a viewport point; empty when none.
    QString paramAt(int index, const QPoint& pos) const;

signals:
    void paramPopup(int index, const QString& href, QStringList& values, bool& show);
    void paramSelect(int index, const QString& value, const QString& href);
    void checkClick(int index);
    void paramHint(int index, const QString& href, QString& hint, bool& show);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // Shows the values as a popup menu at a global position; returns the chosen one.
    virtual std::optional<QString> execMenu(const QStringList& values, const QPoint& globalPos);

private:
    class Delegate;
    friend class Delegate;

    struct PlacedRun
    {
        Run run;
        QRect rect;
        QFont font;
    };
    std::vector<PlacedRun> layoutItem(int index) const;
    // The hint of the parameter under the mouse, asked of paramHint; none off a parameter.
    void showParamHint(const QHelpEvent& help);
    QRect itemRect(int index) const;

    QColor m_paramColor = Qt::blue;
    int m_itemHeight = 18;
};

} // namespace cinevaro::ui
