// The one error type of the program: it carries the message the user sees.
#pragma once

#include <QString>
#include <stdexcept>

class QmError : public std::runtime_error
{
public:
    explicit QmError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Raised at a safe point of a long operation that the user stopped (CheckIn,
// model/Seams.h). Not an error: whoever started the operation shows nothing.
class TCancelled : public std::exception
{
public:
    const char *what() const noexcept override { return "The operation was cancelled."; }
};

// "'%s' is not a valid integer value": raised wherever a text must be an integer.
[[noreturn]] void RaiseNotInteger(const QString &text);
