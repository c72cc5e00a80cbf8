// Prompts answered from a queue prepared by the test, with a transcript of everything shown.
// A prompt with no prepared answer fails the test at once instead of waiting for a click.
#pragma once

#include "ui/Prompts.h"

#include <QString>

#include <deque>
#include <functional>
#include <variant>
#include <vector>

namespace cinevaro::testing {

struct PromptRecord
{
    QString
        kind; // "information", "warning", "error", "question", "input", "open", "save", "picture", "folder", "modal"
    QString caption;
    QString text;
};

class ScriptedPrompts : public ui::Prompts
{
public:
    using ModalScript = std::function<int(QDialog&)>;
    using Answer = std::variant<bool, std::optional<QString>, QString, ModalScript>;

    // Queue answers in the order the prompts will appear. Message boxes with only OK need none.
    void answerYes() { m_answers.emplace_back(true); }
    void answerNo() { m_answers.emplace_back(false); }
    void answerInput(const QString& text) { m_answers.emplace_back(std::optional<QString>(text)); }
    void cancelInput() { m_answers.emplace_back(std::optional<QString>()); }
    void answerFile(const QString& path) { m_answers.emplace_back(path); } // empty = cancelled
    void answerModal(ModalScript script) { m_answers.emplace_back(std::move(script)); }

    const std::vector<PromptRecord>& transcript() const { return m_transcript; }
    bool allAnswered() const { return m_answers.empty(); }
    // Texts of every prompt of a kind, in order.
    QStringList texts(const QString& kind) const;
    void clearTranscript() { m_transcript.clear(); }

    void information(const QString& caption, const QString& text) override;
    void warning(const QString& caption, const QString& text) override;
    void error(const QString& text) override;
    bool question(const QString& caption, const QString& text) override;
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& value) override;
    QString openFileName(const QString& caption, const QString& filter, const QString& dir) override;
    QString saveFileName(const QString& caption, const QString& filter, const QString& defaultSuffix,
                         const QString& dir, bool confirmOverwrite) override;
    QString pictureFileName(const QString& caption, const QString& dir) override;
    QString folderName(const QString& caption, const QString& dir) override;
    int runModal(QDialog& dialog) override;

private:
    template <typename T> T take(const QString& kind, T fallback);

    std::deque<Answer> m_answers;
    std::vector<PromptRecord> m_transcript;
};

} // namespace cinevaro::testing
