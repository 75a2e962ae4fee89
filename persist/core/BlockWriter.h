// Hands bytes to a device in blocks of about 64 KiB and remembers the first write that failed:
// nothing is written after it, so a writer can go on and ask once at the end.
#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

class CBlockWriter {
public:
    explicit CBlockWriter(QIODevice* pDevice) : m_pDevice(pDevice) {}
    ~CBlockWriter() { Flush(); }
    CBlockWriter(const CBlockWriter&) = delete;
    CBlockWriter& operator=(const CBlockWriter&) = delete;

    void Write(const QByteArray& bytes);
    void Write(const char* pBytes, qsizetype nBytes);
    // Hands what is buffered to the device; false once any write failed.
    bool Flush();
    // False once any write failed.
    bool Ok() const { return m_bOk; }
    // The device's reason for the write that failed, taken when it failed.
    const QString& ErrorString() const { return m_strError; }

private:
    QIODevice* m_pDevice;
    QByteArray m_buffer;
    bool m_bOk = true;
    QString m_strError;
};
