// Benchmark tool: writes the corpus and times one operation per call, printing seconds.
// bench/run.py calls it several times per operation and reports medians and ratios.
//
//   pagewick-bench corpus DIR             write the counting corpus (deterministic)
//   pagewick-bench tree DIR N             write a tree of N small files for the scan
//   pagewick-bench list DIR               print the corpus files, one per line, in walk order
//   pagewick-bench count LIST             CountPages on each file, one thread
//   pagewick-bench libtiff-walk LIST      minimal libtiff walk: open, read-directory loop, close
//   pagewick-bench libtiff-walk-unmapped LIST   the same with libtiff's mapping off ("rm")
//   pagewick-bench raw-walk LIST          follow the directory chain, parsing no tags
//   pagewick-bench count-threads LIST N   CountPages on a plain pool of N threads (for reference)
//   pagewick-bench long-file PATH N       write a TIFF of N tiny pages in one chain
//   pagewick-bench gui-edit DIR           lists the files under DIR, then times the editing commands
//                                         (select all, each sort, reset all, delete every second row,
//                                         clear all): "name seconds repaints" per line
//   pagewick-bench stop-latency FILE      seconds from Stop to the end of a count run of FILE
//   pagewick-bench close-latency FILE     closes the window 1 s into a count of FILE, printing the
//                                         moment (CLOCK_MONOTONIC ns); the caller times the exit
//   pagewick-bench gui-count LIST         the window's count run, from the button to "Done."; with
//                                         PAGEWICK_BENCH_HANDSHAKE set, it prints "ready" once the rows
//                                         are made and waits for a line on its input before the button
//   pagewick-bench gui-scan DIR [ROWS]    the window's scan of DIR with sub-folders, from the chooser's
//                                         OK to the removal question; also prints when the first row
//                                         came and the list's repaints per second meanwhile; with ROWS,
//                                         writes the rows' paths there, in the list's order
//   pagewick-bench gui-start LIST NAME    the window started with the files of LIST named, as
//                                         `pagewick FILE...` starts it, where files called NAME never
//                                         answer: when it shows, when every other file is listed, then
//                                         closes it, printing the moment (see GuiStart)
//   pagewick-bench gui-stuck-count LIST NAME  a count of LIST's rows where files called NAME never
//                                         answer: when the Processing window names one, when the rest
//                                         is counted, then closes it, printing the moment
//   pagewick-bench screenshot DIR OUT.png writes a few scanned documents to DIR, lists and counts
//                                         them, and saves a picture of the window (for the README)
//   pagewick-bench gui-filter DIR         lists every file under DIR (without reading them), then
//                                         times "Remove Non TIF Files From List"
//   pagewick-bench row-memory N           the heap that a list of N counted rows holds: bytes in
//                                         all, per row, and the process's resident size
#include "BenchWindow.h"
#include "app/ui/CPageCountDlg.h"
#include "support/ui/CFolderDialog.h"
#include "common/core/FileName.h"
#include "common/core/TaskPool.h"
#include "common/ui/CJobRun.h"
#include "count/core/FileEngine.h"
#include "count/ui/CountRun.h"
#include "common/ui/CProcessingDlg.h"
#include "tiff/PageCounter.h"
#include "filelist/core/CFileListModel.h"
#include "fs/DirectoryWalker.h"
#include "fs/FileFacts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTextStream>
#include <QTimer>

#include <tiffio.h>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

// ---- corpus ------------------------------------------------------------------------------------

// A scanned-looking bilevel page: lines of "words" of varying length, deterministic per variant.
std::vector<uint8_t> DrawPage(int nWidth, int nHeight, unsigned nSeed)
{
    const int nRowBytes = (nWidth + 7) / 8;
    std::vector<uint8_t> bits(size_t(nRowBytes) * size_t(nHeight), 0);
    std::mt19937 rng(nSeed);
    const int nMargin = nWidth / 12;
    for (int y = nHeight / 14; y + 30 < nHeight - nHeight / 14; y += 52 + int(rng() % 8)) {
        int x = nMargin;
        const int nLineEnd = nWidth - nMargin - int(rng() % (nWidth / 4));
        while (x < nLineEnd) {
            const int nWord = 20 + int(rng() % 120);
            for (int wx = x; wx < std::min(x + nWord, nLineEnd); wx += 4 + int(rng() % 5)) {
                const int nGlyphTop = y + int(rng() % 6);
                const int nGlyphHeight = 14 + int(rng() % 10);
                for (int gy = nGlyphTop; gy < nGlyphTop + nGlyphHeight; ++gy) {
                    if (rng() % 5 == 0)
                        continue;
                    bits[size_t(gy) * size_t(nRowBytes) + size_t(wx / 8)] |= uint8_t(0x80 >> (wx % 8));
                }
            }
            x += nWord + 12 + int(rng() % 10);
        }
    }
    return bits;
}

// G4-encodes a page once; the corpus writes the encoded strip into many files.
std::vector<uint8_t> EncodeG4(const std::vector<uint8_t>& bits, int nWidth, int nHeight, const char* pszScratch)
{
    TIFF* pTiff = TIFFOpen(pszScratch, "w");
    TIFFSetField(pTiff, TIFFTAG_IMAGEWIDTH, uint32_t(nWidth));
    TIFFSetField(pTiff, TIFFTAG_IMAGELENGTH, uint32_t(nHeight));
    TIFFSetField(pTiff, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
    TIFFSetField(pTiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
    TIFFSetField(pTiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISWHITE));
    TIFFSetField(pTiff, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_CCITTFAX4));
    TIFFSetField(pTiff, TIFFTAG_ROWSPERSTRIP, uint32_t(nHeight));
    const int nRowBytes = (nWidth + 7) / 8;
    for (int y = 0; y < nHeight; ++y)
        TIFFWriteScanline(pTiff, const_cast<uint8_t*>(&bits[size_t(y) * size_t(nRowBytes)]), uint32_t(y), 0);
    TIFFWriteDirectory(pTiff);
    TIFFClose(pTiff);
    pTiff = TIFFOpen(pszScratch, "r");
    const tmsize_t nSize = TIFFRawStripSize(pTiff, 0);
    std::vector<uint8_t> strip(static_cast<size_t>(nSize));
    TIFFReadRawStrip(pTiff, 0, strip.data(), nSize);
    TIFFClose(pTiff);
    ::unlink(pszScratch);
    return strip;
}

struct SPage {
    int nWidth, nHeight;
    const std::vector<uint8_t>* pStrip;
};

bool WritePages(const QString& strPath, const std::vector<SPage>& pages, bool bBigEndian, bool bBigTiff)
{
    QByteArray mode = "w";
    mode += bBigEndian ? "b" : "l";
    if (bBigTiff)
        mode += "8";
    TIFF* pTiff = TIFFOpen(QFile::encodeName(strPath).constData(), mode.constData());
    if (!pTiff)
        return false;
    for (size_t p = 0; p < pages.size(); ++p) {
        const SPage& page = pages[p];
        TIFFSetField(pTiff, TIFFTAG_SUBFILETYPE, uint32_t(FILETYPE_PAGE));
        TIFFSetField(pTiff, TIFFTAG_IMAGEWIDTH, uint32_t(page.nWidth));
        TIFFSetField(pTiff, TIFFTAG_IMAGELENGTH, uint32_t(page.nHeight));
        TIFFSetField(pTiff, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
        TIFFSetField(pTiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
        TIFFSetField(pTiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISWHITE));
        TIFFSetField(pTiff, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_CCITTFAX4));
        TIFFSetField(pTiff, TIFFTAG_ROWSPERSTRIP, uint32_t(page.nHeight));
        TIFFSetField(pTiff, TIFFTAG_XRESOLUTION, 300.0f);
        TIFFSetField(pTiff, TIFFTAG_YRESOLUTION, 300.0f);
        TIFFSetField(pTiff, TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH));
        TIFFSetField(pTiff, TIFFTAG_PAGENUMBER, uint16_t(p), uint16_t(pages.size()));
        TIFFSetField(pTiff, TIFFTAG_SOFTWARE, "pagewick-bench");
        TIFFWriteRawStrip(pTiff, 0, const_cast<uint8_t*>(page.pStrip->data()), tmsize_t(page.pStrip->size()));
        if (!TIFFWriteDirectory(pTiff)) {
            TIFFClose(pTiff);
            return false;
        }
    }
    TIFFClose(pTiff);
    return true;
}

void WriteFile(const QString& strPath, const QByteArray& bytes)
{
    QFile f(strPath);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// Classic little-endian chain of tiny directories, with a link that can point anywhere.
QByteArray TinyChain(int nPages, int nLoopTo, uint32_t nBadLastNext)
{
    QByteArray b("II*\0\x08\0\0\0", 8);
    std::vector<int> ifdAt;
    auto put16 = [&](uint16_t v) { b.append(char(v & 0xFF)); b.append(char(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(uint16_t(v)); put16(uint16_t(v >> 16)); };
    std::vector<int> nextAt;
    for (int i = 0; i < nPages; ++i) {
        ifdAt.push_back(int(b.size()));
        put16(8);
        const uint16_t tags[8][2] = {{256, 1}, {257, 1}, {258, 1}, {259, 1}, {262, 0}, {273, 0}, {278, 1}, {279, 1}};
        for (const auto& t : tags) {
            put16(t[0]);
            put16(t[0] == 273 || t[0] == 279 ? 4 : 3);
            put32(1);
            put32(t[0] == 273 ? 0 : t[1]);
        }
        nextAt.push_back(int(b.size()));
        put32(0);
    }
    auto patch = [&](int at, uint32_t v) {
        for (int k = 0; k < 4; ++k)
            b[at + k] = char((v >> (8 * k)) & 0xFF);
    };
    for (int i = 0; i + 1 < nPages; ++i)
        patch(nextAt[size_t(i)], uint32_t(ifdAt[size_t(i + 1)]));
    if (nLoopTo >= 0)
        patch(nextAt.back(), uint32_t(ifdAt[size_t(nLoopTo)]));
    else if (nBadLastNext)
        patch(nextAt.back(), nBadLastNext);
    return b;
}

int WriteCorpus(const QString& strDir)
{
    QDir().mkpath(strDir + QStringLiteral("/single"));
    QDir().mkpath(strDir + QStringLiteral("/multi"));
    QDir().mkpath(strDir + QStringLiteral("/huge"));
    QDir().mkpath(strDir + QStringLiteral("/other"));
    QDir().mkpath(strDir + QStringLiteral("/damaged"));
    const QByteArray scratch = QFile::encodeName(strDir + QStringLiteral("/.scratch.tif"));

    std::fprintf(stderr, "encoding pages...\n");
    std::vector<std::vector<uint8_t>> strips;
    for (unsigned v = 0; v < 16; ++v)
        strips.push_back(EncodeG4(DrawPage(1700, 2200, 1000 + v), 1700, 2200, scratch.constData()));
    const std::vector<uint8_t> small = EncodeG4(DrawPage(64, 64, 7), 64, 64, scratch.constData());

    std::fprintf(stderr, "single-page files...\n");
    for (int i = 0; i < 3000; ++i) {
        const std::vector<SPage> pages = {{1700, 2200, &strips[size_t(i % 16)]}};
        WritePages(strDir + QStringLiteral("/single/page%1.tif").arg(i, 4, 10, QLatin1Char('0')), pages, i % 2 == 1,
                   false);
    }
    std::fprintf(stderr, "50-page files...\n");
    for (int i = 0; i < 200; ++i) {
        std::vector<SPage> pages;
        for (int p = 0; p < 50; ++p)
            pages.push_back({1700, 2200, &strips[size_t((i + p) % 16)]});
        WritePages(strDir + QStringLiteral("/multi/doc%1.tif").arg(i, 3, 10, QLatin1Char('0')), pages, i % 2 == 1,
                   false);
    }
    std::fprintf(stderr, "10000-page files...\n");
    for (int i = 0; i < 4; ++i) {
        const std::vector<SPage> pages(10000, SPage{64, 64, &small});
        WritePages(strDir + QStringLiteral("/huge/stack%1.tif").arg(i), pages, i >= 2, i == 3);
    }
    std::fprintf(stderr, "other files...\n");
    std::mt19937 rng(42);
    for (int i = 0; i < 2000; ++i) {
        const QString strBase = strDir + QStringLiteral("/other/file%1").arg(i, 4, 10, QLatin1Char('0'));
        switch (i % 3) {
        case 0: {
            QByteArray text;
            for (int l = 0; l < 40; ++l)
                text += "Invoice line " + QByteArray::number(int(rng() % 100000)) + ", amount due\n";
            WriteFile(strBase + QStringLiteral(".txt"), text);
            break;
        }
        case 1: {
            QByteArray jpeg = QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000");
            jpeg += QByteArray(int(2000 + rng() % 20000), char(rng() % 256));
            WriteFile(strBase + QStringLiteral(".jpg"), jpeg);
            break;
        }
        default:
            WriteFile(strBase + QStringLiteral(".dat"), QByteArray());
        }
    }
    WriteFile(strDir + QStringLiteral("/damaged/loop.tif"), TinyChain(20, 5, 0));
    WriteFile(strDir + QStringLiteral("/damaged/self-loop.tif"), TinyChain(1, 0, 0));
    WriteFile(strDir + QStringLiteral("/damaged/past-end.tif"), TinyChain(3, -1, 0x7FFFFFF0u));
    WriteFile(strDir + QStringLiteral("/damaged/bad-offset.tif"), TinyChain(4, -1, 5));
    WriteFile(strDir + QStringLiteral("/damaged/mm-only.tif"), QByteArray("MM"));
    return 0;
}

int WriteTree(const QString& strDir, int nFiles)
{
    // 100 directories per level, 10 files per directory where it ends: a deep-ish, wide tree.
    for (int i = 0; i < nFiles; ++i) {
        const QString strSub = QStringLiteral("%1/d%2/e%3").arg(strDir).arg(i / 1000, 3, 10, QLatin1Char('0')).arg((i / 10) % 100, 2, 10, QLatin1Char('0'));
        if (i % 10 == 0)
            QDir().mkpath(strSub);
        WriteFile(QStringLiteral("%1/f%2.%3").arg(strSub).arg(i).arg(i % 2 ? QStringLiteral("tif") : QStringLiteral("txt")),
                  i % 2 ? QByteArray("II*\0\x08\0\0\0", 8) : QByteArray("text"));
    }
    return 0;
}

// ---- timed operations ----------------------------------------------------------------------------

QList<QByteArray> ReadList(const QString& strList)
{
    QFile f(strList);
    QList<QByteArray> paths;
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (!line.isEmpty())
                paths << line;
        }
    }
    return paths;
}

// libtiff's own walk of a file: open, read-directory loop, close; mode "r" maps the file, "rm" not.
long LibtiffWalkIn(const QByteArray& path, const char* pszMode)
{
    TIFF* pTiff = TIFFOpen(path.constData(), pszMode);
    if (!pTiff)
        return 0;
    long n = 1;
    while (TIFFReadDirectory(pTiff))
        ++n;
    TIFFClose(pTiff);
    return n;
}

// Follows the chain with pread only; no tag is parsed.
long RawWalk(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return -1;
    uint8_t h[16];
    long n = 0;
    if (::pread(fd, h, 16, 0) >= 8 && (h[0] == 'I' || h[0] == 'M') && h[0] == h[1]) {
        const bool be = h[0] == 'M';
        auto u16 = [be](const uint8_t* p) { return be ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]); };
        auto u32 = [&](const uint8_t* p) { return be ? uint32_t(u16(p)) << 16 | u16(p + 2) : uint32_t(u16(p + 2)) << 16 | u16(p); };
        auto u64 = [&](const uint8_t* p) { return be ? uint64_t(u32(p)) << 32 | u32(p + 4) : uint64_t(u32(p + 4)) << 32 | u32(p); };
        const bool big = u16(h + 2) == 43;
        uint64_t off = big ? u64(h + 8) : u32(h + 4);
        std::vector<uint64_t> seen;
        while (off && n < 1048576) {
            uint8_t c[8];
            if (::pread(fd, c, big ? 8 : 2, off_t(off)) != (big ? 8 : 2))
                break;
            const uint64_t cnt = big ? u64(c) : u16(c);
            const uint64_t nextAt = off + (big ? 8 + cnt * 20 : 2 + cnt * 12);
            uint8_t nx[8];
            if (::pread(fd, nx, big ? 8 : 4, off_t(nextAt)) != (big ? 8 : 4))
                break;
            ++n;
            off = big ? u64(nx) : u32(nx);
            if (off && off <= nextAt && std::find(seen.begin(), seen.end(), off) != seen.end())
                break;
            if (off <= nextAt)
                seen.push_back(off);
        }
    }
    ::close(fd);
    return n;
}

template <class F>
int TimeOverList(const QString& strList, F fn)
{
    const QList<QByteArray> paths = ReadList(strList);
    QElapsedTimer t;
    t.start();
    long nSum = 0;
    for (const QByteArray& p : paths)
        nSum += fn(p);
    std::printf("%.6f %ld\n", double(t.nsecsElapsed()) / 1e9, nSum);
    return 0;
}

void WriteRowPaths(const CFileListModel& model, const QString& strOut)
{
    QFile out(strOut);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    for (int i = 0; i < model.GetRowCount(); ++i)
        out.write(model.GetRecord(i).path + '\n');
}

bool NamedAs(const QByteArray& path, const QByteArray& name)
{
    return path.mid(path.lastIndexOf('/') + 1) == name;
}

// The program's own way through its window, as main and the application object take it: body sets
// the window up and runs it (exec); then the process ends as main ends it, without waiting for a
// thread still inside a file.
int AsTheProgram(int argc, char** argv, const std::function<void(CPageCountDlg&)>& body)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    {
        CPageCountDlg dlg(nullptr, false);
        body(dlg);
    }
    if (BusyWorkerThreads() > 0) {
        std::fflush(nullptr);
        ::_exit(0);
    }
    return 0;
}

// Closes the window, printing the moment first (CLOCK_MONOTONIC, nanoseconds): the caller times the
// process's end from it.
void CloseNow(CPageCountDlg& dlg)
{
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    dlg.close();
}

// The longest time the window's thread was away from its event loop, seen by a timer due every
// 10 ms: what a user would wait for the window to answer.
class CStallWatch : public QObject {
public:
    CStallWatch()
    {
        m_since.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            m_nLongestNs = std::max(m_nLongestNs, m_since.nsecsElapsed());
            m_since.restart();
        });
        m_timer.start(10);
    }
    double LongestSeconds() const { return double(m_nLongestNs) / 1e9; }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_nLongestNs = 0;
};

// Seconds of an elapsed time in nanoseconds, -1 for one that never came.
double Seconds(qint64 nNanos)
{
    return nNanos < 0 ? -1.0 : double(nNanos) / 1e9;
}

// The window started with the files of LIST named, as `pagewick FILE...` starts it (main hands them
// to the window before it shows), on a share where the files called NAME never answer. Prints
//   shown S              the window painted, S seconds after the files were handed to it
//   listed S ROWS ORDER  every file listed, each but those called NAME with its facts, after S
//                        seconds (-1: not within 30 s); ORDER yes when the rows are in the order given
//   waiting K            rows still without their facts then
//   stall S              the longest the window's thread was away from its event loop meanwhile
// then closes the window (CloseNow).
int GuiStart(int argc, char** argv, const QString& strList, const QByteArray& stuckName)
{
    const QList<QByteArray> paths = ReadList(strList);
    return AsTheProgram(argc, argv, [&](CPageCountDlg& dlg) {
        const CFileListModel& model = *dlg.GetModel();
        QElapsedTimer t;
        struct CFirstPaint : QObject {
            const QElapsedTimer& clock;
            qint64 nAt = -1;
            explicit CFirstPaint(const QElapsedTimer& c) : clock(c) {}
            bool eventFilter(QObject*, QEvent* pEvent) override
            {
                if (pEvent->type() == QEvent::Paint && nAt < 0)
                    nAt = clock.nsecsElapsed();
                return false;
            }
        } firstPaint(t);
        dlg.installEventFilter(&firstPaint);
        CStallWatch stalls;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, &dlg, [&] {
            int nWaiting = 0;
            bool bOthersKnown = true;
            bool bInOrder = model.GetRowCount() == int(paths.size());
            for (int i = 0; i < model.GetRowCount(); ++i) {
                const FileRecord& rec = model.GetRecord(i);
                const bool bWaiting = rec.nSize == kSizeNotKnownYet;
                nWaiting += bWaiting ? 1 : 0;
                bOthersKnown = bOthersKnown && !(bWaiting && !NamedAs(rec.path, stuckName));
                bInOrder = bInOrder && rec.path == paths[i];
            }
            const bool bListed = model.GetRowCount() >= int(paths.size()) && bOthersKnown;
            if (!bListed && t.elapsed() < 30000)
                return;
            look.stop();
            std::printf("shown %.6f\nlisted %.6f %d %s\nwaiting %d\nstall %.6f\n", Seconds(firstPaint.nAt),
                        Seconds(bListed ? t.nsecsElapsed() : -1), model.GetRowCount(), bInOrder ? "yes" : "no",
                        nWaiting, stalls.LongestSeconds());
            CloseNow(dlg);
        });
        look.start(10);
        t.start();
        dlg.AddStartFiles(paths);
        dlg.exec();
    });
}

// A count of LIST's rows (made without a look at their files, so that this process never waits for
// one) on a share where the files called NAME never answer. Prints
//   named S TEXT     the Processing window names such a file, S seconds after the button
//   counted S N      every other row counted, S seconds after the button; N rows counted then
//   stall S          the longest the window's thread was away from its event loop meanwhile
// (S -1: not within 30 s), then closes the window during the count (CloseNow).
int GuiStuckCount(int argc, char** argv, const QString& strList, const QByteArray& stuckName)
{
    const QList<QByteArray> paths = ReadList(strList);
    return AsTheProgram(argc, argv, [&](CPageCountDlg& dlg) {
        const CFileListModel& model = *dlg.GetModel();
        QVector<FileRecord> rows;
        int nOthers = 0;
        for (const QByteArray& p : paths) {
            rows.append(MakeFileRecord(p, true, nullptr));
            nOthers += NamedAs(p, stuckName) ? 0 : 1;
        }
        dlg.GetModel()->AppendRows(rows);
        QElapsedTimer t;
        qint64 nNamedAt = -1;
        qint64 nCountedAt = -1;
        QString strNamed;
        CStallWatch stalls;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, &dlg, [&] {
            const CJobRun* pRun = RunningCountRun(&dlg);
            const QString strPlace = pRun && pRun->Window() ? pRun->Window()->GetText() : QString();
            if (nNamedAt < 0 && strPlace.startsWith(QLatin1String("waiting")) &&
                strPlace.contains(QString::fromUtf8(stuckName))) {
                nNamedAt = t.nsecsElapsed();
                strNamed = strPlace;
            }
            int nCounted = 0;
            for (int i = 0; i < model.GetRowCount(); ++i)
                nCounted += model.GetRecord(i).eStatus == EFileStatus::Done ? 1 : 0;
            if (nCountedAt < 0 && nCounted == nOthers)
                nCountedAt = t.nsecsElapsed();
            if ((nNamedAt < 0 || nCountedAt < 0) && t.elapsed() < 30000)
                return;
            look.stop();
            std::printf("named %.6f %s\ncounted %.6f %d\nstall %.6f\n", Seconds(nNamedAt),
                        strNamed.toUtf8().constData(), Seconds(nCountedAt), nCounted, stalls.LongestSeconds());
            CloseNow(dlg);
        });
        QTimer::singleShot(0, &dlg, [&] {
            t.start();
            Trigger(dlg, "actionCountFiles");
            look.start(10);
        });
        dlg.exec();
    });
}

int GuiCount(int argc, char** argv, const QString& strList)
{
    return WithWindow(argc, argv, [&](CPageCountDlg& dlg) {
        QVector<FileRecord> rows;
        for (const QByteArray& p : ReadList(strList))
            rows.append(MakeFileRecord(p, true));
        dlg.GetModel()->AppendRows(rows);
        QCoreApplication::processEvents();
        if (qEnvironmentVariableIsSet("PAGEWICK_BENCH_HANDSHAKE")) {
            // The caller counts file-system requests (run.py's share group): it takes its first
            // reading now, so that making the rows is not counted with the run, and answers.
            std::printf("ready\n");
            std::fflush(stdout);
            char szAnswer[8];
            if (!std::fgets(szAnswer, sizeof szAnswer, stdin))
                return 1;
        }
        QElapsedTimer t;
        qint64 nDoneAt = -1;
        CModalWatch watch([&](QWidget* pModal) {
            auto* pBox = qobject_cast<QMessageBox*>(pModal);
            if (pBox && pBox->text() == QLatin1String("Done.")) {
                nDoneAt = t.nsecsElapsed();
                pBox->button(QMessageBox::Ok)->click();
            }
        });
        t.start();
        Trigger(dlg, "actionCountFiles");
        RunUntil([&] { return nDoneAt >= 0; });
        std::printf("%.6f %lld\n", double(nDoneAt) / 1e9, dlg.PagesTotal());
        return nDoneAt < 0 ? 1 : 0;
    });
}

int GuiScan(int argc, char** argv, const QString& strDir, const QString& strRowsOut)
{
    return WithWindow(argc, argv, [&](CPageCountDlg& dlg) {
        dlg.findChild<QCheckBox*>(QStringLiteral("subFolders"))->setChecked(true);
        CPaintCounter paints;
        dlg.GetListView()->viewport()->installEventFilter(&paints);
        QElapsedTimer t;
        qint64 nDoneAt = -1;
        qint64 nFirstRowAt = -1;
        QObject::connect(dlg.GetModel(), &QAbstractItemModel::rowsInserted, &dlg, [&] {
            if (nFirstRowAt < 0)
                nFirstRowAt = t.nsecsElapsed();
        });
        int nPaintsAtStart = 0;
        CModalWatch watch([&](QWidget* pModal) {
            if (auto* pChooser = qobject_cast<CFolderDialog*>(pModal)) {
                pChooser->findChild<QLineEdit*>(QStringLiteral("folderEdit"))->setText(strDir);
                nPaintsAtStart = paints.nPaints;
                t.start();
                pChooser->accept();
            } else if (auto* pBox = qobject_cast<QMessageBox*>(pModal)) {
                nDoneAt = t.nsecsElapsed();
                pBox->button(QMessageBox::No)->click();
            }
        });
        Trigger(dlg, "actionScanDirectories");
        RunUntil([&] { return nDoneAt >= 0; });
        const double dSeconds = double(nDoneAt) / 1e9;
        std::printf("%.6f %d rows, first row at %.6f s, %.1f repaints/s\n", dSeconds, dlg.GetModel()->GetRowCount(),
                    Seconds(nFirstRowAt), double(paints.nPaints - nPaintsAtStart) / dSeconds);
        if (!strRowsOut.isEmpty())
            WriteRowPaths(*dlg.GetModel(), strRowsOut);
        return nDoneAt < 0 ? 1 : 0;
    });
}

class CPathCollector : public IWalkHandler {
public:
    QVector<FileRecord> rows;
    void FoundFile(const QByteArray& path, const SFileFacts*) override { rows.append(MakeFileRecord(path, true, nullptr)); }
};

int GuiFilter(int argc, char** argv, const QString& strDir)
{
    return WithWindow(argc, argv, [&](CPageCountDlg& dlg) {
        CPathCollector collect;
        ScanDirectory(QFile::encodeName(strDir), true, collect);
        const int nRows = int(collect.rows.size());
        dlg.GetModel()->AppendRows(collect.rows);
        QCoreApplication::processEvents();
        QElapsedTimer t;
        qint64 nDoneAt = -1;
        CModalWatch watch([&](QWidget* pModal) {
            if (auto* pBox = qobject_cast<QMessageBox*>(pModal)) {
                nDoneAt = t.nsecsElapsed();
                pBox->button(QMessageBox::Ok)->click();
            }
        });
        t.start();
        Trigger(dlg, "actionRemoveNonTiff");
        RunUntil([&] { return nDoneAt >= 0; });
        std::printf("%.6f %d of %d rows kept\n", double(nDoneAt) / 1e9, dlg.GetModel()->GetRowCount(), nRows);
        return nDoneAt < 0 ? 1 : 0;
    });
}

int Screenshot(int argc, char** argv, const QString& strDir, const QString& strOut)
{
    const QByteArray scratch = QFile::encodeName(strDir + QStringLiteral("/.scratch.tif"));
    QDir().mkpath(strDir + QStringLiteral("/Invoices 2026"));
    QDir().mkpath(strDir + QStringLiteral("/Contracts"));
    std::vector<std::vector<uint8_t>> strips;
    for (unsigned v = 0; v < 4; ++v)
        strips.push_back(EncodeG4(DrawPage(850, 1100, 77 + v), 850, 1100, scratch.constData()));
    const struct {
        const char* pszName;
        int nPages;
    } docs[] = {{"Invoices 2026/INV-0412.tif", 2},   {"Invoices 2026/INV-0413.tif", 1},
                {"Invoices 2026/INV-0414.tif", 3},   {"Contracts/Lease, Hauptstraße 12.tif", 14},
                {"Contracts/Service agreement.tif", 6}, {"Contracts/Amendment 2.tif", 1}};
    QStringList paths;
    for (const auto& d : docs) {
        std::vector<SPage> pages;
        for (int p = 0; p < d.nPages; ++p)
            pages.push_back({850, 1100, &strips[size_t(p % 4)]});
        paths << strDir + u'/' + QString::fromUtf8(d.pszName);
        WritePages(paths.last(), pages, false, false);
    }
    paths << strDir + QStringLiteral("/Contracts/notes.txt");
    WriteFile(paths.last(), "Call the landlord.\n");
    // A copy that stopped early: its count is marked as short.
    {
        std::vector<SPage> pages;
        for (int p = 0; p < 9; ++p)
            pages.push_back({850, 1100, &strips[size_t(p % 4)]});
        const QString strWhole = strDir + QStringLiteral("/Contracts/.whole.tif");
        WritePages(strWhole, pages, false, false);
        QFile whole(strWhole);
        whole.open(QIODevice::ReadOnly);
        const QByteArray bytes = whole.readAll();
        whole.remove();
        paths << strDir + QStringLiteral("/Contracts/Annex (copy cut short).tif");
        WriteFile(paths.last(), bytes.left(bytes.size() * 5 / 9));
    }
    return WithWindow(argc, argv, [&](CPageCountDlg& dlg) {
        // As wide as every column needs, as tall as the rows need.
        QTableView* pList = dlg.GetListView();
        dlg.resize(dlg.width() - pList->viewport()->width() + pList->horizontalHeader()->length(), 330);
        for (const QString& strPath : paths)
            dlg.AppendFileRow(QFile::encodeName(strPath), true);
        bool bDone = false;
        CModalWatch watch([&](QWidget* pModal) {
            if (auto* pBox = qobject_cast<QMessageBox*>(pModal)) {
                pBox->button(QMessageBox::Ok)->click();
                bDone = true;
            }
        });
        Trigger(dlg, "actionCountFiles");
        RunUntil([&] { return bDone; });
        dlg.GetListView()->selectRow(3);
        QCoreApplication::processEvents();
        return dlg.grab().save(strOut) ? 0 : 1;
    });
}

class CListPrinter : public IWalkHandler {
public:
    void FoundFile(const QByteArray& path, const SFileFacts*) override { std::printf("%s\n", path.constData()); }
};

// A count run over one long file: seconds from Stop to the run's end, with the Processing window
// gone and the row's status back.
int StopLatency(int argc, char** argv, const QString& strFile)
{
    return WithWindow(argc, argv, [&](CPageCountDlg& dlg) {
        dlg.AppendFileRow(QFile::encodeName(strFile), true);
        Trigger(dlg, "actionCountFiles");
        QElapsedTimer sinceStart;
        sinceStart.start();
        RunUntil([&] { return sinceStart.elapsed() > 1000; });
        CJobRun* pRun = RunningCountRun(&dlg);
        CStopDlg* pProcessing = pRun ? pRun->Window() : nullptr;
        if (!pProcessing)
            return 1;
        QElapsedTimer t;
        t.start();
        pProcessing->OnStop();
        RunUntil([&] { return !RunningCountRun(&dlg) && dlg.GetModel()->GetText(0, COL_STATUS) == QLatin1String("Ready."); });
        QCoreApplication::processEvents();
        std::printf("%.6f\n", double(t.nsecsElapsed()) / 1e9);
        return 0;
    });
}

// The program's own way through a close during a count of one long file: it prints the moment of
// the close (CloseNow); the caller sees when the process has ended.
int CloseLatency(int argc, char** argv, const QString& strFile)
{
    return AsTheProgram(argc, argv, [&](CPageCountDlg& dlg) {
        dlg.AppendFileRow(QFile::encodeName(strFile), true);
        QTimer::singleShot(0, &dlg, [&dlg] { Trigger(dlg, "actionCountFiles"); });
        QTimer::singleShot(1000, &dlg, [&dlg] { CloseNow(dlg); });
        dlg.exec();
    });
}

// The editing commands on the tree's rows: seconds of each, and the list's repaints per second
// meanwhile (what the user waits for: the command and the repaint it causes).
int GuiEdit(int argc, char** argv, const QString& strDir)
{
    return WithWindow(argc, argv, [&](CPageCountDlg& dlg) {
        QVector<FileRecord> rows;
        struct CRows : IWalkHandler {
            QVector<FileRecord>& rows;
            explicit CRows(QVector<FileRecord>& r) : rows(r) {}
            void FoundFile(const QByteArray& path, const SFileFacts*) override { rows.append(MakeFileRecord(path, true)); }
        } collect(rows);
        ScanDirectory(QFile::encodeName(strDir), true, collect);
        // Counted rows, as after a count run, so that Pages and Status sort on real texts.
        for (int i = 0; i < int(rows.size()); ++i) {
            rows[i].eStatus = i % 3 ? EFileStatus::Done : EFileStatus::Invalid;
            rows[i].nPages = i % 3 ? (i * 7919) % 500 : -1;
        }
        CFileListModel& model = *dlg.GetModel();
        const int nRows = int(rows.size());
        CPaintCounter paints;
        dlg.GetListView()->viewport()->installEventFilter(&paints);
        const auto timed = [&](const char* pszName, const std::function<void()>& op) {
            QCoreApplication::processEvents();
            const int nPaintsBefore = paints.nPaints;
            QElapsedTimer t;
            t.start();
            op();
            QCoreApplication::processEvents();
            const double dSeconds = double(t.nsecsElapsed()) / 1e9;
            // The view lays out again a moment later; its repaints count too.
            RunUntil([&t] { return t.elapsed() > 100; });
            std::printf("%s %.6f %d\n", pszName, dSeconds, paints.nPaints - nPaintsBefore);
        };
        model.AppendRows(rows);
        timed("select-all", [&] { Trigger(dlg, "actionSelectAll"); });
        const char* const kSorts[] = {"actionSortByUse", "actionSortByFilename", "actionSortByFilesize", "actionSortByStatus", "actionSortByPageCount",
                              "actionSortByCreated", "actionSortByModified"};
        const char* kSortNames[] = {"sort-use", "sort-filename", "sort-filesize", "sort-status", "sort-pages",
                                    "sort-created", "sort-modified"};
        for (int k = 0; k < 7; ++k)
            timed(kSortNames[k], [&] { Trigger(dlg, kSorts[k]); });
        timed("reset-all", [&] { Trigger(dlg, "actionResetAllCounts"); });
        // Every second row selected, as a user's clicks would leave it.
        QItemSelection every2nd;
        for (int r = 0; r < nRows; r += 2)
            every2nd.append(QItemSelectionRange(model.index(r, 0), model.index(r, FILE_COLUMN_COUNT - 1)));
        // (Cleared first: Qt compares a new selection with the old one range by range.)
        dlg.GetListView()->selectionModel()->clearSelection();
        dlg.GetListView()->selectionModel()->select(every2nd, QItemSelectionModel::Select);
        timed("delete-every-second", [&] { Trigger(dlg, "actionDelete"); });
        timed("clear-all", [&] { Trigger(dlg, "actionClearAll"); });
        return model.GetRowCount() == 0 ? 0 : 1;
    });
}

// The heap a list of counted rows holds: rows as a scan of a bureau's folders makes them, each
// then counted as the count run writes its result, with what its pages are.
int RowMemory(int nRows)
{
    // In use: small blocks of the arenas, and the large blocks malloc maps on their own.
    const auto heapInUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return qint64(info.uordblks + info.hblkhd);
    };
    const auto residentBytes = [] {
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (!statm.open(QIODevice::ReadOnly))
            return qint64(0);
        const QList<QByteArray> fields = statm.readAll().split(' ');
        return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : qint64(0);
    };
    const qint64 nHeapBefore = heapInUse();
    const qint64 nResidentBefore = residentBytes();
    CFileListModel model;
    {
        QVector<FileRecord> rows;
        rows.reserve(nRows);
        SFileFacts facts;
        for (int i = 0; i < nRows; ++i) {
            facts.nSize = 40000 + i % 997 * 1000;
            facts.nCreated = facts.nModified = 1700000000 + i;
            rows.append(MakeFileRecord(QByteArray("/srv/scans/2024/batch-") + QByteArray::number(i / 1000) +
                                           "/scan-" + QByteArray::number(i) + ".tif",
                                       true, &facts));
        }
        model.AppendRows(std::move(rows));
    }
    // Most files are of one kind of page; one in a hundred mixes two.
    const SPageClass a4{EPaper::A4, EColour::Bilevel, 300};
    const SPageClass a3{EPaper::A3, EColour::Colour, 200};
    for (int i = 0; i < nRows; ++i) {
        const int nPages = 1 + i % 12;
        CPageSummary summary;
        summary.Add(a4, i % 100 ? nPages : 1);
        if (i % 100 == 0 && nPages > 1)
            summary.Add(a3, nPages - 1);
        model.SetCount(i, EFileStatus::Done, nPages, QString(), nullptr, summary);
    }
    const qint64 nHeap = heapInUse() - nHeapBefore;
    std::printf("%lld bytes, %.1f per row; resident %lld bytes more\n", (long long)nHeap, double(nHeap) / nRows,
                (long long)(residentBytes() - nResidentBefore));
    return 0;
}

// A TIFF of n tiny pages in one chain, for the latency measures.
int WriteLongFile(const QString& strPath, int nPages)
{
    WriteFile(strPath, TinyChain(nPages, -1, 0));
    return 0;
}


}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: pagewick-bench corpus|tree|list|count|libtiff-walk|raw-walk|gui-count ARGS\n");
        return 2;
    }
    // As the program does: the workers' spawner before any thread.
    CFileEngine::ForkSpawner();
    int PersistBench(int argc, char** argv);    // bench/PersistBench.cpp: list files and reports
    if (const int nResult = PersistBench(argc, argv); nResult >= 0)
        return nResult;
    const QString strMode = QString::fromLatin1(argv[1]);
    const QString strArg = QFile::decodeName(argv[2]);
    if (strMode == QLatin1String("corpus"))
        return WriteCorpus(strArg);
    if (strMode == QLatin1String("tree") && argc > 3)
        return WriteTree(strArg, std::atoi(argv[3]));
    if (strMode == QLatin1String("list")) {
        CListPrinter printer;
        ScanDirectory(QByteArray(argv[2]), true, printer);
        return 0;
    }
    if (strMode == QLatin1String("count"))
        return TimeOverList(strArg, [](const QByteArray& p) { return long(std::max(0, CountPages(p))); });
    if (strMode == QLatin1String("count-threads") && argc > 3) {
        // A plain pool: N threads taking the files in turn.
        const QList<QByteArray> paths = ReadList(strArg);
        QElapsedTimer t;
        t.start();
        CTaskPool pool(std::atoi(argv[3]));
        std::atomic<long> nSum{0};
        ForEachAtOnce(pool, int(paths.size()), [&](int i) { nSum += std::max(0, CountPages(paths[i])); });
        std::printf("%.6f %ld\n", double(t.nsecsElapsed()) / 1e9, nSum.load());
        return 0;
    }
    if (strMode == QLatin1String("libtiff-walk"))
        return TimeOverList(strArg, [](const QByteArray& p) { return LibtiffWalkIn(p, "r"); });
    if (strMode == QLatin1String("libtiff-walk-unmapped"))
        return TimeOverList(strArg, [](const QByteArray& p) { return LibtiffWalkIn(p, "rm"); });
    if (strMode == QLatin1String("long-file") && argc > 3)
        return WriteLongFile(strArg, std::atoi(argv[3]));
    if (strMode == QLatin1String("gui-edit"))
        return GuiEdit(argc, argv, strArg);
    if (strMode == QLatin1String("stop-latency"))
        return StopLatency(argc, argv, strArg);
    if (strMode == QLatin1String("close-latency"))
        return CloseLatency(argc, argv, strArg);
    if (strMode == QLatin1String("raw-walk"))
        return TimeOverList(strArg, RawWalk);
    if (strMode == QLatin1String("gui-count"))
        return GuiCount(argc, argv, strArg);
    if (strMode == QLatin1String("gui-scan"))
        return GuiScan(argc, argv, strArg, argc > 3 ? QFile::decodeName(argv[3]) : QString());
    if (strMode == QLatin1String("gui-start") && argc > 3)
        return GuiStart(argc, argv, strArg, QByteArray(argv[3]));
    if (strMode == QLatin1String("gui-stuck-count") && argc > 3)
        return GuiStuckCount(argc, argv, strArg, QByteArray(argv[3]));
    if (strMode == QLatin1String("screenshot") && argc > 3)
        return Screenshot(argc, argv, strArg, QFile::decodeName(argv[3]));
    if (strMode == QLatin1String("gui-filter"))
        return GuiFilter(argc, argv, strArg);
    if (strMode == QLatin1String("row-memory"))
        return RowMemory(std::atoi(argv[2]));
    std::fprintf(stderr, "unknown mode %s\n", argv[1]);
    return 2;
}
