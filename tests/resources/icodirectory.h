#pragma once

#include <QByteArray>
#include <QList>

// Reads the directory of a Windows icon file as it is laid out on disk, so the tests can
// check it without going through Qt's icon reader.
class IcoDirectory
{
public:
    struct Entry
    {
        int width;
        int height;
        int colourCount;
        int planes;
        int bitCount;
        qint64 bytes;
        qint64 offset;
    };

    explicit IcoDirectory(const QByteArray &file);

    bool isValid() const { return m_valid; }
    const QList<Entry> &entries() const { return m_entries; }
    QByteArray payload(const Entry &entry) const;

    static int u16(const QByteArray &bytes, qint64 at);
    static qint64 u32(const QByteArray &bytes, qint64 at);

private:
    QByteArray m_file;
    QList<Entry> m_entries;
    bool m_valid = false;
};
