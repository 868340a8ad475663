#pragma once
// Gives an environment variable a value (or removes it) while the object lives, and puts the
// previous state back afterwards, so that a test leaves the process as it found it.

#include <QByteArray>

#include <optional>

namespace testsupport {

class EnvironmentOverride {
public:
    // Sets the variable to the value; with no value, removes it.
    EnvironmentOverride(const char* name, const std::optional<QByteArray>& value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name)) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvironmentOverride() {
        if (m_wasSet)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_previous;
};

} // namespace testsupport
