// Work on files done away from the window's thread (by worker processes, see count/core), as the
// jobs of the window see it: a request goes out, and its news comes back in the window's loop.
#pragma once

#include <QByteArray>

// What a handler in a worker may do besides answering: send parts of its answer as it goes (a walk
// sends its files as it finds them), and learn that the answer is no longer wanted.
class IReplySink {
public:
    virtual ~IReplySink() = default;
    virtual void Part(const QByteArray& bytes) = 0;
    virtual bool Cancelled() const = 0;
};

class IFileWorkClient {
public:
    virtual ~IFileWorkClient() = default;
    // A worker began the request.
    virtual void WorkBegun(quint64 nTicket) { Q_UNUSED(nTicket); }
    // A part of the answer, in the order sent (a walk's files as they are found).
    virtual void WorkPart(quint64 nTicket, const QByteArray& part)
    {
        Q_UNUSED(nTicket);
        Q_UNUSED(part);
    }
    // The answer; empty when the request could not be done (every worker that tried it died).
    virtual void WorkDone(quint64 nTicket, const QByteArray& answer) = 0;
};

class IFileWork {
public:
    virtual ~IFileWork() = default;
    // The request's ticket; the client hears of it until it is answered or cancelled.
    virtual quint64 Submit(IFileWorkClient* pClient, const QByteArray& request) = 0;
    // No more news of the request: a worker inside it is told, and one stuck in it is let go.
    virtual void Cancel(quint64 nTicket) = 0;
};
