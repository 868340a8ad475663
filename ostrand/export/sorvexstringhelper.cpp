#include "sorvexstringhelper.h"

#include "errors/numberederror.h"
#include "files/tempfiles.h"

#include <QFileInfo>

namespace ostrand {

SorvexStringHelper::~SorvexStringHelper() {
    try {
        CloseFile();
    } catch (const errors::NumberedError&) {
        // The text that could not be written is reported to whoever closes the buffer in time.
    }
}

void SorvexStringHelper::SetFilename(const QString& filename) {
    CloseFile();
    m_filename = filename;
    m_hasFilename = true;
}

QString SorvexStringHelper::GetFilename() {
    CloseFile();
    if (!m_hasFilename)
        MakeTempFilename();
    return m_filename;
}

void SorvexStringHelper::Append(const QString& text) {
    OpenForWriting();
    write(text.toLocal8Bit());
}

void SorvexStringHelper::AppendLine(const QString& text) {
    OpenForWriting();
    write(text.toLocal8Bit() + QByteArrayLiteral("\r\n"));
}

void SorvexStringHelper::CloseFile() {
    if (!m_file.isOpen())
        return;
    // Text still buffered reaches the disk here; a full disk shows now rather than never.
    const bool flushed = m_file.flush();
    m_file.close();
    if (!flushed)
        raiseFileError(QStringLiteral("write"));
}

QString SorvexStringHelper::GetString() {
    CloseFile();
    if (!m_hasFilename || !QFileInfo(m_filename).isFile())
        return {};
    QFile file(m_filename);
    if (!file.open(QIODevice::ReadOnly))
        throw errors::NumberedError::system(
            QStringLiteral("Cannot read the file %1: %2").arg(m_filename, file.errorString()));
    return QString::fromLocal8Bit(file.readAll());
}

void SorvexStringHelper::OpenForWriting() {
    if (m_file.isOpen())
        return;
    if (!m_hasFilename)
        MakeTempFilename();
    m_file.setFileName(m_filename);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        raiseFileError(QStringLiteral("create"));
}

void SorvexStringHelper::MakeTempFilename() {
    CloseFile();
    m_filename = files::createUniqueFile(files::temporaryFolder(), QueryTempFilePrefix);
    m_hasFilename = true;
}

void SorvexStringHelper::write(const QByteArray& bytes) {
    if (m_file.write(bytes) != bytes.size())
        raiseFileError(QStringLiteral("write"));
}

void SorvexStringHelper::raiseFileError(const QString& action) const {
    throw errors::NumberedError::system(
        QStringLiteral("Cannot %1 the file %2: %3").arg(action, m_filename, m_file.errorString()));
}

} // namespace ostrand
