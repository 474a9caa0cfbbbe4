#include "icodirectory.h"

#include <QtEndian>

IcoDirectory::IcoDirectory(const QByteArray &file)
    : m_file(file)
{
    if (file.size() < 6 || u16(file, 0) != 0 || u16(file, 2) != 1)
        return;
    const int count = u16(file, 4);
    if (file.size() < 6 + 16 * count)
        return;
    for (int i = 0; i < count; ++i) {
        const qint64 at = 6 + 16 * i;
        // A width or height byte of 0 stands for 256.
        const int width = uchar(file[at]) ? uchar(file[at]) : 256;
        const int height = uchar(file[at + 1]) ? uchar(file[at + 1]) : 256;
        m_entries.append({ width, height, uchar(file[at + 2]), u16(file, at + 4), u16(file, at + 6),
            u32(file, at + 8), u32(file, at + 12) });
    }
    m_valid = true;
}

QByteArray IcoDirectory::payload(const Entry &entry) const
{
    return m_file.mid(entry.offset, entry.bytes);
}

int IcoDirectory::u16(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

qint64 IcoDirectory::u32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
