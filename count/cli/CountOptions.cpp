#include "CountOptions.h"

#include "common/core/TaskPool.h"
#include "res/Version.h"
#include "support/core/Addresses.h"

#include <functional>

namespace {

// A number option's value: 1 to the most it takes.
bool ParseCount(const QByteArray& value, int nMost, int* pValue)
{
    bool bOk = false;
    const int n = value.toInt(&bOk);
    if (!bOk || n < 1 || n > nMost)
        return false;
    *pValue = n;
    return true;
}

QString Quoted(const QByteArray& bytes)
{
    return u'"' + QString::fromUtf8(bytes) + u'"';
}

// What one option does with its value (a null value for one that takes none); false with the
// reason in *pError.
struct SOptionRule {
    char cShort;                // 0: no short form
    const char* pszLong;        // without "--"
    bool bTakesValue;
    std::function<bool(SCountOptions*, const QByteArray&, QString*)> apply;
};

bool Flag(bool SCountOptions::*pMember, SCountOptions* pOptions)
{
    pOptions->*pMember = true;
    return true;
}

bool SetKind(SCountOptions* pOptions, EReportKind eKind, QString* pError)
{
    if (pOptions->eKind != EReportKind::Files && pOptions->eKind != eKind) {
        *pError = QStringLiteral("--profile, --pages, --summary and --audit are different reports; give one of them");
        return false;
    }
    pOptions->eKind = eKind;
    return true;
}

const QList<SOptionRule>& OptionRules()
{
    static const QList<SOptionRule> rules = {
        {'r', "recursive", false, [](SCountOptions* p, const QByteArray&, QString*) { return Flag(&SCountOptions::bRecursive, p); }},
        {'j', "jobs", true,
         [](SCountOptions* p, const QByteArray& v, QString* pError) {
             if (ParseCount(v, 256, &p->nJobs))
                 return true;
             *pError = QStringLiteral("-j needs a number of workers from 1 to 256, not %1").arg(Quoted(v));
             return false;
         }},
        {0, "in-flight", true,
         [](SCountOptions* p, const QByteArray& v, QString* pError) {
             if (ParseCount(v, kMaxFilesInFlight, &p->nInFlight))
                 return true;
             *pError = QStringLiteral("--in-flight needs a number of files from 1 to %1, not %2")
                           .arg(kMaxFilesInFlight)
                           .arg(Quoted(v));
             return false;
         }},
        {0, "timeout", true,
         [](SCountOptions* p, const QByteArray& v, QString* pError) {
             if (ParseCount(v, 86400, &p->nTimeout))
                 return true;
             *pError = QStringLiteral("--timeout needs a number of seconds from 1 to 86400, not %1").arg(Quoted(v));
             return false;
         }},
        {0, "header", false, [](SCountOptions* p, const QByteArray&, QString*) { return Flag(&SCountOptions::bHeader, p); }},
        {0, "total", false, [](SCountOptions* p, const QByteArray&, QString*) { return Flag(&SCountOptions::bTotal, p); }},
        {0, "files-from", true,
         [](SCountOptions* p, const QByteArray& v, QString* pError) {
             if (v.isEmpty()) {
                 *pError = QStringLiteral("--files-from needs a file, or - for standard input");
                 return false;
             }
             p->filesFrom = v;
             return true;
         }},
        {'0', "null", false, [](SCountOptions* p, const QByteArray&, QString*) { return Flag(&SCountOptions::bNullSeparated, p); }},
        {'o', "output", true,
         [](SCountOptions* p, const QByteArray& v, QString* pError) {
             if (v.isEmpty()) {
                 *pError = QStringLiteral("-o needs a file name");
                 return false;
             }
             p->output = v;
             return true;
         }},
        {0, "format", true,
         [](SCountOptions* p, const QByteArray& v, QString* pError) {
             if (v == "csv") {
                 p->eFormat = EReportFormat::Csv;
             } else if (v == "jsonl") {
                 p->eFormat = EReportFormat::JsonLines;
             } else {
                 *pError = QStringLiteral("--format takes csv or jsonl, not %1").arg(Quoted(v));
                 return false;
             }
             return true;
         }},
        {0, "profile", false,
         [](SCountOptions* p, const QByteArray&, QString* pError) { return SetKind(p, EReportKind::Profile, pError); }},
        {0, "pages", false,
         [](SCountOptions* p, const QByteArray&, QString* pError) { return SetKind(p, EReportKind::Pages, pError); }},
        {0, "summary", false,
         [](SCountOptions* p, const QByteArray&, QString* pError) { return SetKind(p, EReportKind::Summary, pError); }},
        {0, "audit", false,
         [](SCountOptions* p, const QByteArray&, QString* pError) { return SetKind(p, EReportKind::Audit, pError); }},
        {0, "only-tiff", false, [](SCountOptions* p, const QByteArray&, QString*) { return Flag(&SCountOptions::bOnlyTiff, p); }},
        {0, "progress", false,
         [](SCountOptions* p, const QByteArray&, QString*) {
             p->nProgress = 1;
             return true;
         }},
        {0, "no-progress", false,
         [](SCountOptions* p, const QByteArray&, QString*) {
             p->nProgress = 0;
             return true;
         }},
        {0, "verbose", false, [](SCountOptions* p, const QByteArray&, QString*) { return Flag(&SCountOptions::bVerbose, p); }},
        {'h', "help", false, [](SCountOptions* p, const QByteArray&, QString*) { return Flag(&SCountOptions::bHelp, p); }},
        {0, "version", false, [](SCountOptions* p, const QByteArray&, QString*) { return Flag(&SCountOptions::bVersion, p); }},
    };
    return rules;
}

const SOptionRule* FindShortRule(char cShort)
{
    for (const SOptionRule& rule : OptionRules()) {
        if (rule.cShort == cShort)
            return &rule;
    }
    return nullptr;
}

// The rule of a long option: its whole name, or, as getopt_long takes it, a prefix of no other.
const SOptionRule* FindLongRule(const QByteArray& name, QString* pError)
{
    QList<const SOptionRule*> candidates;
    for (const SOptionRule& rule : OptionRules()) {
        if (name == rule.pszLong)
            return &rule;
        if (!name.isEmpty() && QByteArray(rule.pszLong).startsWith(name))
            candidates.append(&rule);
    }
    if (candidates.size() == 1)
        return candidates.first();
    const QString strOption = QLatin1String("--") + QString::fromUtf8(name);
    if (candidates.isEmpty()) {
        *pError = QStringLiteral("unknown option %1").arg(strOption);
        return nullptr;
    }
    QStringList names;
    for (const SOptionRule* pRule : candidates)
        names.append(QLatin1String("--") + QLatin1String(pRule->pszLong));
    *pError = QStringLiteral("option %1 is ambiguous; possibilities: %2").arg(strOption, names.join(u' '));
    return nullptr;
}

// Options that cannot go together, and why.
bool CheckCombinations(const SCountOptions& options, QString* pError)
{
    if (options.eFormat == EReportFormat::JsonLines && (options.bHeader || options.bTotal)) {
        *pError = QStringLiteral("--header and --total belong to the CSV report; JSON Lines have neither "
                                 "(sum the \"pages\" fields)");
        return false;
    }
    if (options.eKind != EReportKind::Files && options.eFormat == EReportFormat::JsonLines) {
        *pError = QStringLiteral("--profile, --pages, --summary and --audit write CSV; the JSON Lines carry each "
                                 "file's profile and status");
        return false;
    }
    if (options.bNullSeparated && options.filesFrom.isEmpty()) {
        *pError = QStringLiteral("-0 separates the names of --files-from; give --files-from too");
        return false;
    }
    if (options.paths.isEmpty() && options.filesFrom.isEmpty() && !options.bHelp && !options.bVersion) {
        *pError = QStringLiteral("no PATH given");
        return false;
    }
    return true;
}

}  // namespace

QString CountVersion()
{
    return QStringLiteral("pagewick-count " PAGEWICK_VERSION "\n");
}

QString CountUsage()
{
    return QStringLiteral(
               "Usage: pagewick-count [OPTION]... PATH...\n"
               "       pagewick-count [OPTION]... --files-from FILE [PATH]...\n"
               "Counts the pages of TIFF files and writes a report of them, a line per file.\n"
               "\n"
               "A PATH that is a file is listed as given. A directory is walked: its files in\n"
               "name order; its sub-directories only with -r, never one whose name begins with\n"
               "\".\", and each only once, even through links. Names keep the bytes the file\n"
               "system holds. Lines come out in list order.\n"
               "\n"
               "The CSV report: Filename,File Bytes,Created Time,Modified Time,Pages (CR LF\n"
               "line ends; fields with a comma, quote or line break are quoted). Pages is empty\n"
               "for a file that is not TIFF or cannot be read, 0 for a TIFF that libtiff cannot\n"
               "open.\n"
               "\n"
               "Options (before, between or after the PATHs; a long option may be shortened\n"
               "to any prefix that no other option shares, as --prof):\n"
               "  -r, --recursive        walk sub-directories too\n"
               "  -j, --jobs=N           count in N worker processes (default: one per core);\n"
               "                         a crash in libtiff costs one file, not the report\n"
               "      --in-flight=N      count N files at once in all (default %1): on a\n"
               "                         network share each request waits for the server\n"
               "      --timeout=SECONDS  give up on a file that has not answered for SECONDS\n"
               "                         (a share that stopped answering): it is written as\n"
               "                         unreadable; without it the count waits, as cp would\n"
               "      --files-from=FILE  also count the paths in FILE (- for standard input),\n"
               "                         one per line, after the PATHs\n"
               "  -0, --null             the paths in FILE end with a NUL byte, not a line end\n"
               "  -o, --output=FILE      write the report to FILE (- for standard output): a\n"
               "                         file is replaced only once the report is whole; a\n"
               "                         terminal, pipe or device is written into as a\n"
               "                         redirection would\n"
               "      --format=FORMAT    csv (the default), or jsonl: one JSON object per file\n"
               "      --profile          write the page profile instead: a CSV line per file\n"
               "                         and class of page (paper, colour, dpi), then totals\n"
               "      --pages            write a CSV line per page instead: its size,\n"
               "                         resolution, paper, colour, compression and photometric\n"
               "      --summary          write the folder summary instead: a CSV line per\n"
               "                         folder (files, pages, counted short, not TIFF,\n"
               "                         unreadable), then the total\n"
               "      --audit            write the audit report instead: the CSV report with\n"
               "                         each file's Status and a Note saying why\n"
               "      --header           begin the CSV with its header line (always there\n"
               "                         with --profile, --pages, --summary and --audit)\n"
               "      --total            end the CSV with four empty fields and the page total\n"
               "                         (with --pages: the total under Page; the profile\n"
               "                         always ends with its totals)\n"
               "      --only-tiff        leave out files that are not TIFF or cannot be read\n"
               "      --progress         show progress on standard error, a terminal, even when\n"
               "                         the report goes to the terminal too\n"
               "      --no-progress      never show progress (the default when standard error\n"
               "                         is not a terminal)\n"
               "      --verbose          also pass on libtiff's other messages, its warnings on\n"
               "                         files counted whole among them\n"
               "  -h, --help             show this text and exit\n"
               "      --version          show the version and exit\n"
               "  --                     end of options: what follows is a PATH\n"
               "\n"
               "Standard error has a line for each PATH that does not exist, each directory and\n"
               "file that could not be read, with the system's reason (\"cannot read FILE:\n"
               "Permission denied\"), each file whose count was lost with a crashed worker, each\n"
               "file listed more than once, and each file counted short: its chain of pages\n"
               "ended on damage, looped, or reached libtiff's limit (\"FILE: counted 4 pages,\n"
               "damaged after page 4: ...\"). On a terminal, the progress line ends as a summary\n"
               "(\"5,209 files, 61,000 pages in 3.2 s; 20 short, 4 unreadable\").\n"
               "\n"
               "Exit status:\n"
               "  0  every PATH exists, every file was read and counted whole\n"
               "  1  a PATH does not exist, a directory, file or FILE of paths could not be\n"
               "     read, a count was lost with a crashed worker, or the report could not be\n"
               "     written whole (-o then leaves FILE as it was)\n"
               "  2  a usage error\n"
               "  3  all is otherwise well, but some count fell short\n"
               "\n"
               "Report faults to <%2>.\n")
        .arg(kFilesInFlight)
        .arg(QLatin1String(kSupportEmail));
}

bool ParseCountArguments(const QList<QByteArray>& args, SCountOptions* pOptions, QString* pError)
{
    *pOptions = SCountOptions();
    bool bOptionsEnd = false;
    for (int i = 0; i < int(args.size()); ++i) {
        const QByteArray& arg = args[i];
        if (bOptionsEnd || !arg.startsWith('-') || arg == "-") {
            pOptions->paths.append(arg);
            continue;
        }
        if (arg == "--") {
            bOptionsEnd = true;
            continue;
        }
        // The value of an option: after "=", glued to a short one, or the next argument.
        const auto valueAfter = [&](const SOptionRule& rule, const QByteArray& glued, bool bGlued, QByteArray* pValue) {
            if (bGlued) {
                *pValue = glued;
                return true;
            }
            if (i + 1 >= int(args.size())) {
                *pError = rule.cShort == 'j' ? QStringLiteral("-j needs a number of workers")
                                             : QStringLiteral("--%1 needs a value").arg(QLatin1String(rule.pszLong));
                return false;
            }
            *pValue = args[++i];
            return true;
        };
        if (arg.startsWith("--")) {
            const qsizetype nEquals = arg.indexOf('=');
            const SOptionRule* pRule = FindLongRule(arg.mid(2, nEquals < 0 ? -1 : nEquals - 2), pError);
            if (!pRule)
                return false;
            QByteArray value;
            if (!pRule->bTakesValue && nEquals >= 0) {
                *pError = QStringLiteral("--%1 takes no value").arg(QLatin1String(pRule->pszLong));
                return false;
            }
            if (pRule->bTakesValue && !valueAfter(*pRule, arg.mid(nEquals + 1), nEquals >= 0, &value))
                return false;
            if (!pRule->apply(pOptions, value, pError))
                return false;
            continue;
        }
        // Short options, grouped ("-rj2"): one that takes a value takes the rest of the group.
        for (qsizetype k = 1; k < arg.size(); ++k) {
            const SOptionRule* pRule = FindShortRule(arg[k]);
            if (!pRule) {
                *pError = QStringLiteral("unknown option -%1").arg(QString::fromUtf8(arg.mid(k, 1)));
                return false;
            }
            QByteArray value;
            if (pRule->bTakesValue && !valueAfter(*pRule, arg.mid(k + 1), k + 1 < arg.size(), &value))
                return false;
            if (!pRule->apply(pOptions, value, pError))
                return false;
            if (pRule->bTakesValue)
                break;
        }
    }
    return CheckCombinations(*pOptions, pError);
}
