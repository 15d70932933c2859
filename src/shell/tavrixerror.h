#pragma once

#include <QString>

#include <exception>
#include <stdexcept>

// The one error type of the program. Handlers throw it and do not catch it;
// the application's event loop shows it (see Application).
class TavrixError : public std::runtime_error
{
public:
    explicit TavrixError(const QString &message);

    QString message() const { return m_message; }

private:
    QString m_message;
};

// A failure the operator has been told about already (a settings file that
// could not be read, named at start): it goes to standard error, never to a box.
class KnownError final : public TavrixError
{
public:
    using TavrixError::TavrixError;
};

// Throws a TavrixError carrying `message`, with the exception being handled
// (if any) as its inner error.
[[noreturn]] void throwWithInner(const QString &message);

// The text shown to the operator: the message of `error`, then the message of
// each inner error, each on a new line after CR LF.
QString errorText(const std::exception &error);
