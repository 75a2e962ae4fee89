#include "FileResult.h"

#include "common/core/FileName.h"
#include "filelist/core/FileRecord.h"
#include "persist/core/CsvReport.h"
#include "fs/FileProblem.h"

#include <QDataStream>
#include <QIODevice>

#include <cerrno>
#include <cstdio>
#include <new>
#include <system_error>

const char kCountProgram[] = "pagewick-count";

namespace {

// A line of standard error about a file: the program, the path's own bytes, what happened.
QByteArray FileLine(const QByteArray& path, const QString& strWhat)
{
    return QByteArray(kCountProgram) + ": " + path + ": " + strWhat.toUtf8() + '\n';
}

QByteArray JsonString(const QByteArray& utf8)
{
    QByteArray out = "\"";
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\u%04x", u);
            out += sz;
        } else {
            out += c;
        }
    }
    return out + '"';
}

EFileStatus StatusOf(const SFileResult& result)
{
    if (result.eOutcome != SFileResult::EOutcome::Counted)
        return EFileStatus::ReadError;
    return result.nPages == PAGES_NOT_TIFF ? EFileStatus::Invalid : EFileStatus::Done;
}

QString LostWords()
{
    return QStringLiteral("counting failed: the workers counting it died");
}

}  // namespace

QByteArray ListedItem(EListedAs eAs, const QByteArray& path)
{
    return char(eAs) + path;
}

EListedAs ItemKind(const QByteArray& item)
{
    if (item.startsWith(char(EListedAs::Missing)))
        return EListedAs::Missing;
    return item.startsWith(char(EListedAs::Pages)) ? EListedAs::Pages : EListedAs::File;
}

QByteArray ItemPath(const QByteArray& item)
{
    return item.mid(1);
}

namespace {

QByteArray CountItemOrThrow(const QByteArray& item)
{
    SFileResult result;
    if (ItemKind(item) == EListedAs::Missing) {
        result.eOutcome = SFileResult::EOutcome::Missing;
        return SerializeResult(result);
    }
    const QByteArray path = ItemPath(item);
    const CRegularFile file(path);
    // A file that cannot be read keeps what the look at it told.
    result.bHasFacts = file.HasFacts();
    result.facts = file.Facts();
    if (!file.IsOpen()) {
        result.strFailure = SystemReason(file.Error());
        return SerializeResult(result);
    }
    const SPageCount count = CountPagesOf(file, path, false);
    result.eOutcome = SFileResult::EOutcome::Counted;
    result.nPages = count.nPages;
    result.eShort = count.eShort;
    result.summary = SummarisePages(count.pages);
    if (ItemKind(item) == EListedAs::Pages)
        result.pages = count.pages;
    if (count.IsShort())
        result.strShortReason = count.strReason;
    // The message that cut a count short stands in the line that says so.
    for (const QString& strMessage : count.messages) {
        if (!count.IsShort() || strMessage != count.strReason)
            result.messages.append(strMessage);
    }
    return SerializeResult(result);
}

}  // namespace

QByteArray CountItem(const QByteArray& item)
{
    // Out of memory or threads (a process limit): the file could not be read, and the reason says
    // what was lacking; the worker goes on with the next.
    int nErrno = 0;
    try {
        return CountItemOrThrow(item);
    } catch (const std::bad_alloc&) {
        nErrno = ENOMEM;
    } catch (const std::system_error& e) {
        nErrno = e.code().value() != 0 ? e.code().value() : EAGAIN;
    }
    SFileResult result;
    result.strFailure = SystemReason(nErrno);
    return SerializeResult(result);
}

QByteArray SerializeResult(const SFileResult& r)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint8(r.eOutcome) << r.nPages << qint8(r.eShort) << r.strShortReason << r.messages << r.strFailure
        << r.bHasFacts << r.facts.nSize << r.facts.nCreated << r.facts.nModified << r.facts.nDevice << r.facts.nInode
        << EncodePageSummary(r.summary) << EncodePageRecords(r.pages);
    return bytes;
}

bool DeserializeResult(const QByteArray& bytes, SFileResult* pResult)
{
    QDataStream in(bytes);
    qint8 nOutcome = 0;
    qint8 nShort = 0;
    SFileResult& r = *pResult;
    QByteArray summary;
    QByteArray pages;
    in >> nOutcome >> r.nPages >> nShort >> r.strShortReason >> r.messages >> r.strFailure >> r.bHasFacts >>
        r.facts.nSize >> r.facts.nCreated >> r.facts.nModified >> r.facts.nDevice >> r.facts.nInode >> summary >> pages;
    r.eOutcome = SFileResult::EOutcome(nOutcome);
    r.eShort = EShortCount(nShort);
    return in.status() == QDataStream::Ok && DecodePageSummary(summary, &r.summary) &&
           DecodePageRecords(pages, &r.pages);
}

SPageCount SFileResult::Count() const
{
    SPageCount count;
    count.nPages = nPages;
    count.eShort = eShort;
    count.strReason = strShortReason;
    return count;
}

QString ReadErrorNote(const SFileResult& result)
{
    if (result.eOutcome == SFileResult::EOutcome::Lost)
        return QStringLiteral("Reading this file crashed the reader twice, so it was not counted.");
    return result.strFailure.isEmpty() ? UnknownReadErrorReason() : result.strFailure;
}

SFileResult NoAnswerResult(qint64 nSeconds)
{
    SFileResult result;
    result.eOutcome = SFileResult::EOutcome::NoAnswer;
    result.strFailure = QStringLiteral("no answer in %1 s").arg(nSeconds);
    return result;
}

SFileResult LostResult(const QByteArray& path)
{
    SFileResult result;
    result.eOutcome = SFileResult::EOutcome::Lost;
    result.bHasFacts = ReadFileFacts(path, &result.facts);
    return result;
}

SFileResult ResultHead(const QByteArray& bytes)
{
    QDataStream in(bytes);
    qint8 nOutcome = 0;
    qint8 nShort = 0;
    SFileResult head;
    in >> nOutcome >> head.nPages >> nShort;
    head.eOutcome = in.status() == QDataStream::Ok ? SFileResult::EOutcome(nOutcome) : SFileResult::EOutcome::Lost;
    head.eShort = EShortCount(nShort);
    return head;
}

QByteArray ErrorLines(const QByteArray& path, const SFileResult& result, bool bVerbose)
{
    switch (result.eOutcome) {
    case SFileResult::EOutcome::Missing:
        return QByteArray();
    case SFileResult::EOutcome::Unreadable:
        return QByteArray(kCountProgram) + ": cannot read " + path + ": " + result.strFailure.toUtf8() + '\n';
    case SFileResult::EOutcome::Lost:
        return FileLine(path, LostWords());
    case SFileResult::EOutcome::NoAnswer:
        return FileLine(path, result.strFailure);
    case SFileResult::EOutcome::Counted:
        break;
    }
    QByteArray lines;
    if (bVerbose) {
        for (const QString& strMessage : result.messages)
            lines += FileLine(path, strMessage);
    }
    if (result.IsShort())
        lines += FileLine(path, ShortCountClause(result.Count()));
    return lines;
}

FileRecord RecordOf(const QByteArray& path, const SFileResult& result)
{
    FileRecord rec = MakeFileRecord(path, true, result.bHasFacts ? &result.facts : nullptr);
    rec.eStatus = StatusOf(result);
    rec.nPages = result.ReportedPages();
    if (rec.eStatus == EFileStatus::ReadError)
        rec.SetStatusNote(ReadErrorNote(result));
    if (rec.nPages >= 0) {
        if (result.IsShort())
            rec.SetPagesNote(ShortCountToolTip(result.Count()));
        rec.SetPageSummary(result.summary);
    }
    return rec;
}

QByteArray CsvLineOf(const QByteArray& path, const SFileResult& result)
{
    return CsvRowLine(RecordOf(path, result));
}

QByteArray IsoDateTime(qint64 nSecsSinceEpoch)
{
    SLocalTime t;
    if (!ToLocalTime(nSecsSinceEpoch, &t))
        return QByteArray();
    const int nOffset = t.nUtcOffsetSeconds;
    const int nOffsetMinutes = (nOffset < 0 ? -nOffset : nOffset) / 60;
    char sz[40];
    std::snprintf(sz, sizeof sz, "%.4d-%.2d-%.2dT%.2d:%.2d:%.2d%c%.2d:%.2d", t.nYear, t.nMonth, t.nDay, t.nHour,
                  t.nMinute, t.nSecond, nOffset < 0 ? '-' : '+', nOffsetMinutes / 60, nOffsetMinutes % 60);
    return sz;
}

QByteArray JsonLineOf(const QByteArray& path, const SFileResult& result)
{
    const QString strShown = DisplayFileName(path);
    const bool bUtf8 = strShown.toUtf8() == path;
    QByteArray line = "{\"path\":" + JsonString(strShown.toUtf8());
    if (!bUtf8)
        line += ",\"path_base64\":\"" + path.toBase64() + '"';
    const auto time = [&](qint64 nTime) {
        const QByteArray iso = result.bHasFacts ? IsoDateTime(nTime) : QByteArray();
        return iso.isEmpty() ? QByteArray("null") : '"' + iso + '"';
    };
    line += ",\"size\":" + (result.bHasFacts ? QByteArray::number(result.facts.nSize) : QByteArray("null"));
    line += ",\"created\":" + time(result.facts.nCreated) + ",\"modified\":" + time(result.facts.nModified);
    line += ",\"status\":" + JsonString(StatusText(StatusOf(result)).toLatin1());
    const qint64 nPages = result.ReportedPages();
    line += ",\"pages\":" + (nPages >= 0 ? QByteArray::number(nPages) : QByteArray("null"));
    // A count that is there is complete or not; a file not counted has no count to be complete.
    const bool bHasCount = nPages >= 0 || result.eOutcome == SFileResult::EOutcome::Lost;
    const bool bComplete = nPages >= 0 && !result.IsShort();
    line += ",\"complete\":" + QByteArray(!bHasCount ? "null" : bComplete ? "true" : "false");
    QString strReason = result.strFailure;
    if (result.eOutcome == SFileResult::EOutcome::Lost)
        strReason = LostWords();
    else if (bHasCount && !bComplete)
        strReason = ShortCountClause(result.Count());
    if (!strReason.isEmpty())
        line += ",\"reason\":" + JsonString(strReason.toUtf8());
    if (nPages >= 0) {
        QByteArrayList classes;
        const CPageSummary& summary = result.summary;
        for (const SClassPages& c : summary.Classes()) {
            // A number, or where the two resolutions differ the text every report writes ("204x196").
            const QByteArray dpi = DpiText(c.cls);
            classes.append("{\"paper\":\"" + QByteArray(PaperName(c.cls.ePaper)) + "\",\"colour\":\"" +
                           ColourName(c.cls.eColour) + "\",\"dpi\":" +
                           (dpi.isEmpty() ? QByteArray("null") : dpi.contains('x') ? '"' + dpi + '"' : dpi) +
                           ",\"pages\":" + QByteArray::number(c.nPages) + '}');
        }
        line += ",\"profile\":[" + classes.join(',') + ']';
    }
    return line + "}\n";
}
