// The command-line counter: lists files and directories like the window does, counts them on
// every core, and writes the CSV report of the list.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

struct SCountOptions {
    bool bRecursive = false;
    int nJobs = 0;          // 0: one worker per core
    bool bHeader = false;
    bool bTotal = false;
    bool bHelp = false;
    QList<QByteArray> paths;    // as the command line gave them
};

// False on a usage error, with the reason in *pError.
bool ParseCountArguments(const QList<QByteArray>& args, SCountOptions* pOptions, QString* pError);

QString CountUsage();

// Exit status: 0 when every path given exists and every count is complete; 1 when a path does
// not exist, a directory could not be read, or the output failed (counting stops at the first
// failed write); 2 on a usage error; 3 when all is well but some count fell short.
int RunCountCommand(const QList<QByteArray>& args, QIODevice& out, QIODevice& err);
