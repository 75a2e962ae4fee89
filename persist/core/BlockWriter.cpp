#include "BlockWriter.h"

#include <QIODevice>

namespace {

constexpr qsizetype kBlockBytes = 64 * 1024;

}  // namespace

void CBlockWriter::Write(const QByteArray& bytes)
{
    Write(bytes.constData(), bytes.size());
}

void CBlockWriter::Write(const char* pBytes, qsizetype nBytes)
{
    if (!m_bOk)
        return;
    m_buffer.append(pBytes, nBytes);
    if (m_buffer.size() >= kBlockBytes)
        Flush();
}

bool CBlockWriter::Flush()
{
    if (m_bOk && !m_buffer.isEmpty()) {
        // A device may take less than it was given (a pipe, a full disk): what is left is written
        // again until the device says no.
        qsizetype nDone = 0;
        while (nDone < m_buffer.size()) {
            const qint64 n = m_pDevice->write(m_buffer.constData() + nDone, m_buffer.size() - nDone);
            if (n <= 0) {
                m_bOk = false;
                m_strError = m_pDevice->errorString();
                break;
            }
            nDone += qsizetype(n);
        }
        m_buffer.clear();
    }
    return m_bOk;
}
