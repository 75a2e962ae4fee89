#include "FileRequests.h"

#include "DirectoryWalker.h"
#include "FileProblem.h"
#include "common/core/FileWork.h"

#include <QDataStream>
#include <QIODevice>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace {

enum ERequest : char {
    kKind = 'K',
    kFacts = 'I',
    kWalk = 'W',
    kReadFile = 'R',
};

// A walk's files go to the parent in parts: a part when this many are waiting, or when the oldest
// waiting one has waited this long (a slow share still shows its first rows at once). A directory
// entered is told in its place among the files, not on its own: a tree of many small folders would
// cost a message, and a wake-up of the parent, per folder.
constexpr int kPartEvents = 256;
constexpr auto kPartWait = std::chrono::milliseconds(100);

constexpr qint64 kReadPiece = 1 << 20;

void WriteFacts(QDataStream& out, const SFileFacts& f)
{
    out << f.nSize << f.nCreated << f.nModified << f.nDevice << f.nInode;
}

void ReadFacts(QDataStream& in, SFileFacts* f)
{
    in >> f->nSize >> f->nCreated >> f->nModified >> f->nDevice >> f->nInode;
}

// Hands the walk's findings to the parent in parts, and stops it when the parent no longer listens.
class CWalkParts : public IWalkHandler {
public:
    explicit CWalkParts(IReplySink& sink) : m_sink(sink) {}
    ~CWalkParts() override { Send(); }

    bool StopRequested() override
    {
        // Asked now and then also while the walk waits for the file system: what is found so far
        // need not wait for what is still to come.
        if (m_nPending > 0 && std::chrono::steady_clock::now() - m_firstPending >= kPartWait)
            Send();
        return m_sink.Cancelled();
    }
    void EnterDirectory(const QByteArray& dir) override
    {
        Add(SWalkEvent::EKind::Entered, dir, nullptr, 0);
        if (m_nPending >= kPartEvents)
            Send();
    }
    void FoundFile(const QByteArray& path, const SFileFacts* pFacts) override
    {
        Add(pFacts ? SWalkEvent::EKind::File : SWalkEvent::EKind::UnreadableFile, path, pFacts, 0);
        if (m_nPending >= kPartEvents)
            Send();
    }
    void UnreadableDirectory(const QByteArray& dir, int nErrno) override
    {
        Add(SWalkEvent::EKind::UnreadableDirectory, dir, nullptr, nErrno);
    }

private:
    void Add(SWalkEvent::EKind eKind, const QByteArray& path, const SFileFacts* pFacts, int nErrno)
    {
        if (m_nPending++ == 0) {
            m_part.clear();
            m_firstPending = std::chrono::steady_clock::now();
        }
        QDataStream out(&m_part, QIODevice::Append);
        out << quint8(eKind) << path;
        WriteFacts(out, pFacts ? *pFacts : SFileFacts());
        out << qint32(nErrno);
    }
    void Send()
    {
        if (m_nPending == 0)
            return;
        m_sink.Part(m_part);
        m_nPending = 0;
    }

    IReplySink& m_sink;
    QByteArray m_part;
    int m_nPending = 0;
    std::chrono::steady_clock::time_point m_firstPending;
};

QByteArray AnswerWalk(const QByteArray& args, IReplySink& sink)
{
    // The flags: 1 sub-folders, 2 the files' facts.
    const int nFlags = args.isEmpty() ? 0 : args[0] - '0';
    SWalkOptions options;
    options.bSubFolders = nFlags & 1;
    options.bFileFacts = nFlags & 2;
    {
        CWalkParts parts(sink);
        ScanDirectory(args.mid(1), options, parts);
    }
    return "E";
}

QByteArray AnswerReadFile(const QByteArray& path, IReplySink& sink)
{
    // Only a regular file is opened: a FIFO chosen by mistake would block the worker for good.
    CRegularFile file(path);
    if (!file.IsOpen()) {
        const QString strReason = UnreadableReason(path);
        return 'E' + (strReason.isEmpty() ? SystemReason(EIO) : strReason).toUtf8();
    }
    QByteArray piece(kReadPiece, Qt::Uninitialized);
    for (qint64 nAt = 0; !sink.Cancelled();) {
        const ssize_t n = ::pread(file.Fd(), piece.data(), size_t(piece.size()), off_t(nAt));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return 'E' + SystemReason(errno).toUtf8();
        if (n == 0)
            break;
        sink.Part(piece.left(qsizetype(n)));
        nAt += n;
    }
    return "K";
}

}  // namespace

QByteArray FactsRequest(const QByteArray& path)
{
    return kFacts + path;
}

QByteArray WalkRequest(const QByteArray& dir, bool bSubFolders, bool bFileFacts)
{
    return kWalk + QByteArray(1, char('0' + (bSubFolders ? 1 : 0) + (bFileFacts ? 2 : 0))) + dir;
}

QByteArray KindRequest(const QByteArray& path)
{
    return kKind + path;
}

bool ReadKindAnswer(const QByteArray& answer, EPathKind* peKind, int* pnErrno)
{
    QDataStream in(answer);
    quint8 nKind = 0;
    qint32 nErrno = 0;
    in >> nKind >> nErrno;
    if (in.status() != QDataStream::Ok || nKind > quint8(EPathKind::Other))
        return false;
    *peKind = EPathKind(nKind);
    *pnErrno = nErrno;
    return true;
}

QByteArray ReadFileRequest(const QByteArray& path)
{
    return kReadFile + path;
}

bool AnswerFsRequest(const QByteArray& request, IReplySink& sink, QByteArray* pAnswer)
{
    const QByteArray args = request.mid(1);
    switch (request.isEmpty() ? '\0' : request[0]) {
    case kKind: {
        errno = 0;
        const EPathKind eKind = PathKind(args);
        QDataStream out(pAnswer, QIODevice::WriteOnly);
        out << quint8(eKind) << qint32(eKind == EPathKind::Missing ? (errno ? errno : ENOENT) : 0);
        return true;
    }
    case kFacts: {
        SFileFacts facts;
        const EPathKind eKind = PathKind(args);
        const bool bReadable = eKind == EPathKind::Other && ReadFileFacts(args, &facts);
        *pAnswer = QByteArray(1, bReadable ? 'Y' : 'N');
        QDataStream out(pAnswer, QIODevice::Append);
        out << quint8(eKind);
        WriteFacts(out, facts);
        return true;
    }
    case kWalk:
        *pAnswer = AnswerWalk(args, sink);
        return true;
    case kReadFile:
        *pAnswer = AnswerReadFile(args, sink);
        return true;
    default:
        return false;
    }
}

bool ReadFactsAnswer(const QByteArray& answer, SFactsAnswer* pFacts)
{
    if (answer.isEmpty() || (answer[0] != 'Y' && answer[0] != 'N'))
        return false;
    QDataStream in(answer.mid(1));
    quint8 nKind = 0;
    in >> nKind;
    ReadFacts(in, &pFacts->facts);
    pFacts->eKind = EPathKind(std::min<quint8>(nKind, quint8(EPathKind::Other)));
    pFacts->bReadable = answer[0] == 'Y';
    return in.status() == QDataStream::Ok;
}

bool ReadWalkPart(const QByteArray& part, QVector<SWalkEvent>* pEvents)
{
    QDataStream in(part);
    while (!in.atEnd()) {
        SWalkEvent event;
        quint8 nKind = 0;
        qint32 nErrno = 0;
        in >> nKind >> event.path;
        ReadFacts(in, &event.facts);
        in >> nErrno;
        if (in.status() != QDataStream::Ok || nKind > quint8(SWalkEvent::EKind::UnreadableDirectory))
            return false;
        event.eKind = SWalkEvent::EKind(nKind);
        event.nErrno = nErrno;
        pEvents->append(std::move(event));
    }
    return true;
}

QString ReadFileAnswer(const QByteArray& answer)
{
    if (answer == "K")
        return QString();
    if (answer.startsWith('E'))
        return QString::fromUtf8(answer.mid(1));
    return SystemReason(EIO);
}
