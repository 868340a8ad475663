#include "shareddata.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

namespace testfixture {

namespace {

qsizetype number(const QString& text) {
    return QString(text).remove(QLatin1Char(',')).toLongLong();
}

} // namespace

QString sharedDataDir() {
    return QStringLiteral(OSTRAND_SHARED_DATA_DIR);
}

std::vector<std::string> sharedSpectrumFiles() {
    std::vector<std::string> names;
    const QStringList patterns{QStringLiteral("*.mzML"), QStringLiteral("*.mzXML")};
    for (const QString& name : QDir(sharedDataDir()).entryList(patterns, QDir::Files, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

std::map<QString, RecordedCounts> recordedCounts() {
    std::map<QString, RecordedCounts> counts;
    QFile readme(QDir(sharedDataDir()).filePath(QStringLiteral("README.md")));
    if (!readme.open(QIODevice::ReadOnly | QIODevice::Text))
        return counts;
    // "| `name.mzML` (size) | ... | 406 / 37 | ..." in the file table (MS1 / MS2), and
    // "| name.mzML | ... | 443 / 31,709 |" as the last cell of the verification table (spectra / points).
    static const QRegularExpression pair(QStringLiteral("^\\s*(\\d[\\d,]*) / (\\d[\\d,]*)\\s*$"));
    QTextStream in(&readme);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (!line.startsWith(QLatin1Char('|')))
            continue;
        QStringList cells = line.split(QLatin1Char('|'));
        cells = cells.mid(1, cells.size() - 2);
        if (cells.size() < 2)
            continue;
        const QString name = cells.front().trimmed().section(QLatin1Char(' '), 0, 0).remove(QLatin1Char('`'));
        if (cells.size() >= 10) {
            for (const QString& cell : cells)
                if (const auto match = pair.match(cell); match.hasMatch()) {
                    counts[name].ms1 = number(match.captured(1));
                    counts[name].ms2 = number(match.captured(2));
                    break;
                }
        } else if (const auto match = pair.match(cells.back()); match.hasMatch()) {
            counts[name].points = number(match.captured(2));
        }
    }
    return counts;
}

std::string testNameOf(const std::string& fileName) {
    std::string name = fileName;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

} // namespace testfixture
