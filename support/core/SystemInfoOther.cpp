// The system report's sources where no platform-specific probe exists: what Qt itself knows.
#include "SystemInfo.h"

#include <QSysInfo>
#include <QThread>

bool CSystemInfo::Probe()
{
    m_strProcessors = QString::number(QThread::idealThreadCount());
    m_strOsName = QSysInfo::prettyProductName();
    if (m_strOsName.isEmpty() || m_strOsName == u"Unknown") {
        m_strOsName = QStringLiteral("Not able to get OS information");
        return true;
    }
    m_strOsVersion = QSysInfo::productVersion();
    m_strBuild = QSysInfo::kernelVersion();
    return true;
}
