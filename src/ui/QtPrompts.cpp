#include "ui/QtPrompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace cinevaro::ui {

namespace {

// Message texts often carry a title or a name from the catalogue: never read as markup.
void plainMessage(QMessageBox::Icon icon, QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void QtPrompts::information(const QString& caption, const QString& text)
{
    plainMessage(QMessageBox::Information, m_parent, caption, text);
}

void QtPrompts::warning(const QString& caption, const QString& text)
{
    plainMessage(QMessageBox::Warning, m_parent, caption, text);
}

void QtPrompts::error(const QString& text)
{
    plainMessage(QMessageBox::Critical, m_parent, QStringLiteral("Cinevaro"), withFullStop(text));
}

void QtPrompts::errorBox(const QString& caption, const QString& text, Modality modality)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    // Qt has no modality across programs: a system-modal box is kept above every window instead.
    if (modality == Modality::System)
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}

bool QtPrompts::question(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setTextFormat(Qt::PlainText);
    // The answers read the same whatever translation is installed.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompts::input(const QString& caption, const QString& prompt, const QString& value)
{
    bool ok = false;
    QString text = QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtPrompts::openFileName(const QString& caption, const QString& filter, const QString& dir)
{
    return QFileDialog::getOpenFileName(m_parent, caption, dir, filter);
}

Prompts::SaveChoice QtPrompts::saveFile(const QString& caption, const QString& filter, const QString& defaultSuffix,
                                        const QString& dir, bool confirmOverwrite)
{
    QFileDialog dialog(m_parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    SaveChoice choice;
    choice.fileName = dialog.selectedFiles().constFirst();
    choice.filter = dialog.selectedNameFilter();
    choice.filterIndex = static_cast<int>(filterEntries(filter).indexOf(choice.filter));
    return choice;
}

QString QtPrompts::pictureFileName(const QString& caption, const QString& dir)
{
    return QFileDialog::getOpenFileName(m_parent, caption, dir,
                                        QStringLiteral("Images JPEG (*.jpg *.jpeg *.JPG *.JPEG)"));
}

QString QtPrompts::folderName(const QString& caption, const QString& dir)
{
    return QFileDialog::getExistingDirectory(m_parent, caption, dir);
}

int QtPrompts::runModal(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace cinevaro::ui
