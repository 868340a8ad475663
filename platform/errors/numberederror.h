#pragma once
// The one kind of error every layer raises: a number, a description and a source, as the
// system's callers expect them. The system's own errors use number 1; platform errors keep
// their classic numbers. Plain C++, so that data access and the export engine raise the same
// errors as the automation layer without knowing it.

#include "platform_export.h"

#include <QByteArray>
#include <QString>
#include <exception>

namespace errors {

enum ErrorNumber : int {
    SystemError = 1,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    CannotCreateObject = 429,
    MemberNotFound = 438,
    ArgumentNotOptional = 449,
    CancelSelected = 32755,
};

class PLATFORM_EXPORT NumberedError : public std::exception {
public:
    NumberedError(int number, QString description, QString source = {});

    // An error with the classic description of a platform error number.
    static NumberedError standard(int number, QString source = {});
    // The system's own error (number 1) with a user-readable description.
    static NumberedError system(QString description, QString source = {});

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    int m_number;
    QString m_description;
    QString m_source;
    QByteArray m_utf8;
};

// The description that a platform error number carries when nothing more specific is known.
PLATFORM_EXPORT QString standardDescription(int number);

} // namespace errors
