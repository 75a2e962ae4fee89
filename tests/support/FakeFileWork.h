// Work on files that the test does itself, when it says and in the order it says: each request is
// kept until the test begins or answers it, with the program's own handler (as a worker would) or
// with an answer of the test's. The jobs are driven by it without workers and without waiting.
#pragma once

#include "common/core/FileWork.h"

#include <QByteArray>
#include <QVector>

class CFakeFileWork : public IFileWork {
public:
    struct SAsked {
        IFileWorkClient* pClient;
        QByteArray request;
        bool bCancelled = false;
        bool bAnswered = false;
    };

    quint64 Submit(IFileWorkClient* pClient, const QByteArray& request) override;
    void Cancel(quint64 nTicket) override;

    // Request nTicket: a worker begins it; answers it as a worker would, or with the given answer
    // (empty: every worker that tried it died).
    void Begin(quint64 nTicket);
    void Answer(quint64 nTicket);
    void Answer(quint64 nTicket, const QByteArray& answer);
    // Every request still asked, in order, until none is left (also those asked meanwhile).
    void AnswerAll();
    // The requests neither answered nor cancelled.
    QVector<quint64> Open() const;

    QVector<SAsked> asked;      // by ticket
};
