#include "PageCounter.h"

#include "PageTags.h"
#include "common/core/FileName.h"
#include "fs/FileFacts.h"

#include <tiffio.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>


namespace {

// libtiff reads the file through these procedures: from the descriptor that passed the
// regular-file check, through a cache, never mapped. A mapped file that shrinks under the walk
// would kill the process with SIGBUS; a read just comes back short, and libtiff ends the walk as it
// ends a damaged chain.
//
// On a network file system each read that misses the cache is a round trip, so the cache is filled
// with as few reads as the file's layout allows: the first read takes the head and, in a small file,
// the whole file with its directory; later ones take more. On a local disk reads stay small: the
// bytes are at hand, and copying more than libtiff needs costs time. Either way, directories that
// follow one another (written together at the start or the end of a file) are read in growing
// pieces.
struct SClientFile {
    static constexpr tmsize_t kLocalRead = 4 * 1024;
    static constexpr tmsize_t kNetworkRead = 16 * 1024;
    static constexpr tmsize_t kFirstNetworkRead = 64 * 1024;
    static constexpr tmsize_t kMaxRead = 1024 * 1024;
    static constexpr tmsize_t kLookBehind = 1024;

    int fd;
    toff_t nSize = 0;
    bool bNetwork = false;
    toff_t nPosition = 0;
    toff_t nCacheAt = 0;
    tmsize_t nCached = 0;
    tmsize_t nNextRead = 0;
    std::unique_ptr<char[]> cache;
    tmsize_t nCapacity = 0;

    SClientFile(int fdFile, qint64 nFileSize, bool bOnNetwork)
        : fd(fdFile), nSize(toff_t(nFileSize)), bNetwork(bOnNetwork),
          nNextRead(bOnNetwork ? kFirstNetworkRead : kLocalRead)
    {
    }

    tmsize_t ReadAt(toff_t nAt, char* p, tmsize_t nBytes)
    {
        // Nothing is asked past the end the opening saw: on a share that would be a round trip for
        // no byte.
        if (nAt >= nSize)
            return 0;
        nBytes = std::min<tmsize_t>(nBytes, tmsize_t(nSize - nAt));
        tmsize_t nDone = 0;
        while (nDone < nBytes) {
            const ssize_t n = ::pread(fd, p + nDone, size_t(nBytes - nDone), off_t(nAt + toff_t(nDone)));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            nDone += n;
        }
        return nDone;
    }

    // Room for nBytes in the cache; what it held is not kept.
    void Reserve(tmsize_t nBytes)
    {
        if (nBytes > nCapacity) {
            cache.reset(new char[size_t(nBytes)]);
            nCapacity = nBytes;
        }
    }

    // Fills the cache from nAt with at least nBytes where the file has them.
    void Fill(toff_t nAt, tmsize_t nBytes)
    {
        // Reads that go on from the last one's bytes grow: directories written together. A jump
        // starts small again: a directory after its page's data, whose bytes are not wanted.
        if (nCached > 0) {
            const toff_t nEnd = nCacheAt + toff_t(nCached);
            const bool bOnward = nAt >= nCacheAt && nAt < nEnd + toff_t(kLookBehind);
            nNextRead = bOnward ? std::min(nNextRead * 2, kMaxRead) : (bNetwork ? kNetworkRead : kLocalRead);
        }
        // The values a directory points to often lie just before it: they come in the same read.
        const toff_t nStart = nCached > 0 && nAt > toff_t(kLookBehind) ? nAt - toff_t(kLookBehind) : (nCached > 0 ? 0 : nAt);
        const tmsize_t nWant = std::max(tmsize_t(nAt - nStart) + nBytes, nNextRead);
        Reserve(nWant);
        nCached = ReadAt(nStart, cache.get(), nWant);
        nCacheAt = nStart;
    }

    // Up to nBytes from nAt, through the cache.
    tmsize_t CopyAt(toff_t nAt, char* p, tmsize_t nBytes)
    {
        if (nBytes <= 0)
            return 0;
        if (nAt < nCacheAt || nAt + toff_t(nBytes) > nCacheAt + toff_t(nCached)) {
            // Image data is never read by the counter; a large read goes straight through.
            if (nBytes > kMaxRead)
                return ReadAt(nAt, p, nBytes);
            Fill(nAt, nBytes);
        }
        const toff_t nOffset = nAt - nCacheAt;
        const tmsize_t n = std::min<tmsize_t>(nBytes, nCached - tmsize_t(nOffset));
        if (n <= 0)
            return 0;
        std::memcpy(p, cache.get() + nOffset, size_t(n));
        return n;
    }

    tmsize_t Read(char* p, tmsize_t nBytes)
    {
        const tmsize_t n = CopyAt(nPosition, p, nBytes);
        nPosition += toff_t(n);
        return n;
    }
};

tmsize_t ClientRead(thandle_t h, void* p, tmsize_t n)
{
    return static_cast<SClientFile*>(h)->Read(static_cast<char*>(p), n);
}

tmsize_t ClientWrite(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t ClientSeek(thandle_t h, toff_t nOffset, int nWhence)
{
    auto* f = static_cast<SClientFile*>(h);
    switch (nWhence) {
    case SEEK_SET:
        f->nPosition = nOffset;
        break;
    case SEEK_CUR:
        f->nPosition += nOffset;
        break;
    case SEEK_END:
        f->nPosition = f->nSize + nOffset;
        break;
    default:
        return toff_t(-1);
    }
    return f->nPosition;
}

int ClientClose(thandle_t)
{
    return 0;   // the descriptor belongs to the counter
}

toff_t ClientSize(thandle_t h)
{
    return static_cast<SClientFile*>(h)->nSize;
}

int ClientMap(thandle_t, void**, toff_t*)
{
    return 0;
}

void ClientUnmap(thandle_t, void*, toff_t) {}

// libtiff's messages on one file.
struct SMessages {
    bool bEcho;
    QByteArray name;            // the label libtiff was given for the file
    QStringList all;
    QString strSinceRead;       // the first error since a directory was read (else the first warning)
    bool bErrorSinceRead = false;

    int Take(const char* pszModule, const char* pszFormat, va_list ap, bool bError)
    {
        char sz[1024];
        va_list copy;
        va_copy(copy, ap);
        std::vsnprintf(sz, sizeof sz, pszFormat, copy);
        va_end(copy);
        // As libtiff's default handlers print them, but without the file's name, which libtiff
        // gives as the module or writes into the text ("<name>: Can not read TIFF directory
        // count"): whoever shows the message names the file already.
        QString strMessage;
        if (pszModule && name != pszModule)
            strMessage = QString::fromUtf8(pszModule) + QLatin1String(": ");
        if (!bError)
            strMessage += QLatin1String("Warning, ");
        strMessage += QString::fromUtf8(QByteArray(sz).replace(name + ": ", QByteArray()));
        all.append(strMessage);
        // The first complaint tells the cause; what follows it is mostly its consequence.
        if (strSinceRead.isEmpty() || (bError && !bErrorSinceRead)) {
            strSinceRead = strMessage;
            bErrorSinceRead = bError;
        }
        return bEcho ? 0 : 1;   // 0 lets libtiff's default handler print it too
    }
};

int OnError(TIFF*, void* pUser, const char* pszModule, const char* pszFormat, va_list ap)
{
    return static_cast<SMessages*>(pUser)->Take(pszModule, pszFormat, ap, true);
}

int OnWarning(TIFF*, void* pUser, const char* pszModule, const char* pszFormat, va_list ap)
{
    return static_cast<SMessages*>(pUser)->Take(pszModule, pszFormat, ap, false);
}

EShortCount ClassifyEnd(const QString& strMessage)
{
    if (strMessage.contains(QLatin1String("IFD looping")))
        return EShortCount::Loop;
    if (strMessage.contains(QLatin1String("Cannot handle more than")))
        return EShortCount::Limit;
    return EShortCount::Damaged;
}

// "page" or "pages" after a number.
QString Pages(int n)
{
    return n == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(n);
}

}  // namespace

bool HasTiffSignature(const char szHead[kTiffHeadBytes])
{
    const bool bLittleEndian = szHead[0] == 'I' && szHead[1] == 'I' && szHead[2] == '*';
    const bool bBigEndian = szHead[0] == 'M' && szHead[1] == 'M';
    // A little-endian BigTIFF: version 43, offsets of 8 bytes, a reserved 0.
    const bool bLittleEndianBig = std::memcmp(szHead, "II+\0\x08\0\0\0", kTiffHeadBytes) == 0;
    return bLittleEndian || bBigEndian || bLittleEndianBig;
}

bool IsTiffFile(const QByteArray& path)
{
    CRegularFile file(path);
    char szHead[kTiffHeadBytes] = {};
    return file.ReadHead(szHead, kTiffHeadBytes) >= 0 && HasTiffSignature(szHead);
}

QByteArray SignatureRequest(const QByteArray& path)
{
    return 'S' + path;
}

bool AnswerIsTiff(const QByteArray& answer)
{
    return answer == "T";
}

bool AnswerSignatureRequest(const QByteArray& request, QByteArray* pAnswer)
{
    if (!request.startsWith('S'))
        return false;
    *pAnswer = IsTiffFile(request.mid(1)) ? "T" : "N";
    return true;
}

SPageCount CountPagesOf(const QByteArray& path, SFileFacts* pFacts, bool bEchoMessages)
{
    const CRegularFile file(path);
    if (pFacts)
        *pFacts = file.IsOpen() ? file.Facts() : SFileFacts();
    return CountPagesOf(file, path, bEchoMessages);
}

SPageCount CountPagesOf(const CRegularFile& file, const QByteArray& path, bool bEchoMessages)
{
    SPageCount count;
    if (!file.IsOpen())
        return count;
    // The head keeps every file that is not TIFF away from libtiff; its read fills libtiff's cache.
    SClientFile client(file.Fd(), file.Facts().nSize, file.OnNetworkFileSystem());
    char szHead[kTiffHeadBytes] = {};
    client.CopyAt(0, szHead, kTiffHeadBytes);
    if (!HasTiffSignature(szHead)) {
        count.nPages = PAGES_NOT_TIFF;
        return count;
    }

    SMessages messages{bEchoMessages, DisplayFileName(path).toUtf8(), {}, {}, false};
    TIFFOpenOptions* pOptions = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(pOptions, OnError, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(pOptions, OnWarning, &messages);
    // The name only labels libtiff's messages.
    TIFF* pTiff = TIFFClientOpenExt(messages.name.constData(), "rm", &client, ClientRead,
                                    ClientWrite, ClientSeek, ClientClose, ClientSize, ClientMap, ClientUnmap,
                                    pOptions);
    TIFFOpenOptionsFree(pOptions);
    if (!pTiff) {
        count.nPages = 0;
        count.eShort = EShortCount::Unopenable;
        count.strReason = messages.strSinceRead;
        count.messages = messages.all;
        return count;
    }
    // TIFFClientOpen has read the first directory. libtiff refuses a directory offset it has
    // already read, so a chain that loops back ends here too, with the distinct directories counted.
    count.nPages = 1;
    count.pages.append(ReadPageRecord(pTiff));
    for (;;) {
        messages.strSinceRead.clear();
        messages.bErrorSinceRead = false;
        // The last directory (next offset 0) ends the chain whole; any other end cuts it short.
        const bool bLast = TIFFLastDirectory(pTiff);
        if (!TIFFReadDirectory(pTiff)) {
            if (!bLast) {
                count.eShort = ClassifyEnd(messages.strSinceRead);
                count.strReason = messages.strSinceRead;
            }
            break;
        }
        ++count.nPages;
        count.pages.append(ReadPageRecord(pTiff));
    }
    TIFFClose(pTiff);
    count.messages = messages.all;
    return count;
}

int CountPages(const QByteArray& path, SFileFacts* pFacts)
{
    return CountPagesOf(path, pFacts).nPages;
}

namespace {

// How each kind of short count is said: in a tool tip, and as a clause of a command line's
// message. %1 is the pages counted ("4 pages"), %2 their number.
struct SShortWords {
    EShortCount eShort;
    const char* pszToolTip;
    const char* pszClause;
};

const SShortWords kShortWords[] = {
    {EShortCount::Damaged, "Counted %1; the file is damaged after page %2", "counted %1, damaged after page %2"},
    {EShortCount::Loop, "Counted %1; the chain of pages leads back to an earlier page after page %2",
     "counted %1, the chain of pages loops back after page %2"},
    {EShortCount::Limit, "Counted %1; libtiff reads no more pages of one file, so the file may hold more",
     "counted %1, libtiff's limit of directories reached"},
    {EShortCount::Unopenable, "Counted %1; the file looks like TIFF, but libtiff cannot open it",
     "counted %1, libtiff cannot open it"},
};

QString ShortWords(const SPageCount& count, bool bToolTip)
{
    for (const SShortWords& w : kShortWords) {
        if (w.eShort != count.eShort)
            continue;
        QString str = QString::fromLatin1(bToolTip ? w.pszToolTip : w.pszClause);
        str.replace(QLatin1String("%1"), Pages(count.nPages)).replace(QLatin1String("%2"), QString::number(count.nPages));
        if (count.strReason.isEmpty())
            return bToolTip ? str + u'.' : str;
        return str + QLatin1String(": ") + count.strReason;
    }
    return QString();
}

}  // namespace

QString ShortCountToolTip(const SPageCount& count)
{
    return ShortWords(count, true);
}

QString ShortCountClause(const SPageCount& count)
{
    return ShortWords(count, false);
}
