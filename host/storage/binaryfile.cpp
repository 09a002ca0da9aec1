#include "binaryfile.h"

#include <cstring>

namespace host {

BinaryFile::BinaryFile(const QString &path) : m_file(path)
{
    // Read-write, like the original open mode: a missing file is created empty. A file we
    // may only read is still opened for reading.
    if (!m_file.open(QIODevice::ReadWrite))
        m_file.open(QIODevice::ReadOnly);
}

void BinaryFile::readInto(char *dest, qint64 count)
{
    if (count <= 0)
        return;
    qint64 got = 0;
    if (m_file.seek(m_position)) {
        got = m_file.read(dest, count);
        if (got < 0)
            got = 0;
    }
    if (got < count)
        std::memset(dest + got, 0, static_cast<size_t>(count - got));
    m_position += count;
}

void BinaryFile::seek(qint64 position)
{
    m_position = position < 0 ? 0 : position;
}

} // namespace host
