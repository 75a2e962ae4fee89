// A directory scan as a job: a worker process walks the tree (sub-directories too when asked) and
// sends the files it finds, with their facts, in the walk's order; each becomes a row at the end of
// the list as it comes, a batch at a time: a list grows, and repaints, at most about every
// kAppendEveryMs, however fast the walk goes. The job's place is the directory being read.
#pragma once

#include "common/core/FileWork.h"
#include "common/core/Job.h"

#include "filelist/core/FileRecord.h"

#include <QByteArray>
#include <QVector>

class CFileListModel;

class CScanJob : public CJob, private IFileWorkClient {
    Q_OBJECT
public:
    static constexpr qint64 kAppendEveryMs = 20;

    CScanJob(CFileListModel& model, IFileWork& work, const QByteArray& dir, bool bSubFolders, QObject* pParent = nullptr);
    ~CScanJob() override;

private:
    void OnStart() override;
    void OnStop() override;
    void OnTick() override;
    void AppendFound();
    void WorkPart(quint64 nTicket, const QByteArray& part) override;
    void WorkDone(quint64 nTicket, const QByteArray& answer) override;

    CFileListModel& m_model;
    IFileWork& m_work;
    QByteArray m_dir;
    bool m_bSubFolders;
    quint64 m_nTicket = 0;
    bool m_bAsked = false;
    int m_nFound = 0;
    QVector<FileRecord> m_found;    // not yet in the list
    qint64 m_nAppendedAt = -1;
};
