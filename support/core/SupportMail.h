// The support e-mail: a "mailto:" address whose body carries a short report of the machine.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

class CSystemInfo;

using SupportReportPairs = QList<QPair<QString, QString>>;

// The thirteen label and value pairs of the report, in report order, the first being the
// product version.
SupportReportPairs SupportReport(const CSystemInfo& info, const QString& strVersion);

// A value made safe inside the body of a "mailto:" address: every character that would end the
// body, start another field or an escape, or is not plain ASCII, becomes its %XX escape.
QString EscapeMailValue(const QString& strValue);

// "mailto:" + address + "?subject=Pagewick&body=" + four escaped line ends, 35 hyphens, one more
// line end, then the report: a blank line, "Pagewick", a blank line, the pairs in groups of 1, 4,
// 4 and 4 separated by blank lines, each pair as "label : value" ended by an escaped line end.
QString SupportMailUrl(const QString& strAddress, const SupportReportPairs& pairs);
