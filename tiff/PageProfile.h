// What the pages of a file are, as scanning bureaus price them: per page the tags that give its
// size, resolution and colour, as libtiff gives them, and the classes made of them (paper, colour,
// resolution); per file, and per list, the number of pages in each class.
//
// The classes come in one fixed order, used by every report and table: paper A0, A1, A2, A3, A4,
// A5, Letter, Legal, Tabloid, Other, Unknown, Reduced; colour Bilevel, Greyscale, Colour, Unknown;
// dots per inch ascending (across, then down), unknown last.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Reduced is no sheet of paper: a reduced-resolution copy of another image in the chain (a
// thumbnail, a level of a pyramid). It is a page of the count, but is never billed as a sheet.
enum class EPaper : quint8 { A0, A1, A2, A3, A4, A5, Letter, Legal, Tabloid, Other, Unknown, Reduced };
enum class EColour : quint8 { Bilevel, Greyscale, Colour, Unknown };
constexpr int kPaperCount = int(EPaper::Reduced) + 1;
constexpr int kColourCount = int(EColour::Unknown) + 1;

// How far each side of a page may be from a paper's side and still be that paper: 3 %, so that
// an A4 page between 203.7 x 288.1 and 216.3 x 305.9 mm is A4. Scanners crop, pad and round a few
// millimetres off or on; the closest neighbours (A4 and Letter, A3 and Tabloid) differ by 6 % in
// one side, so a page never fits two papers equally well by accident.
constexpr double kPaperTolerance = 0.03;

// What the colour map of a palette page holds: entries all black or white, all grey, or colours.
// None for a page without a map (every page that is not a palette).
enum class EColourMap : quint8 { None, BlackAndWhite, Grey, Colour };

// The tags of one page (image directory). Resolutions are pixels per unit; a tag the directory does
// not hold keeps the value TIFF gives it by default (one sample of one bit, inch, no compression).
struct SPageRecord {
    quint32 nWidth = 0;             // ImageWidth, pixels
    quint32 nLength = 0;            // ImageLength, pixels
    float fXResolution = 0;         // valid with bHasXResolution
    float fYResolution = 0;         // valid with bHasYResolution
    quint16 nResolutionUnit = 2;    // 1 none, 2 inch, 3 centimetre
    quint16 nBitsPerSample = 1;
    quint16 nSamplesPerPixel = 1;
    quint16 nExtraSamples = 0;      // samples beyond the colour (alpha and the like)
    quint16 nPhotometric = 0;       // valid with bHasPhotometric
    quint16 nCompression = 1;
    quint16 nInks = 0;              // NumberOfInks of a separated page; 0: not given
    EColourMap eColourMap = EColourMap::None;
    bool bReduced = false;          // NewSubfileType bit 0: a reduced-resolution image
    bool bHasXResolution = false;
    bool bHasYResolution = false;
    bool bHasPhotometric = false;

    bool operator==(const SPageRecord& other) const;
    bool operator!=(const SPageRecord& other) const { return !(*this == other); }
};

// The class of a page: its paper, its colour and its two resolutions.
struct SPageClass {
    EPaper ePaper = EPaper::Unknown;
    EColour eColour = EColour::Unknown;
    quint16 nXDpi = 0;              // across, in dots per inch; 0 (with nYDpi 0): unknown
    quint16 nYDpi = 0;              // down

    SPageClass() = default;
    // The same resolution across and down.
    SPageClass(EPaper ePaperOf, EColour eColourOf, quint16 nDpi) : SPageClass(ePaperOf, eColourOf, nDpi, nDpi) {}
    SPageClass(EPaper ePaperOf, EColour eColourOf, quint16 nXDpiOf, quint16 nYDpiOf)
        : ePaper(ePaperOf), eColour(eColourOf), nXDpi(nXDpiOf), nYDpi(nYDpiOf)
    {
    }

    bool HasDpi() const { return nXDpi != 0; }
    bool operator==(const SPageClass& other) const
    {
        return ePaper == other.ePaper && eColour == other.eColour && nXDpi == other.nXDpi && nYDpi == other.nYDpi;
    }
    bool operator!=(const SPageClass& other) const { return !(*this == other); }
    // The fixed order of classes.
    bool operator<(const SPageClass& other) const;
};

// The page's size in millimetres; false without a usable resolution in inches or centimetres (no
// resolution, unit "none", a resolution of zero, negative or not finite) or without pixels.
bool PageSizeMm(const SPageRecord& page, double* pdWidth, double* pdLength);
// The resolutions across and down in dots per inch, rounded; false (and both 0) where PageSizeMm
// has no resolution to go by, or when either rounds outside 1..65535.
bool PageDpi(const SPageRecord& page, quint16* pnXDpi, quint16* pnYDpi);
// The paper a page of this size is printed on, in either orientation: the nearest whose sides are
// both within kPaperTolerance, else Other; Unknown for a size of zero or beyond 10 m, or not finite.
EPaper PaperOfSize(double dWidthMm, double dLengthMm);
// Bilevel: black and white (or a mask) in one sample of one bit, or a palette of black and white
// only; Greyscale: black and white in one sample of more bits (extra samples aside), a luminance, a
// palette of greys, or a separation of one ink; Colour: RGB, any other palette, YCbCr, separated
// in several inks (CMYK), Lab and every other model. A page without a photometric interpretation
// is black and white, as TIFF's readers take it. Unknown with no bits, or with a black-and-white
// page of several colour samples.
EColour ColourOf(const SPageRecord& page);
SPageClass ClassifyPage(const SPageRecord& page);

// What a palette's colour map holds. Entries are compared in 8 bits, as the eye sees them: a map
// written in 16 bits (n * 257, or n * 256 by some writers) by its high byte; a map whose entries are
// all below 256 (8-bit values written unscaled, as libtiff's own tools allow) as it stands. An entry
// is grey when its red, green and blue are equal, black or white when it is grey and 0 or 255.
EColourMap ClassifyColourMap(const quint16* pRed, const quint16* pGreen, const quint16* pBlue, qsizetype nEntries);

// Names as reports write them: "A4", "Letter", "Other", "Unknown", "Reduced"; "Bilevel", "Colour".
const char* PaperName(EPaper ePaper);
const char* ColourName(EColour eColour);
// The resolution as every report and table writes it: "300"; "204x196" (across first) where the
// two differ; empty when unknown.
QByteArray DpiText(const SPageClass& cls);
// The resolution unit as the per-page report writes it: "none", "inch", "cm", else the number.
QByteArray ResolutionUnitName(quint16 nUnit);
// The compression and the photometric interpretation as the per-page report writes them, by the
// names of libtiff's codes: "None", "CCITT G4", "LZW", "PackBits"; "MinIsWhite", "RGB", "YCbCr";
// else the number.
QByteArray CompressionName(quint16 nCompression);
QByteArray PhotometricName(quint16 nPhotometric);

struct SClassPages {
    SPageClass cls;
    qint64 nPages = 0;

    bool operator==(const SClassPages& other) const { return cls == other.cls && nPages == other.nPages; }
};

// The number of pages in each class, of a file or of a whole list.
class CPageSummary {
public:
    void Add(const SPageClass& cls, qint64 nPages = 1);
    void Add(const CPageSummary& other);
    // In the fixed order of classes; no class has 0 pages.
    const QVector<SClassPages>& Classes() const { return m_classes; }
    qint64 Pages() const;
    bool IsEmpty() const { return m_classes.isEmpty(); }
    bool operator==(const CPageSummary& other) const { return m_classes == other.m_classes; }
    bool operator!=(const CPageSummary& other) const { return !(*this == other); }

private:
    QVector<SClassPages> m_classes;
};

CPageSummary SummarisePages(const QVector<SPageRecord>& pages);

// The summary in plain words, most pages first: "12 pages: 10 A4 bilevel 300 dpi, 2 A3 colour
// 200 dpi". Empty for an empty summary.
QString PageSummaryWords(const CPageSummary& summary);

// A file's pages as bytes and back, for a worker process to hand them to its parent. Each page
// stores only the tags that differ from the page before it, so pages that are all alike take about
// a byte each. Decoding refuses bytes that do not hold exactly such a list.
QByteArray EncodePageRecords(const QVector<SPageRecord>& pages);
bool DecodePageRecords(const QByteArray& bytes, QVector<SPageRecord>* pPages);
// A summary as bytes and back: a few bytes a class, whatever the number of pages. Decoding refuses
// bytes that do not hold exactly such a summary.
QByteArray EncodePageSummary(const CPageSummary& summary);
bool DecodePageSummary(const QByteArray& bytes, CPageSummary* pSummary);
