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

class CListWalk : public IWalkHandler {
public:
    explicit CListWalk(SListing& listing) : m_listing(listing) {}
    bool StopRequested() override { return m_bStopped; }
    void FoundFile(const QByteArray& path, const SFileFacts*) override
    {
        m_bStopped = m_bStopped || !m_listing.Add(EListedAs::File, path);
    }
    void UnreadableDirectory(const QByteArray& dir, int nErrno) override
    {
        m_listing.Error(ProgramLine("cannot read directory " + dir + ": " + ReasonOf(nErrno)));
        m_listing.bUnreadableList = true;
    }
    bool Stopped() const { return m_bStopped; }

private:
    SListing& m_listing;
    bool m_bStopped = false;
};

// Lists a path as the window would: a file as given, a directory walked; false once the run has
// stopped listening.
bool ListPath(SListing& listing, const SCountOptions& options, const QByteArray& path)
{
    errno = 0;
    const EPathKind eKind = PathKind(path);
    if (eKind == EPathKind::Missing) {
        listing.Error(ProgramLine(path + ": " + ReasonOf(errno ? errno : ENOENT)));
        listing.bMissing = true;
        return listing.Add(EListedAs::Missing, path);
    }
    if (eKind == EPathKind::Other)
        return listing.Add(EListedAs::File, path);
    SWalkOptions walk;
    walk.bSubFolders = options.bRecursive;
    if (options.nInFlight > 0)
        walk.nInFlight = options.nInFlight;
    CListWalk handler(listing);
    ScanDirectory(path, walk, handler);
    return !handler.Stopped();
}

// The paths of --files-from, read as they come: a list of any length starts counting at once.
bool ListPathsFrom(SListing& listing, const SCountOptions& options, int nInputFd)
{
    const bool bStandardInput = options.filesFrom == "-";
    const int fd = bStandardInput ? nInputFd : OpenPath(options.filesFrom, O_RDONLY);
    if (fd < 0) {
        listing.Error(ProgramLine("cannot read " + options.filesFrom + ": " + ReasonOf(errno)));
        listing.bUnreadableList = true;
        return true;
    }
    const char cEnd = options.bNullSeparated ? '\0' : '\n';
    const auto entryEnds = [&](QByteArray entry) {
        if (!options.bNullSeparated && entry.endsWith('\r'))
            entry.chop(1);
        return entry.isEmpty() || ListPath(listing, options, entry);
    };
    QByteArray pending;
    char buffer[64 * 1024];
    bool bListening = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            listing.Error(ProgramLine("cannot read " + options.filesFrom + ": " + ReasonOf(errno)));
            listing.bUnreadableList = true;
            pending.clear();    // a name cut short by the failure is not taken for a path
            break;
        }
        if (n == 0)
            break;
        pending.append(buffer, n);
        qsizetype nStart = 0;
        for (qsizetype nAt; bListening && (nAt = pending.indexOf(cEnd, nStart)) >= 0; nStart = nAt + 1)
            bListening = entryEnds(pending.mid(nStart, nAt - nStart));
        pending.remove(0, nStart);
        if (!bListening)
            break;
    }
    if (bListening && !pending.isEmpty())
        bListening = entryEnds(pending);
    if (!bStandardInput)
        ::close(fd);
    return bListening;
}

void ListEverything(const std::shared_ptr<SListing>& pListing, const SCountOptions& options, int nInputFd)
{
    bool bListening = true;
    for (const QByteArray& path : options.paths) {
        if (!(bListening = ListPath(*pListing, options, path)))
            break;
    }
    if (bListening && !options.filesFrom.isEmpty())
        ListPathsFrom(*pListing, options, nInputFd);
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
    CWorkerProcesses workers(CWorkerSpawner::Fork(streams.handler ? streams.handler : RequestHandler(AnswerFileRequest)),
                             {options.nJobs, options.nInFlight});
    auto pListing = std::make_shared<SListing>();
    pListing->pErrors = &errors;
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
