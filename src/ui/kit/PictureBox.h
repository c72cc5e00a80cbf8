// A picture shown scaled proportionally and centred in the widget's area (never enlarged past
// twice its size); empty shows nothing.
#pragma once

#include <QImage>
#include <QWidget>

namespace cinevaro::ui {

class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    void clear() { setImage({}); }
    const QImage& image() const { return m_image; }
    bool isEmpty() const { return m_image.isNull(); }
    // The rectangle the picture is drawn in.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

} // namespace cinevaro::ui
