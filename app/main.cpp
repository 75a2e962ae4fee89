#include "app/core/CommandLine.h"
#include "app/ui/CPageCountApp.h"
#include "common/core/TaskPool.h"
#include "count/core/FileEngine.h"
#include "support/core/Addresses.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace {

// Writes the text whole; a failed write (a full disk, a closed pipe) is said on standard error.
bool WriteAll(std::FILE* pStream, const QByteArray& text)
{
    if (std::fwrite(text.constData(), 1, size_t(text.size()), pStream) == size_t(text.size()) &&
        std::fflush(pStream) == 0)
        return true;
    std::fprintf(stderr, "pagewick: write error: %s\n", std::strerror(errno));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    // Decided before QApplication exists: --help, --version and a refused option need no display.
    // The paths stay the bytes they were given as.
    QList<QByteArray> args;
    for (int i = 0; i < argc; ++i)
        args.append(QByteArray(argv[i]));
    const SStartCommand start = ParseStartCommand(args, CurrentDirectory());
    switch (start.eAction) {
    case EStartAction::ShowHelp:
        return WriteAll(stdout, StartUsage(kSupportEmail)) ? 0 : 1;
    case EStartAction::ShowVersion:
        return WriteAll(stdout, StartVersion()) ? 0 : 1;
    case EStartAction::Refuse:
        WriteAll(stderr, start.refusal);
        return 2;
    case EStartAction::OpenWindow:
        break;
    }

    // The workers that read the files come from a process forked now, before Qt starts a thread.
    CFileEngine::ForkSpawner();
    // Qt sees its own options only; it keeps pointers into this array while it runs.
    std::vector<char*> qtArgv{argv[0]};
    for (const int i : start.qtArguments)
        qtArgv.push_back(argv[i]);
    int nQtArgc = int(qtArgv.size());
    qtArgv.push_back(nullptr);
    int nResult = 1;
    // Under a limit of memory or threads the program says what it lacked rather than abort.
    try {
        CPageCountApp app(nQtArgc, qtArgv.data(), start.files);
        nResult = app.InitInstance() ? app.exec() : 0;
    } catch (const std::bad_alloc&) {
        std::fputs("pagewick: out of memory\n", stderr);
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "pagewick: %s\n", e.code().message().c_str());
    }
    // A thread still inside a file (the work runs in this process where no worker process can be
    // made) would keep the process alive after its window has gone; nothing it holds needs saving,
    // so the process ends without waiting for it.
    if (BusyWorkerThreads() > 0) {
        std::fflush(nullptr);
        ::_exit(nResult);
    }
    return nResult;
}
