#include "ui/QtPrompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace cinevaro::ui {

void QtPrompts::information(const QString& caption, const QString& text)
{
    QMessageBox::information(m_parent, caption, text);
}

void QtPrompts::warning(const QString& caption, const QString& text)
{
    QMessageBox::warning(m_parent, caption, text);
}

void QtPrompts::error(const QString& text)
{
    QMessageBox::critical(m_parent, QStringLiteral("Cinevaro"), withFullStop(text));
}

bool QtPrompts::question(const QString& caption, const QString& text)
{
    return QMessageBox::question(m_parent, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
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

QString QtPrompts::saveFileName(const QString& caption, const QString& filter, const QString& defaultSuffix,
                                const QString& dir, bool confirmOverwrite)
{
    QFileDialog dialog(m_parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
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
