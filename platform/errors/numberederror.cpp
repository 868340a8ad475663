#include "numberederror.h"

namespace errors {

NumberedError::NumberedError(int number, QString description, QString source)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
      m_utf8(m_description.toUtf8()) {}

NumberedError NumberedError::standard(int number, QString source) {
    return NumberedError(number, standardDescription(number), std::move(source));
}

NumberedError NumberedError::system(QString description, QString source) {
    return NumberedError(SystemError, std::move(description), std::move(source));
}

QString standardDescription(int number) {
    switch (number) {
    case Overflow:
        return QStringLiteral("Overflow");
    case SubscriptOutOfRange:
        return QStringLiteral("Subscript out of range");
    case TypeMismatch:
        return QStringLiteral("Type mismatch");
    case CannotCreateObject:
        return QStringLiteral("Automation component can't create object");
    case MemberNotFound:
        return QStringLiteral("Object doesn't support this property or method");
    case ArgumentNotOptional:
        return QStringLiteral("Argument not optional");
    case CancelSelected:
        return QStringLiteral("Cancel was selected.");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

} // namespace errors
