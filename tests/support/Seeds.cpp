#include "Seeds.h"

#include <QDir>
#include <QFile>

void SaveSeed(const char* pszCorpus, const QString& strName, const QByteArray& bytes)
{
    const QString strTop = qEnvironmentVariable("PAGEWICK_SEED_DIR");
    if (strTop.isEmpty())
        return;
    const QString strDir = strTop + u'/' + QLatin1String(pszCorpus);
    QDir().mkpath(strDir);
    QFile file(strDir + u'/' + strName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}
