// The command line of pagewick-count: its options, read as bytes, and its usage.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

enum class EReportFormat { Csv, JsonLines };
// What the report tells: a line per file, its page profile, a line per page, a line per folder, or
// a line per file with its status and why.
enum class EReportKind { Files, Profile, Pages, Summary, Audit };

struct SCountOptions {
    bool bRecursive = false;
    int nJobs = 0;              // worker processes; 0: one per core
    int nInFlight = 0;          // files counted at once in all; 0: the default
    int nTimeout = 0;           // seconds a file may keep the count waiting; 0: as long as it takes
    bool bHeader = false;
    bool bTotal = false;
    EReportFormat eFormat = EReportFormat::Csv;
    EReportKind eKind = EReportKind::Files;
    bool bOnlyTiff = false;
    int nProgress = -1;         // -1: when standard error is a terminal; 0 off; 1 on (a terminal still needed)
    bool bVerbose = false;      // libtiff's warnings on files counted whole too
    bool bHelp = false;
    bool bVersion = false;
    QByteArray filesFrom;       // --files-from: a file, or "-" for standard input; empty: none
    bool bNullSeparated = false;
    QByteArray output;          // -o: the report's file; empty or "-": standard output
    QList<QByteArray> paths;    // as the command line gave them
};

// False on a usage error, with the reason in *pError.
bool ParseCountArguments(const QList<QByteArray>& args, SCountOptions* pOptions, QString* pError);

QString CountUsage();
QString CountVersion();
