#include "FileRecord.h"

#include "FileFacts.h"

#include <cstdio>

namespace {

struct SColumn {
    const char* pszHeading;
    int nWidth;
};

const SColumn kColumns[FILE_COLUMN_COUNT] = {
    {"Use", 45},    {"Filename", 260}, {"FileSize", 70}, {"Status", 90},
    {"Pages", 75},  {"Created", 120},  {"Modified", 120},
};

}  // namespace

QString FileColumnHeading(int nColumn)
{
    if (nColumn < 0 || nColumn >= FILE_COLUMN_COUNT)
        return QString();
    return QString::fromLatin1(kColumns[nColumn].pszHeading);
}

int FileColumnWidth(int nColumn)
{
    if (nColumn < 0 || nColumn >= FILE_COLUMN_COUNT)
        return 0;
    return kColumns[nColumn].nWidth;
}

QString FormatDateTime(qint64 nSecsSinceEpoch)
{
    SLocalTime t;
    if (!ToLocalTime(nSecsSinceEpoch, &t))
        return QString();
    char sz[64];
    std::snprintf(sz, sizeof sz, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d", t.nYear, t.nMonth, t.nDay, t.nHour, t.nMinute,
                  t.nSecond);
    return QString::fromLatin1(sz);
}

QString FormatCreatedTime(const QString& strPath)
{
    SFileFacts facts;
    return ReadFileFacts(strPath, &facts) ? FormatDateTime(facts.nCreated) : QString();
}

QString FormatModifiedTime(const QString& strPath)
{
    SFileFacts facts;
    return ReadFileFacts(strPath, &facts) ? FormatDateTime(facts.nModified) : QString();
}

FileRecord MakeFileRecord(const QString& strPath, const QString& strUse)
{
    // One look at the file gives the size and both times.
    SFileFacts facts;
    return MakeFileRecord(strPath, strUse, ReadFileFacts(strPath, &facts) ? &facts : nullptr);
}

FileRecord MakeFileRecord(const QString& strPath, const QString& strUse, const SFileFacts* pFacts)
{
    FileRecord rec;
    rec[COL_USE] = strUse;
    rec[COL_FILENAME] = strPath;
    rec[COL_STATUS] = QString::fromLatin1(FileText::kReady);
    if (pFacts) {
        rec[COL_FILESIZE] = QString::number(pFacts->nSize);
        rec[COL_CREATED] = FormatDateTime(pFacts->nCreated);
        rec[COL_MODIFIED] = FormatDateTime(pFacts->nModified);
    } else {
        rec[COL_FILESIZE] = QStringLiteral("0");
    }
    return rec;
}

qint64 PagesValue(const QString& strPages)
{
    // As atoi: leading blanks, an optional sign, then digits; anything else ends the number.
    int i = 0;
    const int n = int(strPages.size());
    while (i < n && (strPages[i] == u' ' || (strPages[i] >= u'\t' && strPages[i] <= u'\r')))
        ++i;
    bool bNegative = false;
    if (i < n && (strPages[i] == u'+' || strPages[i] == u'-')) {
        bNegative = strPages[i] == u'-';
        ++i;
    }
    qint64 nValue = 0;
    for (; i < n && strPages[i] >= u'0' && strPages[i] <= u'9'; ++i) {
        if (nValue < (qint64(1) << 40))     // far above any page count; keeps the sum from overflowing
            nValue = nValue * 10 + (strPages[i].unicode() - u'0');
    }
    return bNegative ? -nValue : nValue;
}
