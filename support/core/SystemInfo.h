// A short description of the machine (processor, memory, operating system) as ready-formatted
// texts, for the report that the support e-mail carries. Each field comes from the nearest source
// the platform has; a source that cannot be read leaves its field empty, and nothing fails.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class CSystemInfo {
public:
    // Fills every field it can. Always true: a missing source only leaves its field empty.
    bool Probe();

    QString m_strProcessors;        // number of processors online
    QString m_strProcessorLevel;    // processor name by architecture and level
    QString m_strCpuSpeed;          // "%d MHz"
    QString m_strCpuVendor;         // the processor's vendor identifier
    QString m_strMemoryLoad;        // per cent of physical memory in use, as "%d KB"
    QString m_strTotalPhysical;     // "n KB"
    QString m_strTotalVirtual;      // the process's virtual address space, "n KB"
    QString m_strAvailablePhysical; // "n KB"
    QString m_strOsName;
    QString m_strOsVersion;
    QString m_strServicePack;
    QString m_strBuild;
};

enum EProcessorArchitecture {
    PROCESSOR_ARCH_INTEL = 0,
    PROCESSOR_ARCH_MIPS = 1,
    PROCESSOR_ARCH_ALPHA = 2,
    PROCESSOR_ARCH_PPC = 3,
    PROCESSOR_ARCH_UNKNOWN = 0xFFFF,
};

// The processor's name by architecture and level ("Pentium (II/Pro)" for Intel level 6); empty
// where the table names none.
QString ProcessorLevelName(int nArchitecture, int nLevel);

// The architecture a machine name (as uname gives it) belongs to: the x86 family is Intel.
int ArchitectureOfMachine(const QString& strMachine);

// "%d MHz"; "%d KB" for the memory load; a byte count as whole KB without leading blanks.
QString FormatCpuSpeed(int nMhz);
QString FormatMemoryLoad(int nPercent);
QString FormatKilobytes(quint64 nBytes);

// The per cent of physical memory in use, rounded; 0 when the total is unknown.
int MemoryLoadPercent(quint64 nTotal, quint64 nAvailable);

// The version names of the Windows family, for the platform whose version information they read:
// NT versions ("4.0", "XP", ... or empty), NT product types, and the 9x line.
QString NtVersionName(int nMajor, int nMinor);
QString NtProductName(const QString& strProductType);
QString Win9xName(int nMajor, int nMinor);

// What /proc/cpuinfo tells of the first processor; absent values are empty or -1.
struct SCpuInfo {
    QString strVendor;          // vendor_id
    int nFamily = -1;           // cpu family
    double dMhz = -1;           // cpu MHz
    int nVirtualBits = -1;      // from "address sizes"
};
SCpuInfo ParseCpuInfo(const QByteArray& text);

// One value of an os-release file, with its quoting removed; empty when absent.
QString OsReleaseValue(const QByteArray& text, const QString& strKey);

// One "Name: n kB" value of /proc/meminfo in bytes, or -1.
qint64 MemInfoBytes(const QByteArray& text, const QByteArray& name);
