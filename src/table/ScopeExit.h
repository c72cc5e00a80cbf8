// Runs an action when the scope is left, however it is left (return, exception), unless dismissed:
//     ScopeExit cleanup([&] { removeTemporary(); });
//     ...
//     cleanup.dismiss(); // the temporary became the real file
#pragma once

#include <utility>

namespace cinevaro::table {

template <typename Action> class [[nodiscard]] ScopeExit
{
public:
    explicit ScopeExit(Action action) : m_action(std::move(action)) {}
    ~ScopeExit()
    {
        if (m_active)
            m_action();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

    void dismiss() { m_active = false; }

private:
    Action m_action;
    bool m_active = true;
};

} // namespace cinevaro::table
