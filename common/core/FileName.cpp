#include "FileName.h"

#include <QUrl>

#ifdef Q_OS_UNIX
#include <unistd.h>

#include <cerrno>
#include <vector>
#endif

namespace {

// Windows-1252 letters of the bytes 0x80 to 0x9F; 0 where the code page has none.
const char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The length of the valid UTF-8 sequence at p (1 to 4), or 0 when the bytes there are not one;
// *pCode receives the code point.
int Utf8SequenceAt(const unsigned char* p, qsizetype nLeft, char32_t* pCode)
{
    const unsigned char c = p[0];
    if (c < 0x80) {
        *pCode = c;
        return 1;
    }
    int nLength;
    char32_t code;
    char32_t nMin;
    if (c >= 0xC2 && c <= 0xDF) {
        nLength = 2;
        code = c & 0x1F;
        nMin = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        nLength = 3;
        code = c & 0x0F;
        nMin = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        nLength = 4;
        code = c & 0x07;
        nMin = 0x10000;
    } else {
        return 0;
    }
    if (nLeft < nLength)
        return 0;
    for (int i = 1; i < nLength; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are not UTF-8.
    if (code < nMin || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    *pCode = code;
    return nLength;
}

void AppendForeignByte(QString& str, unsigned char c)
{
    if (c >= 0xA0) {
        str += QChar(char16_t(c));      // Latin-1 and Windows-1252 agree here
        return;
    }
    const char16_t letter = c >= 0x80 ? kCp1252High[c - 0x80] : 0;
    if (letter) {
        str += QChar(letter);
        return;
    }
    static const char kHex[] = "0123456789ABCDEF";
    str += QLatin1String("\\x");
    str += QLatin1Char(kHex[c >> 4]);
    str += QLatin1Char(kHex[c & 15]);
}

}  // namespace

QString DisplayFileName(const QByteArray& path)
{
    const auto* p = reinterpret_cast<const unsigned char*>(path.constData());
    const qsizetype n = path.size();
    QString str;
    str.reserve(n);
    for (qsizetype i = 0; i < n;) {
        char32_t code;
        const int nLength = Utf8SequenceAt(p + i, n - i, &code);
        if (nLength == 0) {
            AppendForeignByte(str, p[i]);
            ++i;
            continue;
        }
        if (code < 0x10000) {
            str += QChar(char16_t(code));
        } else {
            const char32_t v = code - 0x10000;
            str += QChar(char16_t(0xD800 + (v >> 10)));
            str += QChar(char16_t(0xDC00 + (v & 0x3FF)));
        }
        i += nLength;
    }
    return str;
}

int FileNameCharCount(const QByteArray& path)
{
    const auto* p = reinterpret_cast<const unsigned char*>(path.constData());
    const qsizetype n = path.size();
    int nChars = 0;
    for (qsizetype i = 0; i < n; ++nChars) {
        char32_t code;
        const int nLength = Utf8SequenceAt(p + i, n - i, &code);
        i += nLength ? nLength : 1;
    }
    return nChars;
}

QByteArray FileNameFromText(const QString& strText)
{
    return strText.toUtf8();
}

QByteArray FileNameFromUrl(const QUrl& url)
{
    if (!url.isLocalFile())
        return QByteArray();
    // The encoded form keeps bytes that are not UTF-8 as they came, where the decoded text would not.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

QUrl FileUrl(const QByteArray& path)
{
    QByteArray absolute = path;
#ifdef Q_OS_UNIX
    if (!path.startsWith('/')) {
        std::vector<char> cwd(4096);
        while (!::getcwd(cwd.data(), cwd.size()) && errno == ERANGE)
            cwd.resize(cwd.size() * 2);
        absolute = QByteArray(cwd.data()) + '/' + path;
    }
#endif
    return QUrl::fromEncoded("file://" + QByteArray(absolute).toPercentEncoding("/"), QUrl::StrictMode);
}

QByteArray CollapseSeparators(QByteArray path)
{
    qsizetype nOut = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i] == '/' && nOut > 0 && path[nOut - 1] == '/')
            continue;
        path[nOut++] = path[i];
    }
    path.truncate(nOut);
    return path;
}
