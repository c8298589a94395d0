// Puts a C library locale in force for one scope and restores the previous one at its end,
// also when the test returns early or is skipped.
#pragma once

#include <clocale>
#include <string>

class ScopedLocale {
public:
    explicit ScopedLocale(const char* name)
    {
        const char* previous = std::setlocale(LC_ALL, nullptr);
        m_saved = previous ? previous : "C";
        m_active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, m_saved.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    // False when the locale is not installed; the previous one then stays in force.
    bool Active() const { return m_active; }

private:
    std::string m_saved;
    bool m_active = false;
};
