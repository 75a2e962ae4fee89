// pagewick-count: the page counter for scripts.
#include "count/core/CountCommand.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QFile::decodeName(argv[i]));
    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly) || !err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;
    const int nStatus = RunCountCommand(args, out, err);
    if (!out.flush() || std::fflush(stdout) != 0) {
        err.write("pagewick-count: cannot write the report\n");
        return 1;
    }
    return nStatus;
}
