#pragma once
// The exception hierarchy of the class-library layer. Every failure the library
// reports to a caller is an Exception (or a descendant) carrying a readable message.
#include <QString>
#include <exception>
#include <string>

namespace nvqb {

class Exception : public std::exception {
public:
    explicit Exception(QString message);
    ~Exception() override;

    const QString &Message() const { return FMessage; }
    void SetMessage(const QString &message);
    const char *what() const noexcept override { return FWhat.c_str(); }

    // Every class of the hierarchy names itself, as class-library code expects.
    virtual const char *ClassName() const { return "Exception"; }

private:
    QString FMessage;
    std::string FWhat;
};

#define NVQB_DECLARE_EXCEPTION(Name, Base)                                    \
    class Name : public Base {                                                \
    public:                                                                   \
        using Base::Base;                                                     \
        const char *ClassName() const override { return #Name; }              \
    }

// An index outside a list: "List index out of bounds (%d)".
NVQB_DECLARE_EXCEPTION(EListError, Exception);
// A value that cannot be converted, a bad Format, an impossible Assign.
NVQB_DECLARE_EXCEPTION(EConvertError, Exception);
// A broken internal invariant; never a user error.
NVQB_DECLARE_EXCEPTION(EAssertionFailed, Exception);
// A class that cannot be found or created by name.
NVQB_DECLARE_EXCEPTION(EClassNotFound, Exception);
// Reading or writing a stream or file failed.
NVQB_DECLARE_EXCEPTION(EStreamError, Exception);

// Raises EListError for the given index with the class library's text.
[[noreturn]] void ListIndexError(qsizetype index);

} // namespace nvqb
