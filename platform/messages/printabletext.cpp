#include "printabletext.h"

namespace messages {

QString printableOnOneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("_"));
    for (QChar& character : text) {
        const QChar::Category category = character.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            character = u'_';
    }
    return text;
}

} // namespace messages
