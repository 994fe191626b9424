#pragma once
// The installer's exceptions. Every failure the installer reports is an
// ESetupError (or a descendant) with a message that names what was wrong; the
// install run logs it as "Error: " + message and goes on with the next IDE.
#include <QString>
#include <exception>
#include <string>

namespace nvqb {

class ESetupError : public std::exception {
public:
    explicit ESetupError(QString message);
    ~ESetupError() override;

    const QString &Message() const { return FMessage; }
    const char *what() const noexcept override { return FWhat.c_str(); }

private:
    QString FMessage;
    std::string FWhat;
};

// A failed call of the operating system, with the system's text for the error.
class EOSError : public ESetupError {
public:
    EOSError(const QString &action, int errorCode);
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

// Reading or writing the machine's registry failed.
class ERegistryException : public ESetupError {
public:
    using ESetupError::ESetupError;
};

// Raises EOSError for errno, naming the action that failed.
[[noreturn]] void RaiseLastOSError(const QString &action);
// The system's text for an error code ("No space left on device"), and for
// errno.
QString OSErrorText(int errorCode);
QString LastOSErrorText();

} // namespace nvqb
