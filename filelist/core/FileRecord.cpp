#include "FileRecord.h"

#include "fs/FileFacts.h"
#include "common/core/FileName.h"

#include <algorithm>
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

const char* StatusLatin1(EFileStatus eStatus)
{
    switch (eStatus) {
    case EFileStatus::Ready:
        return "Ready.";
    case EFileStatus::None:
        return "";
    case EFileStatus::Processing:
        return "Processing";
    case EFileStatus::Done:
        return "Done";
    case EFileStatus::Invalid:
        return "Invalid";
    case EFileStatus::ReadError:
        return "Read Error";
    }
    return "";
}

QByteArray DateBytes(const FileRecord& rec, qint64 nTime)
{
    return rec.nSize < 0 ? QByteArray() : FormatDateTime(nTime).toLatin1();
}

}  // namespace

QString FileRecord::PagesNote() const
{
    return m_pRare ? m_pRare->strPagesNote : QString();
}

void FileRecord::SetPagesNote(const QString& strNote)
{
    if (strNote.isEmpty() && !m_pRare)
        return;
    Rare().strPagesNote = strNote;
    DropRareIfEmpty();
}

QString FileRecord::StatusNote() const
{
    return m_pRare ? m_pRare->strStatusNote : QString();
}

void FileRecord::SetStatusNote(const QString& strNote)
{
    if (strNote.isEmpty() && !m_pRare)
        return;
    Rare().strStatusNote = strNote;
    DropRareIfEmpty();
}

CPageSummary FileRecord::PageSummary() const
{
    CPageSummary summary;
    if (m_bOneClass)
        summary.Add(m_onlyClass, nPages);
    else if (m_pRare)
        summary = m_pRare->mixed;
    return summary;
}

void FileRecord::SetPageSummary(const CPageSummary& summary)
{
    const QVector<SClassPages>& classes = summary.Classes();
    m_bOneClass = classes.size() == 1 && classes[0].nPages == nPages;
    m_onlyClass = m_bOneClass ? classes[0].cls : SPageClass();
    if (m_bOneClass || summary.IsEmpty()) {
        if (m_pRare && !m_pRare.constData()->mixed.IsEmpty())
            Rare().mixed = CPageSummary();
    } else {
        Rare().mixed = summary;
    }
    DropRareIfEmpty();
}

FileRecord::SRare& FileRecord::Rare()
{
    if (!m_pRare)
        m_pRare = new SRare;
    return *m_pRare;
}

void FileRecord::DropRareIfEmpty()
{
    if (m_pRare && m_pRare.constData()->IsEmpty())
        m_pRare.reset();
}

bool FileRecord::operator==(const FileRecord& other) const
{
    return path == other.path && nSize == other.nSize && nCreated == other.nCreated &&
           nModified == other.nModified && nPages == other.nPages && PagesNote() == other.PagesNote() &&
           PageSummary() == other.PageSummary() && StatusNote() == other.StatusNote() && eStatus == other.eStatus &&
           bInUse == other.bInUse;
}

QString StatusText(EFileStatus eStatus)
{
    return QString::fromLatin1(StatusLatin1(eStatus));
}

QString UnknownReadErrorReason()
{
    return QStringLiteral("The file could not be read");
}

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

QString FileRecordText(const FileRecord& rec, int nColumn)
{
    if (nColumn == COL_FILENAME)
        return DisplayFileName(rec.path);
    return QString::fromLatin1(FileRecordBytes(rec, nColumn));
}

QByteArray FileRecordBytes(const FileRecord& rec, int nColumn)
{
    switch (nColumn) {
    case COL_USE:
        return rec.bInUse ? QByteArray(FileText::kYes) : QByteArray(FileText::kNo);
    case COL_FILENAME:
        return rec.path;
    case COL_FILESIZE:
        return rec.nSize == kSizeNotKnownYet ? QByteArray() : QByteArray::number(std::max<qint64>(rec.nSize, 0));
    case COL_STATUS:
        return QByteArray(StatusLatin1(rec.eStatus));
    case COL_PAGES:
        return rec.nPages < 0 ? QByteArray() : QByteArray::number(rec.nPages);
    case COL_CREATED:
        return DateBytes(rec, rec.nCreated);
    case COL_MODIFIED:
        return DateBytes(rec, rec.nModified);
    default:
        return QByteArray();
    }
}

void SetFileFacts(FileRecord* pRec, const SFileFacts& facts)
{
    pRec->nSize = facts.nSize;
    pRec->nCreated = facts.nCreated;
    pRec->nModified = facts.nModified;
    pRec->nDevice = facts.nDevice;
    pRec->nInode = facts.nInode;
}

FileRecord MakeFileRecord(const QByteArray& path, bool bInUse)
{
    // One look at the file gives the size and both times.
    SFileFacts facts;
    return MakeFileRecord(path, bInUse, ReadFileFacts(path, &facts) ? &facts : nullptr);
}

FileRecord MakeFileRecord(const QByteArray& path, bool bInUse, const SFileFacts* pFacts)
{
    FileRecord rec;
    rec.path = path;
    rec.bInUse = bInUse;
    if (pFacts)
        SetFileFacts(&rec, *pFacts);
    return rec;
}
