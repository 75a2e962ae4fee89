// pagewick-count: the page counter for scripts.
#include "count/cli/CountCommand.h"

#include <QFile>
#include <QList>

#include <cstdio>

int main(int argc, char** argv)
{
    // Paths stay the bytes they were given as.
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args.append(QByteArray(argv[i]));
    QFile out;
    QFile err;
    // The report is written in blocks of its own; a failed write is seen at once.
    if (!out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;
    return RunCountCommand(args, out, err);
}
