// Fuzz target: the page counter on a file of the input's bytes. Whatever the bytes, the count
// returns (no crash, no hang, no sanitizer report), and its number agrees with how it says it ended.
#include "tiff/PageCounter.h"
#include "fs/FileFacts.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    // A file in memory, reached by a path like any other.
    static const int fd = ::memfd_create("pagewick-fuzz.tif", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, pData, nSize, 0) != ssize_t(nSize))
        std::abort();
    static const QByteArray path = "/proc/self/fd/" + QByteArray::number(fd);
    SFileFacts facts;
    const SPageCount count = CountPagesOf(path, &facts, false);
    if (facts.nSize != qint64(nSize))
        std::abort();
    if (count.nPages < PAGES_NOT_TIFF || (count.nPages > 0 && count.eShort == EShortCount::Unopenable))
        std::abort();
    if (count.IsShort() != !ShortCountToolTip(count).isEmpty())
        std::abort();
    return 0;
}
