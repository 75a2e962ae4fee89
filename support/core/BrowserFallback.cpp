#include "BrowserFallback.h"

#include "LaunchErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>

namespace {

const QChar kPlaceholderCodes[] = {u'1', u'u', u'U', u'f', u'F'};

bool IsPlaceholderCode(QChar c)
{
    return std::find(std::begin(kPlaceholderCodes), std::end(kPlaceholderCodes), c) != std::end(kPlaceholderCodes);
}

// The position of the first placeholder, quoted or bare, or -1. "%%" is a literal per cent sign.
qsizetype FindPlaceholder(const QString& strCommand, bool bQuoted)
{
    for (qsizetype i = 0; i + 1 < strCommand.size(); ++i) {
        if (strCommand[i] != u'%')
            continue;
        if (strCommand[i + 1] == u'%') {
            ++i;
            continue;
        }
        if (!IsPlaceholderCode(strCommand[i + 1]))
            continue;
        if (!bQuoted)
            return i;
        if (i > 0 && strCommand[i - 1] == u'"' && i + 2 < strCommand.size() && strCommand[i + 2] == u'"')
            return i - 1;
    }
    return -1;
}

// Resolves the escapes of a desktop entry value: \s \n \t \r \\.
QString UnescapeValue(const QString& strValue)
{
    QString str;
    str.reserve(strValue.size());
    for (qsizetype i = 0; i < strValue.size(); ++i) {
        if (strValue[i] != u'\\' || i + 1 == strValue.size()) {
            str += strValue[i];
            continue;
        }
        const QChar c = strValue[++i];
        switch (c.unicode()) {
        case 's': str += u' '; break;
        case 'n': str += u'\n'; break;
        case 't': str += u'\t'; break;
        case 'r': str += u'\r'; break;
        case '\\': str += u'\\'; break;
        default: str += u'\\'; str += c; break;    // the quoting escapes of Exec are resolved later
        }
    }
    return str;
}

// The keys and raw values of one group of an ini-style file (mimeapps.list, mimeinfo.cache,
// desktop entries); keys hold "/" and values hold ";", which QSettings would both reinterpret.
QList<QPair<QString, QString>> ReadIniGroup(const QString& strPath, QStringView group)
{
    QList<QPair<QString, QString>> entries;
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    QTextStream in(&file);
    bool bInGroup = false;
    QString strLine;
    while (in.readLineInto(&strLine)) {
        const QString strTrimmed = strLine.trimmed();
        if (strTrimmed.isEmpty() || strTrimmed.startsWith(u'#'))
            continue;
        if (strTrimmed.startsWith(u'[')) {
            bInGroup = strTrimmed == u'[' + group.toString() + u']';
            continue;
        }
        const qsizetype nEquals = strTrimmed.indexOf(u'=');
        if (bInGroup && nEquals > 0)
            entries.append({strTrimmed.left(nEquals).trimmed(), strTrimmed.mid(nEquals + 1).trimmed()});
    }
    return entries;
}

QStringList ValuesOf(const QList<QPair<QString, QString>>& entries, const QString& strKey)
{
    QStringList values;
    for (const auto& entry : entries) {
        if (entry.first == strKey)
            values += entry.second.split(u';', Qt::SkipEmptyParts);
    }
    return values;
}

// The mimeapps.list files in the order the freedesktop MIME-apps rules give them, each desktop's
// own file before the common one of the same folder.
QStringList MimeAppsFiles()
{
    QStringList desktops;
    for (const QString& str : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        desktops += str.toLower();
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (const QString& strData : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders += strData + QStringLiteral("/applications");
    QStringList files;
    for (const QString& strFolder : folders) {
        for (const QString& strDesktop : desktops)
            files += strFolder + u'/' + strDesktop + QStringLiteral("-mimeapps.list");
        files += strFolder + QStringLiteral("/mimeapps.list");
    }
    return files;
}

}  // namespace

QString CutAtPlaceholder(const QString& strCommand)
{
    qsizetype nCut = FindPlaceholder(strCommand, true);
    if (nCut < 0)
        nCut = FindPlaceholder(strCommand, false);
    return nCut < 0 ? strCommand : strCommand.left(nCut);
}

QStringList BrowserArguments(const QString& strCommand, const QString& strUrl)
{
    // The address is a word of its own, so that nothing in it is read as quoting or a field code.
    return SplitCommandLine(CutAtPlaceholder(strCommand)) << strUrl;
}

QStringList SplitCommandLine(const QString& strLine)
{
    QStringList args;
    QString strArg;
    bool bInArg = false;
    bool bQuoted = false;
    bool bOnlyFieldCodes = true;   // an argument made of dropped field codes alone disappears
    const auto finish = [&] {
        if (bInArg && !(bOnlyFieldCodes && strArg.isEmpty()))
            args += strArg;
        strArg.clear();
        bInArg = false;
        bOnlyFieldCodes = true;
    };
    for (qsizetype i = 0; i < strLine.size(); ++i) {
        const QChar c = strLine[i];
        if (bQuoted) {
            if (c == u'"') {
                bQuoted = false;
            } else if (c == u'\\' && i + 1 < strLine.size() && QStringView(u"\"`$\\").contains(strLine[i + 1])) {
                strArg += strLine[++i];
            } else {
                strArg += c;
            }
            continue;
        }
        if (c == u' ' || c == u'\t' || c == u'\n') {
            finish();
            continue;
        }
        bInArg = true;
        if (c == u'"') {
            bQuoted = true;
            bOnlyFieldCodes = false;
        } else if (c == u'%' && i + 1 < strLine.size()) {
            if (strLine[++i] == u'%') {
                strArg += u'%';
                bOnlyFieldCodes = false;
            }
        } else {
            strArg += c;
            bOnlyFieldCodes = false;
        }
    }
    finish();
    return args;
}

QStringList MimeTypeHandlers(const QString& strMimeType)
{
    QStringList defaults;
    QStringList added;
    QStringList removed;
    for (const QString& strFile : MimeAppsFiles()) {
        defaults += ValuesOf(ReadIniGroup(strFile, u"Default Applications"), strMimeType);
        added += ValuesOf(ReadIniGroup(strFile, u"Added Associations"), strMimeType);
        removed += ValuesOf(ReadIniGroup(strFile, u"Removed Associations"), strMimeType);
    }
    QStringList cached;
    for (const QString& strData : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        cached += ValuesOf(ReadIniGroup(strData + QStringLiteral("/applications/mimeinfo.cache"), u"MIME Cache"),
                           strMimeType);
    QStringList handlers;
    for (const QString& strId : defaults + added + cached) {
        if (!handlers.contains(strId) && !removed.contains(strId))
            handlers += strId;
    }
    return handlers;
}

QString FindDesktopEntry(const QString& strId)
{
    if (strId.isEmpty() || strId.contains(u'/'))
        return QString();
    for (const QString& strData : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString strPath = strData + QStringLiteral("/applications/") + strId;
        if (QFileInfo(strPath).isFile())
            return strPath;
    }
    return QString();
}

QString DesktopEntryExec(const QString& strPath)
{
    const auto entries = ReadIniGroup(strPath, u"Desktop Entry");
    for (const auto& entry : entries) {
        if (entry.first == u"Exec")
            return UnescapeValue(entry.second);
    }
    return QString();
}

int StartProgram(const QStringList& programAndArgs)
{
    QStringList args = programAndArgs;
    if (args.isEmpty())
        return LAUNCH_FILE_NOT_FOUND;
    QString strProgram = args.takeFirst();
    if (strProgram.contains(u'/')) {
        const QFileInfo info(strProgram);
        if (!info.dir().exists())
            return LAUNCH_PATH_NOT_FOUND;
        if (!info.exists())
            return LAUNCH_FILE_NOT_FOUND;
        if (!info.isFile() || !info.isExecutable())
            return LAUNCH_ACCESS_DENIED;
    } else {
        strProgram = QStandardPaths::findExecutable(strProgram);
        if (strProgram.isEmpty())
            return LAUNCH_FILE_NOT_FOUND;
    }
    // The program exists and may run; a start that still fails found no runnable image in it.
    return QProcess::startDetached(strProgram, args) ? LAUNCH_SUCCEEDED : LAUNCH_BAD_FORMAT;
}

int OpenWithRegisteredBrowser(const QString& strUrl, int nLookupFailure)
{
    for (const QString& strId : MimeTypeHandlers(QStringLiteral("text/html"))) {
        const QString strEntry = FindDesktopEntry(strId);
        if (strEntry.isEmpty())
            continue;   // registered but not installed: the next one may be
        const QString strExec = DesktopEntryExec(strEntry);
        if (strExec.trimmed().isEmpty())
            return nLookupFailure;
        const QStringList args = BrowserArguments(strExec, strUrl);
        // A line that was only its placeholder names no program.
        return args.size() > 1 ? StartProgram(args) : nLookupFailure;
    }
    return nLookupFailure;
}
