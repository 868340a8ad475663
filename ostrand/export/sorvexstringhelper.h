#pragma once
// The query text buffer: collects the text of a search-engine query file by writing each piece
// straight to the file as it arrives, so that a large export never holds the query in memory.
// The file is created (or emptied) by the first write after a name is set or a close, and line
// ends are CR LF.

#include <QFile>
#include <QString>

namespace ostrand {

// The three-letter prefix of the temporary query files the library makes.
inline const QString QueryTempFilePrefix = QStringLiteral("sor");

class SorvexStringHelper {
public:
    SorvexStringHelper() = default;
    // Closes the file; an error while closing is swallowed, as nobody is left to hear it.
    ~SorvexStringHelper();
    SorvexStringHelper(const SorvexStringHelper&) = delete;
    SorvexStringHelper& operator=(const SorvexStringHelper&) = delete;

    // Closes any open file and names the next one; nothing is created until the next write.
    void SetFilename(const QString& filename);
    // Closes any open file and returns its name, making a new temporary file when none was set.
    QString GetFilename();
    // Writes text, opening (and emptying) the file first when it is not open.
    void Append(const QString& text);
    // The same, followed by CR LF.
    void AppendLine(const QString& text);
    // Closes the file if it is open; raises when the text could not all be written.
    void CloseFile();
    // Closes any open file and returns its whole content; empty when there is no name or no file.
    QString GetString();

private:
    void OpenForWriting();
    void MakeTempFilename();
    void write(const QByteArray& bytes);
    [[noreturn]] void raiseFileError(const QString& action) const;

    bool m_hasFilename = false;
    QString m_filename;
    QFile m_file;
};

} // namespace ostrand
