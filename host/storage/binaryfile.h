// Binary file access as the texture readers expect it: opening creates a missing file
// (empty), reads advance the position, and bytes past the end of the file read as zero.
#pragma once

#include <QFile>
#include <QString>
#include <stdexcept>

namespace host {

// A file-system failure (path not found, access denied, ...), its message naming the file.
class FileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class BinaryFile
{
public:
    // Opens for reading and writing at the start; creates the file when it is missing.
    // Throws FileError when the file cannot be opened or created.
    explicit BinaryFile(const QString &path);

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
