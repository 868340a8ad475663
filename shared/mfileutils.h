#pragma once
// File-name helpers and the open/save file prompt that the option dialogs and the batch
// driver share. Path helpers take "/" as the separator, and "\" too in a path written the Windows
// way (one that starts with a drive letter, "C:", or a network share, "\\server"), so that such
// paths split as they do there; elsewhere "\" is an ordinary character of a file name.

#include "shared_utils_export.h"

#include <QString>
#include <QStringList>

class QFileDialog;

namespace MFileUtils {

// True when the path names a file whose length can be read; any failure gives false.
SHARED_UTILS_EXPORT bool FileExists(const QString& path);
// The text after the last separator; the whole path when it has none; empty when it ends with one.
SHARED_UTILS_EXPORT QString GetFileNameFromPath(const QString& path);
// The text after the last "." of the file name, without the dot; empty when the name has no ".".
SHARED_UTILS_EXPORT QString GetFileExtension(const QString& path);
// The text up to and including the last separator; empty when there is none.
SHARED_UTILS_EXPORT QString GetDirectoryFromPath(const QString& path);

// Runs `dialog` to choose an existing file; "" when the user cancels.
SHARED_UTILS_EXPORT QString ChooseFileToOpen(QFileDialog& dialog, const QString& filter,
                                             const QString& initialFileName, const QString& title);
// Runs `dialog` to choose one or more existing files, in the order the dialog gives them; empty
// when the user cancels.
SHARED_UTILS_EXPORT QStringList ChooseFilesToOpen(QFileDialog& dialog, const QString& filter,
                                                  const QString& initialFileName, const QString& title);
// Runs `dialog` to choose a file to write, asking before an existing file is replaced; "" on cancel.
SHARED_UTILS_EXPORT QString ChooseFileToSave(QFileDialog& dialog, const QString& filter,
                                             const QString& initialFileName, const QString& title);
// Sets up `dialog` with the initial file name, the filter ("Text|*.txt|Data|*.a;*.b"), the title
// and the open or save mode, runs it and returns the chosen file, or "" when the user cancels.
// Raises the system's error (number 1) when the chosen file cannot be used.
SHARED_UTILS_EXPORT QString RunFileDialog(QFileDialog& dialog, bool openMode, const QString& filter,
                                          const QString& initialFileName, const QString& title);
// The filter text "Desc|*.ext|Desc2|*.a;*.b" as the dialog's name filters
// ("Desc (*.ext)", "Desc2 (*.a *.b)").
SHARED_UTILS_EXPORT QStringList NameFiltersFromFilterText(const QString& filter);

} // namespace MFileUtils
