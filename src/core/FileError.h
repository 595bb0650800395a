#pragma once

#include <QString>
#include <stdexcept>

// A file that could not be read or written. Carries the system's message so the
// general error handler can show it as it is.
class FileError final : public std::runtime_error {
public:
    explicit FileError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};
