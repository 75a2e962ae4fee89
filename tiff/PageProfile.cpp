#include "PageProfile.h"

#include <tiff.h>

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

namespace {

struct SPaper {
    EPaper ePaper;
    const char* pszName;
    double dShortMm;
    double dLongMm;
};

const SPaper kPapers[] = {
    {EPaper::A0, "A0", 841, 1189},         {EPaper::A1, "A1", 594, 841},         {EPaper::A2, "A2", 420, 594},
    {EPaper::A3, "A3", 297, 420},          {EPaper::A4, "A4", 210, 297},         {EPaper::A5, "A5", 148, 210},
    {EPaper::Letter, "Letter", 215.9, 279.4}, {EPaper::Legal, "Legal", 215.9, 355.6},
    {EPaper::Tabloid, "Tabloid", 279.4, 431.8},
};

// No page is longer than this; a size beyond it comes from a tag gone wrong.
constexpr double kLongestPageMm = 10000;

// Millimetres per resolution unit; 0 for "none" and for a unit TIFF does not know.
double MmPerUnit(quint16 nUnit)
{
    switch (nUnit) {
    case RESUNIT_INCH:
        return 25.4;
    case RESUNIT_CENTIMETER:
        return 10;
    default:
        return 0;
    }
}

bool Usable(bool bHas, float fResolution)
{
    return bHas && std::isfinite(fResolution) && fResolution > 0;
}

bool HasResolution(const SPageRecord& page)
{
    return MmPerUnit(page.nResolutionUnit) > 0 && Usable(page.bHasXResolution, page.fXResolution) &&
           Usable(page.bHasYResolution, page.fYResolution);
}

QString PagesWords(qint64 n)
{
    return n == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(n);
}

// "A4 bilevel 300 dpi", "other size colour 204x196 dpi", "unknown size greyscale without
// resolution", "reduced-resolution colour 15 dpi".
QString ClassWords(const SPageClass& cls)
{
    QString str = cls.ePaper == EPaper::Other     ? QStringLiteral("other size")
                  : cls.ePaper == EPaper::Unknown ? QStringLiteral("unknown size")
                  : cls.ePaper == EPaper::Reduced ? QStringLiteral("reduced-resolution")
                                                  : QString::fromLatin1(PaperName(cls.ePaper));
    str += cls.eColour == EColour::Unknown ? QStringLiteral(" unknown colour")
                                           : u' ' + QString::fromLatin1(ColourName(cls.eColour)).toLower();
    str += cls.HasDpi() ? u' ' + QString::fromLatin1(DpiText(cls)) + QStringLiteral(" dpi")
                        : QStringLiteral(" without resolution");
    return str;
}

// A tool tip names this many classes at most; the rest are summed up.
constexpr int kMaxClassWords = 8;

// ---- the bytes of a file's pages ------------------------------------------------------------------

constexpr char kFormat = 2;

// The fields of a record, in the order of the bits of a page's mask.
enum EField { F_WIDTH, F_LENGTH, F_XRES, F_YRES, F_UNIT, F_BITS, F_SAMPLES, F_EXTRA, F_PHOTOMETRIC, F_COMPRESSION,
              F_FLAGS, F_INKS, FIELD_COUNT };

// The flags field: three bits of tags present, the reduced bit, then the colour map's class.
constexpr quint32 kReducedFlag = 8;
constexpr int kColourMapShift = 4;
constexpr quint32 kFlagsLimit = (quint32(EColourMap::Colour) << kColourMapShift) | (kReducedFlag * 2 - 1);

quint32 FloatBits(float f)
{
    quint32 n;
    std::memcpy(&n, &f, sizeof n);
    return n;
}

float BitsFloat(quint32 n)
{
    float f;
    std::memcpy(&f, &n, sizeof f);
    return f;
}

quint32 Flags(const SPageRecord& page)
{
    return (page.bHasXResolution ? 1u : 0u) | (page.bHasYResolution ? 2u : 0u) | (page.bHasPhotometric ? 4u : 0u) |
           (page.bReduced ? kReducedFlag : 0u) | (quint32(page.eColourMap) << kColourMapShift);
}

quint32 FieldValue(const SPageRecord& page, int nField)
{
    switch (nField) {
    case F_WIDTH:
        return page.nWidth;
    case F_LENGTH:
        return page.nLength;
    case F_XRES:
        return FloatBits(page.fXResolution);
    case F_YRES:
        return FloatBits(page.fYResolution);
    case F_UNIT:
        return page.nResolutionUnit;
    case F_BITS:
        return page.nBitsPerSample;
    case F_SAMPLES:
        return page.nSamplesPerPixel;
    case F_EXTRA:
        return page.nExtraSamples;
    case F_PHOTOMETRIC:
        return page.nPhotometric;
    case F_COMPRESSION:
        return page.nCompression;
    case F_INKS:
        return page.nInks;
    default:
        return Flags(page);
    }
}

// The largest value a field holds.
quint32 FieldLimit(int nField)
{
    switch (nField) {
    case F_WIDTH:
    case F_LENGTH:
    case F_XRES:
    case F_YRES:
        return 0xFFFFFFFFu;
    case F_FLAGS:
        return kFlagsLimit;
    default:
        return 0xFFFF;
    }
}

void SetField(SPageRecord* pPage, int nField, quint32 n)
{
    switch (nField) {
    case F_WIDTH:
        pPage->nWidth = n;
        break;
    case F_LENGTH:
        pPage->nLength = n;
        break;
    case F_XRES:
        pPage->fXResolution = BitsFloat(n);
        break;
    case F_YRES:
        pPage->fYResolution = BitsFloat(n);
        break;
    case F_UNIT:
        pPage->nResolutionUnit = quint16(n);
        break;
    case F_BITS:
        pPage->nBitsPerSample = quint16(n);
        break;
    case F_SAMPLES:
        pPage->nSamplesPerPixel = quint16(n);
        break;
    case F_EXTRA:
        pPage->nExtraSamples = quint16(n);
        break;
    case F_PHOTOMETRIC:
        pPage->nPhotometric = quint16(n);
        break;
    case F_COMPRESSION:
        pPage->nCompression = quint16(n);
        break;
    case F_INKS:
        pPage->nInks = quint16(n);
        break;
    default:
        pPage->bHasXResolution = n & 1;
        pPage->bHasYResolution = n & 2;
        pPage->bHasPhotometric = n & 4;
        pPage->bReduced = n & kReducedFlag;
        pPage->eColourMap = EColourMap(n >> kColourMapShift);
        break;
    }
}

// Seven bits a byte, low bits first; the top bit says another byte follows.
void PutVarint(QByteArray& bytes, quint64 n)
{
    while (n >= 0x80) {
        bytes += char(0x80 | (n & 0x7F));
        n >>= 7;
    }
    bytes += char(n);
}

bool GetVarint(const QByteArray& bytes, qsizetype* pnAt, quint64 nLimit, quint64* pn)
{
    quint64 n = 0;
    for (int nShift = 0; nShift < 64 && *pnAt < bytes.size(); nShift += 7) {
        const quint8 c = quint8(bytes[(*pnAt)++]);
        n |= quint64(c & 0x7F) << nShift;
        if (!(c & 0x80)) {
            *pn = n;
            return n <= nLimit;
        }
    }
    return false;
}

// The pages of bytes made by EncodePageRecords; false at the first byte that does not fit.
bool DecodeInto(const QByteArray& bytes, QVector<SPageRecord>* pPages)
{
    qsizetype nAt = 1;
    quint64 nPages = 0;
    // Every page takes at least a byte: a count beyond the bytes is not believed.
    if (bytes.isEmpty() || bytes[0] != kFormat || !GetVarint(bytes, &nAt, quint64(bytes.size()), &nPages))
        return false;
    pPages->reserve(qsizetype(nPages));
    SPageRecord page;
    for (quint64 i = 0; i < nPages; ++i) {
        quint64 nMask = 0;
        if (!GetVarint(bytes, &nAt, (1u << FIELD_COUNT) - 1, &nMask))
            return false;
        for (int f = 0; f < FIELD_COUNT; ++f) {
            quint64 n = 0;
            if (!(nMask & (1u << f)))
                continue;
            if (!GetVarint(bytes, &nAt, FieldLimit(f), &n))
                return false;
            SetField(&page, f, quint32(n));
        }
        pPages->append(page);
    }
    return nAt == bytes.size();
}

}  // namespace

bool SPageRecord::operator==(const SPageRecord& other) const
{
    for (int f = 0; f < FIELD_COUNT; ++f) {
        if (FieldValue(*this, f) != FieldValue(other, f))
            return false;
    }
    return true;
}

bool SPageClass::operator<(const SPageClass& other) const
{
    // An unknown resolution (0) comes after every known one.
    const auto key = [](const SPageClass& c) {
        return std::make_tuple(c.ePaper, c.eColour, !c.HasDpi(), c.nXDpi, c.nYDpi);
    };
    return key(*this) < key(other);
}

bool PageSizeMm(const SPageRecord& page, double* pdWidth, double* pdLength)
{
    if (!HasResolution(page) || page.nWidth == 0 || page.nLength == 0)
        return false;
    const double dMmPerUnit = MmPerUnit(page.nResolutionUnit);
    *pdWidth = page.nWidth / double(page.fXResolution) * dMmPerUnit;
    *pdLength = page.nLength / double(page.fYResolution) * dMmPerUnit;
    return true;
}

bool PageDpi(const SPageRecord& page, quint16* pnXDpi, quint16* pnYDpi)
{
    *pnXDpi = *pnYDpi = 0;
    if (!HasResolution(page))
        return false;
    const double dPerInch = 25.4 / MmPerUnit(page.nResolutionUnit);
    const double dX = std::round(page.fXResolution * dPerInch);
    const double dY = std::round(page.fYResolution * dPerInch);
    if (dX < 1 || dX > 65535 || dY < 1 || dY > 65535)
        return false;
    *pnXDpi = quint16(dX);
    *pnYDpi = quint16(dY);
    return true;
}

EPaper PaperOfSize(double dWidthMm, double dLengthMm)
{
    if (!std::isfinite(dWidthMm) || !std::isfinite(dLengthMm))
        return EPaper::Unknown;
    const double dShort = std::min(dWidthMm, dLengthMm);
    const double dLong = std::max(dWidthMm, dLengthMm);
    if (dShort <= 0 || dLong > kLongestPageMm)
        return EPaper::Unknown;
    EPaper eBest = EPaper::Other;
    double dBest = kPaperTolerance;
    for (const SPaper& p : kPapers) {
        const double dOff =
            std::max(std::abs(dShort - p.dShortMm) / p.dShortMm, std::abs(dLong - p.dLongMm) / p.dLongMm);
        // Of two papers the page fits equally well, the first in the order.
        if (dOff < dBest || (dOff == dBest && eBest == EPaper::Other)) {
            eBest = p.ePaper;
            dBest = dOff;
        }
    }
    return eBest;
}

EColour ColourOf(const SPageRecord& page)
{
    const int nColourSamples = page.nSamplesPerPixel - page.nExtraSamples;
    if (page.nBitsPerSample == 0 || nColourSamples < 1)
        return EColour::Unknown;
    switch (page.bHasPhotometric ? page.nPhotometric : PHOTOMETRIC_MINISWHITE) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MASK:
        if (nColourSamples != 1)
            return EColour::Unknown;
        return page.nBitsPerSample == 1 ? EColour::Bilevel : EColour::Greyscale;
    case PHOTOMETRIC_LOGL:
        return EColour::Greyscale;
    case PHOTOMETRIC_PALETTE:
        return page.eColourMap == EColourMap::BlackAndWhite ? EColour::Bilevel
               : page.eColourMap == EColourMap::Grey        ? EColour::Greyscale
                                                            : EColour::Colour;
    case PHOTOMETRIC_SEPARATED:
        // The inks a page names, else one per colour sample.
        return (page.nInks ? page.nInks : nColourSamples) == 1 ? EColour::Greyscale : EColour::Colour;
    default:
        return EColour::Colour;
    }
}

EColourMap ClassifyColourMap(const quint16* pRed, const quint16* pGreen, const quint16* pBlue, qsizetype nEntries)
{
    if (nEntries <= 0)
        return EColourMap::None;
    bool bUnscaled = true;
    for (qsizetype i = 0; i < nEntries && bUnscaled; ++i)
        bUnscaled = (pRed[i] | pGreen[i] | pBlue[i]) < 256;
    const int nShift = bUnscaled ? 0 : 8;
    EColourMap eMap = EColourMap::BlackAndWhite;
    for (qsizetype i = 0; i < nEntries; ++i) {
        const int nRed = pRed[i] >> nShift;
        if (nRed != pGreen[i] >> nShift || nRed != pBlue[i] >> nShift)
            return EColourMap::Colour;
        if (nRed != 0 && nRed != 255)
            eMap = EColourMap::Grey;
    }
    return eMap;
}

SPageClass ClassifyPage(const SPageRecord& page)
{
    SPageClass cls;
    double dWidth = 0;
    double dLength = 0;
    if (page.bReduced)
        cls.ePaper = EPaper::Reduced;
    else if (PageSizeMm(page, &dWidth, &dLength))
        cls.ePaper = PaperOfSize(dWidth, dLength);
    cls.eColour = ColourOf(page);
    PageDpi(page, &cls.nXDpi, &cls.nYDpi);
    return cls;
}

const char* PaperName(EPaper ePaper)
{
    for (const SPaper& p : kPapers) {
        if (p.ePaper == ePaper)
            return p.pszName;
    }
    return ePaper == EPaper::Other ? "Other" : ePaper == EPaper::Reduced ? "Reduced" : "Unknown";
}

const char* ColourName(EColour eColour)
{
    switch (eColour) {
    case EColour::Bilevel:
        return "Bilevel";
    case EColour::Greyscale:
        return "Greyscale";
    case EColour::Colour:
        return "Colour";
    default:
        return "Unknown";
    }
}

QByteArray DpiText(const SPageClass& cls)
{
    if (!cls.HasDpi())
        return QByteArray();
    if (cls.nXDpi == cls.nYDpi)
        return QByteArray::number(cls.nXDpi);
    return QByteArray::number(cls.nXDpi) + 'x' + QByteArray::number(cls.nYDpi);
}

QByteArray ResolutionUnitName(quint16 nUnit)
{
    switch (nUnit) {
    case RESUNIT_NONE:
        return "none";
    case RESUNIT_INCH:
        return "inch";
    case RESUNIT_CENTIMETER:
        return "cm";
    default:
        return QByteArray::number(nUnit);
    }
}

namespace {

struct SCodeName {
    quint16 nCode;
    const char* pszName;
};

const SCodeName kCompressions[] = {
    {COMPRESSION_NONE, "None"},
    {COMPRESSION_CCITTRLE, "CCITT RLE"},
    {COMPRESSION_CCITTFAX3, "CCITT G3"},
    {COMPRESSION_CCITTFAX4, "CCITT G4"},
    {COMPRESSION_LZW, "LZW"},
    {COMPRESSION_OJPEG, "OJPEG"},
    {COMPRESSION_JPEG, "JPEG"},
    {COMPRESSION_ADOBE_DEFLATE, "Deflate"},
    {COMPRESSION_T85, "T.85"},
    {COMPRESSION_T43, "T.43"},
    {COMPRESSION_NEXT, "NeXT"},
    {COMPRESSION_CCITTRLEW, "CCITT RLEW"},
    {COMPRESSION_PACKBITS, "PackBits"},
    {COMPRESSION_THUNDERSCAN, "ThunderScan"},
    {COMPRESSION_IT8CTPAD, "IT8 CT"},
    {COMPRESSION_IT8LW, "IT8 LW"},
    {COMPRESSION_IT8MP, "IT8 MP"},
    {COMPRESSION_IT8BL, "IT8 BL"},
    {COMPRESSION_PIXARFILM, "PixarFilm"},
    {COMPRESSION_PIXARLOG, "PixarLog"},
    {COMPRESSION_DEFLATE, "Deflate (old code)"},
    {COMPRESSION_DCS, "DCS"},
    {COMPRESSION_JBIG, "JBIG"},
    {COMPRESSION_SGILOG, "SGILog"},
    {COMPRESSION_SGILOG24, "SGILog24"},
    {COMPRESSION_JP2000, "JPEG 2000"},
    {COMPRESSION_LERC, "LERC"},
    {COMPRESSION_LZMA, "LZMA"},
    {COMPRESSION_ZSTD, "ZSTD"},
    {COMPRESSION_WEBP, "WebP"},
    {COMPRESSION_JXL, "JPEG XL"},
};

const SCodeName kPhotometrics[] = {
    {PHOTOMETRIC_MINISWHITE, "MinIsWhite"},
    {PHOTOMETRIC_MINISBLACK, "MinIsBlack"},
    {PHOTOMETRIC_RGB, "RGB"},
    {PHOTOMETRIC_PALETTE, "Palette"},
    {PHOTOMETRIC_MASK, "Mask"},
    {PHOTOMETRIC_SEPARATED, "Separated"},
    {PHOTOMETRIC_YCBCR, "YCbCr"},
    {PHOTOMETRIC_CIELAB, "CIELab"},
    {PHOTOMETRIC_ICCLAB, "ICCLab"},
    {PHOTOMETRIC_ITULAB, "ITULab"},
    {PHOTOMETRIC_CFA, "CFA"},
    {PHOTOMETRIC_LOGL, "LogL"},
    {PHOTOMETRIC_LOGLUV, "LogLuv"},
};

template <size_t N>
QByteArray CodeName(const SCodeName (&names)[N], quint16 nCode)
{
    for (const SCodeName& name : names) {
        if (name.nCode == nCode)
            return name.pszName;
    }
    return QByteArray::number(nCode);
}

}  // namespace

QByteArray CompressionName(quint16 nCompression)
{
    return CodeName(kCompressions, nCompression);
}

QByteArray PhotometricName(quint16 nPhotometric)
{
    return CodeName(kPhotometrics, nPhotometric);
}

void CPageSummary::Add(const SPageClass& cls, qint64 nPages)
{
    if (nPages <= 0)
        return;
    const auto it = std::lower_bound(m_classes.begin(), m_classes.end(), cls,
                                     [](const SClassPages& c, const SPageClass& k) { return c.cls < k; });
    if (it != m_classes.end() && it->cls == cls)
        it->nPages += nPages;
    else
        m_classes.insert(it, {cls, nPages});
}

void CPageSummary::Add(const CPageSummary& other)
{
    for (const SClassPages& c : other.m_classes)
        Add(c.cls, c.nPages);
}

qint64 CPageSummary::Pages() const
{
    qint64 n = 0;
    for (const SClassPages& c : m_classes)
        n += c.nPages;
    return n;
}

CPageSummary SummarisePages(const QVector<SPageRecord>& pages)
{
    // Pages come in runs of one kind: a run is classified once and added once.
    CPageSummary summary;
    qsizetype nRunStart = 0;
    for (qsizetype i = 1; i <= pages.size(); ++i) {
        if (i < pages.size() && pages[i] == pages[nRunStart])
            continue;
        summary.Add(ClassifyPage(pages[nRunStart]), i - nRunStart);
        nRunStart = i;
    }
    return summary;
}

QString PageSummaryWords(const CPageSummary& summary)
{
    if (summary.IsEmpty())
        return QString();
    QVector<SClassPages> classes = summary.Classes();
    std::stable_sort(classes.begin(), classes.end(),
                     [](const SClassPages& a, const SClassPages& b) { return a.nPages > b.nPages; });
    QStringList parts;
    for (int i = 0; i < int(classes.size()) && i < kMaxClassWords; ++i)
        parts.append(QStringLiteral("%1 %2").arg(classes[i].nPages).arg(ClassWords(classes[i].cls)));
    if (classes.size() > kMaxClassWords) {
        qint64 nRest = 0;
        for (qsizetype i = kMaxClassWords; i < classes.size(); ++i)
            nRest += classes[i].nPages;
        parts.append(
            QStringLiteral("%1 of %2 other kinds").arg(PagesWords(nRest)).arg(classes.size() - kMaxClassWords));
    }
    return PagesWords(summary.Pages()) + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

QByteArray EncodePageSummary(const CPageSummary& summary)
{
    QByteArray bytes;
    PutVarint(bytes, quint64(summary.Classes().size()));
    for (const SClassPages& c : summary.Classes()) {
        bytes += char(c.cls.ePaper);
        bytes += char(c.cls.eColour);
        PutVarint(bytes, c.cls.nXDpi);
        PutVarint(bytes, c.cls.nYDpi);
        PutVarint(bytes, quint64(c.nPages));
    }
    return bytes;
}

bool DecodePageSummary(const QByteArray& bytes, CPageSummary* pSummary)
{
    *pSummary = CPageSummary();
    qsizetype nAt = 0;
    quint64 nClasses = 0;
    if (!GetVarint(bytes, &nAt, quint64(bytes.size()), &nClasses))
        return false;
    for (quint64 i = 0; i < nClasses; ++i) {
        if (nAt + 2 > bytes.size())
            return false;
        const auto nPaper = quint8(bytes[nAt++]);
        const auto nColour = quint8(bytes[nAt++]);
        quint64 nX = 0;
        quint64 nY = 0;
        quint64 nPages = 0;
        if (nPaper >= kPaperCount || nColour >= kColourCount || !GetVarint(bytes, &nAt, 0xFFFF, &nX) ||
            !GetVarint(bytes, &nAt, 0xFFFF, &nY) || !GetVarint(bytes, &nAt, quint64(1) << 62, &nPages) || nPages == 0)
            return false;
        pSummary->Add(SPageClass(EPaper(nPaper), EColour(nColour), quint16(nX), quint16(nY)), qint64(nPages));
    }
    return nAt == bytes.size();
}

QByteArray EncodePageRecords(const QVector<SPageRecord>& pages)
{
    QByteArray bytes;
    bytes += kFormat;
    PutVarint(bytes, quint64(pages.size()));
    SPageRecord previous;
    for (const SPageRecord& page : pages) {
        quint32 nMask = 0;
        for (int f = 0; f < FIELD_COUNT; ++f) {
            if (FieldValue(page, f) != FieldValue(previous, f))
                nMask |= 1u << f;
        }
        PutVarint(bytes, nMask);
        for (int f = 0; f < FIELD_COUNT; ++f) {
            if (nMask & (1u << f))
                PutVarint(bytes, FieldValue(page, f));
        }
        previous = page;
    }
    return bytes;
}

bool DecodePageRecords(const QByteArray& bytes, QVector<SPageRecord>* pPages)
{
    pPages->clear();
    if (DecodeInto(bytes, pPages))
        return true;
    pPages->clear();
    return false;
}
