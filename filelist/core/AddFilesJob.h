// Files added by name (dropped on the window, or named on the command line) as a job: each is
// looked at by a worker process, many at once, and joins the list in the order given as soon as
// it and those before it have answered. A file that keeps the others waiting for long joins
// without its facts, which come when it answers; directories and paths that no longer exist are
// passed over.
#pragma once

#include "common/core/FileWork.h"
#include "common/core/Job.h"
#include "fs/FileRequests.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QVector>

class CFileListModel;

class CAddFilesJob : public CJob, private IFileWorkClient {
    Q_OBJECT
public:
    // A file that has not answered in this long no longer keeps those after it from the list.
    static constexpr qint64 kHoldUpMs = 1000;

    CAddFilesJob(CFileListModel& model, IFileWork& work, const QList<QByteArray>& paths, QObject* pParent = nullptr);
    ~CAddFilesJob() override;

private:
    struct SItem {
        QByteArray path;
        quint64 nTicket = 0;
        bool bAnswered = false;
        SFactsAnswer answer;
        quint64 nRowId = 0;     // joined without its facts: the row that waits for them
        qint64 nAskedAt = 0;
    };

    void OnStart() override;
    void OnStop() override;
    void OnTick() override;
    void WorkBegun(quint64 nTicket) override;
    void WorkDone(quint64 nTicket, const QByteArray& answer) override;

    void JoinAnswered();
    void EndIfDone();

    CFileListModel& m_model;
    IFileWork& m_work;
    QVector<SItem> m_items;
    QHash<quint64, int> m_itemOfTicket;
    int m_nNext = 0;            // the first item not yet in the list
    int m_nAnswered = 0;
};
