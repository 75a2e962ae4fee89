#include "common/core/FileName.h"

#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

TEST(FileName, EveryByteValueSurvivesTheTripThroughAFileUrl)
{
    for (int b = 1; b < 256; ++b) {
        const QByteArray path = "/scans/a" + QByteArray(1, char(b)) + "z.tif";
        const QUrl url = FileUrl(path);
        ASSERT_TRUE(url.isValid()) << b;
        EXPECT_EQ(FileNameFromUrl(url), path) << b;
        // As a file manager's drop carries it: the URL's encoded text in a uri-list.
        QMimeData mime;
        mime.setData(QStringLiteral("text/uri-list"), url.toEncoded() + "\r\n");
        ASSERT_EQ(mime.urls().size(), 1) << b;
        EXPECT_EQ(FileNameFromUrl(mime.urls().first()), path) << b;
    }
    // A whole name of bytes that are not UTF-8, and a relative path made absolute.
    QByteArray all;
    for (int b = 128; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(FileNameFromUrl(FileUrl("/" + all)), "/" + all);
    EXPECT_TRUE(FileNameFromUrl(FileUrl("rel \xff.tif")).endsWith("/rel \xff.tif"));
    EXPECT_TRUE(FileNameFromUrl(FileUrl("rel.tif")).startsWith('/'));
    EXPECT_EQ(FileNameFromUrl(QUrl(QStringLiteral("https://example.org/a.tif"))), QByteArray());
}

TEST(FileName, NamesAreShownReadablyWithoutChangingTheirBytes)
{
    const struct {
        QByteArray path;
        const char16_t* pszShown;
        int nChars;
    } cases[] = {
        {"plain.tif", u"plain.tif", 9},
        {"Z\xc3\xbcrich \xe2\x82\xac.tif", u"Zürich €.tif", 12},         // valid UTF-8 as it is
        {"caf\xe9.tif", u"café.tif", 8},                                  // Latin-1
        {"bad\xff\xfename.tif", u"badÿþname.tif", 13},
        {"lone\x80.tif", u"lone€.tif", 9},                                // Windows-1252 letters
        {"x\x81y", u"x\\x81y", 3},                                       // no letter there
        {"cut\xc3.tif", u"cutÃ.tif", 8},                                  // a sequence cut short
        {"\xc3\x28", u"Ã(", 2},                                           // a bad continuation
        {"\xc0\xaf", u"À¯", 2},                                           // an overlong form
        {"\xed\xa0\x80", u"í\u00a0€", 3},                                 // a surrogate
        {"\xf0\x9f\x93\x84.tif", u"\U0001F4C4.tif", 5},                   // beyond the BMP
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DisplayFileName(c.path), QString::fromUtf16(c.pszShown)) << c.path.toHex().constData();
        EXPECT_EQ(FileNameCharCount(c.path), c.nChars) << c.path.toHex().constData();
    }
    EXPECT_EQ(FileNameFromText(QStringLiteral("Zürich.tif")), QByteArray("Z\xc3\xbcrich.tif"));
}

TEST(FileName, RunsOfSeparatorsCollapse)
{
    EXPECT_EQ(CollapseSeparators("//a///b/"), QByteArray("/a/b/"));
    EXPECT_EQ(CollapseSeparators("a"), QByteArray("a"));
    EXPECT_EQ(CollapseSeparators("/\xff//x"), QByteArray("/\xff/x"));
}

}  // namespace
