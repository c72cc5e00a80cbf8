#include "support/ScriptedPrompts.h"

#include <QDialog>
#include <QStringList>

#include <gtest/gtest.h>

namespace cinevaro::testing {

template <typename T> T ScriptedPrompts::take(const QString& kind, T fallback)
{
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected prompt without a prepared answer: " << kind.toStdString() << ": "
                      << m_transcript.back().text.toStdString();
        return fallback;
    }
    Answer a = m_answers.front();
    m_answers.pop_front();
    if (auto* v = std::get_if<T>(&a))
        return *v;
    ADD_FAILURE() << "prepared answer has the wrong kind for prompt " << kind.toStdString() << ": "
                  << m_transcript.back().text.toStdString();
    return fallback;
}

QStringList ScriptedPrompts::texts(const QString& kind) const
{
    QStringList out;
    for (const auto& r : m_transcript)
        if (r.kind == kind)
            out << r.text;
    return out;
}

void ScriptedPrompts::information(const QString& caption, const QString& text)
{
    m_transcript.push_back({QStringLiteral("information"), caption, text});
}

void ScriptedPrompts::warning(const QString& caption, const QString& text)
{
    m_transcript.push_back({QStringLiteral("warning"), caption, text});
}

void ScriptedPrompts::error(const QString& text)
{
    m_transcript.push_back({QStringLiteral("error"), QStringLiteral("Cinevaro"), withFullStop(text)});
}

void ScriptedPrompts::errorBox(const QString& caption, const QString& text, Modality modality)
{
    m_transcript.push_back({QStringLiteral("error"), caption, text, modality == Modality::System});
}

bool ScriptedPrompts::question(const QString& caption, const QString& text)
{
    m_transcript.push_back({QStringLiteral("question"), caption, text});
    return take<bool>(QStringLiteral("question"), false);
}

std::optional<QString> ScriptedPrompts::input(const QString& caption, const QString& prompt, const QString&)
{
    m_transcript.push_back({QStringLiteral("input"), caption, prompt});
    return take<std::optional<QString>>(QStringLiteral("input"), std::nullopt);
}

QString ScriptedPrompts::openFileName(const QString& caption, const QString& filter, const QString&)
{
    m_transcript.push_back({QStringLiteral("open"), caption, filter});
    return take<QString>(QStringLiteral("open"), QString());
}

ui::Prompts::SaveChoice ScriptedPrompts::saveFile(const QString& caption, const QString& filter, const QString&,
                                                  const QString&, bool)
{
    m_transcript.push_back({QStringLiteral("save"), caption, filter});
    const QStringList entries = filterEntries(filter);
    SaveChoice choice;
    if (!m_answers.empty()) {
        if (auto* answer = std::get_if<SaveAnswer>(&m_answers.front())) {
            choice.fileName = answer->fileName;
            choice.filter = answer->filter;
            m_answers.pop_front();
            choice.filterIndex = static_cast<int>(entries.indexOf(choice.filter));
            if (!choice.fileName.isEmpty() && choice.filterIndex < 0)
                ADD_FAILURE() << "prepared filter is not in the save dialog's list: " << choice.filter.toStdString();
            return choice;
        }
    }
    choice.fileName = take<QString>(QStringLiteral("save"), QString());
    if (!choice.fileName.isEmpty() && !entries.isEmpty()) {
        choice.filter = entries.constFirst();
        choice.filterIndex = 0;
    }
    return choice;
}

QString ScriptedPrompts::pictureFileName(const QString& caption, const QString&)
{
    m_transcript.push_back({QStringLiteral("picture"), caption, QString()});
    return take<QString>(QStringLiteral("picture"), QString());
}

QString ScriptedPrompts::folderName(const QString& caption, const QString&)
{
    m_transcript.push_back({QStringLiteral("folder"), caption, QString()});
    return take<QString>(QStringLiteral("folder"), QString());
}

int ScriptedPrompts::closeWindow(QDialog& dialog, int code)
{
    dialog.close();
    return code;
}

int ScriptedPrompts::runModal(QDialog& dialog)
{
    m_transcript.push_back({QStringLiteral("modal"), dialog.windowTitle(), dialog.objectName()});
    auto script = take<ModalScript>(QStringLiteral("modal"), ModalScript());
    if (!script)
        return QDialog::Rejected;
    // As the real run does, the window is shown, and the run ends only when it has closed itself
    // (a button that should close it and does not leaves the user stuck in front of it).
    dialog.show();
    const int code = script(dialog);
    if (dialog.isVisible()) {
        ADD_FAILURE() << "the window \"" << dialog.windowTitle().toStdString()
                      << "\" is still open at the end of its script";
        dialog.hide();
    }
    return code;
}

} // namespace cinevaro::testing
