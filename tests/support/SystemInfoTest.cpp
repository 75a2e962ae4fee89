#include "support/core/SystemInfo.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(SystemInfo, ProcessorNameTable)
{
    const struct {
        int nArchitecture;
        int nLevel;
        const char* pszName;
    } cases[] = {
        {0, 3, "Intel 80386"}, {0, 4, "Intel 80486"}, {0, 5, "Pentium"},     {0, 6, "Pentium (II/Pro)"},
        {0, 15, ""},           {1, 4, "MIPS R4000"},  {1, 3, "Unknown"},     {2, 21164, "Alpha21164"},
        {3, 1, "PPC 601"},     {3, 3, "PPC 603"},     {3, 4, "PPC 604"},     {3, 6, "PPC 603+"},
        {3, 9, "PPC 604+"},    {3, 20, "PPC 620"},    {3, 2, ""},            {0xFFFF, 6, ""},
        {9, 6, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProcessorLevelName(c.nArchitecture, c.nLevel), QString::fromUtf8(c.pszName))
            << c.nArchitecture << '/' << c.nLevel;
    EXPECT_EQ(ArchitectureOfMachine(QStringLiteral("x86_64")), PROCESSOR_ARCH_INTEL);
    EXPECT_EQ(ArchitectureOfMachine(QStringLiteral("ppc64le")), PROCESSOR_ARCH_PPC);
    EXPECT_EQ(ArchitectureOfMachine(QStringLiteral("aarch64")), PROCESSOR_ARCH_UNKNOWN);
}

TEST(SystemInfo, WindowsVersionNameTables)
{
    const struct {
        int nMajor, nMinor;
        const char* pszNt;
        const char* psz9x;
    } cases[] = {
        {3, 51, "3.51", "Windows 95"}, {4, 0, "4.0", "Windows 95"}, {4, 10, "4.0", "Windows 98"},
        {5, 0, "5.0", "Windows 98"},   {5, 1, "XP", "Windows 98"},  {5, 2, "", "Windows 98"},
        {6, 0, "", "Windows 98"},      {10, 0, "", "Windows 98"},   {6, 51, "3.51", "Windows 98"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NtVersionName(c.nMajor, c.nMinor), QString::fromUtf8(c.pszNt)) << c.nMajor << '.' << c.nMinor;
        EXPECT_EQ(Win9xName(c.nMajor, c.nMinor), QString::fromUtf8(c.psz9x)) << c.nMajor << '.' << c.nMinor;
    }
    EXPECT_EQ(NtProductName(QStringLiteral("winnt")), QStringLiteral("Windows NT Workstation"));
    EXPECT_EQ(NtProductName(QStringLiteral("SERVERNT")), QStringLiteral("Windows NT Server"));
    EXPECT_EQ(NtProductName(QStringLiteral("LanmanNT")), QStringLiteral("Windows NT Server - Domain Controller"));
}

TEST(SystemInfo, Formats)
{
    EXPECT_EQ(FormatKilobytes(512ull << 20), QStringLiteral("524288 KB"));
    EXPECT_EQ(FormatKilobytes(999ull * 1024 + 1023), QStringLiteral("999 KB"));    // no blanks, remainder dropped
    EXPECT_EQ(FormatKilobytes(8ull << 30), QStringLiteral("8388608 KB"));          // beyond 32 bits
    EXPECT_EQ(FormatKilobytes(1ull << 47), QStringLiteral("137438953472 KB"));
    EXPECT_EQ(FormatCpuSpeed(2394), QStringLiteral("2394 MHz"));
    EXPECT_EQ(FormatMemoryLoad(37), QStringLiteral("37 KB"));
    EXPECT_EQ(MemoryLoadPercent(3, 2), 33);
    EXPECT_EQ(MemoryLoadPercent(0, 0), 0);
}

TEST(SystemInfo, LinuxSourcesAreParsed)
{
    const SCpuInfo cpu = ParseCpuInfo("processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\n"
                                      "cpu MHz\t\t: 2394.374\naddress sizes\t: 46 bits physical, 48 bits virtual\n\n"
                                      "processor\t: 1\nvendor_id\t: Other\ncpu family\t: 23\n");
    EXPECT_EQ(cpu.strVendor, QStringLiteral("GenuineIntel"));
    EXPECT_EQ(cpu.nFamily, 6);
    EXPECT_DOUBLE_EQ(cpu.dMhz, 2394.374);
    EXPECT_EQ(cpu.nVirtualBits, 48);
    EXPECT_EQ(ParseCpuInfo("processor\t: 0\nCPU implementer\t: 0x41\n").nFamily, -1);

    const QByteArray release = "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
                               "VERSION_ID=12\nVARIANT='Server \"S\"'\nQUOTED=\"a \\\"b\\\"\"\n";
    EXPECT_EQ(OsReleaseValue(release, QStringLiteral("PRETTY_NAME")), QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    EXPECT_EQ(OsReleaseValue(release, QStringLiteral("VERSION_ID")), QStringLiteral("12"));
    EXPECT_EQ(OsReleaseValue(release, QStringLiteral("VARIANT")), QStringLiteral("Server \"S\""));
    EXPECT_EQ(OsReleaseValue(release, QStringLiteral("QUOTED")), QStringLiteral("a \"b\""));
    EXPECT_TRUE(OsReleaseValue(release, QStringLiteral("NAM")).isEmpty());

    const QByteArray meminfo = "MemTotal:       16318412 kB\nMemAvailable:   12000000 kB\n";
    EXPECT_EQ(MemInfoBytes(meminfo, "MemAvailable"), 12000000ll * 1024);
    EXPECT_EQ(MemInfoBytes(meminfo, "MemFree"), -1);
}

// On this machine every source is there: each field is filled in its format.
TEST(SystemInfo, ProbeFillsTheFieldsInTheirFormats)
{
    CSystemInfo info;
    EXPECT_TRUE(info.Probe());
    const QRegularExpression kb(QStringLiteral("^[0-9]+ KB$"));
    for (const QString& str : {info.m_strTotalPhysical, info.m_strAvailablePhysical, info.m_strMemoryLoad})
        EXPECT_TRUE(kb.match(str).hasMatch()) << qPrintable(str);
    EXPECT_GT(info.m_strProcessors.toInt(), 0);
    EXPECT_FALSE(info.m_strOsName.isEmpty());
    EXPECT_FALSE(info.m_strBuild.isEmpty());
}

}  // namespace
