// The system report's sources on Linux: processors online, /proc/cpuinfo, sysinfo and
// /proc/meminfo, the process's address-space limit, /etc/os-release and uname.
#include "SystemInfo.h"

#include <QFile>

#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cmath>

namespace {

QByteArray ReadWhole(const char* pszPath)
{
    QFile file(QString::fromLatin1(pszPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The user part of the address space: the process's own limit when it has one, else the lower
// half of what the processor can address.
quint64 AddressSpaceBytes(const SCpuInfo& cpu)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        return quint64(limit.rlim_cur);
    if (cpu.nVirtualBits <= 1 || cpu.nVirtualBits > 64)
        return 0;
    quint64 nBytes = quint64(1) << (cpu.nVirtualBits - 1);
    if (sizeof(void*) == 4)
        nBytes = std::min<quint64>(nBytes, quint64(1) << 32);
    return nBytes;
}

}  // namespace

bool CSystemInfo::Probe()
{
    // Processor.
    const SCpuInfo cpu = ParseCpuInfo(ReadWhole("/proc/cpuinfo"));
    if (cpu.dMhz >= 0)
        m_strCpuSpeed = FormatCpuSpeed(int(std::lround(cpu.dMhz)));
    m_strCpuVendor = cpu.strVendor;
    const long nProcessors = sysconf(_SC_NPROCESSORS_ONLN);
    if (nProcessors > 0)
        m_strProcessors = QString::number(nProcessors);
    utsname uts{};
    const bool bUname = uname(&uts) == 0;
    if (bUname && cpu.nFamily >= 0)
        m_strProcessorLevel = ProcessorLevelName(ArchitectureOfMachine(QString::fromUtf8(uts.machine)), cpu.nFamily);

    // Memory: the true byte counts, however large.
    struct sysinfo sys{};
    if (sysinfo(&sys) == 0) {
        const quint64 nUnit = sys.mem_unit ? sys.mem_unit : 1;
        const quint64 nTotal = quint64(sys.totalram) * nUnit;
        // The kernel's estimate of what can be had without swapping; free plus buffers before it.
        const qint64 nAvailable = MemInfoBytes(ReadWhole("/proc/meminfo"), "MemAvailable");
        const quint64 nAvail = nAvailable >= 0 ? quint64(nAvailable) : (quint64(sys.freeram) + sys.bufferram) * nUnit;
        m_strMemoryLoad = FormatMemoryLoad(MemoryLoadPercent(nTotal, nAvail));
        m_strTotalPhysical = FormatKilobytes(nTotal);
        m_strAvailablePhysical = FormatKilobytes(nAvail);
    }
    if (const quint64 nVirtual = AddressSpaceBytes(cpu))
        m_strTotalVirtual = FormatKilobytes(nVirtual);

    // Operating system: the distribution by its release file, the kernel by uname.
    QByteArray release = ReadWhole("/etc/os-release");
    if (release.isEmpty())
        release = ReadWhole("/usr/lib/os-release");
    m_strOsName = OsReleaseValue(release, QStringLiteral("PRETTY_NAME"));
    if (m_strOsName.isEmpty())
        m_strOsName = OsReleaseValue(release, QStringLiteral("NAME"));
    if (m_strOsName.isEmpty() && bUname)
        m_strOsName = QString::fromUtf8(uts.sysname);
    if (m_strOsName.isEmpty()) {
        m_strOsName = QStringLiteral("Not able to get OS information");
        return true;
    }
    m_strOsVersion = OsReleaseValue(release, QStringLiteral("VERSION_ID"));
    if (bUname) {
        m_strBuild = QString::fromUtf8(uts.release);
        m_strServicePack = QString::fromUtf8(uts.version);
    }
    return true;
}
