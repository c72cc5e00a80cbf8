// The record view (body of ADVGen): the title, the six fields with their filter radio buttons,
// running time and film number, the actors, the synopsis and the cover. It shows one film of a
// catalogue table; filtering on its values is left to its owner.
#pragma once

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QButtonGroup;
class QFileInfo;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;

namespace cinevaro::table {
class TMlb2;
}

namespace cinevaro::ui {

class PictureBox;

class RecordView : public QWidget
{
    Q_OBJECT

public:
    explicit RecordView(QWidget* parent = nullptr);
    ~RecordView() override;

    // Shows the film of `row` (its title, fields, synopsis and actors; not the cover). An actor
    // named `checkedActor` is shown checked (empty: none).
    void setRecord(const table::TMlb2& table, int row, const std::string& checkedActor);
    // The actors list from a cell of names separated by ';' (empty or starting with ';': none).
    void setActors(const std::string& actors, const std::string& checkedActor);
    // The cover from a JPEG file, or `missing` in its place when there is none or it cannot be
    // read. A file shown last time with the same size and date is not decoded again.
    void setCover(const std::string& nativePath, const QString& missing);
    // Empties every box, the title, the lists and the cover.
    void clear();
    // Checks or unchecks a radio button of the view even when it is the checked one of its group.
    void setFilterChecked(QRadioButton* button, bool checked);

    // A collapsed view places only its title.
    void setCollapsed(bool collapsed) { m_collapsed = collapsed; }
    // Places every control for the current size, measured from the font.
    void arrange();
    // Smallest size that holds the fields' column, a narrow cover, a one-line title, the fields
    // and two lines each of actors and synopsis.
    QSize minimumBodySize() const;

    QLabel* lblTitre = nullptr;
    QLineEdit* lblReal = nullptr;
    QLineEdit* lblOri = nullptr;
    QLineEdit* lblDate = nullptr;
    QLineEdit* lblDuree = nullptr;
    QLineEdit* lblNo = nullptr;
    QLineEdit* lblGenre = nullptr;
    QLineEdit* lblDistrib = nullptr;
    QLineEdit* lblSupport = nullptr;
    QListWidget* lstActeur = nullptr;
    QPlainTextEdit* MemoResume = nullptr;
    QLabel* lblSynopsis = nullptr;
    QLabel* lblActeurs = nullptr;
    PictureBox* imgCover = nullptr;
    QLabel* lblimage = nullptr;
    // Filter radio buttons: one exclusive group.
    QButtonGroup* filterGroup = nullptr;
    QRadioButton* filtreNul = nullptr;
    QRadioButton* filtreReal = nullptr;
    QRadioButton* filtreOri = nullptr;
    QRadioButton* filtreDate = nullptr;
    QRadioButton* filtreGenre = nullptr;
    QRadioButton* filtreDistrib = nullptr;
    QRadioButton* filtreSupport = nullptr;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildTitle();
    void buildFields();
    void buildLists();
    // Columns of the view at the current font.
    struct Columns
    {
        int rowHeight = 0;
        int radioWidth = 0;
        int labelLeft = 0;
        int captionWidth = 0;
        int boxLeft = 0;
        int columnWidth = 0;
        int dateWidth = 0;
        int dureeWidth = 0;
    };
    Columns columns() const;
    // Height of the title zone for a width: one line, or two for a title that wraps.
    int titleZoneHeight(int width) const;
    void arrangeFields(const Columns& c, int top);
    void arrangeLists(const Columns& c, int top, int rowTop);

    // Each filter radio button with the caption of its field, in row order, and the two
    // captions inside the date row.
    struct Row
    {
        QRadioButton* radio;
        QLabel* caption;
    };
    std::vector<Row> m_rows;
    QLabel* m_dureeCaption = nullptr;
    QLabel* m_noCaption = nullptr;
    bool m_collapsed = false;

    // The cover last decoded.
    struct CoverCache;
    std::unique_ptr<CoverCache> m_cover;
    // The cover of `path` decoded at the picture's size, or the reason it cannot be; decoded
    // again only when the file or the size changed.
    const CoverCache& decodedCover(const std::string& nativePath, const QString& path, const QFileInfo& info);
    // No picture: `text` in its place.
    void showCoverText(const QString& text);
};

} // namespace cinevaro::ui
