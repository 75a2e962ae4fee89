#include "ReadableColours.h"

#include "CHyperLink.h"

SRgb ToRgb(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return SRgb{rgb.red(), rgb.green(), rgb.blue()};
}

QColor ToColor(SRgb c)
{
    return QColor(c.nRed, c.nGreen, c.nBlue);
}

SLinkColours LinkColoursOn(const QPalette& pal, const QColor& crOwnLink, const QColor& crOwnVisited)
{
    const SLinkPalette colours{ToRgb(pal.color(QPalette::Window)), ToRgb(pal.color(QPalette::WindowText)),
                               ToRgb(pal.color(QPalette::Link)), ToRgb(pal.color(QPalette::LinkVisited)),
                               ToRgb(pal.color(QPalette::Highlight))};
    return ReadableLinkColours(colours, ToRgb(crOwnLink), ToRgb(crOwnVisited));
}

QString HelpPageColoursCss(const QPalette& pal)
{
    // The page stands on the base colour; headings take the link's own dark red where it reads,
    // as the window's link does.
    QPalette page = pal;
    page.setColor(QPalette::Window, pal.color(QPalette::Base));
    page.setColor(QPalette::WindowText, pal.color(QPalette::Text));
    const SLinkColours link = LinkColoursOn(page, CHyperLink::LinkColour(), CHyperLink::VisitedColour());
    const SRgb text = ToRgb(pal.color(QPalette::Text));
    const SRgb shade = ToRgb(pal.color(QPalette::AlternateBase));
    const SRgb head = ToRgb(pal.color(QPalette::Button));
    const SRgb headText = MakeReadable(ToRgb(pal.color(QPalette::ButtonText)), head, text);
    const SRgb linkOnPage = MakeReadable(ToRgb(pal.color(QPalette::Link)), ToRgb(pal.color(QPalette::Base)), text);
    const auto css = [](SRgb c) { return ToColor(c).name(); };
    return QStringLiteral("h1, h2 { color: %1; }\n"
                          "th { background-color: %2; color: %3; }\n"
                          "pre { background-color: %4; color: %5; }\n"
                          "a { color: %6; }\n")
        .arg(css(link.link), css(head), css(headText), css(shade), css(MakeReadable(text, shade, text)),
             css(linkOnPage));
}
