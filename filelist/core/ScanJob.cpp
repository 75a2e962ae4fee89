#include "ScanJob.h"

#include "CFileListModel.h"
#include "common/core/FileName.h"
#include "fs/FileRequests.h"

CScanJob::CScanJob(CFileListModel& model, IFileWork& work, const QByteArray& dir, bool bSubFolders, QObject* pParent)
    : CJob(pParent), m_model(model), m_work(work), m_dir(dir), m_bSubFolders(bSubFolders)
{
}

CScanJob::~CScanJob()
{
    OnStop();
}

void CScanJob::OnStart()
{
    if (m_dir.isEmpty()) {
        Finish();
        return;
    }
    m_bAsked = true;
    m_nTicket = m_work.Submit(this, WalkRequest(m_dir, m_bSubFolders));
}

void CScanJob::OnStop()
{
    // A walk waiting for a share that does not answer holds up nothing: it is let go. What it
    // found stays.
    if (m_bAsked)
        m_work.Cancel(m_nTicket);
    m_bAsked = false;
    AppendFound();
}

void CScanJob::OnTick()
{
    // What the last part brought does not wait for the next.
    if (Now() - m_nAppendedAt >= kAppendEveryMs)
        AppendFound();
}

void CScanJob::AppendFound()
{
    if (m_found.isEmpty())
        return;
    m_nAppendedAt = Now();
    m_model.AppendRows(std::move(m_found));
    m_found.clear();
}

void CScanJob::WorkPart(quint64, const QByteArray& part)
{
    QVector<SWalkEvent> events;
    ReadWalkPart(part, &events);
    QVector<FileRecord>& rows = m_found;
    const qsizetype nBefore = rows.size();
    QByteArray entered;
    for (const SWalkEvent& event : events) {
        switch (event.eKind) {
        case SWalkEvent::EKind::Entered:
            entered = event.path;
            break;
        case SWalkEvent::EKind::File:
            rows.append(MakeFileRecord(event.path, true, &event.facts));
            break;
        case SWalkEvent::EKind::UnreadableFile:
            rows.append(MakeFileRecord(event.path, true, nullptr));
            break;
        case SWalkEvent::EKind::UnreadableDirectory:
            // The scan passes over a directory it cannot read without a word, as it always has.
            break;
        }
    }
    m_nFound += int(rows.size() - nBefore);
    // The first rows at once; then a batch at a time.
    if (m_nAppendedAt < 0 || Now() - m_nAppendedAt >= kAppendEveryMs)
        AppendFound();
    if (!entered.isEmpty())
        SetPlace(DisplayFileName(entered));
    SetProgress(m_nFound, 0);
}

void CScanJob::WorkDone(quint64, const QByteArray&)
{
    m_bAsked = false;
    AppendFound();
    Finish();
}
