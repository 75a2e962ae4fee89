// pagewick-count: the page counter for scripts.
#include "count/cli/CountCommand.h"

#include <QFile>
#include <QList>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <system_error>

int main(int argc, char** argv)
{
    // Paths stay the bytes they were given as.
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args.append(QByteArray(argv[i]));
    // A report past the file-size limit is a failed write, told as one, not a killed process.
    ::signal(SIGXFSZ, SIG_IGN);
    QFile out;
    QFile err;
    // Straight to the descriptors: every write, the last one included, is seen to succeed or fail.
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;
    SCountStreams streams;
    streams.pOut = &out;
    streams.nOutFd = STDOUT_FILENO;
    streams.pErr = &err;
    streams.nInputFd = STDIN_FILENO;
    streams.bOutTerminal = ::isatty(STDOUT_FILENO) == 1;
    streams.bErrTerminal = ::isatty(STDERR_FILENO) == 1;
    // Under a limit of memory or threads the run either counts or says what it lacked.
    try {
        return RunCountCommand(args, streams);
    } catch (const std::bad_alloc&) {
        std::fputs("pagewick-count: out of memory\n", stderr);
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "pagewick-count: %s\n", e.code().message().c_str());
    }
    return 1;
}
