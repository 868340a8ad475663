#include "mfileutils.h"

#include "errors/numberederror.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QRegularExpression>

namespace MFileUtils {

namespace {

// A path written the Windows way, with a drive letter ("C:") or a network share ("\\server"), also
// separates with "\"; in any other path "\" is an ordinary character of a name, as it is here.
bool isWindowsStylePath(const QString& path) {
    return (path.size() >= 2 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':')) ||
           path.startsWith(QStringLiteral("\\\\"));
}

bool isSeparator(QChar c, bool windowsStyle) {
    return c == QLatin1Char('/') || (windowsStyle && c == QLatin1Char('\\'));
}

qsizetype lastSeparator(const QString& path) {
    const bool windowsStyle = isWindowsStylePath(path);
    qsizetype i = path.size() - 1;
    while (i >= 0 && !isSeparator(path.at(i), windowsStyle))
        --i;
    return i;
}

// "Text files (*.txt)" and "Text files" both describe the filter as "Text files": the patterns in
// brackets are written again from the pattern part, which is what the dialog really applies.
QString filterDescription(const QString& description) {
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    return QString(description).remove(trailingPatterns).trimmed();
}

} // namespace

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString GetFileNameFromPath(const QString& path) {
    return path.mid(lastSeparator(path) + 1);
}

QString GetFileExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > lastSeparator(path) ? path.mid(dot + 1) : QString();
}

QString GetDirectoryFromPath(const QString& path) {
    return path.left(lastSeparator(path) + 1);
}

QString ChooseFileToOpen(QFileDialog& dialog, const QString& filter, const QString& initialFileName,
                         const QString& title) {
    return RunFileDialog(dialog, true, filter, initialFileName, title);
}

QString ChooseFileToSave(QFileDialog& dialog, const QString& filter, const QString& initialFileName,
                         const QString& title) {
    return RunFileDialog(dialog, false, filter, initialFileName, title);
}

QStringList NameFiltersFromFilterText(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList nameFilters;
    // Parts come in pairs of description and patterns; a description without patterns is dropped.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = pattern.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        const QString joined = QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        const QString description = filterDescription(parts.at(i));
        nameFilters.append(description.isEmpty() ? joined : description + QLatin1Char(' ') + joined);
    }
    return nameFilters;
}

namespace {

// Sets up the dialog's mode, filters, title and initial file.
void prepareDialog(QFileDialog& dialog, bool openMode, QFileDialog::FileMode fileMode, const QString& filter,
                   const QString& initialFileName, const QString& title) {
    dialog.setAcceptMode(openMode ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(fileMode);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setOption(QFileDialog::ReadOnly, false);
    const QStringList nameFilters = NameFiltersFromFilterText(filter);
    if (!nameFilters.isEmpty())
        dialog.setNameFilters(nameFilters);
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    else
        dialog.setWindowTitle(openMode ? QStringLiteral("Open") : QStringLiteral("Save As"));
    // Last, so that choosing the first filter cannot rewrite the extension of the initial name.
    dialog.selectFile(initialFileName);
    // The size, type and date columns as wide as their contents, so that none is cut short; the
    // name takes the rest.
    for (QHeaderView* header : dialog.findChildren<QHeaderView*>()) {
        header->setStretchLastSection(false);
        for (int section = 1; section < header->count(); ++section)
            header->setSectionResizeMode(section, QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

} // namespace

QStringList ChooseFilesToOpen(QFileDialog& dialog, const QString& filter, const QString& initialFileName,
                              const QString& title) {
    prepareDialog(dialog, true, QFileDialog::ExistingFiles, filter, initialFileName, title);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString RunFileDialog(QFileDialog& dialog, bool openMode, const QString& filter,
                      const QString& initialFileName, const QString& title) {
    prepareDialog(dialog, openMode, openMode ? QFileDialog::ExistingFile : QFileDialog::AnyFile, filter,
                  initialFileName, title);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QString chosen = dialog.selectedFiles().constFirst();
    // The dialog lets a name in a missing folder through; callers write to the file at once.
    const QFileInfo chosenInfo(chosen);
    if (!openMode && !chosenInfo.absoluteDir().exists())
        throw errors::NumberedError::system(QStringLiteral("The folder %1 does not exist.")
                                                .arg(QDir::toNativeSeparators(chosenInfo.absolutePath())));
    return chosen;
}

} // namespace MFileUtils
