#include "CountCommand.h"

#include "WorkerProcesses.h"
#include "PageCounter.h"
#include "filelist/core/DirectoryWalker.h"
#include "filelist/core/FileFacts.h"
#include "filelist/core/FileRecord.h"
#include "persist/core/CsvReport.h"

#include <QFile>
#include <QIODevice>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

const char kProgram[] = "pagewick-count";

class CCollectFiles : public IWalkHandler {
public:
    CCollectFiles(QStringList& files, QIODevice& err) : m_files(files), m_err(err) {}
    void FoundFile(const QString& strPath) override { m_files.append(strPath); }
    void UnreadableDirectory(const QString& strDir) override
    {
        m_err.write(QStringLiteral("%1: cannot read directory %2\n").arg(QLatin1String(kProgram), strDir).toUtf8());
    }

private:
    QStringList& m_files;
    QIODevice& m_err;
};

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
        "Standard error names each file that could not be read. Exit status: 0 when every\n"
        "PATH exists, 1 when one does not, 2 on a usage error.\n");
}

bool ParseCountArguments(const QStringList& args, SCountOptions* pOptions, QString* pError)
{
    *pOptions = SCountOptions();
    bool bOptionsEnd = false;
    for (int i = 0; i < int(args.size()); ++i) {
        const QString& arg = args[i];
        if (bOptionsEnd || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            pOptions->paths.append(arg);
        } else if (arg == QLatin1String("--")) {
            bOptionsEnd = true;
        } else if (arg == QLatin1String("-r")) {
            pOptions->bRecursive = true;
        } else if (arg == QLatin1String("--header")) {
            pOptions->bHeader = true;
        } else if (arg == QLatin1String("--total")) {
            pOptions->bTotal = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            pOptions->bHelp = true;
        } else if (arg.startsWith(QLatin1String("-j"))) {
            QString strValue = arg.mid(2);
            if (strValue.isEmpty()) {
                if (i + 1 >= int(args.size())) {
                    *pError = QStringLiteral("-j needs a number of workers");
                    return false;
                }
                strValue = args[++i];
            }
            bool bOk = false;
            const int nJobs = strValue.toInt(&bOk);
            if (!bOk || nJobs < 1 || nJobs > 256) {
                *pError = QStringLiteral("-j needs a number of workers from 1 to 256, not \"%1\"").arg(strValue);
                return false;
            }
            pOptions->nJobs = nJobs;
        } else {
            *pError = QStringLiteral("unknown option %1").arg(arg);
            return false;
        }
    }
    if (pOptions->paths.isEmpty() && !pOptions->bHelp) {
        *pError = QStringLiteral("no PATH given");
        return false;
    }
    return true;
}

int RunCountCommand(const QStringList& args, QIODevice& out, QIODevice& err)
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
    QStringList files;
    QStringList missing;    // already named on standard error
    CCollectFiles collect(files, err);
    for (const QString& strPath : options.paths) {
        struct stat st;
        const QByteArray path = QFile::encodeName(strPath);
        if (::stat(path.constData(), &st) != 0 && ::lstat(path.constData(), &st) != 0) {
            const int nErrno = errno;
            err.write(QStringLiteral("%1: %2: %3\n")
                          .arg(QLatin1String(kProgram), strPath, QString::fromLocal8Bit(std::strerror(nErrno)))
                          .toUtf8());
            bAllExist = false;
            missing.append(strPath);
            files.append(strPath);
        } else if (S_ISDIR(st.st_mode)) {
            ScanDirectory(strPath, options.bRecursive, collect);
        } else {
            files.append(strPath);
        }
    }

    CCsvReportWriter writer(&out);
    if (options.bHeader)
        writer.WriteHeader();
    // Each worker counts a file and makes its line; the lines come back in list order.
    struct SRowHead {
        qint32 nPages;
        qint64 nPagesValue;
    };
    const auto countRow = [&files](int nIndex) {
        const QString& strFile = files[nIndex];
        SFileFacts facts;
        const int nPages = CountPages(strFile, &facts);
        FileRecord rec =
            MakeFileRecord(strFile, QLatin1String(FileText::kYes), nPages == PAGES_READ_ERROR ? nullptr : &facts);
        if (nPages >= 0)
            rec[COL_PAGES] = QString::number(nPages);
        const SRowHead head{nPages, PagesValue(rec[COL_PAGES])};
        return QByteArray(reinterpret_cast<const char*>(&head), sizeof head) + CsvRowLine(rec);
    };
    RunInWorkerProcesses(int(files.size()), options.nJobs, countRow, [&](int nIndex, const QByteArray& result) {
        const QString& strFile = files[nIndex];
        if (result.size() < qsizetype(sizeof(SRowHead))) {
            // The worker died on this file: it is listed as one that could not be read.
            err.write(QStringLiteral("%1: counting %2 failed\n").arg(QLatin1String(kProgram), strFile).toUtf8());
            writer.WriteRowLine(CsvRowLine(MakeFileRecord(strFile, QLatin1String(FileText::kYes), nullptr)), 0);
            return;
        }
        SRowHead head;
        std::memcpy(&head, result.constData(), sizeof head);
        if (head.nPages == PAGES_READ_ERROR && !missing.contains(strFile))
            err.write(QStringLiteral("%1: cannot read %2\n").arg(QLatin1String(kProgram), strFile).toUtf8());
        writer.WriteRowLine(result.mid(sizeof head), head.nPagesValue);
    });
    if (options.bTotal)
        writer.WriteTotal();
    if (!writer.Ok()) {
        err.write(QStringLiteral("%1: cannot write the report\n").arg(QLatin1String(kProgram)).toUtf8());
        return 1;
    }
    return bAllExist ? 0 : 1;
}
