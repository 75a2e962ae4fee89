#include "FakeFileWork.h"

#include "count/core/FileRequests.h"

namespace {

class CPartsTo : public IReplySink {
public:
    CPartsTo(CFakeFileWork& work, quint64 nTicket) : m_work(work), m_nTicket(nTicket) {}
    void Part(const QByteArray& bytes) override
    {
        if (!Cancelled())
            m_work.asked[int(m_nTicket)].pClient->WorkPart(m_nTicket, bytes);
    }
    bool Cancelled() const override { return m_work.asked[int(m_nTicket)].bCancelled; }

private:
    CFakeFileWork& m_work;
    quint64 m_nTicket;
};

}  // namespace

quint64 CFakeFileWork::Submit(IFileWorkClient* pClient, const QByteArray& request)
{
    asked.append({pClient, request});
    return quint64(asked.size() - 1);
}

void CFakeFileWork::Cancel(quint64 nTicket)
{
    asked[int(nTicket)].bCancelled = true;
}

void CFakeFileWork::Begin(quint64 nTicket)
{
    if (!asked[int(nTicket)].bCancelled)
        asked[int(nTicket)].pClient->WorkBegun(nTicket);
}

void CFakeFileWork::Answer(quint64 nTicket)
{
    CPartsTo sink(*this, nTicket);
    Answer(nTicket, AnswerFileRequest(asked[int(nTicket)].request, sink));
}

void CFakeFileWork::Answer(quint64 nTicket, const QByteArray& answer)
{
    SAsked& a = asked[int(nTicket)];
    if (a.bCancelled || a.bAnswered)
        return;
    a.bAnswered = true;
    a.pClient->WorkDone(nTicket, answer);
}

void CFakeFileWork::AnswerAll()
{
    for (int i = 0; i < int(asked.size()); ++i) {
        if (!asked[i].bCancelled && !asked[i].bAnswered)
            Answer(quint64(i));
    }
}

QVector<quint64> CFakeFileWork::Open() const
{
    QVector<quint64> open;
    for (int i = 0; i < int(asked.size()); ++i) {
        if (!asked[i].bCancelled && !asked[i].bAnswered)
            open.append(quint64(i));
    }
    return open;
}
