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
    QString kind; // "information", "warning", "error", "question", "input", "open", "save", "picture", "folder",
                  // "modal" (errorBox records "error" with its own caption)
    QString caption;
    QString text;
    // Error boxes only: shown system-modal.
    bool systemModal = false;
};

class ScriptedPrompts : public ui::Prompts
{
public:
    using ModalScript = std::function<int(QDialog&)>;
    // A save dialog's answer with the filter entry chosen in it.
    struct SaveAnswer
    {
        QString fileName;
        QString filter;
    };
    using Answer = std::variant<bool, std::optional<QString>, QString, ModalScript, SaveAnswer>;

    // Queue answers in the order the prompts will appear. Message boxes with only OK need none.
    void answerYes() { m_answers.emplace_back(true); }
    void answerNo() { m_answers.emplace_back(false); }
    void answerInput(const QString& text) { m_answers.emplace_back(std::optional<QString>(text)); }
    void cancelInput() { m_answers.emplace_back(std::optional<QString>()); }
    // Any file dialog; empty = cancelled. A save dialog answered so returns its first filter entry.
    void answerFile(const QString& path) { m_answers.emplace_back(path); }
    // A save dialog accepted with `filter` (an entry of the dialog's filter list) selected.
    void answerSave(const QString& path, const QString& filter) { m_answers.emplace_back(SaveAnswer{path, filter}); }
    // A script ends with the window closed, as the real run does: by one of its buttons, or by
    // closeWindow (the title bar's close box), whose `code` the run then returns.
    void answerModal(ModalScript script) { m_answers.emplace_back(std::move(script)); }
    static int closeWindow(QDialog& dialog, int code);

    const std::vector<PromptRecord>& transcript() const { return m_transcript; }
    bool allAnswered() const { return m_answers.empty(); }
    // Texts of every prompt of a kind, in order.
    QStringList texts(const QString& kind) const;
    void clearTranscript() { m_transcript.clear(); }

    void information(const QString& caption, const QString& text) override;
    void warning(const QString& caption, const QString& text) override;
    void error(const QString& text) override;
    void errorBox(const QString& caption, const QString& text, Modality modality) override;
    bool question(const QString& caption, const QString& text) override;
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& value) override;
    QString openFileName(const QString& caption, const QString& filter, const QString& dir) override;
    SaveChoice saveFile(const QString& caption, const QString& filter, const QString& defaultSuffix, const QString& dir,
                        bool confirmOverwrite) override;
    QString pictureFileName(const QString& caption, const QString& dir) override;
    QString folderName(const QString& caption, const QString& dir) override;
    int runModal(QDialog& dialog) override;

private:
    template <typename T> T take(const QString& kind, T fallback);

    std::deque<Answer> m_answers;
    std::vector<PromptRecord> m_transcript;
};

} // namespace cinevaro::testing
