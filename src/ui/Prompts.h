// Every message box, input box, file dialog and modal run of a secondary window goes through
// this interface, so the windows can be driven by scripted answers in tests.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QWidget;

namespace cinevaro::ui {

class Prompts
{
public:
    virtual ~Prompts() = default;

    // Information box (information icon, OK).
    virtual void information(const QString& caption, const QString& text) = 0;
    // Warning box (warning icon, OK).
    virtual void warning(const QString& caption, const QString& text) = 0;
    // The application's standard error box: caption "Cinevaro"; a full stop is added to a text
    // that does not end with one (see withFullStop).
    virtual void error(const QString& text) = 0;
    // How far an error box blocks: this program's windows, or every window of the desktop
    // (the box stays on top of all of them until it is answered).
    enum class Modality { Application, System };
    // Error box (error icon, OK) with its own caption; the text is shown as given.
    virtual void errorBox(const QString& caption, const QString& text, Modality modality) = 0;
    // Yes/No question; true for Yes.
    virtual bool question(const QString& caption, const QString& text) = 0;
    // Input box; nothing when cancelled.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt, const QString& value) = 0;
    // Open dialog; empty when cancelled. `filter` uses Qt's "Label (*.ext)" syntax.
    virtual QString openFileName(const QString& caption, const QString& filter, const QString& dir) = 0;
    // What a save dialog returned: the chosen name (empty when cancelled) and the entry of the
    // filter list that was selected when it was accepted, exactly as given in `filter`
    // ("Fichier TXT (*.txt)"), with its position in the list (0 for the first).
    struct SaveChoice
    {
        QString fileName;
        QString filter;
        int filterIndex = -1;
    };
    // Save dialog. `filter` lists entries separated by ";;"; `defaultSuffix` is appended when the
    // name has none.
    virtual SaveChoice saveFile(const QString& caption, const QString& filter, const QString& defaultSuffix,
                                const QString& dir, bool confirmOverwrite) = 0;
    // The name chosen in a save dialog; empty when cancelled.
    QString saveFileName(const QString& caption, const QString& filter, const QString& defaultSuffix,
                         const QString& dir, bool confirmOverwrite)
    {
        return saveFile(caption, filter, defaultSuffix, dir, confirmOverwrite).fileName;
    }
    // Picture open dialog (JPEG pictures); empty when cancelled.
    virtual QString pictureFileName(const QString& caption, const QString& dir) = 0;
    // Folder choice; empty when cancelled.
    virtual QString folderName(const QString& caption, const QString& dir) = 0;
    // Shows a secondary window modally and returns its result code (QDialog::Accepted...).
    virtual int runModal(QDialog& dialog) = 0;

    void setParentWidget(QWidget* parent) { m_parent = parent; }

    // The text as the standard error box shows it.
    static QString withFullStop(const QString& text)
    {
        if (text.isEmpty() || text.endsWith(QLatin1Char('.')))
            return text;
        return text + QLatin1Char('.');
    }

    // The entries of a filter list ("A (*.a);;B (*.b)").
    static QStringList filterEntries(const QString& filter)
    {
        return filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    }

protected:
    QWidget* m_parent = nullptr;
};

} // namespace cinevaro::ui
