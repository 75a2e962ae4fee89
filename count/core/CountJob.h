// The count of the list as a job: every row in use (and not yet counted, unless all are counted
// again) is counted by the worker processes, many at once, while the window's loop runs on. Each
// result is written to its row as soon as it is known; rows that are being read for a while show
// "Processing". Rows are followed by their identity, so rows added, deleted, moved or sorted
// meanwhile are counted exactly once; each result adds to the pages total as it then stands.
#pragma once

#include "common/core/FileWork.h"
#include "common/core/Job.h"
#include "filelist/core/FileRecord.h"

#include <QHash>

#include <vector>

class CFileListModel;

class CCountJob : public CJob, private IFileWorkClient {
    Q_OBJECT
public:
    // A row whose file has been read this long shows "Processing"; a quicker one goes straight to
    // its result, without a flicker.
    static constexpr qint64 kShowProcessingMs = 50;

    CCountJob(CFileListModel& model, IFileWork& work, bool bRecountAll, QObject* pParent = nullptr);
    ~CCountJob() override;

    // What the "Done." box tells of a run that went to its end.
    struct SOutcome {
        int nShort = 0;         // counted short
        int nNotTiff = 0;       // "Invalid"
        int nUnreadable = 0;    // "Read Error"
        int nListedTwice = 0;   // files listed in more than one row in use
    };
    const SOutcome& Outcome() const { return m_outcome; }

    // Whether a row has a count that a second run leaves alone unless all are counted again.
    static bool IsCounted(const FileRecord& rec) { return rec.nPages > 0; }

private:
    enum class EState : quint8 { Waiting, Reading, Marked, Ended };

    struct SRowJob {
        quint64 nRowId;
        QByteArray path;
        quint64 nTicket = 0;
        EState eState = EState::Waiting;
        EFileStatus eStatusBefore = EFileStatus::Ready;     // while the row shows "Processing"
        qint64 nBegunAt = 0;
    };

    void OnStart() override;
    void OnStop() override;
    void OnTick() override;
    void WorkBegun(quint64 nTicket) override;
    void WorkDone(quint64 nTicket, const QByteArray& answer) override;

    void AddRow(const FileRecord& rec);
    void EndJob(SRowJob& job);
    void WriteResult(SRowJob& job, const QByteArray& answer);
    void ForgetGoneRows();
    void MarkReading();
    void ShowProgress();
    void End(bool bCompleted);

    CFileListModel& m_model;
    IFileWork& m_work;
    bool m_bRecountAll;
    std::vector<SRowJob> m_jobs;
    QHash<quint64, int> m_jobOfTicket;
    std::vector<int> m_reading;     // jobs begun and not yet written, in the order begun
    int m_nEnded = 0;
    SOutcome m_outcome;
};
