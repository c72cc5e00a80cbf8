// A window made when first used. Until it is armed with its factory the holder is empty (false,
// equal to nullptr), as a pointer not yet set; once armed it is true and any access (->, *, get(),
// or the conversion to a pointer) makes the window with the factory, once.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>

namespace cinevaro::ui {

template <typename T> class Lazy
{
public:
    Lazy() = default;
    Lazy(const Lazy&) = delete;
    Lazy& operator=(const Lazy&) = delete;

    // The window will be `make()`'s result at its first access; nothing is made now.
    void arm(std::function<T*()> make)
    {
        m_object = nullptr;
        m_make = std::move(make);
    }
    // A window made already (or none).
    Lazy& operator=(T* object)
    {
        m_object = object;
        m_make = nullptr;
        return *this;
    }

    // Makes the window when it is armed and not made yet.
    T* get() const
    {
        if (!m_object && m_make) {
            // The factory runs once even if it reaches this holder again.
            const std::function<T*()> make = std::exchange(m_make, nullptr);
            m_object = make();
        }
        return m_object;
    }
    bool created() const { return m_object != nullptr; }

    explicit operator bool() const { return m_object != nullptr || static_cast<bool>(m_make); }
    operator T*() const { return get(); }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }

    friend bool operator==(const Lazy& lazy, std::nullptr_t) { return !lazy; }

private:
    mutable T* m_object = nullptr;
    mutable std::function<T*()> m_make;
};

} // namespace cinevaro::ui
