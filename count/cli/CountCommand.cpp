#include "CountCommand.h"

#include "CliStreams.h"
#include "ListCount.h"
#include "count/core/FileRequests.h"
#include "count/core/FileResult.h"
#include "filelist/core/CFileListModel.h"
#include "fs/DirectoryWalker.h"
#include "fs/FileFacts.h"
#include "fs/FileProblem.h"
#include "persist/core/BillingReports.h"
#include "persist/core/CsvReport.h"
#include "persist/core/ProfileReport.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPair>
#include <QIODevice>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <system_error>
#include <thread>

namespace {

QByteArray ProgramLine(const QByteArray& what)
{
    return QByteArray(kCountProgram) + ": " + what + '\n';
}

QByteArray ReasonOf(int nErrno)
{
    return SystemReason(nErrno).toUtf8();
}

// What the thread that lists the files shares with the one that counts them; it may outlive a run
// that stopped early (a walk waiting for a share that does not answer), so it holds its own.
struct SListing {
    CItemQueue queue;
    std::shared_ptr<CWorkerSpawner> pSpawner;   // the lister's worker comes from it too
    EListedAs eFiles = EListedAs::File;     // how a file to count is listed (Pages: with each page's tags)
    std::mutex mutex;
    CErrorStream* pErrors = nullptr;    // null once the run has ended
    std::atomic<qint64> nFound{0};
    std::atomic<bool> bAllFound{false};
    std::atomic<bool> bMissing{false};          // a PATH that does not exist
    std::atomic<bool> bUnreadableList{false};   // a directory, or the list of --files-from

    void Error(const QByteArray& lines)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (pErrors)
            pErrors->Write(lines);
    }
    bool Add(EListedAs eAs, const QByteArray& path)
    {
        if (!queue.Push(ListedItem(eAs == EListedAs::File ? eFiles : eAs, path)))
            return false;
        if (eAs == EListedAs::File)
            ++nFound;
        return true;
    }
};

// The lister's own worker: what a named path is, every walk and every read of --files-from's list
// happen there, so that a share that stops answering keeps no thread of this process (which could
// then never end), and --timeout gives up on it.
class CListerWork {
public:
    CListerWork(std::shared_ptr<CWorkerSpawner> pSpawner, int nTimeoutSeconds)
        : m_workers(std::move(pSpawner), {1, 4}), m_nTimeoutMs(qint64(nTimeoutSeconds) * 1000)
    {
    }

    // Runs a request to its end, handing its parts on; false when onPart said stop, or when it
    // gave no sign of life for the timeout (*pbTimedOut). onPart may run requests of its own (a
    // path of --files-from is looked at while the list is read): what comes for another request
    // waits for it.
    bool Run(const QByteArray& request, const std::function<bool(const QByteArray&)>& onPart, QByteArray* pAnswer,
             bool* pbTimedOut = nullptr)
    {
        const qint64 nId = m_workers.Submit(request);
        auto lastSign = std::chrono::steady_clock::now();
        for (;;) {
            for (SWorkEvent& event : m_workers.Pump())
                m_waiting[event.nId].push_back(std::move(event));
            std::deque<SWorkEvent>& mine = m_waiting[nId];
            while (!mine.empty()) {
                SWorkEvent event = std::move(mine.front());
                mine.pop_front();
                lastSign = std::chrono::steady_clock::now();
                if (event.eKind == SWorkEvent::EKind::Part && onPart) {
                    if (!onPart(event.bytes)) {
                        m_workers.Cancel(nId);
                        m_waiting.remove(nId);
                        return false;
                    }
                    // Its own waits for other requests are not this one's.
                    lastSign = std::chrono::steady_clock::now();
                }
                if (event.eKind == SWorkEvent::EKind::Done) {
                    *pAnswer = std::move(event.bytes);
                    m_waiting.remove(nId);
                    return true;
                }
            }
            if (m_nTimeoutMs > 0 && std::chrono::steady_clock::now() - lastSign >= std::chrono::milliseconds(m_nTimeoutMs)) {
                m_workers.Cancel(nId);
                m_waiting.remove(nId);
                if (pbTimedOut)
                    *pbTimedOut = true;
                return false;
            }
            WaitForWork(m_workers, 100);
        }
    }
    int TimeoutSeconds() const { return int(m_nTimeoutMs / 1000); }

private:
    CWorkerProcesses m_workers;
    qint64 m_nTimeoutMs;
    QHash<qint64, std::deque<SWorkEvent>> m_waiting;
};

QByteArray NoAnswerLine(int nSeconds)
{
    return "no answer in " + QByteArray::number(nSeconds) + " s";
}

// Lists a path as the window would: a file as given, a directory walked; false once the run has
// stopped listening.
bool ListPath(SListing& listing, CListerWork& work, const SCountOptions& options, const QByteArray& path)
{
    QByteArray answer;
    bool bTimedOut = false;
    EPathKind eKind = EPathKind::Missing;
    int nErrno = 0;
    if (!work.Run(KindRequest(path), {}, &answer, &bTimedOut) || !ReadKindAnswer(answer, &eKind, &nErrno)) {
        // It does not say what it is: it is counted as a file, and its count gives up on it too.
        return listing.Add(EListedAs::File, path);
    }
    if (eKind == EPathKind::Missing) {
        listing.Error(ProgramLine(path + ": " + ReasonOf(nErrno)));
        listing.bMissing = true;
        return listing.Add(EListedAs::Missing, path);
    }
    if (eKind == EPathKind::Other)
        return listing.Add(EListedAs::File, path);
    bool bListening = true;
    const auto onPart = [&](const QByteArray& part) {
        QVector<SWalkEvent> events;
        ReadWalkPart(part, &events);
        for (const SWalkEvent& event : events) {
            if (event.eKind == SWalkEvent::EKind::UnreadableDirectory) {
                listing.Error(ProgramLine("cannot read directory " + event.path + ": " + ReasonOf(event.nErrno)));
                listing.bUnreadableList = true;
            } else if (event.eKind != SWalkEvent::EKind::Entered) {
                bListening = bListening && listing.Add(EListedAs::File, event.path);
            }
        }
        return bListening;
    };
    if (!work.Run(WalkRequest(path, options.bRecursive, false), onPart, &answer, &bTimedOut) && bTimedOut) {
        listing.Error(ProgramLine("cannot read directory " + path + ": " + NoAnswerLine(work.TimeoutSeconds())));
        listing.bUnreadableList = true;
    }
    return bListening;
}

// The paths of --files-from, read as they come: a list of any length starts counting at once.
bool ListPathsFrom(SListing& listing, CListerWork& work, const SCountOptions& options, int nInputFd)
{
    const char cEnd = options.bNullSeparated ? '\0' : '\n';
    QByteArray pending;
    bool bListening = true;
    const auto entryEnds = [&](QByteArray entry) {
        if (!options.bNullSeparated && entry.endsWith('\r'))
            entry.chop(1);
        return entry.isEmpty() || ListPath(listing, work, options, entry);
    };
    const auto take = [&](const QByteArray& bytes) {
        pending.append(bytes);
        qsizetype nStart = 0;
        for (qsizetype nAt; bListening && (nAt = pending.indexOf(cEnd, nStart)) >= 0; nStart = nAt + 1)
            bListening = entryEnds(pending.mid(nStart, nAt - nStart));
        pending.remove(0, nStart);
        return bListening;
    };
    QString strError;
    if (options.filesFrom == "-") {
        // Standard input is the program's own: it is read here, as it comes.
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(nInputFd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                strError = SystemReason(errno);
            if (n <= 0 || !take(QByteArray(buffer, n)))
                break;
        }
    } else {
        // A list on a share is read by the lister's worker, as it comes.
        QByteArray answer;
        bool bTimedOut = false;
        if (!work.Run(ReadFileRequest(options.filesFrom), take, &answer, &bTimedOut))
            strError = bTimedOut ? QString::fromUtf8(NoAnswerLine(work.TimeoutSeconds())) : QString();
        else
            strError = ReadFileAnswer(answer);
    }
    if (!strError.isEmpty()) {
        listing.Error(ProgramLine("cannot read " + options.filesFrom + ": " + strError.toUtf8()));
        listing.bUnreadableList = true;
        return bListening;
    }
    // A name cut short by a failure is not taken for a path; the last one without its end is.
    if (bListening && !pending.isEmpty())
        bListening = entryEnds(pending);
    return bListening;
}

void ListEverything(const std::shared_ptr<SListing>& pListing, const SCountOptions& options, int nInputFd)
{
    CListerWork work(pListing->pSpawner, options.nTimeout);
    bool bListening = true;
    for (const QByteArray& path : options.paths) {
        if (!(bListening = ListPath(*pListing, work, options, path)))
            break;
    }
    if (bListening && !options.filesFrom.isEmpty())
        ListPathsFrom(*pListing, work, options, nInputFd);
    pListing->bAllFound = true;
    pListing->queue.Close();
}

bool ShowProgress(const SCountOptions& options, const SCountStreams& streams, bool bReportOnTerminal)
{
    if (options.nProgress == 0 || !streams.bErrTerminal)
        return false;
    // By default only when the report does not go to a terminal too.
    return options.nProgress == 1 || !bReportOnTerminal;
}

// The run's tally as results arrive, whatever their order.
void AddToTally(SRunTally* pTally, const QByteArray& bytes)
{
    const SFileResult head = ResultHead(bytes);
    using EOutcome = SFileResult::EOutcome;
    if (head.eOutcome == EOutcome::Missing)
        return;
    ++pTally->nFiles;
    pTally->nPages += std::max<qint64>(0, head.ReportedPages());
    pTally->nShort += head.IsShort() ? 1 : 0;
    pTally->nUnreadable += head.eOutcome == EOutcome::Unreadable || head.eOutcome == EOutcome::NoAnswer ? 1 : 0;
    pTally->nLost += head.eOutcome == EOutcome::Lost ? 1 : 0;
}

// Writes the rows of the report as they come, in list order, and keeps the run's outcome.
class CReportRows {
public:
    CReportRows(const SCountOptions& options, QIODevice* pDevice, CErrorStream& errors, bool bFlushEachRow)
        : m_options(options), m_pDevice(pDevice), m_out(pDevice), m_errors(errors), m_bFlushEachRow(bFlushEachRow)
    {
        // The profile and the per-page lines always begin with their header (the folder summary and
        // the audit report write theirs when the list is whole).
        if (options.eKind == EReportKind::Profile)
            m_out.Write(ProfileHeaderLine());
        else if (options.eKind == EReportKind::Pages)
            m_out.Write(PageCsvHeaderLine());
        else if (options.eKind == EReportKind::Files && options.bHeader)
            m_out.Write(CsvHeaderLine());
    }

    bool Take(const QByteArray& item, const QByteArray& bytes)
    {
        const QByteArray path = ItemPath(item);
        SFileResult result;
        if (bytes.isEmpty() || !DeserializeResult(bytes, &result))
            result = LostResult(path);
        using EOutcome = SFileResult::EOutcome;
        const bool bNotTiff = result.eOutcome != EOutcome::Counted || result.nPages == PAGES_NOT_TIFF;
        const bool bLeftOut = m_options.bOnlyTiff && bNotTiff && result.eOutcome != EOutcome::Lost &&
                              result.eOutcome != EOutcome::NoAnswer;
        m_bFailed = m_bFailed || result.eOutcome == EOutcome::Lost || result.eOutcome == EOutcome::NoAnswer ||
                    (result.eOutcome == EOutcome::Unreadable && !m_options.bOnlyTiff);
        m_bShort = m_bShort || result.IsShort();
        m_errors.Write(ErrorLines(path, result, m_options.bVerbose) + ListedBefore(path, result));
        if (bLeftOut)
            return true;
        m_nPages += std::max<qint64>(0, result.ReportedPages());
        WriteRow(path, result);
        if (m_bFlushEachRow) {
            m_errors.ClearProgress();
            m_out.Flush();
        }
        // A report that cannot be written is not worth counting on for.
        return m_out.Ok();
    }

    bool Finish()
    {
        switch (m_options.eKind) {
        case EReportKind::Files:
            if (m_options.bTotal)
                m_out.Write(CsvTotalLine(m_nPages));
            break;
        case EReportKind::Pages:
            if (m_options.bTotal)
                m_out.Write(PageCsvTotalLine(m_nPages));
            break;
        case EReportKind::Profile:
            // The profile always ends with its totals.
            m_out.Write(ProfileTotalLines(m_profileTotals));
            break;
        case EReportKind::Summary:
        case EReportKind::Audit:
            return m_out.Flush() && WriteListReport();
        }
        return m_out.Flush();
    }

    // The device's reason when a write failed; empty while every write succeeded.
    QString WriteError() const { return m_out.Ok() ? QString() : m_out.ErrorString(); }
    bool Failed() const { return m_bFailed; }
    bool Short() const { return m_bShort; }

private:
    void WriteRow(const QByteArray& path, const SFileResult& result)
    {
        switch (m_options.eKind) {
        case EReportKind::Profile: {
            // The lines the window's Page Profile report writes for the same file.
            const CPageSummary summary = result.ReportedPages() >= 0 ? result.summary : CPageSummary();
            m_profileTotals.Add(summary);
            m_out.Write(ProfileFileLines(path, summary));
            return;
        }
        case EReportKind::Pages:
            for (int i = 0; i < int(result.pages.size()); ++i)
                m_out.Write(PageCsvLine(path, i + 1, result.pages[i]));
            return;
        case EReportKind::Summary:
        case EReportKind::Audit:
            m_rows.append(RecordOf(path, result));
            return;
        case EReportKind::Files:
            break;
        }
        m_out.Write(m_options.eFormat == EReportFormat::JsonLines ? JsonLineOf(path, result) : CsvLineOf(path, result));
    }

    // The folder summary and the audit report: the window's, of the same rows, written once the list
    // is whole (a folder's sums and a file's other listing may come from any later file).
    bool WriteListReport()
    {
        CFileListModel list;
        list.AppendRows(std::move(m_rows));
        list.MarkFilesListedTwice();
        std::unique_ptr<CReportWriter> pWriter;
        if (m_options.eKind == EReportKind::Summary)
            pWriter = std::make_unique<CFolderSummaryWriter>(m_pDevice);
        else
            pWriter = std::make_unique<CAuditReportWriter>(m_pDevice);
        pWriter->WriteHeader();
        pWriter->WriteRowsInUse(list);
        pWriter->WriteTotal();
        return pWriter->Flush();
    }

    // A file listed again (the same path, or the same file through a link) is named, so that it is
    // not billed twice; the report keeps its row as the window keeps it.
    QByteArray ListedBefore(const QByteArray& path, const SFileResult& result)
    {
        const auto byPath = m_firstByPath.constFind(path);
        QByteArray first = byPath == m_firstByPath.constEnd() ? QByteArray() : *byPath;
        const bool bKnown = result.bHasFacts && result.facts.nInode != 0;
        const QPair<quint64, quint64> file(result.facts.nDevice, result.facts.nInode);
        if (first.isNull() && bKnown)
            first = m_firstByFile.value(file);
        if (first.isNull()) {
            m_firstByPath.insert(path, path);
            if (bKnown)
                m_firstByFile.insert(file, path);
            return QByteArray();
        }
        return QByteArray(kCountProgram) + ": " + path + ": listed more than once: the same file as " + first +
               '\n';
    }

    const SCountOptions& m_options;
    QIODevice* m_pDevice;
    CBlockWriter m_out;
    CErrorStream& m_errors;
    bool m_bFlushEachRow;
    qint64 m_nPages = 0;        // of the rows written: the total line's sum
    bool m_bFailed = false;
    bool m_bShort = false;
    CPageSummary m_profileTotals;
    QVector<FileRecord> m_rows;     // of the folder summary and the audit report
    QHash<QByteArray, QByteArray> m_firstByPath;
    QHash<QPair<quint64, quint64>, QByteArray> m_firstByFile;
};

}  // namespace

int RunCountCommand(const QList<QByteArray>& args, const SCountStreams& streams)
{
    SCountOptions options;
    QString strError;
    if (!ParseCountArguments(args, &options, &strError)) {
        streams.pErr->write(QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(QLatin1String(kCountProgram), strError).toUtf8());
        return 2;
    }
    if (options.bHelp || options.bVersion) {
        const QByteArray text = (options.bHelp ? CountUsage() : CountVersion()).toUtf8();
        if (streams.pOut->write(text) == text.size())
            return 0;
        streams.pErr->write(ProgramLine("cannot write to standard output: " + streams.pOut->errorString().toUtf8()));
        return 1;
    }

    CReportOutput output;
    if (!output.Open(options.output, streams.pOut, streams.nOutFd, &strError)) {
        streams.pErr->write(ProgramLine("cannot write " + options.output + ": " + strError.toUtf8()));
        return 1;
    }
    const bool bReportOnTerminal = output.IsStandardOutput() ? streams.bOutTerminal : output.IsTerminal();
    CErrorStream errors(*streams.pErr, ShowProgress(options, streams, bReportOnTerminal));
    // The workers' spawner is made before any thread of this process.
    const std::shared_ptr<CWorkerSpawner> pSpawner =
        CWorkerSpawner::Fork(streams.handler ? streams.handler : RequestHandler(AnswerFileRequest));
    CWorkerProcesses workers(pSpawner, {options.nJobs, options.nInFlight});
    auto pListing = std::make_shared<SListing>();
    pListing->pErrors = &errors;
    pListing->pSpawner = pSpawner;
    if (options.eKind == EReportKind::Pages)
        pListing->eFiles = EListedAs::Pages;
    std::thread lister;
    try {
        lister = std::thread(ListEverything, pListing, options, streams.nInputFd);
    } catch (const std::system_error&) {
        // No thread may list while the files are counted: the list is made whole first.
        pListing->queue.Unbind();
        ListEverything(pListing, options, streams.nInputFd);
    }

    const bool bFlushEachRow = errors.ShowsProgress() && bReportOnTerminal;
    CReportRows rows(options, output.Device(), errors, bFlushEachRow);
    QElapsedTimer clock;
    clock.start();
    // The progress counts the files as they are finished, in whatever order: a long file early in
    // the list holds up the report's rows, not the count.
    SRunTally tally;
    // A file that keeps the count waiting long is named.
    QByteArray waiting;
    const auto showProgress = [&] {
        if (errors.ShowsProgress())
            errors.Progress(ProgressText(tally.nFiles, pListing->nFound, pListing->bAllFound, tally.nPages,
                                         double(clock.elapsed()) / 1000) +
                            waiting);
    };
    SListedCount count;
    count.onResult = [&](qint64, const QByteArray& item, const QByteArray& result) { return rows.Take(item, result); };
    count.onArrival = [&](qint64, const QByteArray& result) {
        AddToTally(&tally, result);
        showProgress();
    };
    // Where no worker process can be made (a process limit), the files are counted here: said once.
    bool bSaidInProcess = false;
    count.tick = [&](const QByteArray& item, qint64 nWaitedMs) {
        waiting = nWaitedMs >= kNameWaitingMs ? WaitingText(ItemPath(item), nWaitedMs / 1000) : QByteArray();
        showProgress();
        const QString strInProcess = workers.InProcessReason();
        if (!bSaidInProcess && !strInProcess.isEmpty()) {
            bSaidInProcess = true;
            errors.Write(ProgramLine(strInProcess.toUtf8() + "; counting in this process"));
        }
    };
    count.nGiveUpMs = qint64(options.nTimeout) * 1000;
    count.giveUp = [](const QByteArray&, qint64 nWaitedMs) { return SerializeResult(NoAnswerResult(nWaitedMs / 1000)); };
    const bool bWhole = CountListed(workers, pListing->queue, count);
    const int nRunErrno = errno;
    {
        std::lock_guard<std::mutex> lock(pListing->mutex);
        pListing->pErrors = nullptr;
    }
    pListing->queue.Abandon();
    if (lister.joinable() && bWhole)
        lister.join();
    else if (lister.joinable())
        lister.detach();    // told to stop; it may be waiting for a share, and holds what it uses
    errors.ClearProgress();
    if (!bWhole || !rows.Finish()) {
        output.Discard();
        const QString strWriteError = rows.WriteError();
        errors.Write(ProgramLine(strWriteError.isEmpty() ? "cannot count: " + ReasonOf(nRunErrno)
                                                         : "cannot write the report: " + strWriteError.toUtf8()));
        return 1;
    }
    if (!output.Commit(&strError)) {
        errors.Write(ProgramLine("cannot write " + options.output + ": " + strError.toUtf8()));
        return 1;
    }
    if (errors.ShowsProgress())
        errors.Write(SummaryText(tally, double(clock.elapsed()) / 1000) + '\n');
    if (pListing->bMissing || pListing->bUnreadableList || rows.Failed())
        return 1;
    return rows.Short() ? 3 : 0;
}

int RunCountCommand(const QList<QByteArray>& args, QIODevice& out, QIODevice& err)
{
    SCountStreams streams;
    streams.pOut = &out;
    streams.pErr = &err;
    return RunCountCommand(args, streams);
}
