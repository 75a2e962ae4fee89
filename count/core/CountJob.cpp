#include "CountJob.h"

#include "FileRequests.h"
#include "common/core/FileName.h"
#include "filelist/core/CFileListModel.h"

#include <algorithm>

namespace {

bool ShouldCount(const FileRecord& rec, bool bRecountAll)
{
    return rec.bInUse && (bRecountAll || !CCountJob::IsCounted(rec));
}

}  // namespace

CCountJob::CCountJob(CFileListModel& model, IFileWork& work, bool bRecountAll, QObject* pParent)
    : CJob(pParent), m_model(model), m_work(work), m_bRecountAll(bRecountAll)
{
}

CCountJob::~CCountJob()
{
    // Whatever is still asked goes nowhere.
    for (const SRowJob& job : m_jobs) {
        if (job.eState != EState::Ended)
            m_work.Cancel(job.nTicket);
    }
}

void CCountJob::OnStart()
{
    for (int i = 0; i < m_model.GetRowCount(); ++i)
        AddRow(m_model.GetRecord(i));
    // Rows added while the run goes on are counted too, as they come at the end of the list.
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int nFirst, int nLast) {
        for (int i = nFirst; i <= nLast; ++i)
            AddRow(m_model.GetRecord(i));
        ShowProgress();
    });
    // Rows that go away are not waited for.
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this, &CCountJob::ForgetGoneRows);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &CCountJob::ForgetGoneRows);
    ShowProgress();
    if (m_nEnded == int(m_jobs.size()))
        End(true);
}

void CCountJob::AddRow(const FileRecord& rec)
{
    if (IsFinished() || !ShouldCount(rec, m_bRecountAll))
        return;
    const int nJob = int(m_jobs.size());
    m_jobs.push_back({rec.nId, rec.path});
    m_jobs.back().nTicket = m_work.Submit(this, CountRequest(rec.path));
    m_jobOfTicket.insert(m_jobs.back().nTicket, nJob);
}

void CCountJob::WorkBegun(quint64 nTicket)
{
    const int nJob = m_jobOfTicket.value(nTicket, -1);
    if (nJob < 0)
        return;
    SRowJob& job = m_jobs[size_t(nJob)];
    if (job.eState != EState::Waiting)
        return;
    job.eState = EState::Reading;
    job.nBegunAt = Now();
    m_reading.push_back(nJob);
    NoteBegun(nTicket, job.path);
    ShowProgress();
}

void CCountJob::WorkDone(quint64 nTicket, const QByteArray& answer)
{
    const int nJob = m_jobOfTicket.value(nTicket, -1);
    if (nJob < 0)
        return;
    WriteResult(m_jobs[size_t(nJob)], answer);
    ShowProgress();
    if (m_nEnded == int(m_jobs.size()))
        End(true);
}

void CCountJob::EndJob(SRowJob& job)
{
    job.eState = EState::Ended;
    m_jobOfTicket.remove(job.nTicket);
    NoteEnded(job.nTicket);
    ++m_nEnded;
}

void CCountJob::WriteResult(SRowJob& job, const QByteArray& answer)
{
    if (job.eState == EState::Ended)
        return;
    const bool bMarked = job.eState == EState::Marked;
    EndJob(job);
    const int nRow = m_model.FindRow(job.nRowId);
    if (nRow < 0)
        return;
    const FileRecord& rec = m_model.GetRecord(nRow);
    // A row switched out of use meanwhile is passed over, as the walk down the list would have.
    if (!rec.bInUse) {
        if (bMarked && rec.eStatus == EFileStatus::Processing)
            m_model.SetStatus(nRow, job.eStatusBefore);
        return;
    }
    SFileResult result;
    // Every worker that read it died: the file crashes the reader; the rest of the list is counted.
    if (answer.isEmpty() || !DeserializeResult(answer, &result))
        result.eOutcome = SFileResult::EOutcome::Lost;
    const SFileFacts* pFacts = result.bHasFacts ? &result.facts : nullptr;
    if (result.eOutcome != SFileResult::EOutcome::Counted) {
        // The file could not be read: its row takes what could be known of it, and says why.
        ++m_outcome.nUnreadable;
        m_model.SetReadError(nRow, ReadErrorNote(result), pFacts);
        return;
    }
    if (result.nPages < 0) {
        ++m_outcome.nNotTiff;
        m_model.SetCount(nRow, EFileStatus::Invalid, -1, QString(), pFacts);
        return;
    }
    if (result.IsShort())
        ++m_outcome.nShort;
    // Added to the total as it stands now: a reset meanwhile has changed it.
    m_model.SetCounted(nRow, result.nPages, ShortCountToolTip(result.Count()), pFacts, result.summary);
}

void CCountJob::ForgetGoneRows()
{
    // Rows that went meanwhile: their counts, if they come, go nowhere.
    for (SRowJob& job : m_jobs) {
        if (job.eState != EState::Ended && m_model.FindRow(job.nRowId) < 0) {
            m_work.Cancel(job.nTicket);
            EndJob(job);
        }
    }
    ShowProgress();
    if (!IsFinished() && m_nEnded == int(m_jobs.size()))
        End(true);
}

void CCountJob::OnTick()
{
    MarkReading();
}

// The rows whose files have been read for a while show "Processing".
void CCountJob::MarkReading()
{
    const qint64 nNow = Now();
    std::vector<int> stillReading;
    for (int nJob : m_reading) {
        SRowJob& job = m_jobs[size_t(nJob)];
        if (job.eState == EState::Ended)
            continue;
        stillReading.push_back(nJob);
        if (job.eState == EState::Marked || nNow - job.nBegunAt < kShowProcessingMs)
            continue;
        const int nRow = m_model.FindRow(job.nRowId);
        if (nRow < 0 || !m_model.GetRecord(nRow).bInUse)
            continue;
        job.eState = EState::Marked;
        job.eStatusBefore = m_model.GetRecord(nRow).eStatus;
        m_model.SetStatus(nRow, EFileStatus::Processing);
    }
    m_reading.swap(stillReading);
}

void CCountJob::ShowProgress()
{
    // The file begun last of those being read.
    for (auto it = m_reading.rbegin(); it != m_reading.rend(); ++it) {
        const SRowJob& job = m_jobs[size_t(*it)];
        if (job.eState != EState::Ended) {
            SetPlace(DisplayFileName(job.path));
            break;
        }
    }
    SetProgress(m_nEnded, int(m_jobs.size()));
}

void CCountJob::OnStop()
{
    End(false);
}

// Ends the run: completed, or stopped at once; the rows being counted get back the status they had.
void CCountJob::End(bool bCompleted)
{
    for (SRowJob& job : m_jobs) {
        if (job.eState == EState::Ended)
            continue;
        m_work.Cancel(job.nTicket);
        const int nRow = job.eState == EState::Marked ? m_model.FindRow(job.nRowId) : -1;
        if (nRow >= 0 && m_model.GetRecord(nRow).eStatus == EFileStatus::Processing)
            m_model.SetStatus(nRow, job.eStatusBefore);
        EndJob(job);
    }
    if (bCompleted)
        m_outcome.nListedTwice = m_model.MarkFilesListedTwice();
    Finish();
}
