#include "SystemInfo.h"

#include <QList>

#include <cmath>

QString ProcessorLevelName(int nArchitecture, int nLevel)
{
    switch (nArchitecture) {
    case PROCESSOR_ARCH_INTEL:
        switch (nLevel) {
        case 3: return QStringLiteral("Intel 80386");
        case 4: return QStringLiteral("Intel 80486");
        case 5: return QStringLiteral("Pentium");
        case 6: return QStringLiteral("Pentium (II/Pro)");
        default: return QString();
        }
    case PROCESSOR_ARCH_MIPS:
        return nLevel == 4 ? QStringLiteral("MIPS R4000") : QStringLiteral("Unknown");
    case PROCESSOR_ARCH_ALPHA:
        return QStringLiteral("Alpha") + QString::number(nLevel);
    case PROCESSOR_ARCH_PPC:
        switch (nLevel) {
        case 1: return QStringLiteral("PPC 601");
        case 3: return QStringLiteral("PPC 603");
        case 4: return QStringLiteral("PPC 604");
        case 6: return QStringLiteral("PPC 603+");
        case 9: return QStringLiteral("PPC 604+");
        case 20: return QStringLiteral("PPC 620");
        default: return QString();
        }
    default:
        return QString();
    }
}

int ArchitectureOfMachine(const QString& strMachine)
{
    static const QStringList intel = {QStringLiteral("i386"), QStringLiteral("i486"), QStringLiteral("i586"),
                                      QStringLiteral("i686"), QStringLiteral("x86_64"), QStringLiteral("amd64")};
    if (intel.contains(strMachine))
        return PROCESSOR_ARCH_INTEL;
    if (strMachine.startsWith(QStringLiteral("mips")))
        return PROCESSOR_ARCH_MIPS;
    if (strMachine.startsWith(QStringLiteral("alpha")))
        return PROCESSOR_ARCH_ALPHA;
    if (strMachine.startsWith(QStringLiteral("ppc")) || strMachine.startsWith(QStringLiteral("powerpc")))
        return PROCESSOR_ARCH_PPC;
    return PROCESSOR_ARCH_UNKNOWN;
}

QString FormatCpuSpeed(int nMhz)
{
    return QString::asprintf("%d MHz", nMhz);
}

QString FormatMemoryLoad(int nPercent)
{
    return QString::asprintf("%d KB", nPercent);
}

QString FormatKilobytes(quint64 nBytes)
{
    // Whole kilobytes, right-aligned in seven places as the report always printed them, then
    // without the alignment blanks.
    return QString::asprintf("%7.0f", double(nBytes >> 10)).trimmed() + QStringLiteral(" KB");
}

int MemoryLoadPercent(quint64 nTotal, quint64 nAvailable)
{
    if (nTotal == 0)
        return 0;
    const quint64 nUsed = nAvailable < nTotal ? nTotal - nAvailable : 0;
    return int(std::lround(double(nUsed) * 100.0 / double(nTotal)));
}

QString NtVersionName(int nMajor, int nMinor)
{
    // Later rules replace earlier ones, as the table was always applied.
    QString str;
    if (nMajor == 3 || nMinor == 51)
        str = QStringLiteral("3.51");
    if (nMajor == 4)
        str = QStringLiteral("4.0");
    if (nMajor == 5 && nMinor == 0)
        str = QStringLiteral("5.0");
    if (nMajor == 5 && nMinor == 1)
        str = QStringLiteral("XP");
    return str;
}

QString NtProductName(const QString& strProductType)
{
    if (strProductType.compare(QStringLiteral("WinNT"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Windows NT Workstation");
    if (strProductType.compare(QStringLiteral("ServerNT"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Windows NT Server");
    return QStringLiteral("Windows NT Server - Domain Controller");
}

QString Win9xName(int nMajor, int nMinor)
{
    return nMajor > 4 || (nMajor == 4 && nMinor > 0) ? QStringLiteral("Windows 98") : QStringLiteral("Windows 95");
}

SCpuInfo ParseCpuInfo(const QByteArray& text)
{
    SCpuInfo info;
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed().isEmpty()) {
            // The first processor's block ends here; the others describe the same chip.
            if (!info.strVendor.isEmpty() || info.nFamily >= 0 || info.dMhz >= 0)
                break;
            continue;
        }
        const qsizetype nColon = line.indexOf(':');
        if (nColon < 0)
            continue;
        const QByteArray key = line.left(nColon).trimmed();
        const QByteArray value = line.mid(nColon + 1).trimmed();
        bool bOk = false;
        if (key == "vendor_id") {
            info.strVendor = QString::fromUtf8(value);
        } else if (key == "cpu family") {
            const int n = value.toInt(&bOk);
            if (bOk)
                info.nFamily = n;
        } else if (key == "cpu MHz") {
            const double d = value.toDouble(&bOk);
            if (bOk)
                info.dMhz = d;
        } else if (key == "address sizes") {
            // "39 bits physical, 48 bits virtual"
            const qsizetype nEnd = value.indexOf(" bits virtual");
            if (nEnd > 0) {
                const qsizetype nStart = value.lastIndexOf(' ', nEnd - 1) + 1;
                const int n = value.mid(nStart, nEnd - nStart).toInt(&bOk);
                if (bOk)
                    info.nVirtualBits = n;
            }
        }
    }
    return info;
}

QString OsReleaseValue(const QByteArray& text, const QString& strKey)
{
    const QByteArray prefix = strKey.toUtf8() + '=';
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        QByteArray value = line.mid(prefix.size()).trimmed();
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            const char cQuote = value.front();
            value = value.mid(1, value.size() - 2);
            if (cQuote == '"') {
                QByteArray unescaped;
                for (qsizetype i = 0; i < value.size(); ++i) {
                    if (value[i] == '\\' && i + 1 < value.size())
                        ++i;
                    unescaped += value[i];
                }
                value = unescaped;
            }
        }
        return QString::fromUtf8(value);
    }
    return QString();
}

qint64 MemInfoBytes(const QByteArray& text, const QByteArray& name)
{
    const QByteArray prefix = name + ':';
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        QList<QByteArray> parts = line.mid(prefix.size()).simplified().split(' ');
        bool bOk = false;
        const qint64 n = parts.value(0).toLongLong(&bOk);
        if (!bOk || n < 0)
            return -1;
        return parts.value(1) == "kB" ? n * 1024 : n;
    }
    return -1;
}
