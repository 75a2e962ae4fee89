// The command-line counter: lists files and directories like the window does, counts them many at
// once in worker processes, and writes the report of the list.
#pragma once

#include "CountOptions.h"
#include "count/core/WorkerProcesses.h"

#include <QByteArray>
#include <QList>

class QIODevice;

struct SCountStreams {
    QIODevice* pOut = nullptr;      // the report, unless -o names a file
    int nOutFd = -1;                // pOut's descriptor, where it has one: -o onto the same file uses pOut
    QIODevice* pErr = nullptr;
    int nInputFd = 0;               // what --files-from - reads
    bool bOutTerminal = false;
    bool bErrTerminal = false;
    // What the workers do with a request (tests put a file that never answers in its way).
    RequestHandler handler;
};

// Exit status: 0 when every path given exists, every listed file could be read and every count is
// complete; 1 when a path does not exist, a directory, a file or the list of --files-from could not
// be read, a count was lost with its workers, or the report could not be written whole (it is then
// no report: counting stops at the first failed write); 2 on a usage error; 3 when all is well but
// some count fell short.
int RunCountCommand(const QList<QByteArray>& args, const SCountStreams& streams);
int RunCountCommand(const QList<QByteArray>& args, QIODevice& out, QIODevice& err);
