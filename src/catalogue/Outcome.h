// Result of a core operation: success, or the French message (Windows-1252) and its caption
// that the window shows and the command-line tool prints.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace cinevaro::catalogue {

enum class Severity {
    Success, // everything was done
    Warning, // the change was made and saved, a later step failed: the message says which
    Failure, // nothing was changed
};

struct [[nodiscard]] Outcome
{
    bool ok = true; // Success; a Warning and a Failure are both not ok
    std::string message;
    std::string caption;
    bool changeSaved = false; // with ok false: a Warning rather than a Failure

    static Outcome success() { return {}; }
    static Outcome failure(std::string message, std::string caption = "Attention")
    {
        return {false, std::move(message), std::move(caption), false};
    }
    // Saved with a warning: the main change reached the file, a later step did not happen.
    static Outcome warning(std::string message, std::string caption = "Attention")
    {
        return {false, std::move(message), std::move(caption), true};
    }
    Severity severity() const
    {
        if (ok)
            return Severity::Success;
        return changeSaved ? Severity::Warning : Severity::Failure;
    }
    // Whether the change reached the file (Success or Warning).
    bool saved() const { return ok || changeSaved; }
    explicit operator bool() const { return ok; }
};

// A value, or the Outcome of the failure that left none.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    // `failure` must not be ok.
    Result(Outcome failure) : m_outcome(std::move(failure)) { assert(!m_outcome.ok); }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }

    // Success, or the failure with its message.
    const Outcome& outcome() const { return m_outcome; }
    const std::string& message() const { return m_outcome.message; }

private:
    std::optional<T> m_value;
    Outcome m_outcome;
};

} // namespace cinevaro::catalogue
