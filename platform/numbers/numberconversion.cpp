#include "numberconversion.h"

#include <charconv>
#include <optional>

namespace numbers {

namespace {

[[noreturn]] void typeMismatch() {
    throw errors::NumberedError::standard(errors::TypeMismatch);
}

std::optional<bool> parseBooleanWord(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

} // namespace

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

QString numberText(double value, int significantDigits) {
    if (value == 0.0)
        return QStringLiteral("0");
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significantDigits);
    std::string text(buffer, result.ptr);
    // to_chars writes "1e+20"; the system writes "1E+20".
    if (const auto e = text.find('e'); e != std::string::npos)
        text[e] = 'E';
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

double parseNumber(const QString& text) {
    const QByteArray latin = text.trimmed().toLatin1();
    const char* begin = latin.constData();
    const char* end = begin + latin.size();
    if (begin != end && *begin == '+')
        ++begin;
    if (begin == end || *begin == '+')
        typeMismatch();
    double value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec == std::errc::result_out_of_range)
        throw errors::NumberedError::standard(errors::Overflow);
    if (result.ec != std::errc() || result.ptr != end || std::isnan(value) || std::isinf(value))
        typeMismatch();
    return value;
}

double textToDouble(const QString& text) {
    if (const auto word = parseBooleanWord(text))
        return *word ? -1.0 : 0.0;
    return parseNumber(text);
}

bool textToBool(const QString& text) {
    if (const auto word = parseBooleanWord(text))
        return *word;
    return parseNumber(text) != 0.0;
}

QString booleanText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString rangeRefusal(const QString& fieldName, bool whole, const QString& minimum, const QString& maximum,
                     const QString& text) {
    const QString field =
        fieldName.isEmpty() ? QStringLiteral("This field") : QStringLiteral("This field (%1)").arg(fieldName);
    QString message =
        QStringLiteral("%1 must be %2 between %3 and %4.")
            .arg(field, whole ? QStringLiteral("an integer") : QStringLiteral("a number"), minimum, maximum);
    if (!whole && text.contains(QLatin1Char(',')))
        message += QStringLiteral(" Write decimals with a point: %1.").arg(QString(text).replace(u',', u'.'));
    return message;
}

} // namespace numbers
