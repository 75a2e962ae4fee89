#include "CountCommand.h"

#include "WorkerProcesses.h"
#include "count/core/PageCounter.h"
#include "filelist/core/DirectoryWalker.h"
#include "filelist/core/FileFacts.h"
#include "filelist/core/FileRecord.h"
#include "persist/core/CsvReport.h"

#include <QIODevice>

#include <cerrno>
#include <cstring>

namespace {

const char kProgram[] = "pagewick-count";

// A line of standard error about a file: the program, the path's own bytes, what happened.
QByteArray FileLine(const QByteArray& path, const QString& strWhat)
{
    return QByteArray(kProgram) + ": " + path + ": " + strWhat.toUtf8() + '\n';
}

class CCollectFiles : public IWalkHandler {
public:
    CCollectFiles(QList<QByteArray>& files, QIODevice& err) : m_files(files), m_err(err) {}
    void FoundFile(const QByteArray& path, const SFileFacts*) override { m_files.append(path); }
    void UnreadableDirectory(const QByteArray& dir, int nErrno) override
    {
        m_err.write(QByteArray(kProgram) + ": cannot read directory " + dir + ": " + std::strerror(nErrno) + '\n');
        m_bFailed = true;
    }
    bool Failed() const { return m_bFailed; }

private:
    QList<QByteArray>& m_files;
    QIODevice& m_err;
    bool m_bFailed = false;
};

// What a worker sends back for a file: the count's outcome, the CSV line and what standard error
// says of it.
struct SRowHead {
    qint32 nPages;
    qint32 bShort;
    qint64 nPagesValue;
    qint32 nLineBytes;
};

QByteArray CountRow(const QByteArray& path)
{
    SFileFacts facts;
    const SPageCount count = CountPagesOf(path, &facts, false);
    FileRecord rec = MakeFileRecord(path, true, count.nPages == PAGES_READ_ERROR ? nullptr : &facts);
    rec.nPages = count.nPages >= 0 ? count.nPages : -1;
    const QByteArray line = CsvRowLine(rec);
    // libtiff's messages name the file they belong to; the one that cut a count short stands in
    // the line that says so.
    QByteArray err;
    for (const QString& strMessage : count.messages) {
        if (!count.IsShort() || strMessage != count.strReason)
            err += FileLine(path, strMessage);
    }
    if (count.IsShort())
        err += FileLine(path, ShortCountClause(count));
    const SRowHead head{count.nPages, count.IsShort() ? 1 : 0, rec.nPages, qint32(line.size())};
    return QByteArray(reinterpret_cast<const char*>(&head), sizeof head) + line + err;
}

}  // namespace

QString CountUsage()
{
    return QStringLiteral(
        "Usage: pagewick-count [-r] [-j N] [--header] [--total] PATH...\n"
        "\n"
        "Counts the pages of TIFF files and writes a CSV report of them to standard output.\n"
        "\n"
        "Each PATH that is a file is listed as given. A directory is walked: its files are\n"
        "listed in name order; its sub-directories are entered only with -r, never when\n"
        "their name begins with \".\", and each directory only once, even through links.\n"
        "File names are written with the bytes the file system holds.\n"
        "\n"
        "Every listed file is one line: Filename,File Bytes,Created Time,Modified Time,Pages\n"
        "(CR LF line ends; fields with a comma, quote or line break are quoted). Pages is\n"
        "empty for a file that is not TIFF or cannot be read, and 0 for a TIFF file that\n"
        "libtiff cannot open. Files are counted on every core; rows come out in list order.\n"
        "\n"
        "Options:\n"
        "  -r          walk sub-directories too\n"
        "  -j N        count with N workers (default: one per core; -j 1 for one)\n"
        "  --header    begin with the line Filename,File Bytes,Created Time,Modified Time,Pages\n"
        "  --total     end with a line of four empty fields and the sum of the pages\n"
        "  --help      show this text\n"
        "\n"
        "Standard error names each file that could not be read, each directory that could not\n"
        "be read, and each file whose count fell short: its directory chain ended on damage,\n"
        "looped, or reached libtiff's limit of directories (\"FILE: counted 4 pages, damaged\n"
        "after page 4: ...\"); libtiff's other messages name their file too.\n"
        "\n"
        "Exit status: 0 when every PATH exists and every count is complete; 1 when a PATH\n"
        "does not exist, a directory could not be read, or the report could not be written\n"
        "(counting stops at the first failed write); 2 on a usage error; 3 when all is\n"
        "otherwise well but some count fell short.\n");
}

bool ParseCountArguments(const QList<QByteArray>& args, SCountOptions* pOptions, QString* pError)
{
    *pOptions = SCountOptions();
    bool bOptionsEnd = false;
    for (int i = 0; i < int(args.size()); ++i) {
        const QByteArray& arg = args[i];
        if (bOptionsEnd || !arg.startsWith('-') || arg == "-") {
            pOptions->paths.append(arg);
        } else if (arg == "--") {
            bOptionsEnd = true;
        } else if (arg == "-r") {
            pOptions->bRecursive = true;
        } else if (arg == "--header") {
            pOptions->bHeader = true;
        } else if (arg == "--total") {
            pOptions->bTotal = true;
        } else if (arg == "--help" || arg == "-h") {
            pOptions->bHelp = true;
        } else if (arg.startsWith("-j")) {
            QByteArray value = arg.mid(2);
            if (value.isEmpty()) {
                if (i + 1 >= int(args.size())) {
                    *pError = QStringLiteral("-j needs a number of workers");
                    return false;
                }
                value = args[++i];
            }
            bool bOk = false;
            const int nJobs = value.toInt(&bOk);
            if (!bOk || nJobs < 1 || nJobs > 256) {
                *pError = QStringLiteral("-j needs a number of workers from 1 to 256, not \"%1\"")
                              .arg(QString::fromUtf8(value));
                return false;
            }
            pOptions->nJobs = nJobs;
        } else {
            *pError = QStringLiteral("unknown option %1").arg(QString::fromUtf8(arg));
            return false;
        }
    }
    if (pOptions->paths.isEmpty() && !pOptions->bHelp) {
        *pError = QStringLiteral("no PATH given");
        return false;
    }
    return true;
}

int RunCountCommand(const QList<QByteArray>& args, QIODevice& out, QIODevice& err)
{
    SCountOptions options;
    QString strError;
    if (!ParseCountArguments(args, &options, &strError)) {
        err.write(QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(QLatin1String(kProgram), strError).toUtf8());
        return 2;
    }
    if (options.bHelp) {
        out.write(CountUsage().toUtf8());
        return 0;
    }

    // The list, as the window would hold it.
    bool bAllExist = true;
    QList<QByteArray> files;
    QList<QByteArray> missing;      // already named on standard error
    CCollectFiles collect(files, err);
    for (const QByteArray& path : options.paths) {
        errno = 0;
        const EPathKind eKind = PathKind(path);
        if (eKind == EPathKind::Missing) {
            const int nErrno = errno ? errno : ENOENT;
            err.write(FileLine(path, QString::fromLocal8Bit(std::strerror(nErrno))));
            bAllExist = false;
            missing.append(path);
            files.append(path);
        } else if (eKind == EPathKind::Directory) {
            ScanDirectory(path, options.bRecursive, collect);
        } else {
            files.append(path);
        }
    }

    CCsvReportWriter writer(&out);
    if (options.bHeader)
        writer.WriteHeader();
    bool bShort = false;
    // Each worker counts a file and makes its line; the lines come back in list order.
    const auto countRow = [&files](int nIndex) { return CountRow(files[nIndex]); };
    RunInWorkerProcesses(int(files.size()), options.nJobs, countRow, [&](int nIndex, const QByteArray& result) {
        const QByteArray& path = files[nIndex];
        SRowHead head;
        if (result.size() < qsizetype(sizeof head)) {
            // The workers died on this file: it is listed as one that could not be read.
            err.write(FileLine(path, QStringLiteral("counting failed")));
            writer.WriteRowLine(CsvRowLine(MakeFileRecord(path, true, nullptr)), -1);
        } else {
            std::memcpy(&head, result.constData(), sizeof head);
            const QByteArray line = result.mid(sizeof head, head.nLineBytes);
            const QByteArray lines = result.mid(qsizetype(sizeof head) + head.nLineBytes);
            if (head.nPages == PAGES_READ_ERROR && !missing.contains(path))
                err.write(QByteArray(kProgram) + ": cannot read " + path + '\n');
            if (!lines.isEmpty())
                err.write(lines);
            bShort = bShort || head.bShort;
            writer.WriteRowLine(line, head.nPagesValue);
        }
        // A report that cannot be written is not worth counting on for.
        return writer.Ok();
    });
    if (options.bTotal)
        writer.WriteTotal();
    if (!writer.Flush()) {
        err.write(QByteArray(kProgram) + ": cannot write the report\n");
        return 1;
    }
    if (!bAllExist || collect.Failed())
        return 1;
    return bShort ? 3 : 0;
}
