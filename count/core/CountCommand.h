// The command-line counter: lists files and directories like the window does, counts them on
// every core, and writes the CSV report of the list.
#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

struct SCountOptions {
    bool bRecursive = false;
    int nJobs = 0;          // 0: one worker per core
    bool bHeader = false;
    bool bTotal = false;
    bool bHelp = false;
    QStringList paths;
};

// False on a usage error, with the reason in *pError.
bool ParseCountArguments(const QStringList& args, SCountOptions* pOptions, QString* pError);

QString CountUsage();

// Exit status: 0 when every path given exists, 1 when one does not (or the output failed),
// 2 on a usage error.
int RunCountCommand(const QStringList& args, QIODevice& out, QIODevice& err);
