#include "SupportMail.h"

#include "SystemInfo.h"

#include <QUrl>

namespace {

const char kLineEnd[] = "%0d";

}  // namespace

SupportReportPairs SupportReport(const CSystemInfo& info, const QString& strVersion)
{
    return {
        {QStringLiteral("Product Version"), strVersion},
        {QStringLiteral("Processors"), info.m_strProcessors},
        {QStringLiteral("Processor Level"), info.m_strProcessorLevel},
        {QStringLiteral("CPU Manufacturer"), info.m_strCpuVendor},
        {QStringLiteral("CPU Speed"), info.m_strCpuSpeed},
        {QStringLiteral("Application Memory Used"), info.m_strMemoryLoad},
        {QStringLiteral("Total Physical Memory"), info.m_strTotalPhysical},
        {QStringLiteral("Physical Memory Available"), info.m_strAvailablePhysical},
        {QStringLiteral("Total Virtual Memory"), info.m_strTotalVirtual},
        {QStringLiteral("Operating System"), info.m_strOsName},
        {QStringLiteral("OS Version"), info.m_strOsVersion},
        {QStringLiteral("Service Pack"), info.m_strServicePack},
        {QStringLiteral("Build"), info.m_strBuild},
    };
}

QString EscapeMailValue(const QString& strValue)
{
    // Kept as they are: what a mailto field value may hold unescaped, and the blank, which the
    // labels around the values hold too. "+" is escaped: some mail programs read it as a blank.
    return QString::fromLatin1(QUrl::toPercentEncoding(strValue, "!$'()*,;:@ "));
}

QString SupportMailUrl(const QString& strAddress, const SupportReportPairs& pairs)
{
    QString str = QStringLiteral("mailto:") + strAddress + QStringLiteral("?subject=Pagewick&body=");
    for (int i = 0; i < 4; ++i)
        str += QLatin1String(kLineEnd);
    str += QString(35, u'-') + QLatin1String(kLineEnd);
    str += QLatin1String(kLineEnd) + QStringLiteral("Pagewick") + QLatin1String(kLineEnd) + QLatin1String(kLineEnd);
    for (int i = 0; i < pairs.size(); ++i) {
        // Blank lines after the version and after the processor and memory groups.
        if (i == 1 || i == 5 || i == 9)
            str += QLatin1String(kLineEnd);
        str += pairs[i].first + QStringLiteral(" : ") + EscapeMailValue(pairs[i].second) + QLatin1String(kLineEnd);
    }
    return str;
}
