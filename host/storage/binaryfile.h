// Binary file access as the texture readers expect it: opening creates a missing file
// (empty), reads advance the position, and bytes past the end of the file read as zero.
#pragma once

#include <QFile>
#include <QString>

namespace host {

class BinaryFile
{
public:
    // Opens for reading and writing at the start; creates the file when it is missing.
    // isOpen() is false when the file can be neither opened nor created (path not found,
    // access denied, ...), errorString() then says why.
    explicit BinaryFile(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_file.errorString(); }

    // Fills `dest` with `count` bytes from the current position, zero past the end of the file.
    void readInto(char *dest, qint64 count);
    void seek(qint64 position);
    qint64 size() const { return m_file.size(); }
    void close() { m_file.close(); }

private:
    QFile m_file;
    qint64 m_position = 0;
};

} // namespace host
